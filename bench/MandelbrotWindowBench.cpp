#include "app/MainWindow.h"

#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "noteitems/MandelbrotItem.h"
#include "text/KeyValueStore.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

// A wheel notch on a Mandelbrot picture that fills a 1920 x 1080 page of the editor's window
// (offscreen), from ZoomRate 2e-17 to 1e-17, near the edge of the set. Measured on the real window with its event loop running: the time from the
// wheel event to the first rows of the new view on the page, the time the wheel event itself
// holds the user-interface thread, the longest stall of that thread from the wheel to the end
// of the render (the lateness of a 1 ms timer), and the whole render. The page is shown at
// half size (the picture is computed at the screen's resolution, 960 x 540) and at full size.
namespace {

// Every pixel of the view there reaches the last count on the extended-precision path, the
// slowest render there is (about 1 s of one core for 960 x 540 pixels).
constexpr long double kTargetX = -0.77568377L;
constexpr long double kTargetY = 0.13646737L;
const QSize kPage(1920, 1080);

struct Figures {
    double first_rows_ms { -1 };
    double wheel_ms { 0 };
    double longest_stall_ms { 0 };
    double render_ms { 0 };
};

// Runs the event loop with a 1 ms timer until the picture has no render running, from the
// moment `start` is called. Records when rows of the new render first reach the page.
Figures Measure(MandelbrotPicture& picture, const std::function<void()>& start)
{
    Figures figures;
    QEventLoop loop;
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    qint64 last_tick = -1;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last_tick >= 0)
            figures.longest_stall_ms = std::max(figures.longest_stall_ms, double(now - last_tick) / 1e6 - 1);
        last_tick = now;
        if (figures.first_rows_ms < 0 && picture.Counts().RenderedRows() > 0)
            figures.first_rows_ms = double(now) / 1e6;
        if (!picture.IsRendering()) {
            figures.render_ms = double(now) / 1e6;
            loop.quit();
        }
    });
    QTimer::singleShot(0, [&] {
        clock.start();
        start();
        figures.wheel_ms = double(clock.nsecsElapsed()) / 1e6;
        ticker.start();
    });
    loop.exec();
    return figures;
}

void Send(QWidget& widget, QEvent& event)
{
    QApplication::sendEvent(&widget, &event);
}

void BM_WheelNotchAtDepth(benchmark::State& state)
{
    MainWindow window;
    window.show();
    const float zoom = float(state.range(0)) / 100;
    Canvas& page = window.PageCanvas();
    page.SetLayoutSize(float(kPage.width()), float(kPage.height()));
    page.SetZoom(zoom);
    // The window's page area fits the page; its resize centres and repaints the page.
    window.resize(int(float(kPage.width()) * zoom) + 40, int(float(kPage.height()) * zoom) + 240);
    QApplication::processEvents();

    ItemFactories::RegisterAll();
    KeyValueStore section;
    section.Set(QStringLiteral("Pos"), QStringLiteral("L0,T0,W100%,H100%"));
    if (!ItemFactories::AddFromSection(page, QStringLiteral("Mandelbrot"), section)) {
        state.SkipWithError("no Mandelbrot item");
        return;
    }
    auto& item = dynamic_cast<MandelbrotItem&>(*page.ItemAt(page.ItemCount() - 1));
    MandelbrotPicture& picture = item.GetPicture();
    const QSize pixels = picture.PixelSize();
    MandelbrotPicture::Parameters view = picture.GetParameters();
    view.zoom_rate = 2e-17L;
    const long double step = view.zoom_rate / std::min(pixels.width(), pixels.height());
    view.shift_x = kTargetX / (step * pixels.width()) - 0.5L;
    view.shift_y = kTargetY / (step * pixels.height()) - 0.5L;
    picture.SetParameters(view);

    // The first view rendered to the end, and the item made active by a click.
    Measure(picture, [&] { page.Refresh(item); });
    const QPoint centre = page.ToDevice(item.GetBounds().center()).toPoint();
    QWidget& widget = window.PageWidget();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(centre), QPointF(widget.mapToGlobal(centre)), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(centre), QPointF(widget.mapToGlobal(centre)), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    Send(widget, press);
    Send(widget, release);
    if (page.ActiveItem() != &item) {
        state.SkipWithError("the click did not make the picture active");
        return;
    }

    Figures figures;
    for (auto _ : state) {
        QWheelEvent wheel(QPointF(centre), QPointF(widget.mapToGlobal(centre)), QPoint(), QPoint(0, 120), Qt::NoButton,
            Qt::NoModifier, Qt::NoScrollPhase, false);
        figures = Measure(picture, [&] { Send(widget, wheel); });
        state.SetIterationTime(figures.first_rows_ms / 1e3);
    }
    if (picture.GetParameters().zoom_rate != 1e-17L)
        state.SkipWithError("the notch did not zoom");
    state.counters["pixels"] = double(pixels.width()) * pixels.height();
    state.counters["first_rows_ms"] = figures.first_rows_ms;
    state.counters["wheel_event_ms"] = figures.wheel_ms;
    state.counters["longest_stall_ms"] = figures.longest_stall_ms;
    state.counters["render_ms"] = figures.render_ms;
}
BENCHMARK(BM_WheelNotchAtDepth)->Arg(50)->Arg(100)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
