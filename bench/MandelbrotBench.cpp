#include "noteitems/MandelbrotEscape.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

// The default view at 1000 x 1000: the plain extended-precision loop on one thread against the
// escape counts' fast paths on one thread.
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

}

BENCHMARK_MAIN();
