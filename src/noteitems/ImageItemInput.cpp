#include "noteitems/ImageItemInput.h"

#include "items/Canvas.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ImageItemDrag.h"
#include "platform/Message.h"

ImageItemInput::ImageItemInput(ImageItem& item, ImageItemDrag& drag)
    : m_item(item)
    , m_drag(drag)
{
}

bool ImageItemInput::IsActive() const
{
    return m_item.GetCanvas().ActiveItem() == &m_item;
}

bool ImageItemInput::Handle(const Message& message, QPointF page_point)
{
    switch (message.kind) {
    case MessageKind::KeyDown:
        return KeyDown(message);
    case MessageKind::KeyUp:
        return m_drag.KeyUp();
    case MessageKind::MouseMove:
        return m_drag.Move(page_point, message);
    case MessageKind::LButtonDown:
    case MessageKind::MButtonDown:
        return m_drag.Press(page_point, message);
    case MessageKind::LButtonUp:
    case MessageKind::MButtonUp:
        return m_drag.Release();
    case MessageKind::LButtonDblClk:
        return m_item.GetBounds().contains(page_point) && DoubleClick(page_point);
    case MessageKind::RButtonDown:
        return RightPress(page_point);
    case MessageKind::RButtonUp:
        return RightRelease(message, page_point);
    case MessageKind::MouseWheel:
        return Wheel(message);
    default:
        return false;
    }
}

bool ImageItemInput::KeyDown(const Message& message)
{
    if (!IsActive())
        return false;
    switch (message.key) {
    case Key::Left:
        m_item.PreviousImage(1);
        break;
    case Key::Right:
        m_item.NextImage(1);
        break;
    case Key::Delete:
        m_item.RemoveFromPage();
        break;
    case Key::R:
    case Key::L: {
        const QRectF before = m_item.PictureRect();
        // A failed turn has taken the item off the page.
        if (message.key == Key::R ? m_item.RotateRight() : m_item.RotateLeft())
            m_item.Repaint(before.united(m_item.PictureRect()));
        break;
    }
    default:
        break;
    }
    return true;
}

bool ImageItemInput::DoubleClick(QPointF point)
{
    const QRectF before = m_item.PictureRect();
    m_item.SetFitMode(!m_item.FitMode());
    if (m_item.FitMode()) {
        // A failed fit leaves fit mode on and paints nothing.
        if (!m_item.FitToPage())
            return false;
    } else {
        // The image at its own size, centred under the pointer.
        m_item.SetZoom(1);
        m_item.SetAnchor(Item::kLeft, u'L' + QString::number(int(point.x() - m_item.Width() * 0.5)));
        m_item.SetAnchor(Item::kTop, u'T' + QString::number(int(point.y() - m_item.Height() * 0.5)));
        m_item.PrefetchPixels();
    }
    m_item.Repaint(before.united(m_item.PictureRect()));
    m_item.SendItemEvent(ItemEvent::kChangeFinished);
    return true;
}

bool ImageItemInput::RightPress(QPointF point)
{
    if (!m_item.GetBounds().contains(point)) {
        const bool was_active = IsActive();
        m_item.SendItemEvent(ItemEvent::kDropFocus);
        if (was_active)
            m_item.Repaint(m_item.GetBounds());
        return false;
    }
    m_item.GetCanvas().BringToFront(&m_item);
    m_item.SendItemEvent(ItemEvent::kTakeFocus);
    m_item.Repaint(m_item.GetBounds());
    return true;
}

bool ImageItemInput::RightRelease(const Message& message, QPointF point)
{
    if (message.ctrl || !m_item.GetBounds().contains(point))
        return false;
    m_drag.Abandon();
    m_item.ShowContextMenu(message);
    return true;
}

bool ImageItemInput::Wheel(const Message& message)
{
    if (!IsActive())
        return false;
    // Each notch more steps further: n notches step n squared images.
    const int notches = message.wheel_delta / 120;
    if (notches > 0)
        m_item.PreviousImage(notches * notches);
    else if (notches < 0)
        m_item.NextImage(notches * notches);
    return true;
}
