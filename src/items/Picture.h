#pragma once

#include "items/ImageDecoder.h"
#include "items/PictureDecoding.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

enum class Turn { Right, Left };

// One image file as the image widget and the page's image item show it. The picture keeps the
// image's natural size (its pixel size in the file, or the cut-out's size); tiling, the
// mapping of source pixels and the reduction test all derive from it, so the decoded image may
// hold fewer pixels than that when it is only ever shown reduced.
//
// Loading a whole file reads only its header; the pixels are decoded on worker threads at the
// size they are drawn at (see ImageDecoder), and at full size only when the picture is shown
// larger than that or asked for its full image. Quarter turns are applied to the decoded
// pixels, so turning a photograph shown reduced decodes nothing.
//
// Drawing either waits for the exact pixels or, on the page on screen, never waits: it draws
// the pixels at hand or a quiet placeholder, and the arrival handler is called on the
// user-interface thread once better pixels have arrived.
//
// A picture reduced on screen and not turned is drawn through the device-size cache: the image
// scaled once, smoothly, to its size in device pixels and copied at whole device positions.
// The cache is rebuilt only when that device size changes; a move alone keeps it.
class Picture {
public:
    static constexpr int kAllocationLimitMb = ImageDecoder::kAllocationLimitMb;

    // Loads a file, or the part (x, y, width, height) of it when width or height is not 0.
    // A part is clamped to the image's size and must then lie inside the image. A failure
    // leaves the picture empty.
    //
    // With a decode limit, a whole file larger than the limit is decoded at once, only as large
    // as fits in it (aspect kept); drawing decodes it again, larger, once it is shown larger
    // than what was decoded. The natural size is always the file's.
    bool Load(const QString& path, const QRect& cut_out = {}, QSize decode_limit = {});
    // Shows a file whose header was read already, with whatever of its pixels were decoded.
    bool Load(std::shared_ptr<ImageDecoder> pixels);
    // Takes an image that has no file (pasted or dropped bitmaps).
    bool SetImage(const QImage& image);
    void Clear();

    // Turns the image by a quarter turn, swapping its natural width and height.
    bool TurnQuarter(Turn turn);
    // Quarter turns clockwise, 0 to 3.
    int QuarterTurns() const { return m_quarter_turns; }

    // Whether the decoded image holds fewer pixels than the natural size.
    bool IsReduced() const;
    // Decodes the whole file when only a reduced image is held: needed before the pixels are
    // saved or edited. False when nothing is loaded or the file no longer decodes as
    // the image whose header was read.
    bool EnsureFullImage();

    bool IsLoaded() const { return m_pixels != nullptr; }
    const QString& FileName() const { return m_file_name; }
    QSize NaturalSize() const { return m_natural_size; }
    // The decoded pixels: of the natural size, or fewer while IsReduced(). When nothing is
    // decoded yet the whole image is decoded now; null when that fails.
    QImage Image() const;
    bool HasAlpha() const { return m_pixels && m_pixels->HasAlpha(); }
    // The size of the pixels decoded so far; empty when none are.
    QSize DecodedSize() const;
    // Starts decoding in the background for a picture drawn at device_size device pixels
    // (back-buffer pixels); the arrival handler is called when the pixels have arrived.
    void Prefetch(const QSizeF& device_size, DecodePriority priority = DecodePriority::Shown);
    // Called on the user-interface thread when pixels the picture waits for have arrived
    // (or failed). It belongs to the owner: copies of the picture do not take it over, and an
    // assignment keeps the handler of the picture assigned to.
    void SetArrivalHandler(std::function<void()> handler);
    // Whether the last drawing showed something else than the exact pixels, which are on
    // their way.
    bool AwaitsPixels() const { return m_awaiting; }
    // Paints every pixel of its rectangle fully: loaded, without alpha and not turned freely.
    bool IsOpaque() const;

    // Angles in radians. The picture is turned about its centre by their difference.
    float RotationAngle() const { return m_rotation_angle; }
    float UprightAngle() const { return m_upright_angle; }
    bool SetRotationAngle(float radians);
    bool SetUprightAngle(float radians);
    bool IsRotated() const { return m_rotation_angle != m_upright_angle; }

    bool Repeat() const { return m_repeat; }
    bool SetRepeat(bool repeat);
    bool CacheEnabled() const { return m_cache_enabled; }
    bool SetCacheEnabled(bool enabled);
    bool HasCache() const { return !m_cache.isNull(); }
    const QImage& Cache() const { return m_cache; }

    // Draws the picture into rect (page coordinates of the painter's current transform),
    // painting at least the part inside area. Returns whether anything was drawn. A picture
    // that is opaque paints every pixel of its rectangle, placeholder or not.
    bool Draw(QPainter& painter, const QRectF& rect, const QRectF& area, PictureDecoding decoding = PictureDecoding::Wait);

private:
    // The tickets of the decodes the picture waits for, one per size it asked for lately, and
    // the handler they call. Copies wait for nothing and call nobody.
    class Arrival {
    public:
        Arrival() = default;
        Arrival(const Arrival&) { }
        Arrival& operator=(const Arrival&);
        void SetHandler(std::function<void()> handler);
        const std::shared_ptr<DecodeTicket>& TicketFor(QSize size);
        void Forget() { m_tickets.clear(); }

    private:
        std::function<void()> m_handler;
        std::vector<std::pair<QSize, std::shared_ptr<DecodeTicket>>> m_tickets;
    };

    struct Pixels {
        QImage image;
        bool final { true };
    };

    bool DrawTiles(QPainter& painter, const QRectF& rect, const QRectF& area, PictureDecoding decoding);
    bool DrawStretched(QPainter& painter, const QRectF& rect, const QRectF& area, PictureDecoding decoding);
    bool DrawCached(QPainter& painter, const QRectF& rect, PictureDecoding decoding);
    bool DrawPlaceholder(QPainter& painter, const QRectF& destination) const;
    void ReleaseCache();
    // The pixels for drawing at device_size device pixels, turned; waiting for the exact ones
    // or taking those at hand.
    Pixels PixelsFor(const QSizeF& device_size, PictureDecoding decoding);
    // The size of the decoded (unturned) pixels for a turned size.
    QSize Unturned(QSize size) const;
    QImage Turned(const QImage& image) const;

    // Shared between copies of a picture; replaced, never changed, when the image changes.
    std::shared_ptr<ImageDecoder> m_pixels;
    QSize m_natural_size;
    QString m_file_name;
    int m_quarter_turns { 0 };
    float m_rotation_angle { 0 };
    float m_upright_angle { 0 };
    bool m_repeat { false };
    bool m_cache_enabled { true };

    QImage m_cache;
    QPointF m_cache_position;
    QSizeF m_cache_size;

    // The last pixels turned, and what they were turned from.
    QImage m_turned_from;
    QImage m_turned;

    Arrival m_arrival;
    bool m_awaiting { false };
};
