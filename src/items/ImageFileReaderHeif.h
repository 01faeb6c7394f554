#pragma once

#include "items/ImageFileReader.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// HEIF files (HEIC photographs of phones, AVIF pictures) through libheif. The primary image
// is read, turned and cropped as the file defines. HEVC and AV1 images decode only at their
// full size; a smaller request is served from a thumbnail the file carries when one covers it.
class ImageFileReaderHeif {
public:
    // Whether a file starting with these bytes is a HEIF file.
    static bool Recognises(const QByteArray& start);
    static ImageFileHeader ReadHeader(const QString& path);
    // See ImageFileReader::ReadPixels.
    static QImage ReadPixels(const QString& path, QSize size, QSize natural_size);
    // The same from the file's bytes, as the fuzz target feeds them.
    static ImageFileHeader ReadHeader(const QByteArray& file);
    static QImage ReadPixels(const QByteArray& file, QSize size, QSize natural_size);
};
