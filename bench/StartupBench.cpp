#include "app/MainWindow.h"

#include "items/Canvas.h"
#include "items/NoteItem.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Runs the event loop until the window's first idle pass.
void WaitForIdlePass(MainWindow& window)
{
    QEventLoop loop;
    QObject::connect(&window, &MainWindow::IdlePassDone, &loop, &QEventLoop::quit);
    loop.exec();
}

// From creating the editor window (layouts, fonts and interface pictures included) to the
// end of its first idle pass, as the program starts without arguments.
void BM_StartupToFirstIdlePass(benchmark::State& state)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        auto window = std::make_unique<MainWindow>();
        window->show();
        window->Import().ProcessCommandLine({});
        WaitForIdlePass(*window);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        window.reset();
    }
}
// The first start in a process is the cold one (fonts and interface pictures not loaded yet);
// it is registered first so that it runs first, once.
BENCHMARK(BM_StartupToFirstIdlePass)->Name("BM_ColdStartupToFirstIdlePass")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToFirstIdlePass)->UseManualTime()->Unit(benchmark::kMillisecond);

constexpr int kPhotographs = 20;
const QSize kPhotographSize(6000, 4000);

// Twenty 6000 x 4000 JPEG photographs, made once and kept in the temporary folder.
QStringList Photographs()
{
    const QString folder = QDir::tempPath() + QStringLiteral("/tessary_bench_photographs/");
    QDir().mkpath(folder);
    const QString first = folder + QStringLiteral("photo01.jpg");
    if (!QFile::exists(first)) {
        QImage image(kPhotographSize, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, kPhotographSize.height());
        sky.setColorAt(0, QColor(250, 180, 110));
        sky.setColorAt(0.6, QColor(90, 60, 140));
        sky.setColorAt(1, QColor(20, 30, 60));
        painter.fillRect(image.rect(), sky);
        // Fine detail, so the file decodes like a photograph and not like a flat picture.
        for (int y = 0; y < kPhotographSize.height(); y += 7)
            for (int x = (y * 13) % 11; x < kPhotographSize.width(); x += 11)
                painter.fillRect(x, y, 3, 3, QColor((x * 7) % 256, (y * 3) % 256, (x + y) % 256));
        painter.end();
        image.save(first, "JPG", 85);
    }
    QStringList paths;
    for (int index = 1; index <= kPhotographs; ++index) {
        const QString path = folder + QStringLiteral("photo%1.jpg").arg(index, 2, 10, QLatin1Char('0'));
        if (!QFile::exists(path))
            QFile::copy(first, path);
        paths << path;
    }
    return paths;
}

// Changing to a page that holds twenty photographs in a 5 x 4 grid, until the page is drawn
// (drawing waits for every picture's pixels).
void BM_ChangeToPageOfTwentyPhotographs(benchmark::State& state)
{
    const QStringList photographs = Photographs();
    MainWindow window;
    window.show();
    Pages& pages = window.GetPages();
    Canvas& canvas = window.PageCanvas();
    const float cell_width = canvas.LayoutWidth() / 5;
    const float cell_height = canvas.LayoutHeight() / 4;
    for (int index = 0; index < kPhotographs; ++index) {
        window.Import().PlaceImage(photographs[index], {}, Placement::AtPoint, 0, -1);
        Item* photograph = canvas.ItemAt(canvas.ItemCount() - 1);
        photograph->SetBoundsAsAnchors(QRectF((index % 5) * cell_width, (index / 5) * cell_height, cell_width, cell_height));
    }
    pages.RecordChanges();
    pages.Next();
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        pages.GoTo(0);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (NoteItemsOf(canvas).size() != size_t(kPhotographs))
            state.SkipWithError("the photographs did not load");
        pages.GoTo(1);
    }
}
BENCHMARK(BM_ChangeToPageOfTwentyPhotographs)->UseManualTime()->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The very first window pays for the font database and the first picture decoders.
    {
        QElapsedTimer timer;
        timer.start();
        MainWindow window;
        window.show();
        window.Import().ProcessCommandLine({});
        WaitForIdlePass(window);
        std::printf("cold start to first idle pass: %.1f ms\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
