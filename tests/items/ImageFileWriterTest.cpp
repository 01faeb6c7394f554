#include "items/ImageFileWriter.h"

#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using TestSupport::EntriesIn;
using TestSupport::ReadAll;

namespace {

// Noise compresses badly, so the file is large enough to pass a small size limit.
QImage Noise(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            state = state * 1103515245u + 12345u;
            line[x] = 0xFF000000u | (state >> 8);
        }
    }
    return image;
}

// One name for each way a format is written.
const char* const kNames[] = { "a.jpg", "b.jpeg", "e.gif", "f.png", "h.bmp", "i.tif", "j.tiff" };

}

TEST(ImageFileWriterFullDiskTest, EveryFormatKeepsTheOldFileAndLeavesNothing)
{
    QTemporaryDir dir;
    const QImage large = Noise({ 300, 200 });
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_EQ(ImageFileWriter::Write(Noise({ 4, 4 }), path), ImageFileWriter::Result::Written);
        const QByteArray old_bytes = ReadAll(path);
        QString reason;
        {
            const TestSupport::FileSizeLimit limit(8192);
            EXPECT_EQ(ImageFileWriter::Write(large, path, 100, &reason), ImageFileWriter::Result::WriteFailed);
        }
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_EQ(ReadAll(path), old_bytes);
    }
    EXPECT_EQ(EntriesIn(dir.path()).size(), std::size(kNames));
}
