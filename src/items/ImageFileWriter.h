#pragma once

#include <QImage>
#include <QString>

class QIODevice;

// Writes images into files whose format follows the extension of the path: ".jpg" and
// ".jpeg" JPEG, ".gif" GIF, ".png" PNG, ".bmp" BMP, ".tif" and ".tiff" TIFF, in any case;
// any other extension is refused. The file goes through SafeFileWriter, so a failed write
// leaves an existing file as it was.
class ImageFileWriter {
public:
    enum class Result { Written, UnknownExtension, WriteFailed };

    static constexpr int kDefaultJpegQuality = 90;

    // The format for the path's extension, one of "jpg", "gif", "png", "bmp" and "tif";
    // empty when the program does not write it.
    static QString FormatForPath(const QString& path);

    // quality applies to JPEG only (0..100). When the file was not written, reason (when
    // given) tells why.
    static Result Write(const QImage& image, const QString& path, int quality = kDefaultJpegQuality,
        QString* reason = nullptr);

private:
    static bool Encode(const QImage& image, const QString& format, int quality, QIODevice& device);
    // Qt reads GIF but does not write it: the colours are reduced to 256 and the file written
    // with giflib.
    static bool EncodeGif(const QImage& image, QIODevice& device);
};
