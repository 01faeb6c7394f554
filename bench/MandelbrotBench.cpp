#include "noteitems/MandelbrotEscape.h"
#include "noteitems/MandelbrotPicture.h"

#include <QImage>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

// The default view at 1000 x 1000: the plain extended-precision loop on one thread against the
// escape counts' fast paths on one thread and a whole render by the two render workers, as an
// export waits for it (the calling thread computes what the workers have not). Then
// recolouring the counts against a plain copy of the bitmap's bytes, and the wait for a render
// of a few pixels.
namespace {

constexpr int kSide = 1000;

const MandelbrotView kDefaultView { 3.0, -0.6666666666666666, -0.5, kSide, kSide };

void Counts(benchmark::State& state, MandelbrotEscape::Path path)
{
    const MandelbrotEscape escape(kDefaultView);
    std::vector<std::uint8_t> counts(std::size_t(kSide) * kSide);
    int exact = 0;
    for (auto _ : state) {
        exact = 0;
        for (int y = 0; y < kSide; ++y)
            exact += escape.ComputeRow(y, counts.data() + std::size_t(y) * kSide, path);
        benchmark::DoNotOptimize(counts.data());
    }
    state.counters["exact_pixels"] = exact;
}

void BM_ExactLoopOneThread(benchmark::State& state)
{
    Counts(state, MandelbrotEscape::Path::Exact);
}
BENCHMARK(BM_ExactLoopOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScalarFastPathOneThread(benchmark::State& state)
{
    Counts(state, MandelbrotEscape::Path::Scalar);
}
BENCHMARK(BM_ScalarFastPathOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_VectorFastPathOneThread(benchmark::State& state)
{
    Counts(state, MandelbrotEscape::Path::Best);
}
BENCHMARK(BM_VectorFastPathOneThread)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderTwoWorkers(benchmark::State& state)
{
    std::vector<std::uint8_t> counts(std::size_t(kSide) * kSide);
    for (auto _ : state) {
        MandelbrotPicture::ComputeCounts(kDefaultView, counts.data());
        benchmark::DoNotOptimize(counts.data());
    }
}
BENCHMARK(BM_RenderTwoWorkers)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SmallRender(benchmark::State& state)
{
    std::vector<std::uint8_t> counts(16);
    for (auto _ : state) {
        MandelbrotPicture::ComputeCounts(MandelbrotView { 3.0, -0.6666666666666666, -0.5, 4, 4 }, counts.data());
        benchmark::DoNotOptimize(counts.data());
    }
}
BENCHMARK(BM_SmallRender)->Unit(benchmark::kMicrosecond)->UseRealTime();

std::vector<std::uint8_t> DefaultCounts()
{
    std::vector<std::uint8_t> counts(std::size_t(kSide) * kSide);
    const MandelbrotEscape escape(kDefaultView);
    for (int y = 0; y < kSide; ++y)
        escape.ComputeRow(y, counts.data() + std::size_t(y) * kSide);
    return counts;
}

void BM_Recolour(benchmark::State& state)
{
    const std::vector<std::uint8_t> counts = DefaultCounts();
    QImage bitmap(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    const MandelbrotPicture::Parameters colours;
    for (auto _ : state) {
        MandelbrotPicture::Colorize(counts.data(), bitmap, colours);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
}
BENCHMARK(BM_Recolour)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_CopyBitmapBytes(benchmark::State& state)
{
    QImage source(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    source.fill(0xFF102030);
    QImage target(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        std::memcpy(target.bits(), source.constBits(), std::size_t(source.sizeInBytes()));
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_CopyBitmapBytes)->Unit(benchmark::kMicrosecond)->UseRealTime();

}

BENCHMARK_MAIN();
