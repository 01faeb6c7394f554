#include "InputTestHarness.h"

#include "platform/SystemColors.h"
#include "widgets/Brush.h"
#include "widgets/CheckBox.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

constexpr QPoint kBox(15, 15);

class CheckBoxTest : public ::testing::Test {
protected:
    CheckBoxTest() { m_harness.Add<Brush>(QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xff00ff00")); }

    CheckBox& AddBox(const QString& keys = {})
    {
        return m_harness.Add<CheckBox>(QStringLiteral("[CheckBox]\nName=Grid\nPos=L10,T10,W120,H20\nText=Grid\n") + keys);
    }
    // Dark pixels inside the box, where only the check mark can be.
    int MarkPixels()
    {
        const QImage image = m_harness.Render();
        int count = 0;
        for (int y = 13; y < 22; ++y)
            for (int x = 13; x < 22; ++x)
                count += qGray(image.pixel(x, y)) < 128;
        return count;
    }

    Harness m_harness;
};

}

TEST_F(CheckBoxTest, ClickTogglesTheMark)
{
    CheckBox& box = AddBox();
    EXPECT_EQ(MarkPixels(), 0);
    EXPECT_EQ(m_harness.Render().pixelColor(kBox), QColor(Qt::white));
    m_harness.Send(MessageKind::LButtonDown, kBox);
    EXPECT_EQ(m_harness.Render().pixelColor(kBox), QColor(0xc0, 0xc0, 0xc0)); // held down
    m_harness.Send(MessageKind::LButtonUp, kBox);
    EXPECT_TRUE(box.IsPushed());
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 6, 4, 1, 5 }));
    EXPECT_GT(MarkPixels(), 0);

    // A click on the caption counts too.
    m_harness.Click(QPoint(100, 20));
    EXPECT_FALSE(box.IsPushed());
    EXPECT_EQ(MarkPixels(), 0);
}

TEST_F(CheckBoxTest, OptionWithoutCheckButtonStopsToggling)
{
    CheckBox& box = AddBox(QStringLiteral("Option=Pushed"));
    EXPECT_TRUE(box.IsPushed());
    m_harness.Click(kBox);
    EXPECT_TRUE(box.IsPushed());
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 6, 4, 1, 5 }));
}

TEST_F(CheckBoxTest, DisabledFrameIsGreyButTheMarkIsNot)
{
    CheckBox& box = AddBox(QStringLiteral("Option=CheckButton,Pushed,Disable"));
    const QImage image = m_harness.Render();
    EXPECT_EQ(image.pixel(11, 17), SystemColorArgb(SystemColor::ButtonShadow));
    EXPECT_GT(MarkPixels(), 0);
    // The canvas gives a disabled box no input.
    EXPECT_FALSE(m_harness.Send(MessageKind::LButtonDown, kBox));
    EXPECT_TRUE(box.IsPushed());
}
