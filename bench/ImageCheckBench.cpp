#include "BenchPhotos.h"

#include "items/ImageFileReader.h"

#include <benchmark/benchmark.h>

// What knowing that an image's pixels come costs, for one 24 MP photograph (6000 x 4000):
// - the header alone, which is all that placing an image read before;
// - the check that --new-note, an opened page and the exports make: a JPEG decoded by libjpeg
//   at an eighth of its size, any other format at a small size through its reader;
// - the same check of a 24 MP PNG, which Qt's reader decodes whole before it scales;
// - a whole decode at full size, for scale.
namespace {

const QString& Photo()
{
    static const QString path = BenchPhotos::Ensure(BenchPhotos::kFolder, 1).first();
    return path;
}

const QString& PngPhoto()
{
    static const QString path = [] {
        const QString png = BenchPhotos::kFolder + QStringLiteral("/photo00.png");
        if (!QFileInfo::exists(png))
            BenchPhotos::MakePhoto(0).save(png);
        return png;
    }();
    return path;
}

void BM_HeaderOf24MpJpeg(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageFileReader::ReadHeader(Photo()));
}

void BM_PixelCheckOf24MpJpeg(benchmark::State& state)
{
    for (auto _ : state)
        if (ImageFileReader::Check(Photo()) != ImageReadFailure::None)
            state.SkipWithError("the photograph does not read");
}

void BM_RememberedCheckOf24MpJpeg(benchmark::State& state)
{
    ImageFileReader::CheckRemembered(Photo());
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageFileReader::CheckRemembered(Photo()));
}

void BM_PixelCheckOf24MpPng(benchmark::State& state)
{
    for (auto _ : state)
        if (ImageFileReader::Check(PngPhoto()) != ImageReadFailure::None)
            state.SkipWithError("the picture does not read");
}

void BM_FullDecodeOf24MpJpeg(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ImageFileReader::ReadPixels(Photo(), {}));
}

BENCHMARK(BM_HeaderOf24MpJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_PixelCheckOf24MpJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_RememberedCheckOf24MpJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_PixelCheckOf24MpPng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FullDecodeOf24MpJpeg)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const QStringList& Photos()
{
    static const QStringList photos { Photo(), PngPhoto() };
    return photos;
}

}

int main(int argc, char** argv)
{
    return BenchPhotos::RunBenchmarks(argc, argv, Photos);
}
