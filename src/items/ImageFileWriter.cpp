#include "items/ImageFileWriter.h"

#include "items/PngEncoder.h"
#include "platform/SafeFileWriter.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

#include <gif_lib.h>

#include <algorithm>
#include <vector>

namespace {

int WriteToDevice(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto* device = static_cast<QIODevice*>(gif->UserData);
    return int(device->write(reinterpret_cast<const char*>(bytes), length));
}

// The largest side a GIF can describe.
constexpr int kGifMaxSide = 65535;

}

QString ImageFileWriter::FormatForPath(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == u"jpg" || extension == u"jpeg")
        return QStringLiteral("jpg");
    if (extension == u"tif" || extension == u"tiff")
        return QStringLiteral("tif");
    if (extension == u"gif" || extension == u"png" || extension == u"bmp")
        return extension;
    return {};
}

ImageFileWriter::Result ImageFileWriter::Write(const QImage& image, const QString& path, int quality, QString* reason)
{
    const QString format = FormatForPath(path);
    if (format.isEmpty())
        return Result::UnknownExtension;
    SafeFileWriter file(path);
    bool written = !image.isNull() && file.Open() && Encode(image, format, quality, file.Device());
    written = written && file.Commit();
    if (!written && reason)
        *reason = file.ErrorText();
    return written ? Result::Written : Result::WriteFailed;
}

bool ImageFileWriter::Encode(const QImage& image, const QString& format, int quality, QIODevice& device)
{
    if (format == u"gif")
        return EncodeGif(image, device);
    if (format == u"png" && PngEncoder::Supports(image))
        return PngEncoder::Write(image, device);
    QImageWriter writer(&device, format == u"tif" ? QByteArrayLiteral("tiff") : format.toLatin1());
    if (format == u"jpg")
        writer.setQuality(std::clamp(quality, 0, 100));
    // BMP and JPEG have no alpha channel; what is transparent is written over white.
    QImage written = image;
    if ((format == u"jpg" || format == u"bmp") && image.hasAlphaChannel()) {
        written = QImage(image.size(), QImage::Format_RGB32);
        written.fill(Qt::white);
        QPainter(&written).drawImage(0, 0, image);
    }
    return writer.write(written);
}

bool ImageFileWriter::EncodeGif(const QImage& image, QIODevice& device)
{
    const int width = image.width();
    const int height = image.height();
    if (width > kGifMaxSide || height > kGifMaxSide)
        return false;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const size_t count = size_t(width) * size_t(height);
    std::vector<GifByteType> red(count), green(count), blue(count), indexes(count);
    for (int y = 0; y < height; ++y) {
        const uchar* line = rgb.constScanLine(y);
        const size_t row = size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            red[row + x] = line[3 * x];
            green[row + x] = line[3 * x + 1];
            blue[row + x] = line[3 * x + 2];
        }
    }
    int colour_count = 256;
    GifColorType palette[256] = {};
    if (GifQuantizeBuffer(unsigned(width), unsigned(height), &colour_count, red.data(), green.data(),
            blue.data(), indexes.data(), palette)
        == GIF_ERROR)
        return false;

    int error = 0;
    GifFileType* gif = EGifOpen(&device, WriteToDevice, &error);
    if (!gif)
        return false;
    ColorMapObject* map = GifMakeMapObject(256, palette);
    bool written = map && EGifPutScreenDesc(gif, width, height, 8, 0, map) == GIF_OK
        && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
    for (int y = 0; written && y < height; ++y)
        written = EGifPutLine(gif, indexes.data() + size_t(y) * size_t(width), width) == GIF_OK;
    GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) == GIF_ERROR)
        written = false;
    return written;
}
