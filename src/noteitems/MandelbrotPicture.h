#pragma once

#include "items/PlacedItem.h"
#include "noteitems/MandelbrotEscape.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The picture of the Mandelbrot set inside a Mandelbrot item: the view, the colour map, the
// escape counts of the last render and the coloured bitmap. Its anchors are set by the item
// that embeds it (its host) before every draw.
//
// Counts are computed by two render workers together with the user-interface thread, which is
// blocked until they are done (MandelbrotRender). A colour change recolours the stored counts
// without iterating again.
class MandelbrotPicture : public PlacedItem {
public:
    static constexpr QStringView kSectionName = u"Mandelbrot";
    static constexpr double kWidestZoomRate = 3.0;
    static constexpr double kNarrowestZoomRate = 2.2250738585072014e-308;
    static constexpr double kDefaultShiftX = -0.6666666666666666;
    static constexpr double kDefaultShiftY = -0.5;
    // A bitmap beyond this many pixels, or this many on a side, is not made (as when the
    // system cannot make it).
    static constexpr qint64 kMaxPixels = qint64(1) << 26;
    static constexpr int kMaxSide = 1 << 15;

    // Channels in the order of the section values: A, R, G, B.
    using Channels = std::array<int, 4>;
    static constexpr Channels kDefaultColorRate { 0, 1, 2, 4 };
    static constexpr Channels kDefaultColorShift { 255, 0, 0, 0 };
    static constexpr Channels kDefaultInfinityColor { 255, 0, 0, 0 };

    // Everything a properties dialog may change and its Cancel puts back.
    struct Parameters {
        double zoom_rate { kWidestZoomRate };
        double shift_x { kDefaultShiftX };
        double shift_y { kDefaultShiftY };
        Channels color_rate { kDefaultColorRate };
        Channels color_shift { kDefaultColorShift };
        Channels infinity_color { kDefaultInfinityColor };
        int min { 0 };
        int max { 255 };
        bool operator==(const Parameters&) const;
    };

    // The zoom rectangle relative to the item's top-left corner, in page units: a corner and
    // the drag from it, which may be negative.
    struct Selection {
        float x0 { 0 };
        float y0 { 0 };
        float dx { 0 };
        float dy { 0 };
        bool operator==(const Selection&) const = default;
    };

    MandelbrotPicture(Canvas& canvas, Item& host);
    ~MandelbrotPicture() override;

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    // The section's own lines, then the picture's common part.
    bool Save(QString& section, QString& options, SaveMode mode) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;

    const Parameters& GetParameters() const { return m_parameters; }
    // Sets every parameter; a change of the view empties the counts. Returns whether anything
    // changed.
    bool SetParameters(const Parameters& parameters);
    // Values above the widest view become it; values below the narrowest, and NaN, are refused.
    bool SetZoomRate(double zoom_rate);
    bool SetShift(double x, double y);
    bool SetColor(int table, int channel, int value);
    bool SetMin(int min);
    bool SetMax(int max);
    // The widest view at the default place; the colours stay.
    bool ResetView();

    // Zooms to the selection rectangle (page units relative to the item's top-left corner).
    // False when the zoom rate would be refused or nothing changes.
    bool ZoomToSelection(const Selection& selection);
    // Wheel notches: a notch away from the user halves the view, toward the user doubles it;
    // a view that cannot be had resets to the widest one.
    bool WheelZoom(int wheel_delta);

    bool IsSelecting() const { return m_selecting; }
    const Selection& GetSelection() const { return m_selection; }

    // The colour of a count under the current map, as ARGB.
    quint32 ColorOf(int count) const;
    static quint32 ColorOf(const Parameters& colours, int count);

    // Brings the counts and the bitmap up to date for the canvas's current scale.
    void Render();
    // The coloured picture of the last render (ARGB, premultiplied).
    const QImage& Bitmap() const { return m_bitmap; }
    bool HasCounts() const { return !m_counts.empty(); }
    std::uint8_t CountAt(int x, int y) const;
    // How many times counts were computed; colour changes leave it alone.
    int RenderCount() const { return m_render_count; }
    bool IsDirty() const { return m_dirty; }
    // The pixel size a render makes for the canvas's current scale; empty when none.
    QSize PixelSize() const;
    // Device pixels per page unit on the canvas's back buffer.
    double DeviceScale() const;

    // Computes the counts of a view with the render workers (MandelbrotRender).
    static void ComputeCounts(const MandelbrotView& view, std::uint8_t* counts);
    // Colours counts into a premultiplied bitmap of the same size.
    static void Colorize(const std::uint8_t* counts, QImage& bitmap, const Parameters& colours);
    // The premultiplied colour of every count.
    static std::array<quint32, 256> ColorTable(const Parameters& colours);

private:
    bool HandleSelectionDrag(QPointF page_point);
    MandelbrotView CurrentView(QSize pixels) const;
    void EmptyCounts();
    void RepaintHost();

    Item& m_host;
    Parameters m_parameters;
    std::vector<std::uint8_t> m_counts; // rows of Width bytes; empty: compute again
    QImage m_bitmap;
    // The device-sized copy drawn without scaling while the page is shown reduced.
    QImage m_cached_bitmap;
    bool m_dirty { true };
    bool m_selecting { false };
    Selection m_selection;
    int m_render_count { 0 };
};
