#include "noteitems/MandelbrotPicture.h"

#include "items/DevicePixels.h"

#include "items/Canvas.h"
#include "noteitems/MandelbrotRender.h"
#include "noteitems/SelectionFrame.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TESSARY_HAS_AVX2_PATH 1
#endif

namespace {

const QString kShiftKey = QStringLiteral("Shift");
const QString kZoomRateKey = QStringLiteral("ZoomRate");
const QString kColorRateKey = QStringLiteral("ColorRate");
const QString kColorShiftKey = QStringLiteral("ColorShift");
const QString kInfinityColorKey = QStringLiteral("InfinityColor");
const QString kMinKey = QStringLiteral("Min");
const QString kMaxKey = QStringLiteral("Max");

constexpr int kWheelNotch = 120;
// More notches in one turn than this zoom no further.
constexpr int kMaxWheelNotches = 64;

QString ChannelsText(const MandelbrotPicture::Channels& channels)
{
    return QStringLiteral("%1,%2,%3,%4").arg(channels[0]).arg(channels[1]).arg(channels[2]).arg(channels[3]);
}

bool ReadChannels(const KeyValueStore& store, const QString& key, const MandelbrotPicture::Channels& defaults,
    MandelbrotPicture::Channels& channels)
{
    if (!store.Contains(key))
        return false;
    MandelbrotPicture::Channels read;
    for (int channel = 0; channel < 4; ++channel)
        read[channel] = store.GetListInt(key, channel, defaults[channel]);
    if (read == channels)
        return false;
    channels = read;
    return true;
}

void ColorizeRow(const std::uint8_t* row, quint32* line, int width, const quint32* table)
{
    for (int x = 0; x < width; ++x)
        line[x] = table[row[x]];
}

#ifdef TESSARY_HAS_AVX2_PATH
// The colour map computed for sixteen counts at a time, in 16-bit lanes: a channel is
// (k * rate + shift) mod 256, or the infinity colour's where k is outside [Min, Max). Only for
// maps whose every colour is opaque, so that no premultiplication is needed.
struct OpaqueMap {
    __m256i rate[4];
    __m256i shift[4];
    __m256i infinity[4];
    __m256i min;
    __m256i max_less_one;
};

__attribute__((target("avx2"))) void ColorizeRowAvx2(const std::uint8_t* row, quint32* line, int width,
    const MandelbrotPicture::Parameters& p, const quint32* table)
{
    OpaqueMap map;
    for (int channel = 0; channel < 4; ++channel) {
        map.rate[channel] = _mm256_set1_epi16(short(p.color_rate[channel]));
        map.shift[channel] = _mm256_set1_epi16(short(p.color_shift[channel]));
        map.infinity[channel] = _mm256_set1_epi16(short(p.infinity_color[channel]));
    }
    map.min = _mm256_set1_epi16(short(std::clamp(p.min, 0, 256)));
    map.max_less_one = _mm256_set1_epi16(short(std::clamp(p.max, 0, 256) - 1));
    const __m256i low_byte = _mm256_set1_epi16(0xFF);
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        const __m256i k = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x)));
        const __m256i outside = _mm256_or_si256(_mm256_cmpgt_epi16(map.min, k), _mm256_cmpgt_epi16(k, map.max_less_one));
        __m256i channels[4];
        for (int channel = 0; channel < 4; ++channel) {
            const __m256i mapped = _mm256_add_epi16(_mm256_mullo_epi16(k, map.rate[channel]), map.shift[channel]);
            channels[channel] = _mm256_blendv_epi8(mapped, map.infinity[channel], outside);
        }
        // Bytes in memory order B, G, R, A: words B | G << 8 and R | A << 8, then interleaved.
        const __m256i blue_green = _mm256_or_si256(_mm256_and_si256(channels[3], low_byte), _mm256_slli_epi16(channels[2], 8));
        const __m256i red_alpha = _mm256_or_si256(_mm256_and_si256(channels[1], low_byte), _mm256_slli_epi16(channels[0], 8));
        const __m256i low = _mm256_unpacklo_epi16(blue_green, red_alpha);
        const __m256i high = _mm256_unpackhi_epi16(blue_green, red_alpha);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(line + x), _mm256_permute2x128_si256(low, high, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(line + x + 8), _mm256_permute2x128_si256(low, high, 0x31));
    }
    ColorizeRow(row + x, line + x, width - x, table);
}
#endif

