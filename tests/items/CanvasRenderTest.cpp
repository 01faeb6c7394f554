#include "TestItems.h"

#include "items/OffscreenCanvas.h"

#include <gtest/gtest.h>

using namespace TestItems;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 255, 0);

QRgb Pixel(const Canvas& canvas, int x, int y)
{
    return canvas.BackBuffer().pixel(x, y);
}

}

TEST(CanvasRenderTest, AnchorsFollowTheCanvasSize)
{
    struct Row {
        const char* pos;
        QRectF at_400x300;
        QRectF at_200x100;
    };
    const Row rows[] = {
        { "L10,T10,W50,H20", { 10, 10, 50, 20 }, { 10, 10, 50, 20 } },
        { "C-30%,C-10,C30%,C10", { 80, 140, 240, 20 }, { 40, 40, 120, 20 } },
        { "R10%,B40,R10,B10", { 360, 260, 30, 30 }, { 180, 60, 10, 30 } },
        { "L10%,T10%,W50%,H50%", { 40, 30, 200, 150 }, { 20, 10, 100, 50 } },
        { "l0,t0,r0,b0", { 0, 0, 400, 300 }, { 0, 0, 200, 100 } },
    };
    for (const Row& row : rows) {
        Canvas canvas;
        canvas.ResizeBackBuffer(400, 300);
        auto* item = Add<FillItem>(canvas, { { "Pos", row.pos } }, kRed, true);
        EXPECT_EQ(item->GetBounds(), row.at_400x300) << row.pos;
        canvas.ResizeBackBuffer(200, 100);
        EXPECT_EQ(item->GetBounds(), row.at_200x100) << row.pos;
        // The resize painted the item at its new place.
        const QRectF bounds = row.at_200x100;
        EXPECT_EQ(Pixel(canvas, int(bounds.left()), int(bounds.top())), kRed.rgb()) << row.pos;
        EXPECT_EQ(Pixel(canvas, int(bounds.right()) - 1, int(bounds.bottom()) - 1), kRed.rgb()) << row.pos;
    }
}

TEST(CanvasRenderTest, FixedLayoutSizeAndScrollShiftTheReference)
{
    Canvas canvas;
    canvas.ResizeBackBuffer(200, 100);
    canvas.SetLayoutSize(1000, 500);
    canvas.SetScroll(30, 40);
    auto* item = Add<FillItem>(canvas, { { "Pos", "R100,B100,l5,b5" } }, kRed, true);
    // R and B measure from the layout area; l and b from the visible part of it.
    EXPECT_EQ(item->GetBounds(), QRectF(900, 400, 35 - 900, 135 - 400));
    EXPECT_FALSE(canvas.SetLayoutSize(-1, 10));
    EXPECT_EQ(canvas.LayoutWidth(), 1000.0f);
}

TEST(CanvasRenderTest, OpaqueItemHidesWhatLiesUnderIt)
{
    OffscreenCanvas offscreen(QSize(100, 100));
    Canvas& canvas = offscreen.GetCanvas();
    auto* back = Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, kBlue, true);
    auto* covered = Add<FillItem>(canvas, { { "Pos", "L10,T10,W20,H20" } }, kGreen, false);
    auto* half = Add<FillItem>(canvas, { { "Pos", "L50,T0,R0,B0" } }, kRed, true);
    auto* top = Add<FillItem>(canvas, { { "Pos", "L40,T40,W20,H20" } }, QColor(0, 0, 0, 128), false);

    const QImage image = offscreen.Render(OpaqueShortcut::On);
    EXPECT_EQ(back->draw_count, 1);
    EXPECT_EQ(covered->draw_count, 1);
    EXPECT_EQ(half->draw_count, 1);
    EXPECT_EQ(top->draw_count, 1);
    EXPECT_EQ(image.pixel(5, 5), kBlue.rgb());
    EXPECT_EQ(image.pixel(15, 15), kGreen.rgb());
    EXPECT_EQ(image.pixel(75, 75), kRed.rgb());
    // The translucent item on top blends with both opaque items under it.
    EXPECT_EQ(qBlue(image.pixel(45, 45)), 127);
    EXPECT_EQ(qRed(image.pixel(55, 55)), 127);

    // An opaque item over everything: nothing under it is drawn.
    auto* cover = Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, kGreen, true);
    offscreen.Render(OpaqueShortcut::On);
    EXPECT_EQ(cover->draw_count, 1);
    EXPECT_EQ(back->draw_count, 1);
    EXPECT_EQ(covered->draw_count, 1);
    EXPECT_EQ(half->draw_count, 1);
    EXPECT_EQ(top->draw_count, 1);

    // Without the shortcut every item is drawn, and the picture is the same.
    const QImage full = offscreen.Render(OpaqueShortcut::Off);
    EXPECT_EQ(back->draw_count, 2);
    EXPECT_EQ(top->draw_count, 2);
    EXPECT_EQ(full.pixel(50, 50), kGreen.rgb());
}

