#include "InputTestHarness.h"

#include "widgets/Brush.h"
#include "widgets/Button.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

const QColor kBackground(0, 255, 0);
constexpr QPoint kCentre(40, 25);

class ButtonTest : public ::testing::Test {
protected:
    ButtonTest() { m_harness.Add<Brush>(QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xff00ff00")); }

    Button& AddButton(const QString& keys)
    {
        return m_harness.Add<Button>(QStringLiteral("[Button]\nName=OK\nPos=L10,T10,W60,H30\n") + keys);
    }
    QColor Face() { return m_harness.Render().pixelColor(kCentre); }

    Harness m_harness;
};

}

TEST_F(ButtonTest, FaceColourFollowsTheStateAndTheListLength)
{
    struct Row {
        const char* list;
        QRgb normal;
        QRgb pushed;
        QRgb hover;
    };
    const Row rows[] = {
        { "0xffff0000", 0xffff0000, 0xffff0000, 0xffff0000 },
        { "0xffff0000,0xff0000ff", 0xffff0000, 0xff0000ff, 0xffff0000 },
        { "0xffff0000,0xff0000ff,0xffffff00", 0xffff0000, 0xff0000ff, 0xffffff00 },
        { "\"0xffff0000\",\"0xff0000ff\"", 0xffff0000, 0xff0000ff, 0xffff0000 },
    };
    for (const Row& row : rows) {
        Button& button = AddButton(QStringLiteral("FaceColor=") + QLatin1String(row.list));
        EXPECT_EQ(Face().rgba(), row.normal) << row.list;
        m_harness.Send(MessageKind::MouseMove, kCentre);
        EXPECT_EQ(Face().rgba(), row.hover) << row.list;
        m_harness.Send(MessageKind::LButtonDown, kCentre);
        EXPECT_EQ(Face().rgba(), row.pushed) << row.list;
        m_harness.Send(MessageKind::LButtonUp, kCentre);
        m_harness.Send(MessageKind::MouseMove, QPoint(200, 200));
        button.SetProperty(QStringLiteral("Enable"), QStringLiteral("false"));
        EXPECT_EQ(Face(), kBackground) << row.list; // a disabled button has no face
        button.SetProperty(QStringLiteral("Visible"), QStringLiteral("false"));
    }
}

TEST_F(ButtonTest, FaceIsRoundedWithTheBevel)
{
    AddButton(QStringLiteral("FaceColor=0xffff0000\nRound=8,8,8,8"));
    const QImage image = m_harness.Render();
    EXPECT_EQ(image.pixelColor(10, 10), kBackground);
    EXPECT_EQ(image.pixelColor(69, 39), kBackground);
    EXPECT_EQ(image.pixelColor(kCentre), QColor(255, 0, 0));
}

TEST_F(ButtonTest, PlainButtonShowsOnlyItsCaptionUntilHovered)
{
    Button& button = AddButton(QStringLiteral("Text=OK\nFont=12"));
    QString face;
    EXPECT_TRUE(button.GetProperty(QStringLiteral("FaceColor"), face));
    EXPECT_EQ(face, QStringLiteral("0x0"));
    // No bevel: the left edge keeps the background until the pointer is over the button.
    EXPECT_EQ(m_harness.Render().pixelColor(10, 25), kBackground);
    m_harness.Send(MessageKind::MouseMove, kCentre);
    EXPECT_NE(m_harness.Render().pixelColor(10, 25), kBackground);

    m_harness.TakeCodes();
    m_harness.Send(MessageKind::LButtonDown, kCentre);
    m_harness.Send(MessageKind::LButtonUp, kCentre);
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 6, 4, 1, 5 }));
    ASSERT_TRUE(button.SetProperty(QStringLiteral("FaceColor"), QStringLiteral("ff102030")));
    EXPECT_TRUE(button.GetProperty(QStringLiteral("FaceColor"), face));
    EXPECT_EQ(face, QStringLiteral("0xff102030"));
    EXPECT_FALSE(button.SetProperty(QStringLiteral("FaceColor"), QStringLiteral("ff102030")));
}

TEST_F(ButtonTest, EdgeOptionShowsTheBevelAlways)
{
    AddButton(QStringLiteral("Text=OK\nOption=Edge"));
    EXPECT_NE(m_harness.Render().pixelColor(10, 25), kBackground);
}
