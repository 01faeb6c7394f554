#pragma once

#include "document/NoteSchema.h"
#include "items/PlacedItem.h"
#include "noteitems/MandelbrotCounts.h"
#include "noteitems/MandelbrotEscape.h"

#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

// The picture of the Mandelbrot set inside a Mandelbrot item: the view, the colour map, the
// escape counts of the last render and the coloured bitmap. Its anchors are set by the item
// that embeds it (its host) before every draw.
//
// In a window the counts are computed by the render workers while the window goes on: the old
// picture stays, carried over to the new view, and rows appear as they are finished
// (MandelbrotCounts). A canvas without a window (an export) waits for the whole picture. A
// colour change recolours the stored counts without iterating again.
class MandelbrotPicture : public PlacedItem {
public:
    static constexpr QStringView kSectionName = NoteSchema::kMandelbrotSection;
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

    // Everything a properties dialog may change and its Cancel puts back. The view is kept in
    // extended precision; the defaults are the double values that notes have always held.
    struct Parameters {
        long double zoom_rate { kWidestZoomRate };
        long double shift_x { kDefaultShiftX };
        long double shift_y { kDefaultShiftY };
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
    bool SetZoomRate(long double zoom_rate);
    bool SetShift(long double x, long double y);
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

    // Brings the counts and the bitmap up to date for the canvas's current scale: in a window
    // it starts the render of a new view and returns, elsewhere it returns with every count.
    void Render();
    // The coloured picture shown (ARGB, premultiplied); pixels whose count is not known yet
    // are transparent.
    const QImage& Bitmap() const { return m_bitmap; }
    const MandelbrotCounts& Counts() const { return m_counts; }
    std::uint8_t CountAt(int x, int y) const { return m_counts.At(x, y); }
    bool IsRendering() const { return m_counts.IsRendering(); }
    // How many times counts were computed; colour changes leave it alone.
    int RenderCount() const { return m_counts.CompletedRenders(); }
    bool IsDirty() const { return m_dirty; }
    // The pixel size a render makes for the canvas's current scale; empty when none.
    QSize PixelSize() const;
    // Device pixels per page unit on the canvas's back buffer.
    double DeviceScale() const;

    // Computes the counts of a view with the render workers (MandelbrotRender).
    static void ComputeCounts(const MandelbrotView& view, std::uint8_t* counts);
    // Colours counts into a premultiplied bitmap of the same size.
    static void Colorize(const std::uint8_t* counts, QImage& bitmap, const Parameters& colours);
    // Colours rows first to last; with `unknown_clear`, count 0 (not known yet) is transparent.
    static void ColorizeRows(const std::uint8_t* counts, QImage& bitmap, const Parameters& colours, int first, int last,
        bool unknown_clear);
    // The premultiplied colour of every count.
    static std::array<quint32, 256> ColorTable(const Parameters& colours);

private:
    bool HandleSelectionDrag(QPointF page_point);
    // Zooms to the rectangle of the item's shape at (left, top), `width` wide, in page units
    // relative to the item's top-left corner.
    bool ZoomToRectangle(long double left, long double top, long double width);
    MandelbrotView CurrentView(QSize pixels) const;
    // Whether the canvas is a window's, which must never wait for a render.
    bool IsProgressive() const;
    bool BringCountsToView(const MandelbrotView& view);
    void ColourRows(int first, int last);
    // The render's notice: takes its finished rows, colours and repaints them.
    void RowsFinished();
    void RepaintRows(int first, int last);
    bool DrawBitmap(QPainter& painter) const;
    void RepaintHost();

    Item& m_host;
    Parameters m_parameters;
    MandelbrotCounts m_counts;
    QImage m_bitmap;
    // Drawn without scaling, in device pixels, while the page is shown reduced.
    bool m_unscaled { false };
    bool m_dirty { true }; // the bitmap must be coloured again from the counts
    bool m_selecting { false };
    Selection m_selection;
};
