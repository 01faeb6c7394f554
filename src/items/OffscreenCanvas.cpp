#include "items/OffscreenCanvas.h"

OffscreenCanvas::OffscreenCanvas(QSize size, CanvasKind kind, qreal device_pixel_ratio)
    : m_canvas(kind)
{
    if (size.width() > 0 && size.height() > 0)
        m_canvas.ResizeBackBuffer(size.width(), size.height(), device_pixel_ratio);
}

QImage OffscreenCanvas::Render(OpaqueShortcut shortcut)
{
    if (!m_canvas.RenderVisibleArea(shortcut))
        return QImage();
    return m_canvas.BackBuffer();
}
