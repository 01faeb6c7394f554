#include "BenchPhotos.h"

#include "items/ImageDecoder.h"
#include "items/OffscreenCanvas.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "text/KeyValueStore.h"

#include <QImageReader>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

// The image item with photographs of 6000 x 4000 pixels: repainting after a move of a photo
// shown reduced (against copying the same pixels, and against scaling from the full image at
// every paint), and stepping to the next photo of a folder (against one full decode).
namespace {

constexpr int kPhotoCount = 20;
const QRectF kShown(100, 100, 800, 533);

const QStringList& Photos()
{
    static const QStringList photos = BenchPhotos::Ensure(BenchPhotos::kFolder, kPhotoCount);
    return photos;
}

KeyValueStore PhotoSection(const QString& path, const QRectF& rect)
{
    KeyValueStore store;
    store.Set(QStringLiteral("FileName"), path);
    store.Set(QStringLiteral("Pos"),
        QStringLiteral("L%1,T%2,W%3,H%4").arg(rect.left()).arg(rect.top()).arg(rect.width()).arg(rect.height()));
    return store;
}

ImageItem& AddPhoto(OffscreenCanvas& page)
{
    auto item = std::make_unique<ImageItem>(page.GetCanvas());
    ImageItem& added = *item;
    page.GetCanvas().AddItem(std::move(item));
    return added;
}

// Moves the item by one pixel to and fro and repaints its new bounds, as a drag step does.
void RepaintAfterMoves(benchmark::State& state, OffscreenCanvas& page, ImageItem& item)
{
    page.Render();
    bool right = false;
    for (auto _ : state) {
        right = !right;
        item.SetAnchor(Item::kLeft, QStringLiteral("L%1").arg(kShown.left() + (right ? 1 : 0)));
        page.GetCanvas().RenderItems(item.GetBounds(), OpaqueShortcut::On);
        benchmark::DoNotOptimize(page.GetCanvas().BackBuffer().constBits());
    }
}

void BM_RepaintMovedReducedPhoto(benchmark::State& state)
{
    OffscreenCanvas page(QSize(1920, 1080));
    ImageItem& item = AddPhoto(page);
    item.ReadSection(PhotoSection(Photos().first(), kShown));
    RepaintAfterMoves(state, page, item);
}

void BM_RepaintMovedPhotoScaledFromFullImage(benchmark::State& state)
{
    OffscreenCanvas page(QSize(1920, 1080));
    ImageItem& item = AddPhoto(page);
    item.ReadSection(PhotoSection(Photos().first(), kShown));
    item.TakeImage(ImageDecoder::Decode(Photos().first(), {}));
    item.GetPicture().SetCacheEnabled(false);
    RepaintAfterMoves(state, page, item);
}

void BM_CopySamePixels(benchmark::State& state)
{
    QImage target(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    const QImage shown = ImageDecoder::Decode(Photos().first(), kShown.size().toSize());
    QPainter painter(&target);
    for (auto _ : state) {
        painter.drawImage(kShown.topLeft(), shown);
        benchmark::DoNotOptimize(target.constBits());
    }
}

void BM_NextPhotoShownAt800x600(benchmark::State& state)
{
    OffscreenCanvas page(QSize(1920, 1080));
    ImageItem& item = AddPhoto(page);
    item.ReadSection(PhotoSection(Photos().first(), QRectF(0, 0, 800, 600)));
    while (FolderListingCache::Instance().Running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    page.Render();
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        // Stepping repaints the item, which waits for the new photo's pixels.
        if (!item.NextImage(1))
            state.SkipWithError("no next photo");
    }
    state.counters["process_cpu_ms"] = (BenchPhotos::ProcessCpuMs() - cpu_before) / state.iterations();
}

void BM_FullDecodeOfOnePhoto(benchmark::State& state)
{
    QImageReader::setAllocationLimit(ImageDecoder::kAllocationLimitMb);
    int index = 0;
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        QImageReader reader(Photos()[index++ % kPhotoCount]);
        QImage image = reader.read();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["process_cpu_ms"] = (BenchPhotos::ProcessCpuMs() - cpu_before) / state.iterations();
}

BENCHMARK(BM_RepaintMovedReducedPhoto)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopySamePixels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintMovedPhotoScaledFromFullImage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextPhotoShownAt800x600)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_FullDecodeOfOnePhoto)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

}

int main(int argc, char** argv)
{
    return BenchPhotos::RunBenchmarks(argc, argv, Photos);
}
