#pragma once

#include "items/ImageDecoder.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <memory>

class QPainter;

enum class Turn { Right, Left };

// One image file as the image widget and the page's image item show it. The picture keeps the
// image's natural size (its pixel size in the file, or the cut-out's size); tiling, the
// mapping of source pixels and the reduction test all derive from it, so the decoded image may
// hold fewer pixels than that when it is only ever shown reduced.
//
// Loading a whole file reads only its header; the pixels are decoded on worker threads at the
// size they are drawn at (see ImageDecoder), and at full size only when the picture is shown
// larger than that, turned or asked for its full image.
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

    // Turns the image by a quarter turn, swapping its natural width and height. The whole
    // image is decoded first.
    bool TurnQuarter(Turn turn);

    // Whether the decoded image holds fewer pixels than the natural size.
    bool IsReduced() const;
    // Decodes the whole file when only a reduced image is held: needed before the pixels are
    // turned, saved or edited. False when nothing is loaded or the file no longer decodes as
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
    QSize DecodedSize() const { return m_pixels ? m_pixels->KeptImage().size() : QSize(); }
    // Starts decoding in the background for a picture drawn at device_size device pixels.
    void Prefetch(const QSizeF& device_size) const;
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
    // painting at least the part inside area. Returns whether anything was drawn.
    bool Draw(QPainter& painter, const QRectF& rect, const QRectF& area);

private:
    bool DrawTiles(QPainter& painter, const QRectF& rect, const QRectF& area);
    bool DrawStretched(QPainter& painter, const QRectF& rect, const QRectF& area);
    bool DrawCached(QPainter& painter, const QRectF& rect);
    void ReleaseCache();
    // The decoded pixels for drawing at device_size device pixels.
    QImage PixelsFor(const QSizeF& device_size) const;

    // Shared between copies of a picture; replaced, never changed, when the image changes.
    std::shared_ptr<ImageDecoder> m_pixels;
    QSize m_natural_size;
    QString m_file_name;
    float m_rotation_angle { 0 };
    float m_upright_angle { 0 };
    bool m_repeat { false };
    bool m_cache_enabled { true };

    QImage m_cache;
    QPointF m_cache_position;
    QSizeF m_cache_size;
};
