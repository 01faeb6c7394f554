#include "InputTestHarness.h"

#include "widgets/Knob.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

constexpr QPoint kCentre(50, 50);

QString KnobSection(const QString& extra = {})
{
    return QStringLiteral("[Knob]\nPos=L30,T30,W40,H40\nMin=0\nMax=255\nValue=100\n") + extra;
}

}

TEST(KnobTest, ValueIsStoredAsGivenAndReadClamped)
{
    struct Row {
        const char* section;
        const char* value;
        const char* expected;
    };
    const Row rows[] = {
        { "Min=0\nMax=255", "300", "255" },
        { "Min=0\nMax=255", "-4", "0" },
        { "Min=0\nMax=255", "12.5", "12.5" },
        // With min above max, min always wins.
        { "Min=10\nMax=0", "5", "10" },
        { "Min=10\nMax=0", "-5", "10" },
    };
    for (const Row& row : rows) {
        Harness harness;
        Knob& knob = harness.Add<Knob>(QStringLiteral("[Knob]\nPos=L0,T0,W45,H45\n") + QLatin1String(row.section));
        EXPECT_TRUE(knob.SetProperty(QStringLiteral("Value"), QLatin1String(row.value)));
        EXPECT_FALSE(knob.SetProperty(QStringLiteral("Value"), QLatin1String(row.value)));
        EXPECT_EQ(knob.Value(), QString::fromLatin1(row.value).toFloat());
        QString text;
        EXPECT_TRUE(knob.GetProperty(QStringLiteral("Value"), text));
        EXPECT_EQ(text, QLatin1String(row.expected)) << row.section << " " << row.value;
        // The knob answers nothing but its value.
        EXPECT_FALSE(knob.GetProperty(QStringLiteral("Enable"), text));
    }
}

TEST(KnobTest, DotSweepsFromLowerLeftThroughTopToLowerRight)
{
    Harness harness;
    Knob& knob = harness.Add<Knob>(QStringLiteral("[Knob]\nPos=L0,T0,W45,H45\nMax=255\nValue=127.5"));
    // Radius of the dot is the root of 45 / 2.5; it sits 22.5 - 4 - 2 * 4.24 from the centre.
    const QRectF middle = knob.DotRect();
    EXPECT_NEAR(middle.width() / 2, 4.243, 0.01);
    EXPECT_NEAR(middle.center().x(), 22.5, 0.01);
    EXPECT_NEAR(22.5 - middle.center().y(), 10.03, 0.02);

    knob.SetProperty(QStringLiteral("Value"), QStringLiteral("300"));
    const QPointF maximum = knob.DotRect().center() - QPointF(22.5, 22.5);
    EXPECT_NEAR(maximum.x(), 10.03 * 0.7071, 0.02);
    EXPECT_NEAR(maximum.y(), 10.03 * 0.7071, 0.02);

    knob.SetProperty(QStringLiteral("Value"), QStringLiteral("0"));
    const QPointF minimum = knob.DotRect().center() - QPointF(22.5, 22.5);
    EXPECT_NEAR(minimum.x(), -10.03 * 0.7071, 0.02);
    EXPECT_NEAR(minimum.y(), 10.03 * 0.7071, 0.02);

    // The dot is painted lighter than the body around it.
    const QImage image = harness.Render();
    const QPointF dot = knob.DotRect().center();
    const QColor dot_colour = image.pixelColor(dot.toPoint());
    const QColor body_colour = image.pixelColor(QPoint(int(45 - dot.x()), int(dot.y())));
    EXPECT_GT(dot_colour.lightness(), body_colour.lightness());
}

TEST(KnobTest, DragRaisesByVerticalMovementAndReportsEveryStep)
{
    Harness harness;
    Knob& knob = harness.Add<Knob>(KnobSection());
    EXPECT_TRUE(harness.Send(MessageKind::LButtonDown, kCentre));
    EXPECT_TRUE(knob.IsDragging());
    EXPECT_TRUE(harness.host.holds_mouse);
    EXPECT_EQ(harness.TakeCodes(), (Codes { 6, 4 }));

    // 50 pixels up on 0..255 add 127.5; sideways movement counts for nothing.
    EXPECT_TRUE(harness.Send(MessageKind::MouseMove, kCentre + QPoint(30, -50)));
    EXPECT_FLOAT_EQ(knob.Value(), 227.5f);
    // Every move reports, even one that changes nothing.
    EXPECT_TRUE(harness.Send(MessageKind::MouseMove, kCentre + QPoint(-30, -50)));
    EXPECT_EQ(harness.TakeCodes(), (Codes { 1, 1 }));

    // Far beyond the top the stored value runs past Max; the value read is clamped.
    harness.Send(MessageKind::MouseMove, kCentre + QPoint(0, -200));
    EXPECT_GT(knob.Value(), 255.0f);
    EXPECT_FLOAT_EQ(PropertyOf(knob, "Value").toFloat(), 255.0f);

    EXPECT_TRUE(harness.Send(MessageKind::LButtonUp, kCentre + QPoint(0, -200)));
    EXPECT_FALSE(knob.IsDragging());
    EXPECT_FALSE(harness.host.holds_mouse);
    EXPECT_EQ(harness.TakeCodes(), (Codes { 1, 5, 2 }));

    // Without a drag moves and releases are not the knob's.
    EXPECT_FALSE(harness.Send(MessageKind::MouseMove, kCentre));
    EXPECT_FALSE(harness.Send(MessageKind::LButtonUp, kCentre));
    EXPECT_TRUE(harness.TakeCodes().empty());
}

