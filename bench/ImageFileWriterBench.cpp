#include "BenchPhotos.h"

#include "app/PageExport.h"
#include "items/ImageFileWriter.h"
#include "items/PngEncoder.h"

#include <QBuffer>
#include <QImageReader>

#include <benchmark/benchmark.h>

// Writing the rendered page of 20 photographs (1920 x 1080, as the export hands it over) as a
// file: the program's PNG encoder against Qt's default PNG writer, each into memory with the
// bytes written as a counter, and every format through the program's writer into a file.
namespace {

const QStringList& Photos()
{
    static const QStringList photos = BenchPhotos::Ensure(BenchPhotos::kFolder, BenchPhotos::kPagePhotoCount);
    return photos;
}

// The page as the export renders it, made once through a BMP export.
const QImage& Page()
{
    static const QImage page = [] {
        PageExport::Options options;
        options.note_path = BenchPhotos::WritePageNote(Photos());
        options.output_path = QStringLiteral("/tmp/tessary-bench-page.bmp");
        options.size = BenchPhotos::kPage;
        QString error;
        PageExport::Export(options, error);
        return QImage(options.output_path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }();
    return page;
}

void BM_PagePngQtWriter(benchmark::State& state)
{
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.write(Page());
        bytes = buffer.size();
    }
    state.counters["bytes"] = double(bytes);
}

void BM_PagePngEncoder(benchmark::State& state)
{
    qint64 bytes = 0;
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        if (!PngEncoder::Write(Page(), buffer))
            state.SkipWithError("the encoder failed");
        bytes = buffer.size();
    }
    state.counters["bytes"] = double(bytes);
    state.counters["process_cpu_ms"] = (BenchPhotos::ProcessCpuMs() - cpu_before) / state.iterations();
}

void BM_PageFile(benchmark::State& state, const char* extension)
{
    const QString path = QStringLiteral("/tmp/tessary-bench-page-out.") + QLatin1String(extension);
    for (auto _ : state) {
        if (ImageFileWriter::Write(Page(), path) != ImageFileWriter::Result::Written)
            state.SkipWithError("the write failed");
    }
    state.counters["bytes"] = double(QFileInfo(path).size());
}

BENCHMARK(BM_PagePngQtWriter)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_PagePngEncoder)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK_CAPTURE(BM_PageFile, png, "png")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PageFile, jpg, "jpg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PageFile, gif, "gif")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PageFile, bmp, "bmp")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PageFile, tif, "tif")->Unit(benchmark::kMillisecond)->UseRealTime();

}

int main(int argc, char** argv)
{
    return BenchPhotos::RunBenchmarks(argc, argv, [] () -> const QStringList& {
        Page();
        return Photos();
    });
}
