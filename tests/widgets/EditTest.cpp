#include "FakeNativeEdit.h"
#include "InputTestHarness.h"

#include "widgets/Edit.h"

#include <gtest/gtest.h>

using namespace InputTest;

namespace {

const QString kSection = QStringLiteral("[Edit]\nName=Note\nPos=L10,T20,W100,H30\nText=hello\nGroup=main\n"
                                        "Option=MultiLine,VScroll,ReadOnly,Password,Edge\nAlign=R\nFont=12.5,Serif");

}

TEST(EditTest, WindowExistsExactlyWhileShownAndKeepsItsText)
{
    FakeNativeEditScope fakes;
    Harness harness;
    Edit& edit = harness.Add<Edit>(kSection);
    EXPECT_FALSE(edit.HasWindow());

    // The window is made by the next present, over the item, with the focus and the text.
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    FakeNativeEdit* window = FakeNativeEdit::Current();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->focused);
    EXPECT_EQ(window->text, QStringLiteral("hello"));
    EXPECT_EQ(window->geometry, QRect(10, 20, 100, 30));
    EXPECT_TRUE(window->style.multi_line);
    EXPECT_TRUE(window->style.vertical_scroll_bar);
    EXPECT_TRUE(window->style.read_only);
    EXPECT_TRUE(window->style.password);
    EXPECT_TRUE(window->style.client_edge);
    EXPECT_EQ(window->style.alignment, 2);
    EXPECT_DOUBLE_EQ(window->font.pointSizeF(), 12.5);
    EXPECT_EQ(window->font.family(), QStringLiteral("Serif"));

    window->Type(QStringLiteral(" world"));
    EXPECT_EQ(PropertyOf(edit, "Text"), QStringLiteral("hello world"));

    // Hidden: the window goes, the text stays readable.
    edit.SetProperty(QStringLiteral("Visible"), QStringLiteral("false"));
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    EXPECT_FALSE(edit.HasWindow());
    EXPECT_TRUE(FakeNativeEdit::Live().empty());
    EXPECT_EQ(PropertyOf(edit, "Text"), QStringLiteral("hello world"));

    // Shown again: a new window with that text, which takes the focus.
    edit.SetProperty(QStringLiteral("Visible"), QStringLiteral("true"));
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    ASSERT_NE(FakeNativeEdit::Current(), nullptr);
    EXPECT_EQ(FakeNativeEdit::Current()->text, QStringLiteral("hello world"));
    EXPECT_TRUE(FakeNativeEdit::Current()->focused);
    EXPECT_EQ(FakeNativeEdit::Created(), 2);

    // Leaving the canvas's group is like being hidden.
    harness.canvas.SetCurrentGroup(QStringLiteral("other"));
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    EXPECT_FALSE(edit.HasWindow());
    harness.canvas.SetCurrentGroup(QStringLiteral("main"));
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    EXPECT_TRUE(edit.HasWindow());
}

TEST(EditTest, WindowFollowsTheCanvasOriginAndScroll)
{
    FakeNativeEditScope fakes;
    Harness harness;
    Edit& edit = harness.Add<Edit>(QStringLiteral("[Edit]\nPos=L10.7,T20,W100.9,H30"));
    harness.canvas.SetOrigin(5, 7);
    harness.canvas.SetScroll(0, 10);
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    ASSERT_TRUE(edit.HasWindow());
    EXPECT_EQ(FakeNativeEdit::Current()->geometry, QRect(15, 17, 100, 30));
}

TEST(EditTest, TextChangesOfItsWindowAreReported)
{
    FakeNativeEditScope fakes;
    Harness harness;
    harness.Add<Edit>(kSection);
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    harness.TakeCodes();
    FakeNativeEdit* window = FakeNativeEdit::Current();
    window->Type(QStringLiteral("!"));
    ASSERT_EQ(harness.events.size(), 1u);
    EXPECT_EQ(harness.events[0].code, 1);
    EXPECT_EQ(harness.events[0].text, QStringLiteral("Note"));
    harness.TakeCodes();

    // A change message of some other window is not this edit's.
    Message foreign;
    foreign.kind = MessageKind::EditChanged;
    foreign.source = &harness;
    EXPECT_FALSE(harness.Send(foreign));
    EXPECT_TRUE(harness.events.empty());
}

TEST(EditTest, CtrlASelectsTheWholeText)
{
    FakeNativeEditScope fakes;
    Harness harness;
    Edit& edit = harness.Add<Edit>(kSection);
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    FakeNativeEdit* window = FakeNativeEdit::Current();
    EXPECT_TRUE(window->PressKey(Key::A, true));
    EXPECT_EQ(window->selection, std::make_pair(0, 5));
    EXPECT_FALSE(window->PressKey(Key::A));

    // The key may come from any window of the canvas.
    window->selection = { 1, 1 };
    EXPECT_TRUE(harness.Send(KeyMessage(MessageKind::KeyDown, Key::A, true)));
    EXPECT_EQ(window->selection, std::make_pair(0, 5));

    EXPECT_TRUE(edit.SetProperty(QStringLiteral("SelectPosition"), QStringLiteral("1,3")));
    QString selection;
    EXPECT_TRUE(edit.GetProperty(QStringLiteral("SelectPosition"), selection));
    EXPECT_EQ(selection, QStringLiteral("1,3"));
}

TEST(EditTest, TextAndFontPropertiesWithAndWithoutAWindow)
{
    FakeNativeEditScope fakes;
    Harness harness;
    Edit& edit = harness.Add<Edit>(QStringLiteral("[Edit]\nPos=L0,T0,W50,H20\nOption=ScrollLast"));
    EXPECT_TRUE(edit.SetProperty(QStringLiteral("Text"), QStringLiteral("a\r\nb")));
    EXPECT_FALSE(edit.SetProperty(QStringLiteral("Text"), QStringLiteral("a\r\nb")));
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    FakeNativeEdit* window = FakeNativeEdit::Current();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->text, QStringLiteral("a\r\nb"));
    EXPECT_TRUE(edit.SetProperty(QStringLiteral("Text"), QStringLiteral("c")));
    EXPECT_EQ(window->text, QStringLiteral("c"));
    EXPECT_TRUE(window->scrolled_to_end);
    EXPECT_FALSE(edit.SetProperty(QStringLiteral("Text"), QStringLiteral("c")));

    EXPECT_TRUE(edit.SetProperty(QStringLiteral("Font"), QStringLiteral("\"9.5\",\"Sans\"")));
    EXPECT_DOUBLE_EQ(window->font.pointSizeF(), 9.5);
    EXPECT_EQ(window->font.family(), QStringLiteral("Sans"));

    // Keeps its text when the canvas's window is destroyed.
    window->Type(QStringLiteral("d"));
    edit.HandleMessage(Mouse(MessageKind::Destroy, {}), {});
    edit.DestroyWindow();
    EXPECT_EQ(PropertyOf(edit, "Text"), QStringLiteral("cd"));
    // The edit answers only its own keys.
    QString value;
    EXPECT_FALSE(edit.GetProperty(QStringLiteral("Enable"), value));
}

TEST(EditTest, WithoutAWindowFactoryTheTextIsKept)
{
    Harness harness;
    Edit& edit = harness.Add<Edit>(kSection);
    harness.canvas.Present(PresentScope::All, UpdateTiming::Later);
    EXPECT_FALSE(edit.HasWindow());
    EXPECT_TRUE(edit.SetProperty(QStringLiteral("Text"), QStringLiteral("kept")));
    EXPECT_EQ(PropertyOf(edit, "Text"), QStringLiteral("kept"));
}
