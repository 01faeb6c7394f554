#include "BenchPhotos.h"

#include "app/PageExport.h"
#include "items/ImageDecoder.h"

#include <QImageReader>

#include <benchmark/benchmark.h>

// A page of 20 photographs of 6000 x 4000 pixels exported at 1920 x 1080, against decoding the
// same 20 files at full size one after another. The export decodes each photograph straight to
// the size it has on the page, on every core.
namespace {

constexpr int kPhotoCount = 20;
constexpr int kColumns = 5;
constexpr int kRows = 4;
const QSize kPage(1920, 1080);

QString WriteNote(const QStringList& photos)
{
    const int cell_width = kPage.width() / kColumns;
    const int cell_height = kPage.height() / kRows;
    const int shown_height = cell_width * BenchPhotos::kHeight / BenchPhotos::kWidth;
    QString text;
    for (int index = 0; index < photos.size(); ++index) {
        const int left = (index % kColumns) * cell_width;
        const int top = (index / kColumns) * cell_height;
        text += QStringLiteral("[TSImage]\r\nFileName=%1,0.000000,0.000000,0.000000,0.000000\r\nRotate=0\r\n"
                               "Pos=L%2,T%3,W%4,H%5\r\n\r\n")
                    .arg(QFileInfo(photos[index]).fileName())
                    .arg(left)
                    .arg(top)
                    .arg(cell_width)
                    .arg(shown_height);
    }
    const QString path = BenchPhotos::kFolder + QStringLiteral("/page.tsy");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
    return path;
}

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
    static const QStringList photos = BenchPhotos::Ensure(BenchPhotos::kFolder, kPhotoCount);
    return photos;
}

void BM_ExportPageOf20Photos(benchmark::State& state)
{
    PageExport::Options options;
    options.note_path = WriteNote(Photos());
    options.output_path = QStringLiteral("/tmp/tessary-bench-export.jpg");
    options.size = kPage;
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
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

BENCHMARK(BM_ExportPageOf20Photos)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FullDecodeOf20PhotosOneAfterAnother)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}

int main(int argc, char** argv)
{
    return BenchPhotos::RunBenchmarks(argc, argv, Photos);
}
