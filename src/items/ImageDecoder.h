#pragma once

#include "items/ImageFileReader.h"

#include <QFuture>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>
#include <mutex>

// The pixels of one image file, decoded on worker threads and only as large as they are
// shown. Opening reads the header alone, which is enough to place an item: the natural size
// (the image's pixel size in the file) is known at once and everything that derives from the
// image's size uses it. Pixels are decoded later, for a given device size: a photograph shown
// at 800 x 533 is decoded straight to 800 x 533 (JPEG scales while it decodes), and at full
// size only when it is shown larger than that, turned, saved or baked.
//
// The decoder keeps one decoded image, the last one that was good enough. A request that the
// kept image covers is answered from it; a larger request decodes again. Prefetch starts a
// decode in the background so that a page of photographs decodes on every core while the
// user-interface thread goes on; Image waits only when the pixels are not there yet.
//
// All members may be called from any thread.
class ImageDecoder {
public:
    // Photographs of 6000 x 4000 pixels need about 96 MB decoded; this leaves room for larger
    // ones while still refusing files whose header claims absurd sizes.
    static constexpr int kAllocationLimitMb = 1024;

    // Reads the header. Null when the file is missing or not an image the program decodes.
    // The options are kept for every decode of the file.
    static std::shared_ptr<ImageDecoder> Open(const QString& path, const ImageReadOptions& options = {});
    // An image that exists only as pixels (pasted or dropped bitmaps). Null for a null image.
    static std::shared_ptr<ImageDecoder> FromImage(const QImage& image);

    ~ImageDecoder();
    ImageDecoder(const ImageDecoder&) = delete;
    ImageDecoder& operator=(const ImageDecoder&) = delete;

    // Empty for an image made from pixels.
    const QString& Path() const { return m_path; }
    const ImageReadOptions& Options() const { return m_options; }
    QSize NaturalSize() const { return m_natural_size; }
    // Whether the pixels may be transparent: from the header until the pixels are decoded,
    // then from the decoded image.
    bool HasAlpha() const;

    // The size of the decode that serves a display of device_size pixels: the smallest size
    // of the image's proportions that covers it (device_size itself when the proportions
    // agree), at most the natural size.
    QSize DecodeSizeFor(QSize device_size) const;

    // Starts decoding for device_size in the background unless the kept image or a decode
    // already running covers it.
    void Prefetch(QSize device_size);
    // An image at least DecodeSizeFor(device_size) on both axes, decoded now when needed.
    // Null when the file can no longer be decoded.
    QImage Image(QSize device_size);
    QImage FullImage() { return Image(m_natural_size); }
    // The kept image without waiting or decoding; null when there is none yet.
    QImage KeptImage() const;

    // Whether the file's pixels failed to decode (a file cut short, or changed since its header
    // was read) and nothing decoded before is kept: such an image paints nothing. A failed
    // file is not decoded again until DropPixels.
    bool Failed() const;

    // Forgets the decoded pixels and any failure; the next request decodes again.
    void DropPixels();

    // Decodes path at size (an invalid size: natural size), synchronously, in the format that
    // PrepareForDrawing gives; null when the file's size is not natural_size (when given).
    static QImage Decode(const QString& path, QSize size, QSize natural_size = {}, const ImageReadOptions& options = {});
    // Converts to the format the raster painter copies fastest: premultiplied ARGB with an
    // alpha channel, RGB32 without.
    static QImage PrepareForDrawing(QImage image);

private:
    ImageDecoder() = default;

    static bool Covers(QSize have, QSize need);
    void TakeFinished();
    void StartDecode(QSize size);

    QString m_path;
    ImageReadOptions m_options;
    QSize m_natural_size;
    bool m_header_alpha { false };

    mutable std::mutex m_mutex;
    QImage m_kept;
    QFuture<QImage> m_pending;
    QSize m_pending_size;
    bool m_failed { false };
};
