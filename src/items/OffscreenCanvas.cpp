#include "items/OffscreenCanvas.h"

OffscreenCanvas::OffscreenCanvas(QSize size, CanvasKind kind)
    : m_canvas(kind)
{
    if (size.width() > 0 && size.height() > 0)
        m_canvas.ResizeBackBuffer(size.width(), size.height());
}

QImage OffscreenCanvas::Render(OpaqueShortcut shortcut)
{
    if (!m_canvas.RenderVisibleArea(shortcut))
        return QImage();
    return m_canvas.BackBuffer();
}
