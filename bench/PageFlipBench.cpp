#include "BenchPhotos.h"

#include "app/MainWindow.h"
#include "app/PageExport.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "items/DecodeQueue.h"
#include "items/PictureCache.h"
#include "noteitems/ImageItem.h"
#include "platform/TextFile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unistd.h>

// Turning the pages of a note of photographs in the real editor window, off-screen: each page
// holds 20 photographs of 6000 x 4000 pixels on a page of 1920 x 1080 shown at zoom 0.5. Every
// page refers to files of its own (links to the 20 photographs), so that a page never seen
// has nothing decoded yet. Times are from the key to the moment the page changed and to the
// moment every picture on it shows its final pixels. One run each.
namespace {

constexpr float kZoom = 0.5f;

const QStringList& Photos()
{
    static const QStringList photos = BenchPhotos::Ensure(BenchPhotos::kFolder, BenchPhotos::kPagePhotoCount);
    return photos;
}

// The text of page `page`: the photographs in a 5 x 4 grid, through links named after the page.
QString PageText(int page)
{
    const QString folder = BenchPhotos::kFolder + QStringLiteral("/pages");
    QDir().mkpath(folder);
    const int cell_width = BenchPhotos::kPage.width() / BenchPhotos::kPageColumns;
    const int cell_height = BenchPhotos::kPage.height() / BenchPhotos::kPageRows;
    const int shown_height = cell_width * BenchPhotos::kHeight / BenchPhotos::kWidth;
    QString text;
    for (int index = 0; index < Photos().size(); ++index) {
        const QString link = QStringLiteral("%1/page%2_%3.jpg").arg(folder).arg(page, 2, 10, QLatin1Char('0')).arg(index, 2, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(link))
            QFile::link(Photos()[index], link);
        text += QStringLiteral("[TSImage]\r\nFileName=%1,0.000000,0.000000,0.000000,0.000000\r\nRotate=0\r\n"
                               "Pos=L%2,T%3,W%4,H%5\r\n\r\n")
                    .arg(link)
                    .arg((index % BenchPhotos::kPageColumns) * cell_width)
                    .arg((index / BenchPhotos::kPageColumns) * cell_height)
                    .arg(cell_width)
                    .arg(shown_height);
    }
    return text;
}

QString WriteNote(int pages)
{
    QStringList texts;
    for (int page = 0; page < pages; ++page)
        texts << PageText(page);
    const QString path = BenchPhotos::kFolder + QStringLiteral("/note%1.tsy").arg(pages);
    WriteTextFileSafely(path, JoinNotePages(texts));
    return path;
}

double LoadAverage()
{
    double load[1] {};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

// The editor showing a note of photographs, the whole page in view.
class Editor {
public:
    explicit Editor(int pages)
    {
        m_window.show();
        m_window.resize(1000, 820);
        Canvas& canvas = m_window.PageCanvas();
        m_window.OpenNote(WriteNote(pages));
        canvas.SetLayoutSize(float(BenchPhotos::kPage.width()), float(BenchPhotos::kPage.height()));
        canvas.SetZoom(kZoom);
        m_window.CentrePage();
        m_window.RepaintPageCanvas();
    }

    MainWindow& Window() { return m_window; }

    void Key(int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&m_window.PageWidget(), &press);
        QCoreApplication::sendEvent(&m_window.PageWidget(), &release);
    }

    void PostKey(int key)
    {
        QCoreApplication::postEvent(&m_window.PageWidget(), new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        QCoreApplication::postEvent(&m_window.PageWidget(), new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
    }

    int Pictures()
    {
        int count = 0;
        for (const auto& item : m_window.PageCanvas().Items())
            count += dynamic_cast<const ImageItem*>(item.get()) ? 1 : 0;
        return count;
    }

    bool AllFinal()
    {
        const Canvas& canvas = m_window.PageCanvas();
        return std::none_of(canvas.Items().begin(), canvas.Items().end(), [](const auto& item) {
            const auto* image = dynamic_cast<const ImageItem*>(item.get());
            return image && image->GetPicture().AwaitsPixels();
        });
    }

    // Runs the event loop until every picture of the page shows its final pixels.
    void WaitUntilFinal()
    {
        while (!AllFinal())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    // Runs the event loop for a while, as a user looking at the page.
    static void Idle(int milliseconds)
    {
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }

    // Lets every decode end, so that nothing of one measurement runs into the next.
    static void Settle()
    {
        DecodeQueue& queue = DecodeQueue::Instance();
        while (!queue.Settled()) {
            queue.WaitUntilIdle();
            QCoreApplication::processEvents();
        }
    }

private:
    MainWindow m_window;
};

struct Flip {
    double change_ms { 0 };
    double final_ms { 0 };
};

Flip FlipNext(Editor& editor)
{
    QElapsedTimer timer;
    timer.start();
    editor.Key(Qt::Key_PageDown);
    Flip flip;
    flip.change_ms = double(timer.nsecsElapsed()) / 1e6;
    editor.WaitUntilFinal();
    flip.final_ms = double(timer.nsecsElapsed()) / 1e6;
    return flip;
}

void Report(benchmark::State& state, const Flip& flip, double cpu_before)
{
    state.SetIterationTime(flip.final_ms / 1e3);
    state.counters["change_ms"] = flip.change_ms;
    state.counters["final_ms"] = flip.final_ms;
    state.counters["process_cpu_ms"] = BenchPhotos::ProcessCpuMs() - cpu_before;
    state.counters["load1"] = LoadAverage();
}

// A page never seen: nothing of it is decoded, against the export of the same page (in this
// process, its pixels not kept either). The export draws the page at its own size, the window
// at half of it; both decode each photograph at an eighth of its size and scale it down.
void BM_FlipToUnseenPage(benchmark::State& state)
{
    Editor editor(3);
    editor.WaitUntilFinal();
    Editor::Settle();
    for (auto _ : state) {
        PictureCache::Instance().Clear();
        const double cpu_before = BenchPhotos::ProcessCpuMs();
        const Flip flip = FlipNext(editor);
        Report(state, flip, cpu_before);
        if (editor.Pictures() != BenchPhotos::kPagePhotoCount)
            state.SkipWithError("the photographs did not load");

        Editor::Settle();
        PictureCache::Instance().Clear();
        PageExport::Options options;
        options.note_path = BenchPhotos::kFolder + QStringLiteral("/note3.tsy");
        options.output_path = QStringLiteral("/tmp/tessary-bench-flip-export.png");
        options.page = 2;
        options.size = BenchPhotos::kPage;
        QElapsedTimer timer;
        timer.start();
        QString error;
        if (!PageExport::Export(options, error))
            state.SkipWithError(error.toUtf8().constData());
        state.counters["export_ms"] = double(timer.nsecsElapsed()) / 1e6;
    }
}
BENCHMARK(BM_FlipToUnseenPage)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Back to the page shown just before.
void BM_FlipBackToSeenPage(benchmark::State& state)
{
    Editor editor(3);
    editor.WaitUntilFinal();
    editor.Key(Qt::Key_PageDown);
    editor.WaitUntilFinal();
    Editor::Settle();
    for (auto _ : state) {
        const double cpu_before = BenchPhotos::ProcessCpuMs();
        QElapsedTimer timer;
        timer.start();
        editor.Key(Qt::Key_PageUp);
        Flip flip;
        flip.change_ms = double(timer.nsecsElapsed()) / 1e6;
        editor.WaitUntilFinal();
        flip.final_ms = double(timer.nsecsElapsed()) / 1e6;
        Report(state, flip, cpu_before);
    }
}
BENCHMARK(BM_FlipBackToSeenPage)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The next page after two seconds on the current one, which the editor used to prepare it.
void BM_FlipToNextPageAfterIdle(benchmark::State& state)
{
    Editor editor(3);
    editor.WaitUntilFinal();
    for (auto _ : state) {
        Editor::Idle(2000);
        const double cpu_before = BenchPhotos::ProcessCpuMs();
        Report(state, FlipNext(editor), cpu_before);
    }
}
BENCHMARK(BM_FlipToNextPageAfterIdle)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Five never-seen pages turned quickly (a key every 100 ms) while a timer measures how long the
// user-interface thread goes without serving its event loop.
void BM_StallWhileFlippingFivePages(benchmark::State& state)
{
    Editor editor(7);
    editor.WaitUntilFinal();
    Editor::Settle();
    PictureCache::Instance().Clear();
    constexpr int kTick = 2;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longest = 0;
        QTimer ticks;
        ticks.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - last);
            last = now;
        });
        ticks.start(kTick);
        const double cpu_before = BenchPhotos::ProcessCpuMs();
        for (int page = 0; page < 5; ++page) {
            editor.PostKey(Qt::Key_PageDown);
            Editor::Idle(100);
        }
        editor.WaitUntilFinal();
        const double final_ms = double(clock.nsecsElapsed()) / 1e6;
        ticks.stop();
        state.SetIterationTime(double(longest) / 1e9);
        state.counters["longest_stall_ms"] = double(longest) / 1e6 - kTick;
        state.counters["last_page_final_ms"] = final_ms - 400;
        state.counters["process_cpu_ms"] = BenchPhotos::ProcessCpuMs() - cpu_before;
        state.counters["load1"] = LoadAverage();
    }
}
BENCHMARK(BM_StallWhileFlippingFivePages)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The resident set's peak since the last reset, in MB.
double PeakRssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

