#include "app/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
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
        window->ProcessCommandLine({});
        WaitForIdlePass(*window);
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        window.reset();
    }
}
BENCHMARK(BM_StartupToFirstIdlePass)->UseManualTime()->Unit(benchmark::kMillisecond);

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
        window.ProcessCommandLine({});
        WaitForIdlePass(window);
        std::printf("cold start to first idle pass: %.1f ms\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
