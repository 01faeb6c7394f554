#pragma once

#include <QByteArray>
#include <QString>

// Whether a JPEG file's pixels all come, through libjpeg at an eighth of the image's size. Qt's
// reader fills what a file cut short or broken in its body lacks with grey and calls the image
// read; the decoder's own warnings tell such a file from a whole one. Decoding at an eighth
// still reads every coded block but skips most of the work of turning them into pixels.
class ImageFileReaderJpeg {
public:
    // Whether a file starting with these bytes is a JPEG file.
    static bool Recognises(const QByteArray& start);
    // Whether the file decodes to the end without damage.
    static bool DecodesWhole(const QString& path);
    // The same from the file's bytes.
    static bool DecodesWhole(const QByteArray& file);
};