// A pixel size from a size in page units; 0 for anything that is not a usable number.
int PixelCount(float page_units)
{
    if (!(page_units >= 1) || page_units > float(MandelbrotPicture::kMaxPixels))
        return 0;
    return int(page_units);
}

}

bool MandelbrotPicture::Parameters::operator==(const Parameters& other) const
{
    // A NaN shift equals itself here, so that setting the same parameters again changes nothing.
    const auto same = [](long double a, long double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return same(zoom_rate, other.zoom_rate) && same(shift_x, other.shift_x) && same(shift_y, other.shift_y)
        && color_rate == other.color_rate && color_shift == other.color_shift
        && infinity_color == other.infinity_color && min == other.min && max == other.max;
}

MandelbrotPicture::MandelbrotPicture(Canvas& canvas, Item& host)
    : PlacedItem(canvas)
    , m_host(host)
{
}

MandelbrotPicture::~MandelbrotPicture() = default;

bool MandelbrotPicture::ReadSection(const KeyValueStore& store)
{
    // The view is read with every digit the note holds.
    bool changed = false;
    if (store.Contains(kShiftKey))
        changed |= SetShift(ToLongDouble(store.GetListText(kShiftKey, 0)), ToLongDouble(store.GetListText(kShiftKey, 1)));
    if (store.Contains(kZoomRateKey))
        changed |= SetZoomRate(ToLongDouble(store.GetText(kZoomRateKey)));
    Parameters colours = m_parameters;
    bool recolour = ReadChannels(store, kColorRateKey, kDefaultColorRate, colours.color_rate);
    recolour |= ReadChannels(store, kColorShiftKey, kDefaultColorShift, colours.color_shift);
    recolour |= ReadChannels(store, kInfinityColorKey, kDefaultInfinityColor, colours.infinity_color);
    if (store.Contains(kMinKey))
        colours.min = store.GetInt(kMinKey);
    if (store.Contains(kMaxKey))
        colours.max = store.GetInt(kMaxKey);
    changed |= recolour | SetParameters(colours);
    changed |= PlacedItem::ReadSection(store);
    return changed;
}

bool MandelbrotPicture::Save(QString& section, QString& options, SaveMode mode) const
{
    if (mode != SaveMode::Persistent)
        return false;
    const Parameters& p = m_parameters;
    section += u'[' + kSectionName.toString() + QStringLiteral("]\r\n");
    section += kShiftKey + u'=' + FormatExtended(p.shift_x) + u',' + FormatExtended(p.shift_y) + QStringLiteral("\r\n");
    section += kZoomRateKey + u'=' + FormatExtended(p.zoom_rate) + QStringLiteral("\r\n");
    section += kColorRateKey + u'=' + ChannelsText(p.color_rate) + QStringLiteral("\r\n");
    section += kColorShiftKey + u'=' + ChannelsText(p.color_shift) + QStringLiteral("\r\n");
    section += kInfinityColorKey + u'=' + ChannelsText(p.infinity_color) + QStringLiteral("\r\n");
    section += kMinKey + QStringLiteral("=%1\r\n").arg(p.min);
    section += kMaxKey + QStringLiteral("=%1\r\n").arg(p.max);
    return PlacedItem::Save(section, options, SaveMode::Plain);
}

bool MandelbrotPicture::SetParameters(const Parameters& parameters)
{
    if (parameters == m_parameters)
        return false;
    // A change of the view is seen by the next render, which computes the counts again.
    m_parameters = parameters;
    m_dirty = true;
    return true;
}

bool MandelbrotPicture::SetZoomRate(long double zoom_rate)
{
    if (!(zoom_rate >= kNarrowestZoomRate))
        return false;
    Parameters changed = m_parameters;
    changed.zoom_rate = std::min(zoom_rate, static_cast<long double>(kWidestZoomRate));
    return SetParameters(changed);
}

bool MandelbrotPicture::SetShift(long double x, long double y)
{
    Parameters changed = m_parameters;
    changed.shift_x = x;
    changed.shift_y = y;
    return SetParameters(changed);
}

bool MandelbrotPicture::SetColor(int table, int channel, int value)
{
    if (channel < 0 || channel > 3)
        return false;
    Parameters changed = m_parameters;
    Channels* channels[] = { &changed.color_rate, &changed.color_shift, &changed.infinity_color };
    if (table < 0 || table > 2)
        return false;
    (*channels[table])[channel] = value;
    return SetParameters(changed);
}

bool MandelbrotPicture::SetMin(int min)
{
    Parameters changed = m_parameters;
    changed.min = min;
    return SetParameters(changed);
}

bool MandelbrotPicture::SetMax(int max)
{
    Parameters changed = m_parameters;
    changed.max = max;
    return SetParameters(changed);
}

bool MandelbrotPicture::ResetView()
{
    Parameters changed = m_parameters;
    changed.zoom_rate = kWidestZoomRate;
    changed.shift_x = kDefaultShiftX;
    changed.shift_y = kDefaultShiftY;
    return SetParameters(changed);
}

bool MandelbrotPicture::ZoomToSelection(const Selection& selection)
{
    const long double x0 = selection.x0;
    const long double y0 = selection.y0;
    const long double left = selection.dx <= 0 ? x0 + selection.dx : x0;
    const long double top = selection.dy <= 0 ? y0 + selection.dy : y0;
    return ZoomToRectangle(left, top, std::abs(static_cast<long double>(selection.dx)));
}

// With h the old extent per pixel count and r the new one, the rectangle's corner in the
// complex plane, h * (W * shift + left), becomes the new top-left corner r * W * shift'. So
// shift' = (shift + left / W) * h / r, where h / r is the old zoom rate over the new one. In
// this order a wheel zoom (a power of two about the centre) is exact, however deep the view.
bool MandelbrotPicture::ZoomToRectangle(long double left, long double top, long double width)
{
    const long double item_width = m_host.Width();
    const long double item_height = m_host.Height();
    if (!(std::min(item_width, item_height) > 0))
        return false;
    const Parameters before = m_parameters;
    const long double zoom_rate = before.zoom_rate * (width / item_width);
    const long double widest = kWidestZoomRate;
    if (!(zoom_rate >= kNarrowestZoomRate) || std::min(zoom_rate, widest) == before.zoom_rate)
        return false;
    Parameters changed = before;
    changed.zoom_rate = std::min(zoom_rate, widest);
    const long double ratio = before.zoom_rate / changed.zoom_rate;
    changed.shift_x = (before.shift_x + left / item_width) * ratio;
    changed.shift_y = (before.shift_y + top / item_height) * ratio;
    if (!SetParameters(changed))
        return false;
    RepaintHost();
    return true;
}

bool MandelbrotPicture::WheelZoom(int wheel_delta)
{
    const int notches = wheel_delta / -kWheelNotch;
    // Less than a notch (a fine-grained wheel or a touchpad) does nothing, where the reset
    // below would throw the user's view away.
    if (notches == 0)
        return false;
    const long double factor = std::ldexp(1.0L, std::clamp(notches, -kMaxWheelNotches, kMaxWheelNotches));
    const long double width = m_host.Width();
    const long double height = m_host.Height();
    // The centred rectangle, kept exact (the page units of a float and a power of two fit).
    if (ZoomToRectangle(width / 2 - width / 2 * factor, height / 2 - height / 2 * factor, width * factor))
        return true;
    if (!ResetView())
        return false;
    RepaintHost();
    return true;
}

bool MandelbrotPicture::HandleMessage(const Message& message, QPointF page_point)
{
    const bool on_item = m_host.GetBounds().contains(page_point);
    switch (message.kind) {
    case MessageKind::LButtonDown:
        if (!message.shift || !on_item)
            return false;
        m_selecting = true;
        m_selection = { float(page_point.x() - m_host.Left()), float(page_point.y() - m_host.Top()), 0, 0 };
        return true;
    case MessageKind::MouseMove:
        if (!m_selecting || !on_item)
            return false;
        return HandleSelectionDrag(page_point);
    case MessageKind::LButtonUp:
        if (m_selecting) {
            m_selecting = false;
            const Selection selection = m_selection;
            m_selection = {};
            if (!ZoomToSelection(selection))
                RepaintHost(); // the rectangle goes away
        }
        return false;
    case MessageKind::MouseWheel:
        if (GetCanvas().ActiveItem() != &m_host)
            return false;
        WheelZoom(message.wheel_delta);
        return true;
    default:
        return false;
    }
}

bool MandelbrotPicture::HandleSelectionDrag(QPointF page_point)
{
    const double width = m_host.Width();
    double dx = page_point.x() - m_host.Left() - m_selection.x0;
    double dy = page_point.y() - m_host.Top() - m_selection.y0;
    // The rectangle keeps the item's aspect ratio and the length of the dragged diagonal.
    if (width != 0) {
        const double aspect = m_host.Height() / width;
        const double t = std::sqrt((dx * dx + dy * dy) / (aspect * aspect + 1));
        dx = std::copysign(t, dx);
        dy = std::copysign(aspect * t, dy);
    }
    m_selection.dx = float(dx);
    m_selection.dy = float(dy);
    RepaintHost();
    return true;
}

void MandelbrotPicture::RepaintHost()
{
    GetCanvas().Refresh(m_host);
}

quint32 MandelbrotPicture::ColorOf(int count) const
{
    return ColorOf(m_parameters, count);
}

quint32 MandelbrotPicture::ColorOf(const Parameters& p, int count)
{
    const Channels& infinity = p.infinity_color;
    unsigned channels[4];
    for (int channel = 0; channel < 4; ++channel) {
        if (count < p.min || count >= p.max)
            channels[channel] = unsigned(infinity[channel]) & 0xFF;
        else
            channels[channel] = (unsigned(count) * unsigned(p.color_rate[channel]) + unsigned(p.color_shift[channel])) & 0xFF;
    }
    return (channels[0] << 24) | (channels[1] << 16) | (channels[2] << 8) | channels[3];
}

std::array<quint32, 256> MandelbrotPicture::ColorTable(const Parameters& colours)
{
    std::array<quint32, 256> table {};
    for (int count = 0; count < 256; ++count)
        table[count] = qPremultiply(ColorOf(colours, count));
    return table;
}

void MandelbrotPicture::Colorize(const std::uint8_t* counts, QImage& bitmap, const Parameters& colours)
{
    ColorizeRows(counts, bitmap, colours, 0, bitmap.height() - 1, false);
}

void MandelbrotPicture::ColorizeRows(
    const std::uint8_t* counts, QImage& bitmap, const Parameters& colours, int first, int last, bool unknown_clear)
{
    std::array<quint32, 256> table = ColorTable(colours);
    const int width = bitmap.width();
    first = std::max(first, 0);
    last = std::min(last, bitmap.height() - 1);
#ifdef TESSARY_HAS_AVX2_PATH
    // The arithmetic gives count 0 a colour like any other: not while it stands for unknown.
    const bool opaque = std::all_of(table.begin(), table.end(), [](quint32 argb) { return qAlpha(argb) == 255; });
    if (opaque && !unknown_clear && MandelbrotEscape::VectorPathAvailable()) {
        for (int y = first; y <= last; ++y) {
            ColorizeRowAvx2(counts + std::size_t(y) * width, reinterpret_cast<quint32*>(bitmap.scanLine(y)), width,
                colours, table.data());
        }
        return;
    }
#endif
    if (unknown_clear)
        table[MandelbrotCounts::kUnknown] = 0;
    for (int y = first; y <= last; ++y)
        ColorizeRow(counts + std::size_t(y) * width, reinterpret_cast<quint32*>(bitmap.scanLine(y)), width, table.data());
}

double MandelbrotPicture::DeviceScale() const
{
    const Canvas& canvas = GetCanvas();
    const double ratio = canvas.HasBackBuffer() ? canvas.BackBuffer().devicePixelRatio() : 1.0;
    return canvas.EffectiveScale() * ratio;
}

QSize MandelbrotPicture::PixelSize() const
{
    // Reduced on the screen, the set is computed at the screen's own resolution (device
    // pixels, also on a screen of several device pixels per logical one).
    const double device_scale = DeviceScale();
    const double factor = device_scale < 1 ? device_scale : 1;
    const int width = PixelCount(float(Width() * factor));
    const int height = PixelCount(float(Height() * factor));
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || qint64(width) * height > kMaxPixels)
        return {};
    return QSize(width, height);
}

