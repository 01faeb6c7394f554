#pragma once

#include "items/ImageFileReader.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any bytes read by one photo format's reader: the header and the pixels, at full and at a
// reduced size, never crash; pixels come only for a readable header, at the size asked.
template <typename Reader>
int FuzzPhotoReader(const uint8_t* data, size_t size, char* program_name)
{
    static int argc = 1;
    static char* argv[] = { program_name, nullptr };
    static const bool ready = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
        return true;
    }();
    (void)ready;

    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    Reader::Recognises(file.left(64));
    const ImageFileHeader header = Reader::ReadHeader(file);
    // Large pictures decode correctly but slowly; the fuzzer looks at small ones.
    if (!header.IsReadable() || qint64(header.natural_size.width()) * header.natural_size.height() > 1024 * 1024)
        return 0;
    const QImage full = Reader::ReadPixels(file, {}, header.natural_size);
    if (!full.isNull() && full.size() != header.natural_size)
        std::abort();
    const QSize small = (header.natural_size / 3).expandedTo(QSize(1, 1));
    const QImage reduced = Reader::ReadPixels(file, small, {});
    if (!reduced.isNull() && reduced.size() != small)
        std::abort();
    return 0;
}
