#pragma once

#include "items/DecodeKey.h"
#include "items/DecodeQueue.h"
#include "items/ImageFileReader.h"

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
// Decoded pixels live in the picture cache, shared by every picture of the same file across
// pages; the decoder itself holds on to the pixels it last handed out, so that what is on
// screen stays even when the cache lets it go. Decodes run on the decode queue's threads.
// Image waits for the exact pixels (exports); ImageAtHand never waits (the window), and the
// ticket given to it hears when better pixels have arrived.
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
    const ImageReadOptions& Options() const { return m_key.options; }
    // What the file's pixels are kept under in the picture cache.
    const DecodeKey& Key() const { return m_key; }
    QSize NaturalSize() const { return m_natural_size; }
    // Whether the pixels may be transparent: from the header until pixels were handed out,
    // then from those pixels.
    bool HasAlpha() const;

    // The size of the decode that serves a display of device_size pixels: the smallest size
    // of the image's proportions that covers it (device_size itself when the proportions
    // agree), at most the natural size.
    QSize DecodeSizeFor(QSize device_size) const;

    // Starts decoding the exact pixels for device_size in the background unless they are
    // kept already; the ticket (none: the decode runs in any case) hears when they arrive.
    void Prefetch(QSize device_size, DecodePriority priority = DecodePriority::Shown,
                  const std::shared_ptr<DecodeTicket>& ticket = {});
    // An image at least DecodeSizeFor(device_size) on both axes, decoded now when needed.
    // When the file can no longer be decoded, the largest pixels there are, or null.
    QImage Image(QSize device_size);
    QImage FullImage() { return Image(m_natural_size); }

    struct AtHand {
        QImage image;
        // Whether these are the pixels to show for good: the exact ones, or all there will
        // ever be because the file does not decode.
        bool final { false };
    };
    // The pixels for device_size without waiting: the exact ones when they are kept;
    // otherwise the nearest ones kept (or none) while the exact ones decode in the background,
    // and the ticket hears when they arrive (a large photograph first gets a quick preview).
    AtHand ImageAtHand(QSize device_size, const std::shared_ptr<DecodeTicket>& ticket);

    // The largest pixels at hand without waiting or decoding; null when there are none yet.
    QImage KeptImage() const;

    // Whether the file's pixels failed to decode (a file cut short, or changed since its header
    // was read) and no pixels decoded before are at hand: such an image paints nothing. A
    // failed file is not decoded again until DropPixels.
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

    DecodeRequest RequestFor(QSize size) const { return { m_key, m_natural_size, size }; }
    bool WorthAPreview(QSize size) const;
    void Show(const QImage& image);
    QImage Shown() const;

    QString m_path;
    // The file, its identity and the options it is read with.
    DecodeKey m_key;
    QSize m_natural_size;
    bool m_header_alpha { false };

    mutable std::mutex m_mutex;
    // The pixels of an image without a file.
    QImage m_own;
    // The exact pixels last handed out.
    QImage m_shown;
};
