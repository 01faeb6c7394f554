#include "app/BarBoxFocus.h"

#include "app/CanvasWidget.h"
#include "items/Canvas.h"

BarBoxFocus::BarBoxFocus(CanvasWidget& tool_bar, CanvasWidget& page_bar, QWidget& page)
    : m_boxes {
        { &page_bar, QStringLiteral("ThisPage") },
        { &page_bar, QStringLiteral("ViewerWidth") },
        { &page_bar, QStringLiteral("ViewerHeight") },
        { &page_bar, QStringLiteral("Zoom") },
        { &page_bar, QStringLiteral("Dpi") },
        { &tool_bar, QStringLiteral("GridSize") },
    }
    , m_page(page)
{
}

Item* BarBoxFocus::ItemOf(const Box& box) const
{
    return box.bar->GetCanvas().FindItem(box.name);
}

// The bars have no height in full screen.
bool BarBoxFocus::IsShown(const Box& box)
{
    return box.bar->isVisible() && box.bar->height() > 0;
}

int BarBoxFocus::Current() const
{
    for (size_t index = 0; index < m_boxes.size(); ++index) {
        QString editing;
        const Item* item = ItemOf(m_boxes[index]);
        if (item && item->GetProperty(QStringLiteral("Editing"), editing) && editing == QLatin1String("true"))
            return int(index);
    }
    return -1;
}

void BarBoxFocus::Move(int direction)
{
    const int count = int(m_boxes.size());
    const int current = Current();
    int next = current < 0 ? (direction > 0 ? 0 : count - 1) : current;
    if (current >= 0) {
        if (Item* item = ItemOf(m_boxes[size_t(current)]))
            item->LoseFocus(FocusEnd::Commit);
        next = (current + (direction > 0 ? 1 : count - 1)) % count;
    }
    const Box& box = m_boxes[size_t(next)];
    Item* item = ItemOf(box);
    if (!item || !IsShown(box) || !item->IsShown())
        return;
    item->TakeFocus();
}

void BarBoxFocus::Leave()
{
    const int current = Current();
    if (current >= 0) {
        if (Item* item = ItemOf(m_boxes[size_t(current)]))
            item->LoseFocus(FocusEnd::Cancel);
    }
    m_page.setFocus(Qt::OtherFocusReason);
}