TEST(CanvasRenderTest, TranslucentItemDoesNotHideWhatLiesUnderIt)
{
    OffscreenCanvas offscreen(QSize(50, 50));
    Canvas& canvas = offscreen.GetCanvas();
    auto* back = Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, kBlue, false);
    auto* over = Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, QColor(255, 0, 0, 128), false);
    const QImage image = offscreen.Render();
    EXPECT_EQ(back->draw_count, 1);
    EXPECT_EQ(over->draw_count, 1);
    EXPECT_GT(qBlue(image.pixel(25, 25)), 100);
    EXPECT_GT(qRed(image.pixel(25, 25)), 100);
}

TEST(CanvasRenderTest, InvisibleAndOtherGroupItemsAreNotDrawn)
{
    OffscreenCanvas offscreen(QSize(40, 10));
    Canvas& canvas = offscreen.GetCanvas();
    Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, kBlue, true);
    auto* hidden = Add<FillItem>(canvas, { { "Pos", "L0,T0,W10,B0" }, { "Name", "h" }, { "Option", "Invisible" } }, kRed, true);
    auto* in_a = Add<FillItem>(canvas, { { "Pos", "L10,T0,W10,B0" }, { "Group", "A" } }, kRed, true);
    auto* in_b = Add<FillItem>(canvas, { { "Pos", "L20,T0,W10,B0" }, { "Group", "B,C" } }, kRed, true);
    auto* ungrouped = Add<FillItem>(canvas, { { "Pos", "L30,T0,W10,B0" } }, kRed, true);

    canvas.SetCurrentGroup(QStringLiteral("A"));
    QImage image = offscreen.Render();
    EXPECT_EQ(hidden->draw_count, 0);
    EXPECT_EQ(image.pixel(5, 5), kBlue.rgb());
    EXPECT_EQ(image.pixel(15, 5), kRed.rgb());
    EXPECT_EQ(image.pixel(25, 5), kBlue.rgb());
    EXPECT_EQ(image.pixel(35, 5), kRed.rgb());
    EXPECT_EQ(in_b->draw_count, 0);

    canvas.SetCurrentGroup(QString());
    image = offscreen.Render();
    EXPECT_EQ(image.pixel(25, 5), kRed.rgb());
    EXPECT_EQ(in_a->draw_count, 2);
    EXPECT_EQ(ungrouped->draw_count, 2);

    // By-name properties still reach the invisible item.
    EXPECT_TRUE(canvas.SetItemProperty(QStringLiteral("h"), QStringLiteral("Visible"), QStringLiteral("true")));
    image = offscreen.Render();
    EXPECT_EQ(image.pixel(5, 5), kRed.rgb());
}

TEST(CanvasRenderTest, PixelsThatNoItemPaintsKeepTheirOldColour)
{
    Canvas canvas;
    canvas.ResizeBackBuffer(60, 20);
    auto* item = Add<FillItem>(canvas, { { "Pos", "L0,T0,W20,B0" } }, kRed, true);
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    item->SetAnchor(Item::kLeft, QStringLiteral("L40"));
    item->SetAnchor(Item::kRight, QStringLiteral("W20"));
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    EXPECT_EQ(Pixel(canvas, 10, 10), kRed.rgb());
    EXPECT_EQ(Pixel(canvas, 50, 10), kRed.rgb());
    EXPECT_EQ(Pixel(canvas, 30, 10), 0u);
}

