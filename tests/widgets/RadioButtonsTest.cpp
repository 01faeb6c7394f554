#include "InputTestHarness.h"

#include "widgets/Brush.h"
#include "widgets/RadioButtons.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

// Written out of order on purpose: the buttons follow their numbers.
const QString kGroup = QStringLiteral("[RadioButtons]\nName=Align\nPos=L0,T0,W200,H100\n"
                                      "RadioButton2=L10,T30,W80,H16,Centre\n"
                                      "RadioButton10=L10,T50,W80,H16,Right\n"
                                      "RadioButton1=L10,T10,W80,H16,Left,true\n");

}

TEST(RadioButtonsTest, ButtonsAreBuiltFromTheirKeys)
{
    Harness harness;
    RadioButtons& group = harness.Add<RadioButtons>(kGroup);
    ASSERT_EQ(group.Count(), 3);
    EXPECT_EQ(group.ButtonAt(0).Name(), QStringLiteral("RadioButton1"));
    EXPECT_EQ(group.ButtonAt(1).Name(), QStringLiteral("RadioButton2"));
    EXPECT_EQ(group.ButtonAt(2).Name(), QStringLiteral("RadioButton10"));
    EXPECT_EQ(group.ButtonAt(1).GetBounds(), QRectF(10, 30, 80, 16));
    EXPECT_EQ(group.ButtonAt(1).Caption().GetText(), QStringLiteral("Centre"));
    EXPECT_EQ(PropertyOf(group, "SelectedIndex"), QStringLiteral("0"));

    // A size takes exactly the numbered keys up to it.
    RadioButtons& sized = harness.Add<RadioButtons>(kGroup + QStringLiteral("RadioButtonSize=2"));
    ASSERT_EQ(sized.Count(), 2);
    EXPECT_EQ(sized.ButtonAt(1).Name(), QStringLiteral("RadioButton2"));
}

TEST(RadioButtonsTest, ClickSelectsAndReportsOnlyAChange)
{
    Harness harness;
    RadioButtons& group = harness.Add<RadioButtons>(kGroup);
    EXPECT_TRUE(harness.Send(MessageKind::LButtonDown, QPoint(20, 35)));
    EXPECT_EQ(PropertyOf(group, "SelectedIndex"), QStringLiteral("1"));
    ASSERT_EQ(harness.events.size(), 1u);
    EXPECT_EQ(harness.events[0].text, QStringLiteral("Align"));
    EXPECT_EQ(harness.TakeCodes(), (Codes { 1 }));

    // The selected one again: nothing, and the click is left to others.
    EXPECT_FALSE(harness.Send(MessageKind::LButtonDown, QPoint(20, 35)));
    EXPECT_FALSE(harness.Send(MessageKind::LButtonDown, QPoint(150, 90)));
    EXPECT_FALSE(harness.Send(MessageKind::LButtonUp, QPoint(20, 15)));
    EXPECT_TRUE(harness.events.empty());
}

TEST(RadioButtonsTest, EnableListAndSelectedIndex)
{
    Harness harness;
    RadioButtons& group = harness.Add<RadioButtons>(kGroup);
    // One flag per button, as a quoted list; extra fields are ignored.
    EXPECT_TRUE(group.SetProperty(QStringLiteral("Enable"), QStringLiteral("\"true\",\"false\",\"true\",\"false\"")));
    EXPECT_FALSE(group.ButtonAt(1).IsEnabled());
    EXPECT_TRUE(group.ButtonAt(2).IsEnabled());
    EXPECT_TRUE(group.IsEnabled());
    EXPECT_FALSE(harness.Send(MessageKind::LButtonDown, QPoint(20, 35)));
    EXPECT_EQ(PropertyOf(group, "SelectedIndex"), QStringLiteral("0"));
    // A single field reaches only the first button.
    EXPECT_FALSE(group.SetProperty(QStringLiteral("Enable"), QStringLiteral("true")));
    EXPECT_TRUE(group.SetProperty(QStringLiteral("Enable"), QStringLiteral("true,true")));
    EXPECT_TRUE(group.ButtonAt(1).IsEnabled());

    EXPECT_TRUE(group.SetProperty(QStringLiteral("SelectedIndex"), QStringLiteral("2")));
    EXPECT_EQ(PropertyOf(group, "SelectedIndex"), QStringLiteral("2"));
    EXPECT_FALSE(group.SetProperty(QStringLiteral("SelectedIndex"), QStringLiteral("2")));
    EXPECT_TRUE(group.SetProperty(QStringLiteral("SelectedIndex"), QStringLiteral("5")));
    EXPECT_EQ(PropertyOf(group, "SelectedIndex"), QStringLiteral("-1"));
    // The group's other properties cannot be set or read by name.
    EXPECT_FALSE(group.SetProperty(QStringLiteral("Visible"), QStringLiteral("false")));
    QString value;
    EXPECT_FALSE(group.GetProperty(QStringLiteral("Visible"), value));
}

TEST(RadioButtonsTest, SelectedButtonHasItsDot)
{
    Harness harness;
    harness.Add<Brush>(QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xff00ff00"));
    harness.Add<RadioButtons>(kGroup);
    const QImage image = harness.Render();
    EXPECT_EQ(image.pixelColor(17, 17), QColor(Qt::black)); // centre of button 1's circle
    EXPECT_EQ(image.pixelColor(17, 37), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(0, 255, 0));
}
