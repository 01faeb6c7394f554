#include "items/ImageFileReaderHeif.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Any bytes read as a HEIF or AVIF file: the header and the pixels, at full and at a reduced
// size, never crash; pixels come only for a readable header, at the size asked.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "HeifDecodeFuzz";
    static char* argv[] = { name, nullptr };
    static const bool ready = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
        return true;
    }();
    (void)ready;

    const QByteArray file = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    ImageFileReaderHeif::Recognises(file.left(64));
    const ImageFileHeader header = ImageFileReaderHeif::ReadHeader(file);
    // Large pictures decode correctly but slowly; the fuzzer looks at small ones.
    if (!header.IsReadable() || qint64(header.natural_size.width()) * header.natural_size.height() > 1024 * 1024)
        return 0;
    const QImage full = ImageFileReaderHeif::ReadPixels(file, {}, header.natural_size);
    if (!full.isNull() && full.size() != header.natural_size)
        std::abort();
    const QSize small = (header.natural_size / 3).expandedTo(QSize(1, 1));
    const QImage reduced = ImageFileReaderHeif::ReadPixels(file, small, {});
    if (!reduced.isNull() && reduced.size() != small)
        std::abort();
    return 0;
}
