#include "FakeNativeEdit.h"
#include "InputTestHarness.h"

#include "platform/ScriptedUserPrompt.h"
#include "widgets/Brush.h"
#include "widgets/EditableTextWithMenu.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

// Choices 1, (empty), 4, 8 showing 4; the drop-down button covers x 74..89.
const QString kGridSize = QStringLiteral("[EditableTextWithMenu]\nName=GridSize\nPos=L10,T10,W80,H20\nList=1,,4,8\nText=4");
constexpr QPoint kDropDown(81, 20);
constexpr QPoint kField(30, 20);

class EditableTextWithMenuTest : public ::testing::Test {
protected:
    ScriptedUserPrompt& m_prompt { ScriptedUserPrompt::Install() };
    FakeNativeEditScope m_fakes;
    Harness m_harness;
};

}

TEST_F(EditableTextWithMenuTest, PickingAChoiceSendsPickedChangedFinished)
{
    EditableTextWithMenu& control = m_harness.Add<EditableTextWithMenu>(kGridSize);
    m_prompt.QueueMenuChoice(4);
    m_harness.Click(kDropDown);

    ASSERT_EQ(m_prompt.Requests().size(), 1u);
    const ScriptedUserPrompt::Request& request = m_prompt.Requests()[0];
    EXPECT_EQ(request.kind, ScriptedUserPrompt::Kind::PopupMenu);
    ASSERT_EQ(request.menu.entries.size(), 4u);
    const QString texts[] = { QStringLiteral("1"), QStringLiteral("\t"), QStringLiteral("4"), QStringLiteral("8") };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(request.menu.entries[size_t(i)].text, texts[i]);
        EXPECT_EQ(request.menu.entries[size_t(i)].checked, i == 2) << i;
    }
    // Below the control's left edge, in screen coordinates.
    EXPECT_EQ(request.position, QPoint(10, 30) + m_harness.host.screen_offset);

    ASSERT_EQ(m_harness.events.size(), 3u);
    EXPECT_EQ(m_harness.events[0].text, QStringLiteral("GridSize"));
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 3, 1, 2 }));
    EXPECT_EQ(control.CurrentText(), QStringLiteral("8"));
    EXPECT_EQ(PropertyOf(control, "Index"), QStringLiteral("3"));

    // The empty choice can be picked too.
    m_prompt.QueueMenuChoice(2);
    m_harness.Click(kDropDown);
    EXPECT_EQ(control.CurrentText(), QString());
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 3, 1, 2 }));
}

TEST_F(EditableTextWithMenuTest, DismissedMenuAndHoverSendNothing)
{
    m_harness.Add<EditableTextWithMenu>(kGridSize);
    // The drop-down button never captures the mouse nor reports hovering.
    m_harness.Send(MessageKind::MouseMove, kDropDown);
    EXPECT_FALSE(m_harness.host.holds_mouse);
    m_harness.Click(kDropDown); // the scripted menu is dismissed
    EXPECT_EQ(m_prompt.Requests().size(), 1u);
    EXPECT_TRUE(m_harness.events.empty());
    EXPECT_FALSE(m_harness.host.holds_mouse);
}

TEST_F(EditableTextWithMenuTest, TypingIntoTheFieldCommitsAsAChange)
{
    EditableTextWithMenu& control = m_harness.Add<EditableTextWithMenu>(kGridSize);
    m_harness.Send(MessageKind::LButtonDown, kField);
    FakeNativeEdit* window = FakeNativeEdit::Current();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->geometry, QRect(11, 11, 63, 18));
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 6 }));
    EXPECT_EQ(m_harness.canvas.ActiveItem(), &control);
    EXPECT_EQ(PropertyOf(control, "Editing"), QStringLiteral("true"));

    window->Type(QStringLiteral("2"));
    EXPECT_TRUE(window->PressKey(Key::Return));
    // The field's commit (1, 2, 7) becomes the control's change, and its focus event a 6.
    EXPECT_EQ(m_harness.TakeCodes(), (Codes { 1, 2, 6 }));
    EXPECT_EQ(control.CurrentText(), QStringLiteral("42"));
    EXPECT_TRUE(FakeNativeEdit::Live().empty());
}

TEST_F(EditableTextWithMenuTest, ControlHiddenByItsSectionEditsOnceShown)
{
    EditableTextWithMenu& control = m_harness.Add<EditableTextWithMenu>(kGridSize + QStringLiteral("\nOption=Edge,Invisible"));
    EXPECT_FALSE(m_harness.Send(MessageKind::LButtonDown, kField));
    control.SetProperty(QStringLiteral("Visible"), QStringLiteral("true"));
    m_harness.Send(MessageKind::LButtonDown, kField);
    EXPECT_NE(FakeNativeEdit::Current(), nullptr);
}

