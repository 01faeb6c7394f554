#include "items/Picture.h"

#include "items/DevicePixels.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace {

// Device-size caches larger than this on a side are not worth their memory; such pictures
// are drawn directly.
constexpr double kMaxCacheSide = 16384;

// What stands for a picture whose pixels are on their way: a flat, light grey where the
// picture is opaque (so it covers what lies below, as the picture will), a faint veil where
// it may be transparent.
const QColor kPlaceholder(226, 226, 226);
const QColor kTranslucentPlaceholder(128, 128, 128, 40);

// How many sizes of decodes a picture keeps waiting for: the one it is drawn at and those it
// asked for ahead (a scaling drag).
constexpr size_t kTicketsKept = 3;

bool IsFinite(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width()) && std::isfinite(rect.height());
}

// The size to decode an image of natural_size so that it fits in limit, or an invalid size
// when it fits already.
QSize FittingSize(QSize natural_size, QSize limit)
{
    if (!limit.isValid() || limit.isEmpty() || (natural_size.width() <= limit.width() && natural_size.height() <= limit.height()))
        return {};
    const double factor = std::min(static_cast<double>(limit.width()) / natural_size.width(), static_cast<double>(limit.height()) / natural_size.height());
    return QSize(std::max(1, static_cast<int>(std::ceil(natural_size.width() * factor))),
        std::max(1, static_cast<int>(std::ceil(natural_size.height() * factor))));
}

bool Overlaps(const QRectF& a, const QRectF& b)
{
    return a.left() < b.right() && b.left() < a.right() && a.top() < b.bottom() && b.top() < a.bottom();
}

// The tile indexes along one axis that can overlap [area_begin, area_end), clamped to the
// count of tiles the rectangle holds.
std::pair<qint64, qint64> TileRange(double begin, double step, qint64 count, double area_begin, double area_end)
{
    const double first = std::floor((area_begin - begin) / step) - 1;
    const double last = std::ceil((area_end - begin) / step) + 1;
    const qint64 from = static_cast<qint64>(std::clamp(first, 0.0, static_cast<double>(count)));
    const qint64 to = static_cast<qint64>(std::clamp(last, 0.0, static_cast<double>(count)));
    return { from, to };
}

}

bool Picture::Load(const QString& path, const QRect& cut_out, QSize decode_limit)
{
    if (path.isEmpty())
        return false;
    Clear();

    if (cut_out.width() == 0 && cut_out.height() == 0) {
        // Without a limit only the header is read here; the pixels follow when the picture is
        // drawn.
        m_pixels = ImageDecoder::Open(path);
        if (!m_pixels)
            return false;
        const QSize reduced_size = FittingSize(m_pixels->NaturalSize(), decode_limit);
        if (reduced_size.isValid() && m_pixels->Image(reduced_size).isNull()) {
            m_pixels.reset();
            return false;
        }
        m_natural_size = m_pixels->NaturalSize();
        m_file_name = path;
        return true;
    }

    const QImage image = ImageDecoder::Decode(path, {});
    if (image.isNull())
        return false;
    // The part is clamped to the image's size; a part that then reaches outside the image
    // or has no area is refused.
    const int width = std::clamp(cut_out.width(), 0, image.width());
    const int height = std::clamp(cut_out.height(), 0, image.height());
    const QRect part(cut_out.x(), cut_out.y(), width, height);
    if (part.isEmpty() || !image.rect().contains(part))
        return false;
    m_pixels = ImageDecoder::FromImage(image.copy(part));
    if (!m_pixels)
        return false;
    m_natural_size = part.size();
    m_file_name = path;
    return true;
}

bool Picture::Load(std::shared_ptr<ImageDecoder> pixels)
{
    if (!pixels || pixels->Path().isEmpty())
        return false;
    Clear();
    m_pixels = std::move(pixels);
    m_natural_size = m_pixels->NaturalSize();
    m_file_name = m_pixels->Path();
    return true;
}

bool Picture::SetImage(const QImage& image)
{
    Clear();
    m_pixels = ImageDecoder::FromImage(image);
    if (!m_pixels)
        return false;
    m_natural_size = m_pixels->NaturalSize();
    return true;
}

void Picture::Clear()
{
    m_pixels.reset();
    m_natural_size = QSize();
    m_file_name.clear();
    m_quarter_turns = 0;
    m_awaiting = false;
    m_arrival.Forget();
    ReleaseCache();
}

bool Picture::TurnQuarter(Turn turn)
{
    if (!m_pixels)
        return false;
    m_quarter_turns = (m_quarter_turns + (turn == Turn::Right ? 1 : 3)) % 4;
    m_natural_size.transpose();
    ReleaseCache();
    return true;
}

QSize Picture::Unturned(QSize size) const
{
    return m_quarter_turns % 2 == 0 ? size : size.transposed();
}

QImage Picture::Turned(const QImage& image) const
{
    if (m_quarter_turns == 0 || image.isNull())
        return image;
    return image.transformed(QTransform().rotate(90.0 * m_quarter_turns));
}

