#include "items/Picture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

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

BENCHMARK(BM_CachedDraw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RescaleEveryPaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMicrosecond);

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
