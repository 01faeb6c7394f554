#include "BenchPhotos.h"

#include "app/PageExport.h"
#include "items/ImageDecoder.h"
#include "items/PictureCache.h"

#include <QImageReader>

#include <benchmark/benchmark.h>

// A page of 20 photographs of 6000 x 4000 pixels exported at 1920 x 1080, against decoding the
// same 20 files at full size one after another. The export decodes each photograph straight to
// the size it has on the page, on every core.
namespace {

double PeakRssMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void CountProcessCpu(benchmark::State& state, double cpu_before)
{
    state.counters["process_cpu_ms"] = (BenchPhotos::ProcessCpuMs() - cpu_before) / state.iterations();
}

const QStringList& Photos()
{
    static const QStringList photos = BenchPhotos::Ensure(BenchPhotos::kFolder, BenchPhotos::kPagePhotoCount);
    return photos;
}

void BM_ExportPageOf20Photos(benchmark::State& state, const char* extension)
{
    PageExport::Options options;
    options.note_path = BenchPhotos::WritePageNote(Photos());
    options.output_path = QStringLiteral("/tmp/tessary-bench-export.") + QLatin1String(extension);
    options.size = BenchPhotos::kPage;
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        // Every export decodes its photographs, as a new process does.
        state.PauseTiming();
        PictureCache::Instance().Clear();
        state.ResumeTiming();
        QString error;
        if (!PageExport::Export(options, error))
            state.SkipWithError(error.toUtf8().constData());
    }
    CountProcessCpu(state, cpu_before);
    // Measured before the full decodes below run in this process.
    state.counters["peak_rss_mb"] = PeakRssMb();
}

void BM_FullDecodeOf20PhotosOneAfterAnother(benchmark::State& state)
{
    QImageReader::setAllocationLimit(ImageDecoder::kAllocationLimitMb);
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        for (const QString& path : Photos()) {
            QImageReader reader(path);
            QImage image = reader.read();
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    CountProcessCpu(state, cpu_before);
}

BENCHMARK_CAPTURE(BM_ExportPageOf20Photos, jpg, "jpg")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_ExportPageOf20Photos, png, "png")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FullDecodeOf20PhotosOneAfterAnother)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}

int main(int argc, char** argv)
{
    return BenchPhotos::RunBenchmarks(argc, argv, Photos);
}
