#include "app/PageCanvasWidget.h"

#include "items/Canvas.h"
#include "platform/Message.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

namespace {

// View pixels a line of the wheel moves the page.
constexpr double kWheelLinePixels = 20;

}

PageCanvasWidget::PageCanvasWidget(QWidget* parent)
    : CanvasWidget(CanvasKind::Page, parent)
{
    // The page never waits for its pictures: they are drawn as their pixels arrive.
    GetCanvas().SetPictureDecoding(PictureDecoding::Background);
}

void PageCanvasWidget::resizeEvent(QResizeEvent* event)
{
    CanvasWidget::resizeEvent(event);
    emit Resized();
}

bool PageCanvasWidget::SetColourKey(std::optional<quint32> key)
{
    if (key == m_colour_key)
        return false;
    m_colour_key = key;
    update();
    return true;
}

QImage PageCanvasWidget::KeyedOut(const QImage& image, quint32 key)
{
    QImage keyed = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb opaque_key = 0xFF000000u | (key & 0xFFFFFFu);
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x)
            if (line[x] == opaque_key)
                line[x] = 0;
    }
    return keyed;
}

void PageCanvasWidget::paintEvent(QPaintEvent* event)
{
    const Canvas& canvas = GetCanvas();
    if (!m_colour_key || !canvas.HasBackBuffer()) {
        CanvasWidget::paintEvent(event);
        return;
    }
    // The window is translucent: what is painted replaces what was there, and pixels of the
    // colour key let the desktop show through.
    const QImage& buffer = canvas.BackBuffer();
    const qreal ratio = buffer.devicePixelRatio();
    const QRect area = event->rect();
    const QRect source(QPointF(area.topLeft() * ratio).toPoint(), QSizeF(area.size() * ratio).toSize());
    QImage part = KeyedOut(buffer.copy(source), *m_colour_key);
    part.setDevicePixelRatio(ratio);
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(area.topLeft(), part);
}

double PageCanvasWidget::WheelScrollPixels(int wheel_delta)
{
    return wheel_delta / 120.0 * QApplication::wheelScrollLines() * kWheelLinePixels;
}

void PageCanvasWidget::HoldPanKey()
{
    if (m_pan_key_held)
        return;
    m_pan_key_held = true;
    m_panned_with_key = false;
    if (!IsPanning())
        setCursor(Qt::OpenHandCursor);
}

bool PageCanvasWidget::ReleasePanKey()
{
    if (!m_pan_key_held)
        return false;
    m_pan_key_held = false;
    if (!IsPanning())
        setCursor(Qt::ArrowCursor);
    return m_panned_with_key;
}

void PageCanvasWidget::BeginPan(const Message& message, MessageKind end)
{
    m_pan_end = end;
    m_pan_last = message.position;
    setCursor(Qt::ClosedHandCursor);
}

bool PageCanvasWidget::PanStep(const Message& message)
{
    if (message.kind == MessageKind::MouseMove) {
        const QPoint delta = message.position - m_pan_last;
        m_pan_last = message.position;
        if (!delta.isNull())
            emit ScrollRequested(QPointF(delta));
    } else if (message.kind == m_pan_end) {
        m_pan_end.reset();
        setCursor(m_pan_key_held ? Qt::OpenHandCursor : Qt::ArrowCursor);
    }
    // Nothing else reaches the items while the page moves.
    return message.kind != MessageKind::KillFocus && message.kind != MessageKind::SetFocus;
}

// While Space is held the pointer belongs to the page: the left button drags it, and the
// items see neither moves nor clicks.
bool PageCanvasWidget::PanKeyMessage(const Message& message)
{
    switch (message.kind) {
    case MessageKind::LButtonDown:
        m_panned_with_key = true;
        BeginPan(message, MessageKind::LButtonUp);
        return true;
    case MessageKind::MouseMove:
    case MessageKind::LButtonDblClk:
    case MessageKind::LButtonUp:
        return true;
    default:
        return false;
    }
}

bool PageCanvasWidget::DeliverMessage(const Message& message)
{
    ++m_delivering;
    const bool consumed = Deliver(message);
    if (--m_delivering == 0)
        emit MessageHandled(message.kind);
    return consumed;
}

// The page's own moves first, then the items, then what the page does with what they left.
bool PageCanvasWidget::Deliver(const Message& message)
{
    if (IsPanning())
        return PanStep(message);
    if (m_pan_key_held && PanKeyMessage(message))
        return true;
    const bool consumed = !m_input_blocked && CanvasWidget::DeliverMessage(message);
    return consumed || Unused(message);
}

// What the page itself does with what no item took.
bool PageCanvasWidget::Unused(const Message& message)
{
    switch (message.kind) {
    case MessageKind::RButtonUp:
        if (rect().contains(message.position))
            emit ContextMenuRequested(message.position);
        return false;
    case MessageKind::MButtonDown:
        BeginPan(message, MessageKind::MButtonUp);
        return true;
    case MessageKind::MouseWheel:
        if (message.ctrl || message.shift || message.wheel_delta == 0)
            return false;
        emit ScrollRequested(QPointF(0, WheelScrollPixels(message.wheel_delta)));
        return true;
    default:
        return false;
    }
}
