#pragma once

#include "items/OffscreenCanvas.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// Checks that repainting only what changed, with the opaque shortcut, gives the same pixels as
// painting everything afresh without it: an opaque item that leaves a pixel of its counted
// coverage unpainted shows there as a stale or black pixel.
namespace RepaintCheck {

// How a canvas shows its page: the back buffer's logical size, its device pixel ratio and the
// zoom. The canvas's fixed layout size is the page the back buffer shows.
struct View {
    qreal ratio { 1 };
    float zoom { 1 };
    QSize size { 160, 120 };
};

inline std::string Describe(const View& view)
{
    std::ostringstream out;
    out << "ratio " << view.ratio << ", zoom " << view.zoom;
    return out.str();
}

using Scene = std::function<void(Canvas&)>;

inline void Show(Canvas& canvas, const View& view)
{
    canvas.SetZoom(view.zoom);
    canvas.SetLayoutSize(view.size.width() / view.zoom, view.size.height() / view.zoom);
}

// The pixels of the scene after the change, painted once whole without the shortcut.
inline QImage Fresh(const View& view, const Scene& build, const Scene& change)
{
    OffscreenCanvas offscreen(view.size, CanvasKind::Page, view.ratio);
    Show(offscreen.GetCanvas(), view);
    build(offscreen.GetCanvas());
    change(offscreen.GetCanvas());
    return offscreen.Render(OpaqueShortcut::Off);
}

// The pixels of the scene painted whole, changed, and then repainted over the bounds that
// the changed items had before and have after the change, with the shortcut, as the program
// repaints after an edit.
inline QImage Repainted(const View& view, const Scene& build, const Scene& change)
{
    OffscreenCanvas offscreen(view.size, CanvasKind::Page, view.ratio);
    Canvas& canvas = offscreen.GetCanvas();
    Show(canvas, view);
    build(canvas);
    offscreen.Render(OpaqueShortcut::On);
    std::vector<QRectF> before;
    for (const auto& item : canvas.Items())
        before.push_back(item->GetBounds());
    change(canvas);
    QRectF changed;
    for (int index = 0; index < canvas.ItemCount() && index < int(before.size()); ++index) {
        const QRectF after = canvas.ItemAt(index)->GetBounds();
        if (after != before[size_t(index)])
            changed |= before[size_t(index)] | after;
    }
    if (changed.isEmpty())
        changed = canvas.VisibleArea();
    canvas.RenderItems(changed, OpaqueShortcut::On);
    return canvas.BackBuffer();
}

// The first pixel at which two pictures differ by more than tolerance in a channel; empty
// when none does.
inline std::string FirstDifference(const QImage& actual, const QImage& expected, int tolerance = 2)
{
    if (actual.size() != expected.size())
        return "sizes differ";
    for (int y = 0; y < actual.height(); ++y) {
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            if (std::abs(qRed(a) - qRed(e)) > tolerance || std::abs(qGreen(a) - qGreen(e)) > tolerance
                || std::abs(qBlue(a) - qBlue(e)) > tolerance || std::abs(qAlpha(a) - qAlpha(e)) > tolerance) {
                std::ostringstream out;
                out << "pixel (" << x << "," << y << ") is " << std::hex << a << ", a full repaint gives " << e;
                return out.str();
            }
        }
    }
    return {};
}

// The page's back buffer, as the window shows it, against the page painted afresh whole
// without the opaque shortcut; leaves the fresh painting in the back buffer.
inline std::string StaleBackBufferPixels(Canvas& page)
{
    const QImage shown = page.BackBuffer().copy();
    page.RenderVisibleArea(OpaqueShortcut::Off);
    return FirstDifference(shown, page.BackBuffer());
}

// An image whose colour changes from pixel to pixel, so that a copy shifted or stretched by a
// pixel shows.
inline QImage VariedImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, 90));
    return image;
}

// The views every repaint check covers: zoom 0.5 (the page's default), 0.75 and 1 at pixel
// ratios 1, 1.5 and 2.
inline std::vector<View> Views()
{
    std::vector<View> views;
    for (qreal ratio : { 1.0, 1.5, 2.0 })
        for (float zoom : { 0.5f, 0.75f, 1.0f })
            views.push_back(View { ratio, zoom });
    return views;
}

// Checks a scene and a change under every view; returns the failures, one line each.
inline std::string CheckAllViews(const Scene& build, const Scene& change)
{
    std::string failures;
    for (const View& view : Views()) {
        const std::string difference = FirstDifference(Repainted(view, build, change), Fresh(view, build, change));
        if (!difference.empty())
            failures += Describe(view) + ": " + difference + "\n";
    }
    return failures;
}

}