QImage Picture::Image() const
{
    if (!m_pixels)
        return {};
    const QImage kept = m_pixels->KeptImage();
    return Turned(kept.isNull() ? m_pixels->FullImage() : kept);
}

QSize Picture::DecodedSize() const
{
    return m_pixels ? Unturned(m_pixels->KeptImage().size()) : QSize();
}

bool Picture::IsReduced() const
{
    if (!m_pixels)
        return false;
    const QImage kept = m_pixels->KeptImage();
    return !kept.isNull() && kept.size() != m_pixels->NaturalSize();
}

bool Picture::EnsureFullImage()
{
    return m_pixels && m_pixels->FullImage().size() == m_pixels->NaturalSize();
}

void Picture::Prefetch(const QSizeF& device_size, DecodePriority priority)
{
    if (!m_pixels)
        return;
    const QSize size = Unturned(QSize(int(std::ceil(device_size.width())), int(std::ceil(device_size.height()))));
    m_pixels->Prefetch(size, priority, m_arrival.TicketFor(size));
}

void Picture::SetArrivalHandler(std::function<void()> handler)
{
    m_arrival.SetHandler(std::move(handler));
}

Picture::Pixels Picture::PixelsFor(const QSizeF& device_size, PictureDecoding decoding)
{
    const QSize size = Unturned(QSize(int(std::ceil(device_size.width())), int(std::ceil(device_size.height()))));
    Pixels pixels;
    if (decoding == PictureDecoding::Wait) {
        pixels.image = m_pixels->Image(size);
    } else {
        ImageDecoder::AtHand at_hand = m_pixels->ImageAtHand(size, m_arrival.TicketFor(size));
        pixels = Pixels { std::move(at_hand.image), at_hand.final };
    }
    m_awaiting = !pixels.final;
    if (m_quarter_turns != 0 && !pixels.image.isNull()) {
        if (m_turned_from.cacheKey() != pixels.image.cacheKey()) {
            m_turned = Turned(pixels.image);
            m_turned_from = pixels.image;
        }
        pixels.image = m_turned;
    }
    return pixels;
}

Picture::Arrival& Picture::Arrival::operator=(const Arrival&)
{
    // The picture now shows another image: what it waited for is no longer wanted.
    m_tickets.clear();
    return *this;
}

void Picture::Arrival::SetHandler(std::function<void()> handler)
{
    m_handler = std::move(handler);
    m_tickets.clear();
}

const std::shared_ptr<DecodeTicket>& Picture::Arrival::TicketFor(QSize size)
{
    for (auto& [asked, ticket] : m_tickets) {
        if (asked == size)
            return ticket;
    }
    if (m_tickets.size() >= kTicketsKept)
        m_tickets.erase(m_tickets.begin());
    m_tickets.emplace_back(size, std::make_shared<DecodeTicket>(m_handler));
    return m_tickets.back().second;
}

bool Picture::IsOpaque() const
{
    // A freely turned picture leaves the corners of its rectangle unpainted; a file whose
    // pixels do not decode paints nothing.
    return IsLoaded() && !HasAlpha() && !IsRotated() && !m_pixels->Failed();
}

bool Picture::SetRotationAngle(float radians)
{
    if (m_rotation_angle == radians)
        return false;
    m_rotation_angle = radians;
    return true;
}

bool Picture::SetUprightAngle(float radians)
{
    if (m_upright_angle == radians)
        return false;
    m_upright_angle = radians;
    return true;
}

bool Picture::SetRepeat(bool repeat)
{
    if (m_repeat == repeat)
        return false;
    m_repeat = repeat;
    return true;
}

bool Picture::SetCacheEnabled(bool enabled)
{
    if (m_cache_enabled == enabled)
        return false;
    m_cache_enabled = enabled;
    if (!enabled)
        ReleaseCache();
    return true;
}

bool Picture::Draw(QPainter& painter, const QRectF& rect, const QRectF& area, PictureDecoding decoding)
{
    if (!IsLoaded() || m_natural_size.isEmpty())
        return false;
    if ((rect.left() == rect.right() && rect.top() == rect.bottom()) || !IsFinite(rect))
        return false;
    if (m_repeat)
        return DrawTiles(painter, rect, area, decoding);

    painter.save();
    bool drawn = false;
    if (IsRotated()) {
        const QPointF centre = rect.center();
        painter.translate(centre);
        painter.rotate((m_rotation_angle - m_upright_angle) / 3.1415927 * 180);
        painter.translate(-centre);
    } else if (m_cache_enabled) {
        drawn = DrawCached(painter, rect, decoding);
    }
    if (!drawn)
        drawn = DrawStretched(painter, rect, area, decoding);
    painter.restore();
    return drawn;
}

