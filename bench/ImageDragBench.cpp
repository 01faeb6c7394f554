#include "BenchPhotos.h"

#include "items/Canvas.h"
#include "items/CanvasHost.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"

#include <QImageWriter>

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

// Drag steps of the image item, from the mouse move to the present: a photograph of 6000 x
// 4000 pixels shown 1200 pixels wide against one of 1200 x 800 shown at its own size, in each
// drag mode; and a move step on a full page of twenty photographs against repainting that
// whole page.
namespace {

constexpr int kPageWidth = 1920;
constexpr int kPageHeight = 1080;

const QStringList& Photos()
{
    static const QStringList photos = [] {
        QStringList paths = BenchPhotos::Ensure(BenchPhotos::kFolder, 20);
        const QString small = BenchPhotos::kFolder + QStringLiteral("-1200/photo.jpg");
        if (!QFileInfo::exists(small)) {
            QDir().mkpath(QFileInfo(small).path());
            QImageWriter writer(small, "jpeg");
            writer.setQuality(90);
            writer.write(BenchPhotos::MakePhoto(0).scaled(1200, 800, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        paths << small;
        return paths;
    }();
    return photos;
}

// A window that only collects what is presented.
class PresentedArea : public CanvasHost {
public:
    bool IsShowing() const override { return true; }
    void Invalidate(const QRect& rect, UpdateTiming) override { presented = presented.united(rect); }
    QSize ClientSize() const override { return { kPageWidth, kPageHeight }; }
    float ScreenDpi() const override { return 96; }
    QPoint MapToScreen(QPoint point) const override { return point; }
    bool AnyWindowHoldsMouse() const override { return false; }
    bool HoldsMouse() const override { return false; }
    void CaptureMouse() override {}
    void ReleaseMouse() override {}
    void SetCursorShape(Qt::CursorShape) override {}
    void ShowToolTip(QPoint, const QString&) override {}
    void HideToolTip() override {}

    QRect presented;
};

struct Page {
    Page()
    {
        canvas.SetDpi(96);
        canvas.ResizeBackBuffer(kPageWidth, kPageHeight);
        canvas.SetSnapGrid({ false, {}, {} });
    }
    ImageItem& Add(const QString& path, const QRectF& rect)
    {
        auto item = std::make_unique<ImageItem>(canvas);
        KeyValueStore store;
        store.Set(QStringLiteral("FileName"), path);
        store.Set(QStringLiteral("Pos"),
            QStringLiteral("L%1,T%2,W%3,H%4").arg(rect.left()).arg(rect.top()).arg(rect.width()).arg(rect.height()));
        item->ReadSection(store);
        ImageItem& added = *item;
        canvas.AddItem(std::move(item));
        return added;
    }
    bool Send(MessageKind kind, QPointF point)
    {
        Message message;
        message.kind = kind;
        message.position = point.toPoint();
        message.left_button = kind != MessageKind::LButtonUp;
        return canvas.RouteMessage(message);
    }

    PresentedArea host;
    Canvas canvas { CanvasKind::Page, &host };
};

void WaitForScan()
{
    while (FolderListingCache::Instance().Running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

enum Mode { kMove, kEdge, kCorner };

// Drag steps to and fro by a few pixels, each one routed as a mouse move and presented.
void BM_DragStep(benchmark::State& state)
{
    const bool large = state.range(0) == 0;
    const Mode mode = Mode(state.range(1));
    Page page;
    const QRectF shown(300, 100, 1200, 800);
    ImageItem& item = page.Add(large ? Photos().first() : Photos().last(), shown);
    page.canvas.RenderVisibleArea(OpaqueShortcut::On);
    const QPointF press = mode == kMove ? shown.center()
        : mode == kEdge                 ? QPointF(shown.right() - 1, shown.center().y())
                                        : shown.bottomRight() - QPointF(1, 1);
    page.Send(MessageKind::LButtonDown, press);
    // The first steps wait for the pixels the press asked for.
    for (int warm = 0; warm < 3; ++warm)
        page.Send(MessageKind::MouseMove, press - QPointF(warm * 10, warm * 10));
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 16;
        const QPointF offset(-step * 3, -step * 2);
        page.Send(MessageKind::MouseMove, press + offset);
    }
    page.Send(MessageKind::LButtonUp, press);
    state.SetLabel(QStringLiteral("%1 %2").arg(large ? "6000x4000" : "1200x800", mode == kMove ? "move" : mode == kEdge ? "edge" : "corner").toStdString());
    (void)item;
    WaitForScan();
}

// Twenty photographs of 6000 x 4000 in a grid over the page.
void FillPage(Page& page)
{
    for (int index = 0; index < 20; ++index) {
        const QRectF cell((index % 5) * 384 + 12, (index / 5) * 270 + 15, 360, 240);
        page.Add(Photos().at(index), cell);
    }
    page.canvas.RenderVisibleArea(OpaqueShortcut::On);
    WaitForScan();
}

void BM_MoveStepOnAFullPage(benchmark::State& state)
{
    Page page;
    FillPage(page);
    const QPointF press(12 + 384 * 2 + 180, 15 + 270 + 120);
    page.Send(MessageKind::LButtonDown, press);
    page.Send(MessageKind::MouseMove, press);
    qint64 presented = 0;
    int steps = 0;
    for (auto _ : state) {
        page.host.presented = {};
        page.Send(MessageKind::MouseMove, press + QPointF((steps % 2) ? 2 : -2, 1));
        presented += qint64(page.host.presented.width()) * page.host.presented.height();
        ++steps;
    }
    page.Send(MessageKind::LButtonUp, press);
    state.counters["presented_share"] = double(presented) / steps / (double(kPageWidth) * kPageHeight);
}

void BM_FullRepaintOfTheSamePage(benchmark::State& state)
{
    Page page;
    FillPage(page);
    for (auto _ : state) {
        page.canvas.RenderVisibleArea(OpaqueShortcut::On);
        page.canvas.Present(PresentScope::All, UpdateTiming::Now);
    }
}

// A step of the page moving under the pointer (a drag with Space or the middle button, a
// wheel turn): the same page at 100 % in the view of the smallest window and of a new window,
// with their scroll bars, scrolled by a few pixels and painted anew.
void BM_ScrollStepOfTheSamePage(benchmark::State& state)
{
    Page page;
    FillPage(page);
    page.canvas.SetLayoutSize(kPageWidth, kPageHeight);
    page.canvas.ResizeBackBuffer(int(state.range(0)), int(state.range(1)));
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 32;
        page.canvas.SetScroll(500.0f + step * 3.5f, 400.0f + step * 2.25f);
        page.canvas.RenderVisibleArea(OpaqueShortcut::On);
        page.canvas.Present(PresentScope::All, UpdateTiming::Now);
    }
}

}

BENCHMARK(BM_ScrollStepOfTheSamePage)->Args({ 866, 246 })->Args({ 866, 516 })->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragStep)->ArgsProduct({ { 0, 1 }, { kMove, kEdge, kCorner } })->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MoveStepOnAFullPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRepaintOfTheSamePage)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return BenchPhotos::RunBenchmarks(argc, argv, Photos);
}
