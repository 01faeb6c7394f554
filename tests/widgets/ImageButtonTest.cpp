#include "InputTestHarness.h"

#include "widgets/ImageButton.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace InputTest;

namespace {

// A strip of four 20 x 10 bands, one colour per state, each with a transparent 3 x 3 corner
// at its top left.
const QColor kNormal(200, 0, 0);
const QColor kHover(0, 200, 0);
const QColor kPushed(0, 0, 200);
const QColor kDisabled(90, 90, 90);

QString WriteStrip(const QTemporaryDir& folder)
{
    QImage strip(20, 40, QImage::Format_ARGB32);
    const QColor bands[] = { kNormal, kHover, kPushed, kDisabled };
    for (int band = 0; band < 4; ++band) {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                strip.setPixelColor(x, band * 10 + y, x < 3 && y < 3 ? QColor(0, 0, 0, 0) : bands[band]);
    }
    const QString path = folder.filePath(QStringLiteral("strip.png"));
    strip.save(path);
    return path;
}

QString ButtonSection(const QString& path, const QString& extra = {})
{
    return QStringLiteral("[ImageButton]\nPos=L10,T10\nName=Open\n"
                          "NormalFileName=%1,0,0,20,10\nHoverFileName=%1,0,10,20,10\n"
                          "PushedFileName=%1,0,20,20,10\nDisableFileName=%1,0,30,20,10\n")
               .arg(path)
        + extra;
}

constexpr QPoint kInside(20, 15);
constexpr QPoint kTransparent(11, 11);
constexpr QPoint kOutside(100, 100);

class ImageButtonTest : public ::testing::Test {
protected:
    QTemporaryDir m_folder;
    QString m_strip { WriteStrip(m_folder) };
    Harness m_harness;
};

}

TEST_F(ImageButtonTest, TakesTheSizeOfItsNormalPicture)
{
    ImageButton& button = m_harness.Add<ImageButton>(ButtonSection(m_strip));
    EXPECT_EQ(button.GetBounds(), QRectF(10, 10, 20, 10));

    // A position with four anchors wins over the picture's size; a missing file leaves the
    // button without size and untouchable.
    ImageButton& sized = m_harness.Add<ImageButton>(ButtonSection(m_strip, QStringLiteral("Pos=L50,T50,W40,H30")));
    EXPECT_EQ(sized.GetBounds(), QRectF(50, 50, 40, 30));
    ImageButton& missing = m_harness.Add<ImageButton>(QStringLiteral("[ImageButton]\nPos=L100,T100\nNormalFileName=nothing.png"));
    EXPECT_TRUE(missing.GetAnchors()[Item::kRight].isEmpty());
    EXPECT_TRUE(missing.GetAnchors()[Item::kBottom].isEmpty());
    EXPECT_FALSE(missing.HitTest(QPointF(100, 100)));
}

TEST_F(ImageButtonTest, ClickInsideSendsFocusCaptureClickRelease)
{
    ImageButton& button = m_harness.Add<ImageButton>(ButtonSection(m_strip));
    EXPECT_TRUE(m_harness.Send(MessageKind::MouseMove, kInside));
    EXPECT_TRUE(button.IsHover());
    EXPECT_TRUE(m_harness.host.holds_mouse);
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 4, 10 }));
    // A second move over the button changes nothing and is left to others.
    EXPECT_FALSE(m_harness.Send(MessageKind::MouseMove, kInside + QPoint(1, 0)));

    EXPECT_TRUE(m_harness.Send(MessageKind::LButtonDown, kInside));
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(m_harness.canvas.ActiveItem(), &button);
    EXPECT_TRUE(m_harness.Send(MessageKind::LButtonUp, kInside));
    EXPECT_FALSE(button.IsPressed());
    ASSERT_EQ(m_harness.events.size(), 4u);
    EXPECT_EQ(m_harness.events[2].text, QStringLiteral("Open"));
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 6, 4, 1, 5 }));

    EXPECT_TRUE(m_harness.Send(MessageKind::MouseMove, kOutside));
    EXPECT_FALSE(button.IsHover());
    EXPECT_FALSE(m_harness.host.holds_mouse);
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 5, 11 }));
}

