#include "items/DevicePixels.h"
#include "items/RepaintCheck.h"
#include "items/TestItems.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace TestItems;

const QColor kWhite(Qt::white);
const QColor kRed(Qt::red);
const QColor kBlue(Qt::blue);

// An opaque item that finds out only while drawing that it has nothing to paint, like an
// image whose file breaks off after its header.
class BrokenItem : public PlacedItem {
public:
    using PlacedItem::PlacedItem;
    bool Draw(QPainter&, const QRectF&) override
    {
        m_tried = true;
        return false;
    }
    bool IsOpaque() const override { return !m_tried; }

private:
    bool m_tried { false };
};

struct Move {
    const char* from;
    const char* to;
};

TEST(OpaqueShortcutTest, MovedOpaqueItemsMatchAFullRepaintAtEveryZoomAndPixelRatio)
{
    const Move moves[] = {
        { "L3,T3,W20,H20", "L4,T3,W20,H20" },
        { "L3,T3,W20,H20", "L3.5,T2.5,W21,H20" },
        { "L10.25,T7.75,W33.3,H17.1", "L11.6,T9.3,W30.9,H18.45" },
        { "L20.5,T20.5,W40.5,H30.5", "L21,T21,W40,H30" },
    };
    for (const Move& move : moves) {
        FillItem* moved = nullptr;
        const RepaintCheck::Scene build = [&](Canvas& canvas) {
            Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, kWhite, true);
            Add<FillItem>(canvas, { { "Pos", "L15,T15,W60,H40" } }, kBlue, true);
            moved = Add<FillItem>(canvas, { { "Pos", move.from } }, kRed, true);
        };
        const RepaintCheck::Scene change = [&](Canvas&) { moved->ReadSection(Store({ { "Pos", move.to } })); };
        EXPECT_EQ(RepaintCheck::CheckAllViews(build, change), "") << move.from << " -> " << move.to;
    }
}

TEST(OpaqueShortcutTest, CoverageIsCountedInBackBufferPixels)
{
    // At zoom 0.75 and pixel ratio 2 an item at L3 begins at back-buffer pixel 4.5, halfway
    // through a pixel that logical pixels would count as covered.
    OffscreenCanvas offscreen(QSize(40, 40), CanvasKind::Page, 2.0);
    Canvas& canvas = offscreen.GetCanvas();
    canvas.SetZoom(0.75f);
    Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, kWhite, true);
    Add<FillItem>(canvas, { { "Pos", "L3,T3,W20,H20" } }, kRed, true);
    QImage image = offscreen.Render(OpaqueShortcut::On);
    ASSERT_EQ(image.size(), QSize(80, 80));
    EXPECT_EQ(image.pixel(4, 10), kWhite.rgb());
    EXPECT_EQ(image.pixel(5, 10), kRed.rgb());
    EXPECT_EQ(image.pixel(34, 10), kRed.rgb());
    EXPECT_EQ(image.pixel(35, 10), kWhite.rgb());
}

TEST(OpaqueShortcutTest, ItemThatCannotPaintShowsWhatLiesUnderIt)
{
    for (qreal ratio : { 1.0, 2.0 }) {
        OffscreenCanvas offscreen(QSize(60, 60), CanvasKind::Page, ratio);
        Canvas& canvas = offscreen.GetCanvas();
        Add<FillItem>(canvas, { { "Pos", "L0,T0,R0,B0" } }, kWhite, true);
        auto* between = Add<FillItem>(canvas, { { "Pos", "L20,T20,W10,H10" } }, QColor(0, 0, 255, 128), false);
        auto* broken = Add<BrokenItem>(canvas, { { "Pos", "L10,T10,W40,H40" } });
        auto* above = Add<FillItem>(canvas, { { "Pos", "L40,T40,W20,H20" } }, kRed, true);
        const QImage image = offscreen.Render(OpaqueShortcut::On);
        const int r = int(ratio);
        EXPECT_EQ(image.pixel(15 * r, 15 * r), kWhite.rgb()) << ratio;
        EXPECT_EQ(qRed(image.pixel(25 * r, 25 * r)), 127) << ratio;
        EXPECT_EQ(image.pixel(45 * r, 45 * r), kRed.rgb()) << ratio;
        EXPECT_EQ(between->draw_count, 1);
        EXPECT_EQ(above->draw_count, 1);
        EXPECT_FALSE(broken->IsOpaque());
    }
}

TEST(OpaqueShortcutTest, PixelEdgesFollowPixelCentres)
{
    const struct {
        QRectF device;
        QRect pixels;
    } rows[] = {
        { QRectF(200.5, 20, 200, 100), QRect(201, 20, 200, 100) },
        { QRectF(0.49, 0.51, 1, 1), QRect(0, 1, 1, 1) },
        { QRectF(-0.5, -1.5, 2, 2), QRect(0, -1, 2, 2) },
        { QRectF(3.2, 3.2, 0.2, 0.2), QRect(3, 3, 0, 0) },
    };
    for (const auto& row : rows)
        EXPECT_EQ(DevicePixels::Covered(row.device), row.pixels) << row.device.x() << "," << row.device.y();
    EXPECT_EQ(DevicePixels::Edge(1e300), DevicePixels::kFar);
    EXPECT_EQ(DevicePixels::Edge(-1e300), -DevicePixels::kFar);
    EXPECT_EQ(DevicePixels::Edge(std::nan("")), -DevicePixels::kFar);
}

}
