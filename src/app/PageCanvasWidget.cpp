#include "app/PageCanvasWidget.h"

#include "items/Canvas.h"
#include "platform/Message.h"

#include <QPaintEvent>
#include <QPainter>

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

bool PageCanvasWidget::DeliverMessage(const Message& message)
{
    ++m_delivering;
    const bool consumed = !m_input_blocked && CanvasWidget::DeliverMessage(message);
    if (!consumed && message.kind == MessageKind::RButtonUp && rect().contains(message.position))
        emit ContextMenuRequested(message.position);
    if (--m_delivering == 0)
        emit MessageHandled(message.kind);
    return consumed;
}
