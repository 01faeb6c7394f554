#include "InputTestHarness.h"

#include "widgets/Brush.h"
#include "widgets/Slider.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

// 220 x 20: a 20-pixel thumb travelling 200 pixels, value x at thumb centre 10 + 2x.
const QString kHorizontal = QStringLiteral("[Slider]\nName=Max\nPos=L0,T0,W220,H20\nMin=0\nMax=100\nValue=0");

QPoint AtValue(float value)
{
    return QPoint(int(10 + 2 * value), 10);
}

}

TEST(SliderTest, OrientationAndThumbPlace)
{
    struct Row {
        const char* pos;
        float value;
        bool vertical;
        QRectF thumb;
    };
    const Row rows[] = {
        { "L0,T0,W220,H20", 50, false, QRectF(100, 0, 20, 20) },
        { "L0,T0,W220,H20", 150, false, QRectF(200, 0, 20, 20) }, // clamped
        { "L0,T0,W40,H40", 100, false, QRectF(0, 0, 40, 40) },    // square: horizontal
        { "L0,T0,W16,H200", 100, true, QRectF(0, 0, 16, 16) },    // maximum at the top
        { "L0,T0,W16,H200", 0, true, QRectF(0, 184, 16, 16) },
    };
    for (const Row& row : rows) {
        Harness harness;
        Slider& slider = harness.Add<Slider>(QStringLiteral("[Slider]\nPos=%1\nMax=100").arg(QLatin1String(row.pos)));
        slider.SetValue(row.value);
        EXPECT_EQ(slider.IsVertical(), row.vertical) << row.pos;
        EXPECT_EQ(slider.ThumbRect(), row.thumb) << row.pos << " " << row.value;
        EXPECT_EQ(slider.ThumbSize(), row.thumb.size());
    }
}

TEST(SliderTest, ClickOnTheTrackJumpsWithoutDragging)
{
    Harness harness;
    Slider& slider = harness.Add<Slider>(kHorizontal);
    EXPECT_TRUE(harness.Send(MessageKind::LButtonDown, QPoint(160, 5)));
    EXPECT_FLOAT_EQ(slider.Value(), 75.0f);
    EXPECT_FALSE(slider.IsDragging());
    EXPECT_TRUE(harness.Send(MessageKind::LButtonDown, QPoint(219, 5))); // past the travel: the maximum
    EXPECT_FLOAT_EQ(slider.Value(), 100.0f);
    EXPECT_FALSE(harness.Send(MessageKind::LButtonUp, QPoint(219, 5)));
    EXPECT_EQ(harness.TakeCodes(), (Codes { 1, 1 }));
    EXPECT_FALSE(harness.host.holds_mouse);
    EXPECT_FALSE(harness.Send(MessageKind::LButtonDown, QPoint(100, 40)));
}

TEST(SliderTest, DragFollowsThePointerAndFinishesWithChangeThenDone)
{
    Harness harness;
    Slider& slider = harness.Add<Slider>(kHorizontal);
    // Grabbed off centre: the thumb keeps its offset under the pointer.
    EXPECT_TRUE(harness.Send(MessageKind::LButtonDown, AtValue(0) + QPoint(4, 0)));
    EXPECT_TRUE(slider.IsDragging());
    EXPECT_EQ(harness.TakeCodes(), (Codes { 6, 4 }));
    EXPECT_TRUE(harness.host.holds_mouse);
    EXPECT_TRUE(harness.Send(MessageKind::MouseMove, AtValue(50) + QPoint(4, 30)));
    EXPECT_FLOAT_EQ(slider.Value(), 50.0f);
    harness.Send(MessageKind::MouseMove, QPoint(500, 10)); // far outside: limited to the track
    EXPECT_FLOAT_EQ(slider.Value(), 100.0f);
    EXPECT_TRUE(harness.Send(MessageKind::LButtonUp, QPoint(500, 10)));
    EXPECT_EQ(harness.TakeCodes(), (Codes { 1, 1, 5, 2 }));
    EXPECT_FALSE(harness.host.holds_mouse);
    EXPECT_FALSE(harness.Send(MessageKind::MouseMove, AtValue(20)));
}

