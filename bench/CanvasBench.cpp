#include "app/CanvasWidget.h"
#include "items/Canvas.h"
#include "items/OffscreenCanvas.h"
#include "items/PlacedItem.h"

#include <QApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPageWidth = 1920;
constexpr int kPageHeight = 1080;
constexpr int kOtherItems = 200;

class FillItem : public PlacedItem {
public:
    FillItem(Canvas& canvas, QColor color)
        : PlacedItem(canvas)
        , m_color(color)
    {
    }
    bool Draw(QPainter& painter, const QRectF&) override
    {
        painter.fillRect(GetBounds(), m_color);
        return true;
    }
    bool IsOpaque() const override { return m_color.alpha() == 255; }

private:
    QColor m_color;
};

FillItem* AddFill(Canvas& canvas, const QRectF& bounds, QColor color)
{
    auto item = std::make_unique<FillItem>(canvas, color);
    item->SetBoundsAsAnchors(bounds);
    FillItem* raw = item.get();
    canvas.AddItem(std::move(item));
    return raw;
}

// A page background under 200 items of 100 to 400 pixels, half of them translucent.
void FillPage(Canvas& canvas)
{
    QRandomGenerator random(7);
    AddFill(canvas, QRectF(0, 0, kPageWidth, kPageHeight), QColor(240, 240, 240));
    for (int index = 1; index < kOtherItems; ++index) {
        const int width = random.bounded(100, 400);
        const int height = random.bounded(100, 400);
        const QRectF bounds(random.bounded(kPageWidth - width), random.bounded(kPageHeight - height), width, height);
        AddFill(canvas, bounds, QColor(random.bounded(256), random.bounded(256), random.bounded(256), index % 2 ? 255 : 128));
    }
}

void RenderCoveredPage(benchmark::State& state, OpaqueShortcut shortcut)
{
    OffscreenCanvas offscreen(QSize(kPageWidth, kPageHeight));
    FillPage(offscreen.GetCanvas());
    AddFill(offscreen.GetCanvas(), QRectF(0, 0, kPageWidth, kPageHeight), QColor(20, 40, 60));
    for (auto _ : state)
        benchmark::DoNotOptimize(offscreen.GetCanvas().RenderVisibleArea(shortcut));
}

void BM_RenderCoveredPageWithShortcut(benchmark::State& state)
{
    RenderCoveredPage(state, OpaqueShortcut::On);
}
BENCHMARK(BM_RenderCoveredPageWithShortcut)->Unit(benchmark::kMicrosecond);

void BM_RenderCoveredPageWithoutShortcut(benchmark::State& state)
{
    RenderCoveredPage(state, OpaqueShortcut::Off);
}
BENCHMARK(BM_RenderCoveredPageWithoutShortcut)->Unit(benchmark::kMicrosecond);

// A shown canvas widget holding the page; one 200 x 200 item moves a pixel per iteration.
struct MovingPage {
    MovingPage()
    {
        widget.resize(kPageWidth, kPageHeight);
        widget.show();
        FillPage(widget.GetCanvas());
        moving = AddFill(widget.GetCanvas(), QRectF(100, 100, 200, 200), QColor(200, 30, 30));
        widget.GetCanvas().RenderVisibleArea(OpaqueShortcut::On);
        widget.GetCanvas().Present(PresentScope::All, UpdateTiming::Now);
    }
    QRectF Step()
    {
        const QRectF before = moving->GetBounds();
        step = (step + 1) % 100;
        moving->SetBoundsAsAnchors(QRectF(100 + step, 100, 200, 200));
        return before.united(moving->GetBounds());
    }

    CanvasWidget widget { CanvasKind::Page };
    FillItem* moving { nullptr };
    int step { 0 };
};

void BM_PresentMovedItem(benchmark::State& state)
{
    MovingPage page;
    Canvas& canvas = page.widget.GetCanvas();
    for (auto _ : state) {
        canvas.RenderItems(page.Step(), OpaqueShortcut::On);
        canvas.Present(PresentScope::Dirty, UpdateTiming::Now);
    }
}
BENCHMARK(BM_PresentMovedItem)->Unit(benchmark::kMicrosecond);

void BM_PresentFullRepaint(benchmark::State& state)
{
    MovingPage page;
    Canvas& canvas = page.widget.GetCanvas();
    for (auto _ : state) {
        page.Step();
        canvas.RenderVisibleArea(OpaqueShortcut::On);
        canvas.Present(PresentScope::All, UpdateTiming::Now);
    }
}
BENCHMARK(BM_PresentFullRepaint)->Unit(benchmark::kMicrosecond);

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
