#include "items/ImageFileWriter.h"

#include "items/PngEncoder.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <gif_lib.h>

#include <algorithm>
#include <vector>

namespace {

int WriteToSaveFile(GifFileType* gif, const GifByteType* bytes, int length)
{
    auto* file = static_cast<QSaveFile*>(gif->UserData);
    return int(file->write(reinterpret_cast<const char*>(bytes), length));
}

// The largest side a GIF can describe.
constexpr int kGifMaxSide = 65535;

}

QString ImageFileWriter::FormatForPath(const QString& path)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    if (extension == u"jpg" || extension == u"gif" || extension == u"png" || extension == u"bmp"
        || extension == u"tif")
        return extension;
    return {};
}

ImageFileWriter::Result ImageFileWriter::Write(const QImage& image, const QString& path, int quality)
{
    const QString format = FormatForPath(path);
    if (format.isEmpty())
        return Result::UnknownExtension;
    if (image.isNull())
        return Result::WriteFailed;
    if (format == u"gif")
        return WriteGif(image, path) ? Result::Written : Result::WriteFailed;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Result::WriteFailed;
    if (format == u"png" && PngEncoder::Supports(image)) {
        if (!PngEncoder::Write(image, file)) {
            file.cancelWriting();
            return Result::WriteFailed;
        }
        return file.commit() ? Result::Written : Result::WriteFailed;
    }
    QImageWriter writer(&file, format == u"tif" ? QByteArrayLiteral("tiff") : format.toLatin1());
    if (format == u"jpg")
        writer.setQuality(std::clamp(quality, 0, 100));
    // BMP and JPEG have no alpha channel; what is transparent is written over white.
    QImage written = image;
    if ((format == u"jpg" || format == u"bmp") && image.hasAlphaChannel()) {
        written = QImage(image.size(), QImage::Format_RGB32);
        written.fill(Qt::white);
        QPainter(&written).drawImage(0, 0, image);
    }
    if (!writer.write(written)) {
        file.cancelWriting();
        return Result::WriteFailed;
    }
    return file.commit() ? Result::Written : Result::WriteFailed;
}

bool ImageFileWriter::WriteGif(const QImage& image, const QString& path)
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

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    int error = 0;
    GifFileType* gif = EGifOpen(&file, WriteToSaveFile, &error);
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
    if (!written) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
