#include "BenchPhotos.h"

#include "app/PageExport.h"
#include "items/ImageDecoder.h"
#include "items/ImageFileReader.h"

#include <QColorSpace>
#include <QImageReader>
#include <QProcess>

#include <libheif/heif.h>

#include <benchmark/benchmark.h>

// What photographs as phones and cameras write them cost:
// - a 12 MP HEIC shown 1200 pixels wide, against libheif's own plain decode of the file;
// - a page of 20 photographs that carry a colour profile (Adobe RGB) exported, against the
//   same page of photographs without one;
// - photographs without a profile decoded at their shown size, against Qt's reader alone,
//   which is what the program did before it converted profiles.
namespace {

constexpr QSize kPhoneSize(4032, 3024);
constexpr QSize kShown(1200, 900);

void CountProcessCpu(benchmark::State& state, double cpu_before)
{
    state.counters["process_cpu_ms"] = (BenchPhotos::ProcessCpuMs() - cpu_before) / state.iterations();
}

// A phone-sized photograph as HEIC, made once with heif-enc and kept.
const QString& PhoneHeic()
{
    static const QString path = [] {
        const QString heic = BenchPhotos::kFolder + QStringLiteral("/phone.heic");
        if (!QFileInfo::exists(heic)) {
            QDir().mkpath(BenchPhotos::kFolder);
            const QString png = BenchPhotos::kFolder + QStringLiteral("/phone.png");
            BenchPhotos::MakePhoto(3).copy(QRect(QPoint(0, 0), kPhoneSize)).save(png);
            QProcess::execute(QStringLiteral("heif-enc"), { QStringLiteral("-q"), QStringLiteral("85"), png, QStringLiteral("-o"), heic });
            QFile::remove(png);
        }
        return heic;
    }();
    return path;
}

const QStringList& Photos()
{
    static const QStringList photos = BenchPhotos::Ensure(BenchPhotos::kFolder, BenchPhotos::kPagePhotoCount);
    return photos;
}

// The same photographs with an Adobe RGB profile in an APP2 segment, as a camera set to
// Adobe RGB writes them.
const QStringList& ProfiledPhotos()
{
    static const QStringList photos = [] {
        const QString folder = BenchPhotos::kFolder + QStringLiteral("/adobe");
        QDir().mkpath(folder);
        QByteArray payload("ICC_PROFILE\0\x01\x01", 14);
        payload += QColorSpace(QColorSpace::AdobeRgb).iccProfile();
        const int length = int(payload.size()) + 2;
        const QByteArray segment = QByteArray("\xff\xe2", 2) + char(length >> 8) + char(length & 0xff) + payload;
        QStringList paths;
        for (const QString& source : Photos()) {
            const QString path = folder + u'/' + QFileInfo(source).fileName();
            if (!QFileInfo::exists(path)) {
                QFile in(source);
                QFile out(path);
                if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
                    QByteArray bytes = in.readAll();
                    bytes.insert(2, segment);
                    out.write(bytes);
                }
            }
            paths << path;
        }
        return paths;
    }();
    return photos;
}

void BM_LibheifPlainDecode(benchmark::State& state)
{
    const QByteArray path = QFile::encodeName(PhoneHeic());
    heif_init(nullptr);
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        heif_context* context = heif_context_alloc();
        heif_image_handle* handle = nullptr;
        heif_image* image = nullptr;
        if (heif_context_read_from_file(context, path.constData(), nullptr).code != heif_error_Ok
            || heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok
            || heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr).code != heif_error_Ok)
            state.SkipWithError("libheif could not decode the photograph");
        int stride = 0;
        benchmark::DoNotOptimize(heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride));
        heif_image_release(image);
        heif_image_handle_release(handle);
        heif_context_free(context);
    }
    CountProcessCpu(state, cpu_before);
}

void BM_HeicShown1200Wide(benchmark::State& state)
{
    const QString path = PhoneHeic();
    const ImageFileHeader header = ImageFileReader::ReadHeader(path);
    if (header.natural_size != kPhoneSize)
        state.SkipWithError("the photograph has not the size of a phone's");
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        const QImage shown = ImageDecoder::Decode(path, kShown, header.natural_size);
        if (shown.size() != kShown)
            state.SkipWithError("not decoded at the size shown");
        benchmark::DoNotOptimize(shown.constBits());
    }
    CountProcessCpu(state, cpu_before);
}

void ExportPage(benchmark::State& state, const QStringList& photos)
{
    PageExport::Options options;
    options.note_path = BenchPhotos::WritePageNote(photos);
    options.output_path = QStringLiteral("/tmp/tessary-bench-profiles.jpg");
    options.size = BenchPhotos::kPage;
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        QString error;
        if (!PageExport::Export(options, error))
            state.SkipWithError(error.toUtf8().constData());
    }
    CountProcessCpu(state, cpu_before);
}

void BM_ExportPageOf20PhotosWithoutProfile(benchmark::State& state)
{
    ExportPage(state, Photos());
}

void BM_ExportPageOf20PhotosWithAdobeRgbProfile(benchmark::State& state)
{
    ExportPage(state, ProfiledPhotos());
}

// The size each photograph has on the benchmarks' page.
QSize PageCellSize()
{
    const int width = BenchPhotos::kPage.width() / BenchPhotos::kPageColumns;
    return QSize(width, width * BenchPhotos::kHeight / BenchPhotos::kWidth);
}

void BM_DecodeShownSizeWithQtReaderAlone(benchmark::State& state)
{
    QImageReader::setAllocationLimit(ImageDecoder::kAllocationLimitMb);
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        for (const QString& path : Photos()) {
            QImageReader reader(path);
            reader.setScaledSize(PageCellSize());
            const QImage image = ImageDecoder::PrepareForDrawing(reader.read());
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    CountProcessCpu(state, cpu_before);
}

void BM_DecodeShownSizeWithFileReader(benchmark::State& state)
{
    const double cpu_before = BenchPhotos::ProcessCpuMs();
    for (auto _ : state) {
        for (const QString& path : Photos()) {
            const QImage image = ImageFileReader::ReadPixels(path, PageCellSize());
            benchmark::DoNotOptimize(image.constBits());
        }
    }
    CountProcessCpu(state, cpu_before);
}

BENCHMARK(BM_LibheifPlainDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_HeicShown1200Wide)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_ExportPageOf20PhotosWithoutProfile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportPageOf20PhotosWithAdobeRgbProfile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DecodeShownSizeWithQtReaderAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DecodeShownSizeWithFileReader)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

const QStringList& AllPhotos()
{
    static QStringList all;
    if (all.isEmpty())
        all = QStringList(Photos()) << ProfiledPhotos() << PhoneHeic();
    return all;
}

}

int main(int argc, char** argv)
{
    return BenchPhotos::RunBenchmarks(argc, argv, AllPhotos);
}