TEST_F(ImageButtonTest, ReleaseOutsideGivesNoClick)
{
    ImageButton& button = m_harness.Add<ImageButton>(ButtonSection(m_strip));
    m_harness.Send(MessageKind::MouseMove, kInside);
    m_harness.Send(MessageKind::LButtonDown, kInside);
    m_harness.TakeCodes();
    m_harness.Send(MessageKind::MouseMove, kOutside);
    EXPECT_EQ(button.CurrentState(), ButtonBase::State::Normal); // held but dragged off
    EXPECT_TRUE(m_harness.Send(MessageKind::LButtonUp, kOutside));
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 5, 11, 5 }));
    // A release without a press is not the button's.
    EXPECT_FALSE(m_harness.Send(MessageKind::LButtonUp, kInside));
}

TEST_F(ImageButtonTest, TransparentPixelsDoNotReact)
{
    ImageButton& button = m_harness.Add<ImageButton>(ButtonSection(m_strip));
    EXPECT_FALSE(button.HitTest(QPointF(kTransparent)));
    EXPECT_FALSE(m_harness.Send(MessageKind::MouseMove, kTransparent));
    EXPECT_FALSE(m_harness.Send(MessageKind::LButtonDown, kTransparent));
    EXPECT_FALSE(button.IsPressed());
    EXPECT_TRUE(m_harness.events.empty());
    EXPECT_TRUE(button.HitTest(QPointF(13.5, 10.5)));
}

TEST_F(ImageButtonTest, DrawsTheBandOfItsState)
{
    ImageButton& button = m_harness.Add<ImageButton>(ButtonSection(m_strip));
    const auto shown = [this] { return m_harness.Render().pixelColor(kInside); };
    EXPECT_EQ(shown(), kNormal);
    m_harness.Send(MessageKind::MouseMove, kInside);
    EXPECT_EQ(shown(), kHover);
    m_harness.Send(MessageKind::LButtonDown, kInside);
    EXPECT_EQ(shown(), kPushed);
    m_harness.Send(MessageKind::LButtonUp, kInside);
    EXPECT_TRUE(button.SetProperty(QStringLiteral("Enable"), QStringLiteral("false")));
    EXPECT_EQ(shown(), kDisabled);

    // Without a picture for the state the normal one shows.
    ImageButton& plain = m_harness.Add<ImageButton>(QStringLiteral("[ImageButton]\nPos=L50,T50\nNormalFileName=%1,0,0,20,10").arg(m_strip));
    plain.SetProperty(QStringLiteral("Pushed"), QStringLiteral("true"));
    EXPECT_EQ(m_harness.Render().pixelColor(QPoint(60, 55)), kNormal);
}

TEST_F(ImageButtonTest, CheckButtonToggles)
{
    ImageButton& button = m_harness.Add<ImageButton>(ButtonSection(m_strip, QStringLiteral("Option=CheckButton")));
    EXPECT_TRUE(button.IsCheckButton());
    m_harness.Click(kInside);
    EXPECT_TRUE(button.IsPushed());
    QString pushed;
    button.GetProperty(QStringLiteral("Pushed"), pushed);
    EXPECT_EQ(pushed, QStringLiteral("true"));
    m_harness.Click(kInside);
    EXPECT_FALSE(button.IsPushed());
    m_harness.Click(kInside);
    m_harness.TakeCodes();

    // Pressed, dragged off and released outside: the latch stays, no click, the mouse goes.
    m_harness.Send(MessageKind::LButtonDown, kInside);
    m_harness.Send(MessageKind::LButtonUp, kOutside);
    EXPECT_TRUE(button.IsPushed());
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 6, 4, 5 }));

    // "Option=Pushed" starts latched.
    ImageButton& latched = m_harness.Add<ImageButton>(ButtonSection(m_strip, QStringLiteral("Option=CheckButton,Pushed")));
    EXPECT_TRUE(latched.IsPushed());
}

TEST_F(ImageButtonTest, DisablingWhileHoveredLetsTheMouseGo)
{
    ImageButton& button = m_harness.Add<ImageButton>(ButtonSection(m_strip));
    m_harness.Send(MessageKind::MouseMove, kInside);
    m_harness.Send(MessageKind::LButtonDown, kInside);
    m_harness.TakeCodes();
    EXPECT_TRUE(button.SetProperty(QStringLiteral("Enable"), QStringLiteral("false")));
    EXPECT_FALSE(button.IsHover());
    EXPECT_FALSE(button.IsPressed());
    EXPECT_FALSE(m_harness.host.holds_mouse);
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 5 }));
    EXPECT_EQ(button.CurrentState(), ButtonBase::State::Disabled);
    // Disabling again sends nothing.
    EXPECT_FALSE(button.SetProperty(QStringLiteral("Enable"), QStringLiteral("false")));
    EXPECT_TRUE(m_harness.events.empty());
}