MandelbrotView MandelbrotPicture::CurrentView(QSize pixels) const
{
    return { m_parameters.zoom_rate, m_parameters.shift_x, m_parameters.shift_y, pixels.width(), pixels.height() };
}

void MandelbrotPicture::ComputeCounts(const MandelbrotView& view, std::uint8_t* counts)
{
    MandelbrotRender::Compute(view, counts);
}

bool MandelbrotPicture::IsProgressive() const
{
    return GetCanvas().Host() != nullptr;
}

void MandelbrotPicture::Render()
{
    const QSize pixels = PixelSize();
    m_unscaled = DeviceScale() < 1;
    if (pixels.isEmpty()) {
        m_bitmap = QImage();
        m_counts.Clear();
        return;
    }
    if (m_bitmap.size() != pixels) {
        m_bitmap = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_dirty = true;
    }
    if (m_bitmap.isNull() || !BringCountsToView(CurrentView(pixels))) {
        // As when the bitmap cannot be made: nothing is drawn, the next draw tries again.
        m_bitmap = QImage();
        m_counts.Clear();
        return;
    }
    if (m_dirty)
        ColourRows(0, pixels.height() - 1);
    m_dirty = false;
}

// False when memory ran out.
bool MandelbrotPicture::BringCountsToView(const MandelbrotView& view)
{
    try {
        if (!m_counts.Shows(view)) {
            if (IsProgressive())
                m_counts.Begin(view, [this] { RowsFinished(); });
            else
                m_counts.Compute(view);
            m_dirty = true;
        } else if (m_counts.IsRendering() && !IsProgressive()) {
            m_counts.Finish();
            m_dirty = true;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void MandelbrotPicture::ColourRows(int first, int last)
{
    ColorizeRows(m_counts.Data(), m_bitmap, m_parameters, first, last, m_counts.IsRendering());
}

void MandelbrotPicture::RowsFinished()
{
    const MandelbrotRender::Progress progress = m_counts.TakeFinishedRows();
    if (!progress.HasRows())
        return;
    // A bitmap that is to be coloured anew, or of another size, is coloured by the next draw.
    const MandelbrotView& view = m_counts.View();
    if (!m_dirty && m_bitmap.width() == view.width && m_bitmap.height() == view.height)
        ColorizeRows(m_counts.Data(), m_bitmap, m_parameters, progress.first, progress.last, false);
    RepaintRows(progress.first, progress.last);
}

// Repaints the band of the item that shows the rows, with a row to spare on either side for
// the device pixels that the scaled or unscaled bitmap puts there.
void MandelbrotPicture::RepaintRows(int first, int last)
{
    const QRectF bounds = m_host.GetBounds();
    const double row_height = bounds.height() / std::max(m_counts.View().height, 1);
    const QRectF band(
        bounds.left(), bounds.top() + (first - 1) * row_height, bounds.width(), (last - first + 3) * row_height);
    Canvas& canvas = GetCanvas();
    if (canvas.RenderItems(band & bounds, OpaqueShortcut::On))
        canvas.Present(PresentScope::Dirty, UpdateTiming::Later);
}

bool MandelbrotPicture::Draw(QPainter& painter, const QRectF& clip)
{
    Render();
    bool drawn = DrawBitmap(painter);
    if (m_selecting) {
        const Selection& s = m_selection;
        const QRectF bounds = m_host.GetBounds();
        QPainterPath area;
        area.addRect(QRectF(bounds.left() + std::min(s.x0, s.x0 + s.dx), bounds.top() + std::min(s.y0, s.y0 + s.dy),
            std::abs(s.dx), std::abs(s.dy)));
        SelectionFrame::DrawHatch(painter, area);
        drawn = true;
    }
    return drawn;
}

bool MandelbrotPicture::DrawBitmap(QPainter& painter) const
{
    const QRectF bounds = m_host.GetBounds();
    if (m_bitmap.isNull())
        return false;
    if (!m_unscaled) {
        painter.drawImage(bounds, m_bitmap);
        return true;
    }
    // Unscaled, in device pixels, from the first device pixel the canvas counts as covered by
    // the item, so that no column is cut off or left unpainted.
    const double ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const QRectF device_bounds = QTransform::fromScale(ratio, ratio).mapRect(painter.worldTransform().mapRect(bounds));
    const QPoint corner = DevicePixels::Covered(device_bounds).topLeft();
    painter.save();
    painter.setTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    painter.drawImage(QPointF(corner), m_bitmap);
    painter.restore();
    return true;
}