TEST(KnobTest, CtrlMidDragReanchorsForFineSteps)
{
    Harness harness;
    Knob& knob = harness.Add<Knob>(KnobSection());
    harness.Send(MessageKind::LButtonDown, kCentre);
    harness.Send(MessageKind::MouseMove, kCentre + QPoint(0, -20));
    EXPECT_FLOAT_EQ(knob.Value(), 151.0f);

    // Pressing Ctrl re-anchors where the pointer is: the value does not jump.
    harness.Send(MessageKind::MouseMove, kCentre + QPoint(0, -20), true);
    EXPECT_FLOAT_EQ(knob.Value(), 151.0f);
    harness.Send(MessageKind::MouseMove, kCentre + QPoint(0, -30), true);
    EXPECT_NEAR(knob.Value(), 151.0f + 2.55f, 1e-3);
    harness.Send(MessageKind::MouseMove, kCentre + QPoint(0, -30), true, true);
    harness.Send(MessageKind::MouseMove, kCentre + QPoint(0, -130), true, true);
    EXPECT_NEAR(knob.Value(), 151.0f + 2.55f + 2.55f, 1e-3);

    // Letting go of the keys re-anchors again.
    const float before = knob.Value();
    harness.Send(MessageKind::MouseMove, kCentre + QPoint(0, -130));
    EXPECT_FLOAT_EQ(knob.Value(), before);
    harness.Send(MessageKind::LButtonUp, kCentre + QPoint(0, -130));
}

TEST(KnobTest, PressOnlyInsideTheCircleStartsADrag)
{
    Harness harness;
    Knob& knob = harness.Add<Knob>(KnobSection());
    // The corner of the bounds lies outside the circle; the rim counts.
    EXPECT_FALSE(harness.Send(MessageKind::LButtonDown, QPoint(32, 32)));
    EXPECT_FALSE(knob.IsDragging());
    EXPECT_TRUE(harness.Send(MessageKind::LButtonDown, QPoint(50, 30)));
    EXPECT_TRUE(knob.IsDragging());
    harness.Send(MessageKind::LButtonUp, QPoint(50, 30));
}

TEST(KnobTest, WheelStepsBySixteenthsSquaredPerNotch)
{
    struct Row {
        int delta;
        bool ctrl;
        bool shift;
        float expected;
    };
    const Row rows[] = {
        { 240, false, false, 25.0f },   // two notches away: 4 x 100 / 16 down
        { -120, false, false, 56.25f }, // one notch towards the user: up
        { 120, true, false, 49.375f },  // Ctrl: a tenth
        { 120, true, true, 49.9375f },  // Ctrl and Shift: a hundredth
        { 120, false, true, 43.75f },   // Shift alone changes nothing
        { 60, false, false, 50.0f },    // less than a notch
    };
    for (const Row& row : rows) {
        Harness harness;
        Knob& knob = harness.Add<Knob>(QStringLiteral("[Knob]\nPos=L30,T30,W40,H40\nMax=100\nValue=50"));
        EXPECT_TRUE(harness.Send(Wheel(kCentre, row.delta, row.ctrl, row.shift)));
        EXPECT_FLOAT_EQ(knob.Value(), row.expected) << row.delta << row.ctrl << row.shift;
        EXPECT_EQ(harness.TakeCodes(), row.expected == 50.0f ? Codes {} : Codes { 1 });
    }

    Harness harness;
    Knob& knob = harness.Add<Knob>(QStringLiteral("[Knob]\nPos=L30,T30,W40,H40\nMax=100\nValue=99"));
    // Outside the bounds the wheel is not the knob's; at the limit it clamps.
    EXPECT_FALSE(harness.Send(Wheel(QPoint(5, 5), -120)));
    EXPECT_TRUE(harness.Send(Wheel(kCentre, -120)));
    EXPECT_TRUE(harness.Send(Wheel(kCentre, -120)));
    EXPECT_FLOAT_EQ(PropertyOf(knob, "Value").toFloat(), 100.0f);
}
