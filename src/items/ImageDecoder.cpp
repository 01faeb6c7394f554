#include "items/ImageDecoder.h"

#include "items/ImageFileReader.h"
#include "items/PictureCache.h"
#include "platform/FileIdentity.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

std::shared_ptr<ImageDecoder> ImageDecoder::Open(const QString& path, const ImageReadOptions& options)
{
    if (path.isEmpty())
        return nullptr;
    // The identity is taken before the header: a file replaced in between only decodes again.
    const std::optional<FileIdentity> identity = FileIdentity::Of(path);
    if (!identity)
        return nullptr;
    const ImageFileHeader header = ImageFileReader::ReadHeader(path, options);
    if (!header.IsReadable())
        return nullptr;
    std::shared_ptr<ImageDecoder> decoder(new ImageDecoder);
    decoder->m_path = path;
    decoder->m_key = DecodeKey { path, *identity, options };
    decoder->m_natural_size = header.natural_size;
    decoder->m_header_alpha = header.has_alpha;
    return decoder;
}

std::shared_ptr<ImageDecoder> ImageDecoder::FromImage(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    std::shared_ptr<ImageDecoder> decoder(new ImageDecoder);
    decoder->m_natural_size = image.size();
    decoder->m_header_alpha = image.hasAlphaChannel();
    decoder->m_own = PrepareForDrawing(image);
    return decoder;
}

ImageDecoder::~ImageDecoder() = default;

bool ImageDecoder::HasAlpha() const
{
    if (!m_own.isNull())
        return m_own.hasAlphaChannel();
    const QImage shown = Shown();
    return shown.isNull() ? m_header_alpha : shown.hasAlphaChannel();
}

QSize ImageDecoder::DecodeSizeFor(QSize device_size) const
{
    if (device_size.width() <= 0 || device_size.height() <= 0)
        return m_natural_size;
    // The smallest size of the image's own proportions that covers the device size; a picture
    // shown in its own proportions is decoded at exactly its device size.
    const double factor = std::max(double(device_size.width()) / m_natural_size.width(),
        double(device_size.height()) / m_natural_size.height());
    if (!(factor < 1))
        return m_natural_size;
    const QSize covering(std::max(1, int(std::ceil(m_natural_size.width() * factor))),
        std::max(1, int(std::ceil(m_natural_size.height() * factor))));
    if (std::abs(covering.width() - device_size.width()) <= 1 && std::abs(covering.height() - device_size.height()) <= 1)
        return device_size.boundedTo(m_natural_size);
    return covering.boundedTo(m_natural_size);
}

void ImageDecoder::Show(const QImage& image)
{
    std::lock_guard lock(m_mutex);
    m_shown = image;
}

QImage ImageDecoder::Shown() const
{
    std::lock_guard lock(m_mutex);
    return m_shown;
}

void ImageDecoder::Prefetch(QSize device_size, DecodePriority priority, const std::shared_ptr<DecodeTicket>& ticket)
{
    if (m_path.isEmpty())
        return;
    const QSize need = DecodeSizeFor(device_size);
    PictureCache& cache = PictureCache::Instance();
    if (Shown().size() == need || cache.HasFailed(m_key) || !cache.Find(m_key, need, PictureCache::Fit::Exact).isNull())
        return;
    DecodeQueue::Instance().Start(RequestFor(need), priority, ticket);
}

QImage ImageDecoder::Image(QSize device_size)
{
    if (!m_own.isNull())
        return m_own;
    // Always the pixels of the very size, so that what a page shows does not depend on which
    // other sizes happen to be decoded: a larger decode at hand is scaled down, which costs
    // less than reading the file again.
    const QSize need = DecodeSizeFor(device_size);
    PictureCache& cache = PictureCache::Instance();
    if (const QImage kept = cache.Find(m_key, need, PictureCache::Fit::Exact); !kept.isNull()) {
        Show(kept);
        return kept;
    }
    const QImage shown = Shown();
    if (shown.size() == need)
        return shown;
    if (!cache.HasFailed(m_key)) {
        const QImage decoded = DecodeQueue::Instance().Run(RequestFor(need));
        if (!decoded.isNull()) {
            Show(decoded);
            return decoded;
        }
    }
    // The file no longer decodes (it changed or broke since its header was read): what there
    // is are smaller pixels, or nothing.
    const QImage nearest = cache.Nearest(m_key, need);
    return nearest.isNull() ? shown : nearest;
}

ImageDecoder::AtHand ImageDecoder::ImageAtHand(QSize device_size, const std::shared_ptr<DecodeTicket>& ticket)
{
    if (!m_own.isNull())
        return { m_own, true };
    const QSize need = DecodeSizeFor(device_size);
    PictureCache& cache = PictureCache::Instance();
    if (const QImage exact = cache.Find(m_key, need, PictureCache::Fit::Exact); !exact.isNull()) {
        Show(exact);
        return { exact, true };
    }
    const QImage shown = Shown();
    if (shown.size() == need)
        return { shown, true };
    QImage nearest = cache.Nearest(m_key, need);
    if (nearest.isNull())
        nearest = shown;
    if (cache.HasFailed(m_key))
        return { nearest, true };
    DecodeQueue& queue = DecodeQueue::Instance();
    queue.Start(RequestFor(need), DecodePriority::Shown, ticket);
    if (nearest.isNull() && WorthAPreview(need))
        queue.Start(RequestFor(DecodeSizeFor(QSize((m_natural_size.width() + 7) / 8, (m_natural_size.height() + 7) / 8))),
            DecodePriority::Preview, ticket);
    return { nearest, false };
}

bool ImageDecoder::WorthAPreview(QSize size) const
{
    // JPEG decodes at an eighth of its size in a fraction of the time of a larger decode: for
    // a large photograph shown large that preview comes well before the exact pixels. Other
    // formats would pay a whole decode for it.
    constexpr qint64 kLargeArea = 2'000'000;
    const QString extension = m_path.section(u'.', -1).toLower();
    const bool jpeg = extension == u"jpg" || extension == u"jpeg" || extension == u"jpe";
    return jpeg && qint64(m_natural_size.width()) * m_natural_size.height() >= kLargeArea
        && qint64(size.width()) * 4 > m_natural_size.width();
}

QImage ImageDecoder::KeptImage() const
{
    if (!m_own.isNull())
        return m_own;
    const QImage shown = Shown();
    return shown.isNull() ? PictureCache::Instance().Largest(m_key) : shown;
}

bool ImageDecoder::Failed() const
{
    if (m_path.isEmpty())
        return false;
    return PictureCache::Instance().HasFailed(m_key) && KeptImage().isNull();
}

void ImageDecoder::DropPixels()
{
    if (m_path.isEmpty())
        return; // pixels without a file cannot be decoded again
    PictureCache::Instance().Forget(m_key);
    Show({});
}

QImage ImageDecoder::Decode(const QString& path, QSize size, QSize natural_size, const ImageReadOptions& options)
{
    return ImageFileReader::ReadPixels(path, size, options, natural_size);
}

QImage ImageDecoder::PrepareForDrawing(QImage image)
{
    if (image.isNull())
        return image;
    const QImage::Format format = image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (image.format() != format)
        image.convertTo(format);
    return image;
}