TEST(SliderTest, CtrlMidDragReanchorsForFineSteps)
{
    Harness harness;
    Slider& slider = harness.Add<Slider>(kHorizontal);
    slider.SetValue(50);
    harness.Send(MessageKind::LButtonDown, AtValue(50));
    harness.Send(MessageKind::MouseMove, AtValue(50), true); // Ctrl goes down: re-anchored here
    EXPECT_FLOAT_EQ(slider.Value(), 50.0f);
    harness.Send(MessageKind::MouseMove, AtValue(50) + QPoint(100, 0), true); // a tenth of 100 px
    EXPECT_FLOAT_EQ(slider.Value(), 55.0f);
    harness.Send(MessageKind::MouseMove, AtValue(50) + QPoint(100, 0), true, true);
    harness.Send(MessageKind::MouseMove, AtValue(50) + QPoint(200, 0), true, true); // a hundredth
    EXPECT_FLOAT_EQ(slider.Value(), 55.5f);
    // Letting go of the keys re-anchors again: no jump back to the pointer.
    harness.Send(MessageKind::MouseMove, AtValue(50) + QPoint(200, 0));
    EXPECT_FLOAT_EQ(slider.Value(), 55.5f);
    harness.Send(MessageKind::MouseMove, AtValue(50) + QPoint(210, 0));
    EXPECT_FLOAT_EQ(slider.Value(), 60.5f);
    harness.Send(MessageKind::LButtonUp, AtValue(60));
}

TEST(SliderTest, WheelMovesBySixteenthsAndReportsOnlyChanges)
{
    struct Row {
        const char* pos;
        int delta;
        float expected;
    };
    const Row rows[] = {
        { "L0,T0,W220,H20", 120, 43.75f },  // away from the user: a horizontal slider goes down
        { "L0,T0,W220,H20", -240, 75.0f },  // two notches: four steps
        { "L0,T0,W20,H220", 120, 56.25f },  // a vertical one goes up
        { "L0,T0,W220,H20", 1200, 0.0f },   // limited to the range
    };
    for (const Row& row : rows) {
        Harness harness;
        Slider& slider = harness.Add<Slider>(QStringLiteral("[Slider]\nPos=%1\nValue=50").arg(QLatin1String(row.pos)));
        EXPECT_TRUE(harness.Send(Wheel(QPoint(10, 10), row.delta)));
        EXPECT_FLOAT_EQ(slider.ClampedValue(), row.expected) << row.pos << " " << row.delta;
        EXPECT_EQ(harness.TakeCodes(), (Codes { 1 }));
    }

    Harness harness;
    Slider& slider = harness.Add<Slider>(kHorizontal);
    EXPECT_TRUE(harness.Send(Wheel(QPoint(10, 10), 120))); // already at the minimum
    EXPECT_TRUE(harness.events.empty());
    EXPECT_FALSE(harness.Send(Wheel(QPoint(10, 60), -120)));
    EXPECT_FLOAT_EQ(slider.ClampedValue(), 0.0f);
}

TEST(SliderTest, DisabledSliderShowsOnlyItsTrackAndTakesNoInput)
{
    Harness harness;
    harness.Add<Brush>(QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xff00ff00"));
    Slider& slider = harness.Add<Slider>(kHorizontal + QStringLiteral("\nColor=0xffff0000"));
    EXPECT_EQ(harness.Render().pixelColor(AtValue(0)), QColor(255, 0, 0));
    EXPECT_TRUE(slider.SetProperty(QStringLiteral("Enable"), QStringLiteral("false")));
    EXPECT_NE(harness.Render().pixelColor(AtValue(0) + QPoint(0, -6)), QColor(255, 0, 0));
    EXPECT_FALSE(slider.HandleMessage(Mouse(MessageKind::LButtonDown, AtValue(0)), QPointF(AtValue(0))));

    // Unlike the knob it answers the common keys, but not "Width".
    QString value;
    EXPECT_TRUE(slider.GetProperty(QStringLiteral("Enable"), value));
    EXPECT_EQ(value, QStringLiteral("false"));
    EXPECT_FALSE(slider.GetProperty(QStringLiteral("Width"), value));
}
