#pragma once

#include <QImage>
#include <QString>

// Writes images into files whose format follows the extension of the path: ".jpg" JPEG,
// ".gif" GIF, ".png" PNG, ".bmp" BMP and ".tif" TIFF, compared in lower case; any other
// extension is refused. The file is written completely beside the target first and then
// replaces it, so a failed write leaves an existing file as it was.
class ImageFileWriter {
public:
    enum class Result { Written, UnknownExtension, WriteFailed };

    static constexpr int kDefaultJpegQuality = 90;

    // The Qt format name for the path's extension ("jpg", "gif", ...), empty when unknown.
    static QString FormatForPath(const QString& path);

    // quality applies to JPEG only (0..100).
    static Result Write(const QImage& image, const QString& path, int quality = kDefaultJpegQuality);

private:
    // Qt reads GIF but does not write it: the colours are reduced to 256 and the file written
    // with giflib.
    static bool WriteGif(const QImage& image, const QString& path);
};