TEST_F(EditableTextWithMenuTest, FixedListTakesOnlyItsChoices)
{
    EditableTextWithMenu& control = m_harness.Add<EditableTextWithMenu>(
        QStringLiteral("[EditableTextWithMenu]\nPos=L10,T10,W80,H20\nList=1,2,4,8\nText=3\nOption=NoEditable"));
    // The option is read after the text, so the section's own text shows.
    EXPECT_FALSE(control.IsEditable());
    EXPECT_EQ(control.CurrentText(), QStringLiteral("3"));
    EXPECT_FALSE(control.SetProperty(QStringLiteral("Text"), QStringLiteral("5")));
    EXPECT_TRUE(control.SetProperty(QStringLiteral("Text"), QStringLiteral("2")));
    EXPECT_TRUE(control.SetProperty(QStringLiteral("Index"), QStringLiteral("3")));
    EXPECT_EQ(control.CurrentText(), QStringLiteral("8"));
    EXPECT_FALSE(control.SetProperty(QStringLiteral("Index"), QStringLiteral("4")));
    EXPECT_FALSE(control.SetProperty(QStringLiteral("Index"), QStringLiteral("-1")));

    // A click on the field does not begin editing.
    m_harness.Send(MessageKind::LButtonDown, kField);
    EXPECT_TRUE(FakeNativeEdit::Live().empty());
}

TEST_F(EditableTextWithMenuTest, ChoicesReadByName)
{
    EditableTextWithMenu& control = m_harness.Add<EditableTextWithMenu>(
        QStringLiteral("[EditableTextWithMenu]\nPos=L10,T10,W80,H20\nList=1,2,4,8\nText=4"));
    struct Row {
        const char* text;
        const char* key;
        const char* expected;
    };
    const Row rows[] = {
        { "4", "NextText", "8" },
        { "8", "NextText", "8" }, // no wrap at the end
        { "3", "NextText", "1" }, // not a choice: the first
        { "4", "PrevText", "2" },
        { "1", "PrevText", "1" },
        { "3", "PrevText", "8" }, // not a choice: the last
        { "4", "Index", "2" },
        { "3", "Index", "-1" },
        { "4", "Text2", "4" },
        { "4", "Text9", "" },
        { "4", "Text", "4" },
    };
    for (const Row& row : rows) {
        control.SetProperty(QStringLiteral("Text"), QLatin1String(row.text));
        EXPECT_EQ(PropertyOf(control, row.key), QString::fromUtf8(row.expected)) << row.text << " " << row.key;
    }
    QString value;
    EXPECT_FALSE(control.GetProperty(QStringLiteral("Enable"), value));

    // Without choices both steps keep the text.
    EXPECT_TRUE(control.SetProperty(QStringLiteral("List"), QString()));
    EXPECT_EQ(PropertyOf(control, "NextText"), QStringLiteral("4"));
    EXPECT_EQ(PropertyOf(control, "PrevText"), QStringLiteral("4"));
}

TEST_F(EditableTextWithMenuTest, ListPropertyReplacesOnlyADifferentList)
{
    EditableTextWithMenu& control = m_harness.Add<EditableTextWithMenu>(kGridSize);
    EXPECT_FALSE(control.SetProperty(QStringLiteral("List"), QStringLiteral("1,,4,8")));
    EXPECT_TRUE(control.SetProperty(QStringLiteral("List"), QStringLiteral("1,2,4,8")));
    EXPECT_EQ(control.Choices(), (QStringList { "1", "2", "4", "8" }));
    EXPECT_TRUE(control.SetProperty(QStringLiteral("List"), QStringLiteral("\"a,b\",c")));
    EXPECT_EQ(control.Choices(), (QStringList { "a,b", "c" }));
}

TEST_F(EditableTextWithMenuTest, DisabledControlShowsNoButton)
{
    m_harness.Add<Brush>(QStringLiteral("[Brush]\nPos=L0,T0,R0,B0\nColor=0xffffffff"));
    EditableTextWithMenu& control = m_harness.Add<EditableTextWithMenu>(kGridSize + QStringLiteral("\nOption=Edge"));
    const auto dark_in_button = [this] {
        const QImage image = m_harness.Render();
        int count = 0;
        for (int y = 13; y < 27; ++y)
            for (int x = 76; x < 88; ++x)
                count += qGray(image.pixel(x, y)) < 100;
        return count;
    };
    EXPECT_GT(dark_in_button(), 0); // the triangle
    control.SetProperty(QStringLiteral("Enable"), QStringLiteral("false"));
    EXPECT_EQ(dark_in_button(), 0);
}
