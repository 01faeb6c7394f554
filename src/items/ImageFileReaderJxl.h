#pragma once

#include "items/ImageFileReader.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// JPEG XL files through libjxl: the first frame, turned as the file defines. libjxl decodes
// only at full size, on every core; a smaller request is scaled down from there.
class ImageFileReaderJxl {
public:
    // Whether a file starting with these bytes is a JPEG XL file (a bare code stream or the
    // container).
    static bool Recognises(const QByteArray& start);
    static ImageFileHeader ReadHeader(const QString& path);
    // See ImageFileReader::ReadPixels.
    static QImage ReadPixels(const QString& path, QSize size, QSize natural_size);
    // The same from the file's bytes, as the fuzz target feeds them.
    static ImageFileHeader ReadHeader(const QByteArray& file);
    static QImage ReadPixels(const QByteArray& file, QSize size, QSize natural_size);
};
