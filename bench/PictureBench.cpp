#include "items/Picture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// A 6000 x 4000 photograph shown at 800 x 533 on a page: drawing it through the device-size
// cache, scaling it from the full image at every paint, and copying the same number of pixels.
namespace {

const QRectF kShown(37, 21, 800, 533);

const QImage& Photograph()
{
    static const QImage image = [] {
        QImage photo(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
            for (int x = 0; x < photo.width(); ++x)
                line[x] = qRgb((x * 7) & 0xff, (y * 3) & 0xff, (x ^ y) & 0xff);
        }
        return photo;
    }();
    return image;
}

QImage Target()
{
    QImage target(1000, 700, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    return target;
}

void DrawPicture(benchmark::State& state, bool cache_enabled)
{
    Picture picture;
    picture.SetImage(Photograph());
    picture.SetCacheEnabled(cache_enabled);
    QImage target = Target();
    QPainter painter(&target);
    for (auto _ : state) {
        picture.Draw(painter, kShown, kShown);
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_CachedDraw(benchmark::State& state)
{
    DrawPicture(state, true);
}

void BM_RescaleEveryPaint(benchmark::State& state)
{
    DrawPicture(state, false);
}

void BM_PlainCopy(benchmark::State& state)
{
    const QImage shown = Photograph().scaled(kShown.size().toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage target = Target();
    QPainter painter(&target);
    for (auto _ : state) {
        painter.drawImage(QPoint(37, 21), shown);
        benchmark::DoNotOptimize(target.constBits());
    }
}

// Loading the photograph as a JPEG file whole, and decoded only as large as a screen.
const QString& PhotographFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("photo.jpg"));
        Photograph().save(file, "JPEG", 90);
        return file;
    }();
    return path;
}

void LoadPhotograph(benchmark::State& state, QSize decode_limit)
{
    const QString& path = PhotographFile();
    for (auto _ : state) {
        Picture picture;
        benchmark::DoNotOptimize(picture.Load(path, {}, decode_limit));
    }
}

void BM_LoadWhole(benchmark::State& state)
{
    LoadPhotograph(state, {});
}

void BM_LoadReduced(benchmark::State& state)
{
    LoadPhotograph(state, QSize(1600, 1200));
}

BENCHMARK(BM_CachedDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RescaleEveryPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadReduced)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