void ResetPeakRss()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Every page of a note of 50 pages of photographs, each waited for, with the cache's bound
// given (0: the program's own), against the memory the process held before.
void BM_MemoryFlippingFiftyPages(benchmark::State& state)
{
    const qint64 bound = state.range(0) > 0 ? state.range(0) << 20 : PictureCache::DefaultLimit();
    PictureCache::Instance().Clear();
    PictureCache::Instance().SetLimit(bound);
    Editor editor(50);
    editor.WaitUntilFinal();
    Editor::Settle();
    for (auto _ : state) {
        ResetPeakRss();
        const double before = PeakRssMb();
        const double cpu_before = BenchPhotos::ProcessCpuMs();
        QElapsedTimer timer;
        timer.start();
        for (int page = 1; page < 50; ++page) {
            editor.Key(Qt::Key_PageDown);
            editor.WaitUntilFinal();
        }
        state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
        Editor::Settle();
        state.counters["rss_before_mb"] = before;
        state.counters["peak_rss_mb"] = PeakRssMb();
        state.counters["growth_mb"] = PeakRssMb() - before;
        state.counters["bound_mb"] = double(bound) / (1 << 20);
        state.counters["cache_mb"] = double(PictureCache::Instance().Bytes()) / (1 << 20);
        state.counters["process_cpu_ms"] = BenchPhotos::ProcessCpuMs() - cpu_before;
        state.counters["load1"] = LoadAverage();
    }
    PictureCache::Instance().SetLimit(PictureCache::DefaultLimit());
}
BENCHMARK(BM_MemoryFlippingFiftyPages)->Arg(0)->Arg(32)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream(stderr) << "Photographs in " << BenchPhotos::kFolder << ": " << Photos().size() << '\n';
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
