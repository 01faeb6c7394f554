#include "widgets/InteractiveItem.h"

#include "items/Canvas.h"

InteractiveItem::InteractiveItem(Canvas& canvas, Hosting hosting)
    : PlacedItem(canvas)
    , m_hosting(hosting)
{
    if (hosting == Hosting::Canvas)
        canvas.AddInputItem(this);
}

void InteractiveItem::SetOwner(const InteractiveItem* owner, EventOwner events)
{
    m_owner = owner;
    m_events = std::move(events);
}

bool InteractiveItem::IsShownWithOwner() const
{
    return IsEnabled() && IsVisibleInGroup() && (!m_owner || m_owner->IsShownWithOwner());
}

bool InteractiveItem::IsVisibleInGroup() const
{
    if (!IsVisible() || !IsInGroup(GetCanvas().CurrentGroup()))
        return false;
    return !m_owner || m_owner->IsVisibleInGroup();
}

void InteractiveItem::Notify(int code)
{
    if (m_hosting == Hosting::Part) {
        if (m_events)
            m_events(ItemEvent { Name(), Key(), code, {} });
        return;
    }
    SendItemEvent(code);
}

void InteractiveItem::Repaint()
{
    GetCanvas().Refresh(*this);
}
