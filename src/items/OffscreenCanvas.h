#pragma once

#include "items/Canvas.h"

#include <QImage>
#include <QSize>

// A window-less canvas with a back buffer of a fixed size, for exporting a page or an item as
// a picture. Items are added to GetCanvas() as to any canvas; Render paints them all.
class OffscreenCanvas {
public:
    // A size with a side of 0 or less leaves the canvas without a back buffer. The size is in
    // logical pixels; the picture holds size x device_pixel_ratio pixels, as a window's back
    // buffer on a high-density screen does.
    explicit OffscreenCanvas(QSize size, CanvasKind kind = CanvasKind::Page, qreal device_pixel_ratio = 1.0);

    bool IsValid() const { return m_canvas.HasBackBuffer(); }
    Canvas& GetCanvas() { return m_canvas; }
    // Renders every item over the whole picture and returns it (null when not valid).
    QImage Render(OpaqueShortcut shortcut = OpaqueShortcut::On);

private:
    Canvas m_canvas;
};
