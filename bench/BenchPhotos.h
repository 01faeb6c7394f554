#pragma once

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <sys/resource.h>

// Photographs for the benchmarks: 6000 x 4000 JPEG files at quality 90, made once into a
// folder under /tmp and kept there for later runs. Their content is gradients with noise, so
// that they compress and decode like camera pictures rather than like flat colour.
namespace BenchPhotos {

inline constexpr int kWidth = 6000;
inline constexpr int kHeight = 4000;

inline QImage MakePhoto(int seed)
{
    QImage photo(kWidth, kHeight, QImage::Format_RGB32);
    std::uint32_t state = 2463534242u + std::uint32_t(seed) * 7919u;
    for (int y = 0; y < kHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int noise = int(state & 31) - 16;
            const int red = (x * 255 / kWidth + seed * 40 + noise) & 255;
            const int green = (y * 255 / kHeight + noise) & 255;
            const int blue = ((x + y) * 255 / (kWidth + kHeight) + seed * 13 - noise) & 255;
            line[x] = qRgb(red, green, blue);
        }
    }
    return photo;
}

// The paths of count photographs in folder, made when missing.
inline QStringList Ensure(const QString& folder, int count)
{
    QDir().mkpath(folder);
    QStringList paths;
    for (int index = 0; index < count; ++index) {
        const QString path = QStringLiteral("%1/photo%2.jpg").arg(folder).arg(index, 2, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(path)) {
            QImageWriter writer(path + QStringLiteral(".part"), "jpeg");
            writer.setQuality(90);
            writer.write(MakePhoto(index));
            QFile::rename(path + QStringLiteral(".part"), path);
        }
        paths << path;
    }
    return paths;
}

// CPU time of the whole process (every thread) so far, in milliseconds. On a machine shared
// with other work, wall times of threaded code depend on the load; this does not.
inline double ProcessCpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

inline const QString kFolder = QStringLiteral("/tmp/tessary-bench-photos");

// The benchmarks' page: 20 photographs in 5 columns and 4 rows on a page of 1920 x 1080.
inline constexpr int kPagePhotoCount = 20;
inline constexpr int kPageColumns = 5;
inline constexpr int kPageRows = 4;
inline const QSize kPage(1920, 1080);

// Writes the note of one page that shows the photographs side by side; answers its path.
inline QString WritePageNote(const QStringList& photos)
{
    const int cell_width = kPage.width() / kPageColumns;
    const int cell_height = kPage.height() / kPageRows;
    const int shown_height = cell_width * kHeight / kWidth;
    QString text;
    for (int index = 0; index < photos.size(); ++index) {
        const int left = (index % kPageColumns) * cell_width;
        const int top = (index / kPageColumns) * cell_height;
        text += QStringLiteral("[TSImage]\r\nFileName=%1,0.000000,0.000000,0.000000,0.000000\r\nRotate=0\r\n"
                               "Pos=L%2,T%3,W%4,H%5\r\n\r\n")
                    .arg(QFileInfo(photos[index]).fileName())
                    .arg(left)
                    .arg(top)
                    .arg(cell_width)
                    .arg(shown_height);
    }
    const QString path = kFolder + QStringLiteral("/page.tsy");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
    return path;
}

// Runs the benchmarks off-screen after making the photographs, so that their making counts in
// no figure.
inline int RunBenchmarks(int argc, char** argv, const QStringList& (*photos)())
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream(stderr) << "Photographs in " << kFolder << ": " << photos().size() << '\n';
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}