bool Picture::DrawTiles(QPainter& painter, const QRectF& rect, const QRectF& area, PictureDecoding decoding)
{
    const double tile_width = m_natural_size.width();
    const double tile_height = m_natural_size.height();
    // One tile more than fits wholly along each axis; the clip cuts the last one.
    constexpr double kMaxTiles = 1e15;
    const qint64 columns = static_cast<qint64>(std::clamp(std::trunc(rect.width() / tile_width), 0.0, kMaxTiles)) + 1;
    const qint64 rows = static_cast<qint64>(std::clamp(std::trunc(rect.height() / tile_height), 0.0, kMaxTiles)) + 1;
    const auto [column_from, column_to] = TileRange(rect.left(), tile_width, columns, area.left(), area.right());
    const auto [row_from, row_to] = TileRange(rect.top(), tile_height, rows, area.top(), area.bottom());

    const Pixels pixels = PixelsFor(painter.deviceTransform().mapRect(QRectF(0, 0, tile_width, tile_height)).size(), decoding);
    if (pixels.image.isNull())
        return !pixels.final && DrawPlaceholder(painter, rect.intersected(area));
    const QImage& tile_pixels = pixels.image;
    bool drawn = false;
    for (qint64 row = row_from; row < row_to; ++row) {
        for (qint64 column = column_from; column < column_to; ++column) {
            const QRectF tile(rect.left() + column * tile_width, rect.top() + row * tile_height, tile_width, tile_height);
            if (!Overlaps(tile, area))
                continue;
            painter.drawImage(tile, tile_pixels);
            drawn = true;
        }
    }
    return drawn;
}

bool Picture::DrawStretched(QPainter& painter, const QRectF& rect, const QRectF& area, PictureDecoding decoding)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return false;
    // A turned picture is drawn whole: the area is given in unturned page coordinates, and
    // cutting the picture to it would leave parts of the area unpainted.
    const QRectF destination = IsRotated() ? rect : rect.intersected(area);
    if (destination.isEmpty())
        return false;
    // Source pixels are those of the decoded image, which may be smaller than the natural size.
    const Pixels shown = PixelsFor(painter.deviceTransform().mapRect(rect).size(), decoding);
    if (shown.image.isNull())
        return !shown.final && DrawPlaceholder(painter, destination);
    const QImage& pixels = shown.image;
    const double x_factor = pixels.width() / rect.width();
    const double y_factor = pixels.height() / rect.height();
    const QRectF source((destination.left() - rect.left()) * x_factor, (destination.top() - rect.top()) * y_factor,
        destination.width() * x_factor, destination.height() * y_factor);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(destination, pixels, source);
    return true;
}

bool Picture::DrawCached(QPainter& painter, const QRectF& rect, PictureDecoding decoding)
{
    const QTransform device_transform = painter.deviceTransform();
    if (device_transform.type() > QTransform::TxScale)
        return false;
    const QRectF device_rect = device_transform.mapRect(rect);
    const QSizeF device_size = device_rect.size();

    if (m_cache.isNull() || m_cache_size != device_size) {
        if (m_natural_size.width() <= device_size.width() && m_natural_size.height() <= device_size.height()) {
            // Not reduced: drawing directly is as fast and sharper.
            ReleaseCache();
            return false;
        }
        const double cache_width = std::ceil(device_size.width());
        const double cache_height = std::ceil(device_size.height());
        if (!(cache_width >= 1 && cache_height >= 1 && cache_width <= kMaxCacheSide && cache_height <= kMaxCacheSide)) {
            ReleaseCache();
            return false;
        }
        const QSize cache_size(static_cast<int>(cache_width), static_cast<int>(cache_height));
        // Decoded at the cache's size where the format allows, so scaling is then a no-op. Only
        // the exact pixels make a cache; until they are there the picture is drawn stretched.
        const Pixels pixels = PixelsFor(cache_size, decoding);
        if (!pixels.final)
            return false;
        m_cache = pixels.image.isNull() ? QImage() : pixels.image.scaled(cache_size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (m_cache.isNull()) {
            ReleaseCache();
            return false;
        }
        m_cache_size = device_size;
    }
    m_cache_position = device_rect.topLeft();

    // Copied without any transform, at whole device pixels. The corner goes to the pixel edge
    // nearest to it, as the canvas counts covered pixels; the cache is ceil(size) pixels, so
    // it reaches every pixel whose centre lies inside the picture.
    const qreal pixel_ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    m_cache.setDevicePixelRatio(pixel_ratio);
    painter.resetTransform();
    const QPoint corner = DevicePixels::Covered(device_rect).topLeft();
    painter.drawImage(QPointF(corner) / pixel_ratio, m_cache);
    return true;
}

bool Picture::DrawPlaceholder(QPainter& painter, const QRectF& destination) const
{
    if (destination.isEmpty())
        return false;
    painter.fillRect(destination, HasAlpha() ? kTranslucentPlaceholder : kPlaceholder);
    return true;
}

void Picture::ReleaseCache()
{
    m_cache = QImage();
    m_cache_position = {};
    m_cache_size = {};
}
