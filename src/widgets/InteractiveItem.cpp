#include "widgets/InteractiveItem.h"

#include "items/Canvas.h"

InteractiveItem::InteractiveItem(Canvas& canvas, Hosting hosting)
    : PlacedItem(canvas)
    , m_hosting(hosting)
{
    if (hosting == Hosting::Canvas)
        canvas.AddInputItem(this);
}

void InteractiveItem::SetOwner(const Item* owner, EventOwner events)
{
    m_owner = owner;
    m_events = std::move(events);
}

bool InteractiveItem::IsShownWithOwner() const
{
    return IsEnabled() && IsVisibleInGroup() && (!m_owner || m_owner->IsEnabled());
}

bool InteractiveItem::IsVisibleInGroup() const
{
    const QString& group = GetCanvas().CurrentGroup();
    if (!IsVisible() || !IsInGroup(group))
        return false;
    return !m_owner || (m_owner->IsVisible() && m_owner->IsInGroup(group));
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
