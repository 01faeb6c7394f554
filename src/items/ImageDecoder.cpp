#include "items/ImageDecoder.h"

#include "items/ImageFileReader.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Decoding has its own pool, one thread per core, so that a page of photographs keeps every
// core busy without taking threads from other users of the global pool.
QThreadPool& DecodePool()
{
    static QThreadPool* pool = [] {
        auto* created = new QThreadPool;
        created->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        return created;
    }();
    return *pool;
}

}

std::shared_ptr<ImageDecoder> ImageDecoder::Open(const QString& path, const ImageReadOptions& options)
{
    if (path.isEmpty())
        return nullptr;
    const ImageFileHeader header = ImageFileReader::ReadHeader(path, options);
    if (!header.IsReadable())
        return nullptr;
    std::shared_ptr<ImageDecoder> decoder(new ImageDecoder);
    decoder->m_path = path;
    decoder->m_options = options;
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
    decoder->m_kept = PrepareForDrawing(image);
    return decoder;
}

ImageDecoder::~ImageDecoder()
{
    // A decode still running only reads the file and returns its image; nothing refers back
    // to this object, so it is left to finish on its own.
}

bool ImageDecoder::HasAlpha() const
{
    std::lock_guard lock(m_mutex);
    if (!m_kept.isNull())
        return m_kept.hasAlphaChannel();
    return m_header_alpha;
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

bool ImageDecoder::Covers(QSize have, QSize need)
{
    return have.width() >= need.width() && have.height() >= need.height();
}

void ImageDecoder::TakeFinished()
{
    if (m_pending.isValid() && m_pending.isFinished()) {
        QImage decoded = m_pending.result();
        m_failed = decoded.isNull();
        // A failed decode leaves what was kept; a smaller result never replaces a larger one.
        if (!decoded.isNull() && (m_kept.isNull() || !Covers(m_kept.size(), decoded.size())))
            m_kept = std::move(decoded);
        m_pending = {};
        m_pending_size = {};
    }
}

void ImageDecoder::StartDecode(QSize size)
{
    const QString path = m_path;
    const QSize natural = m_natural_size;
    const ImageReadOptions options = m_options;
    m_pending = QtConcurrent::run(&DecodePool(), [path, size, natural, options] {
        return Decode(path, size == natural ? QSize() : size, natural, options);
    });
    m_pending_size = size;
}

void ImageDecoder::Prefetch(QSize device_size)
{
    if (m_path.isEmpty())
        return;
    const QSize need = DecodeSizeFor(device_size);
    std::lock_guard lock(m_mutex);
    TakeFinished();
    if (m_failed || (!m_kept.isNull() && Covers(m_kept.size(), need)))
        return;
    if (m_pending.isValid() && Covers(m_pending_size, need))
        return;
    StartDecode(need);
}

QImage ImageDecoder::Image(QSize device_size)
{
    const QSize need = DecodeSizeFor(device_size);
    QFuture<QImage> waiting;
    {
        std::lock_guard lock(m_mutex);
        TakeFinished();
        if (m_path.isEmpty() || m_failed || (!m_kept.isNull() && Covers(m_kept.size(), need)))
            return m_kept;
        if (!m_pending.isValid() || !Covers(m_pending_size, need))
            StartDecode(need);
        waiting = m_pending;
    }
    // Waiting runs the decode on this thread when no worker has taken it up yet.
    waiting.waitForFinished();
    std::lock_guard lock(m_mutex);
    TakeFinished();
    // When the decode failed (the file changed or broke since its header was read) this is
    // what there is: a smaller image or nothing.
    return m_kept;
}

QImage ImageDecoder::KeptImage() const
{
    std::lock_guard lock(m_mutex);
    if (m_pending.isValid() && m_pending.isFinished()) {
        const QImage decoded = m_pending.result();
        if (!decoded.isNull() && (m_kept.isNull() || !Covers(m_kept.size(), decoded.size())))
            return decoded;
    }
    return m_kept;
}

bool ImageDecoder::Failed() const
{
    std::lock_guard lock(m_mutex);
    if (m_pending.isValid() && m_pending.isFinished() && m_pending.result().isNull())
        return m_kept.isNull();
    return m_failed && m_kept.isNull();
}

void ImageDecoder::DropPixels()
{
    std::lock_guard lock(m_mutex);
    if (m_path.isEmpty())
        return; // pixels without a file cannot be decoded again
    m_kept = {};
    m_pending = {};
    m_pending_size = {};
    m_failed = false;
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