TEST(CanvasRenderTest, DpiAndZoomGiveTheEffectiveScale)
{
    Canvas canvas;
    canvas.SetDpi(96);
    EXPECT_EQ(canvas.EffectiveScale(), 1.0f); // no back buffer: the screen counts as 96
    canvas.SetScreenDpi(120);
    canvas.ResizeBackBuffer(100, 100);
    EXPECT_FLOAT_EQ(canvas.EffectiveScale(), 1.25f);
    EXPECT_TRUE(canvas.SetZoom(2));
    EXPECT_FLOAT_EQ(canvas.EffectiveScale(), 2.5f);
    EXPECT_FALSE(canvas.SetZoom(0.05f));
    EXPECT_FALSE(canvas.SetZoom(9));
    EXPECT_FALSE(canvas.SetZoom(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_EQ(canvas.Zoom(), 2.0f);
    EXPECT_FALSE(canvas.SetZoom(2));

    // A canvas whose dpi is still unset takes the screen's at its first resize: scale = zoom.
    Canvas fresh;
    fresh.SetScreenDpi(120);
    fresh.ResizeBackBuffer(10, 10);
    EXPECT_EQ(fresh.Dpi(), 120.0f);
    EXPECT_EQ(fresh.EffectiveScale(), 1.0f);
}

TEST(CanvasRenderTest, ScaledCanvasMapsBothWaysAndDrawsScaled)
{
    Canvas canvas;
    canvas.SetScreenDpi(120);
    canvas.SetDpi(96);
    canvas.SetOrigin(10, 20);
    canvas.SetScroll(4, 8);
    canvas.ResizeBackBuffer(100, 100);
    const QPointF device = canvas.ToDevice(QPointF(12, 16));
    EXPECT_EQ(device, QPointF(20, 30));
    EXPECT_EQ(canvas.ToPage(device), QPointF(12, 16));
    EXPECT_EQ(canvas.VisibleArea(), QRectF(4, 8, 80, 80));

    Add<FillItem>(canvas, { { "Pos", "L4,T8,W8,H8" } }, kRed, true);
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    EXPECT_EQ(Pixel(canvas, 0, 0), kRed.rgb());
    EXPECT_EQ(Pixel(canvas, 9, 9), kRed.rgb());
    EXPECT_EQ(Pixel(canvas, 10, 10), 0u);
}

TEST(CanvasRenderTest, PresentInvalidatesTheDirtyRectangleOnce)
{
    RecordingHost host;
    Canvas canvas(CanvasKind::Page, &host);
    canvas.SetOrigin(5, 5);
    canvas.ResizeBackBuffer(100, 50);
    host.invalidated.clear();
    Add<FillItem>(canvas, { { "Pos", "L10.5,T10,W20,H20" } }, kRed, true);

    EXPECT_TRUE(canvas.RenderItems(QRectF(10.5, 10, 20, 20), OpaqueShortcut::On));
    EXPECT_TRUE(canvas.Present(PresentScope::Dirty, UpdateTiming::Later));
    ASSERT_EQ(host.invalidated.size(), 1u);
    EXPECT_EQ(host.invalidated[0], QRect(QPoint(15, 15), QPoint(35, 34)));
    EXPECT_FALSE(canvas.Present(PresentScope::Dirty, UpdateTiming::Later));

    // The invalidated part never reaches past the back buffer.
    canvas.RenderItems(QRectF(-50, -50, 500, 500), OpaqueShortcut::On);
    canvas.Present(PresentScope::Dirty, UpdateTiming::Now);
    EXPECT_EQ(host.invalidated.back(), QRect(5, 5, 100, 50));
    EXPECT_EQ(host.last_timing, UpdateTiming::Now);

    // A window-less canvas renders but has nothing to present to.
    OffscreenCanvas offscreen(QSize(10, 10));
    offscreen.GetCanvas().RenderVisibleArea(OpaqueShortcut::On);
    EXPECT_FALSE(offscreen.GetCanvas().Present(PresentScope::Dirty, UpdateTiming::Now));
}

TEST(CanvasRenderTest, NothingIsPaintedWithoutBackBufferOrScale)
{
    Canvas canvas;
    EXPECT_FALSE(canvas.RenderVisibleArea(OpaqueShortcut::On));
    canvas.ResizeBackBuffer(10, 10);
    EXPECT_TRUE(canvas.HasBackBuffer());
    canvas.ResizeBackBuffer(-1, -1);
    EXPECT_FALSE(canvas.HasBackBuffer());
    EXPECT_FALSE(canvas.RenderVisibleArea(OpaqueShortcut::On));
    EXPECT_EQ(canvas.VisibleArea(), QRectF(0, 0, 0, 0));

    OffscreenCanvas empty(QSize(0, 10));
    EXPECT_FALSE(empty.IsValid());
    EXPECT_TRUE(empty.Render().isNull());
}

TEST(CanvasRenderTest, BackBufferCarriesTheDevicePixelRatio)
{
    Canvas canvas;
    canvas.ResizeBackBuffer(50, 40, 2.0);
    EXPECT_EQ(canvas.BackBuffer().size(), QSize(100, 80));
    EXPECT_EQ(canvas.ReferenceWidth(), 50.0f);
    Add<FillItem>(canvas, { { "Pos", "L0,T0,W10,H10" } }, kRed, true);
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    EXPECT_EQ(Pixel(canvas, 19, 19), kRed.rgb());
    EXPECT_EQ(Pixel(canvas, 20, 20), 0u);
}
