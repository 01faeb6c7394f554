#include "items/LayoutDialog.h"
#include "items/SaveQualityDialog.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ItemFactories.h"

#include <gtest/gtest.h>

namespace {

class LayoutDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ItemFactories::RegisterAll();
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
    }
    void TearDown() override { SetDialogs(nullptr); }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
};

const QString kTwoButtons = QStringLiteral(
    "[Button]\r\nPos=L10,T10,W60,H20\r\nName=OK\r\nText=OK\r\n\r\n"
    "[Button]\r\nPos=L80,T10,W60,H20\r\nName=Cancel\r\nText=Cancel\r\n\r\n");

class RefusingOwner final : public LayoutDialogOwner {
public:
    bool MayEndDialog(Canvas&) override
    {
        ++asked;
        return false;
    }
    int asked { 0 };
};

TEST_F(LayoutDialogTest, CancelAfterARefusedOkEndsWithFalse)
{
    RefusingOwner owner;
    LayoutDialogRequest request;
    request.layout_text = kTwoButtons;
    request.owner = &owner;
    bool still_open_after_ok = false;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Press(QStringLiteral("OK"));
        still_open_after_ok = !dialog.Dialog().HasEnded();
        dialog.Press(QStringLiteral("Cancel"));
    });
    EXPECT_FALSE(Dialogs().Run(request));
    EXPECT_TRUE(still_open_after_ok);
    EXPECT_EQ(owner.asked, 1);
}

TEST_F(LayoutDialogTest, EmptyLayoutFailsWithTheResourceMessage)
{
    LayoutDialogRequest request;
    EXPECT_FALSE(Dialogs().Run(request));
    ASSERT_EQ(m_dialogs->Failures().size(), 1u);
    EXPECT_EQ(m_dialogs->Failures()[0], QStringLiteral("リソース読み込みに失敗しました。"));
}

struct QualityRow {
    const char* typed;
    const char* field;
    int quality;
};

TEST_F(LayoutDialogTest, QualityFieldIsClampedAndMovesTheSlider)
{
    const QualityRow rows[] = { { "150", "100", 100 }, { "-5", "0", 0 }, { "42", "42", 42 }, { "abc", "0", 0 } };
    for (const QualityRow& row : rows) {
        QString field;
        m_dialogs->Queue([&](ScriptedDialog& dialog) {
            dialog.Change(QStringLiteral("EQEdit"), QStringLiteral("Text"), QString::fromUtf8(row.typed));
            field = dialog.Property(QStringLiteral("EQEdit"), QStringLiteral("Text"));
            dialog.Press(QStringLiteral("OK"));
        });
        EXPECT_EQ(AskSaveQuality(), std::optional<int>(row.quality)) << row.typed;
        EXPECT_EQ(field, QString::fromUtf8(row.field)) << row.typed;
    }
}

TEST_F(LayoutDialogTest, QualitySliderShowsAWholeNumberInTheField)
{
    QString field;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("EQSlider"), QStringLiteral("Value"), QStringLiteral("37.6"));
        field = dialog.Property(QStringLiteral("EQEdit"), QStringLiteral("Text"));
        dialog.Press(QStringLiteral("OK"));
    });
    EXPECT_EQ(AskSaveQuality(), std::optional<int>(37));
    EXPECT_EQ(field, QStringLiteral("37"));
}

TEST_F(LayoutDialogTest, QualityDialogClosedOrCancelledGivesNothing)
{
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Close(); });
    EXPECT_EQ(AskSaveQuality(), std::nullopt);
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("Cancel")); });
    EXPECT_EQ(AskSaveQuality(), std::nullopt);
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("OK")); });
    EXPECT_EQ(AskSaveQuality(), std::optional<int>(90));
    ASSERT_EQ(m_dialogs->Requests().size(), 3u);
    EXPECT_EQ(m_dialogs->Requests()[0].kind, CanvasKind::QualityDialog);
    EXPECT_TRUE(m_dialogs->Requests()[0].caption.isEmpty());
}

}

namespace {

// A layout with widgets that take the keyboard and some that do not, in this order.
const QString kKeyboardLayout = QStringLiteral(
    "[Brush]\r\nPos=L0,T0,R0,B0\r\nColor=0xffc0c0c0\r\n\r\n"
    "[Text]\r\nPos=L10,T10,W60,H20\r\nText=Name\r\n\r\n"
    "[EditableText]\r\nPos=L80,T10,W100,H20\r\nName=Field\r\nText=abc\r\nOption=Edge,SingleLine\r\n\r\n"
    "[CheckBox]\r\nPos=L10,T40,W100,H20\r\nName=Check\r\nText=Check\r\n\r\n"
    "[CheckBox]\r\nPos=L10,T70,W100,H20\r\nName=Disabled\r\nText=Off\r\nOption=Disable,CheckButton\r\n\r\n"
    "[Slider]\r\nPos=L10,T100,W200,H20\r\nName=Amount\r\nValue=50\r\n\r\n"
    "[Button]\r\nPos=L10,B30,W60,H20\r\nName=OK\r\nText=OK\r\n\r\n"
    "[Button]\r\nPos=L80,B30,W60,H20\r\nName=Cancel\r\nText=Cancel\r\n\r\n");

LayoutDialogRequest KeyboardRequest(LayoutDialogOwner* owner = nullptr)
{
    LayoutDialogRequest request;
    request.layout_text = kKeyboardLayout;
    request.size = QSize(300, 200);
    request.owner = owner;
    return request;
}

}

TEST_F(LayoutDialogTest, ReturnIsOkAndEscapeIsCancel)
{
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.PressKey(Key::Return); });
    EXPECT_TRUE(Dialogs().Run(KeyboardRequest()));
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.PressKey(Key::Escape); });
    EXPECT_FALSE(Dialogs().Run(KeyboardRequest()));

    // Return asks the owner as the OK button does; a refusal keeps the dialog open.
    RefusingOwner owner;
    bool open_after_return = false;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.PressKey(Key::Return);
        open_after_return = !dialog.Dialog().HasEnded();
        dialog.PressKey(Key::Escape);
    });
    EXPECT_FALSE(Dialogs().Run(KeyboardRequest(&owner)));
    EXPECT_TRUE(open_after_return);
    EXPECT_EQ(owner.asked, 1);
}

// Tab and Shift+Tab visit the enabled widgets that take input, in the layout's order, and come
// round again; a field edits while it has the focus.
TEST_F(LayoutDialogTest, TabMovesTheFocusThroughTheWidgetsThatTakeInput)
{
    QStringList forward;
    QStringList backward;
    QStringList field_editing;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        for (int step = 0; step < 6; ++step) {
            dialog.PressKey(Key::Tab);
            forward << dialog.Focused();
            field_editing << dialog.Property(QStringLiteral("Field"), QStringLiteral("Editing"));
        }
        for (int step = 0; step < 3; ++step) {
            dialog.PressKey(Key::Tab, true);
            backward << dialog.Focused();
        }
        dialog.PressKey(Key::Escape);
    });
    Dialogs().Run(KeyboardRequest());
    EXPECT_EQ(forward, (QStringList { "Field", "Check", "Amount", "OK", "Cancel", "Field" }));
    EXPECT_EQ(backward, (QStringList { "Cancel", "OK", "Amount" }));
    EXPECT_EQ(field_editing, (QStringList { "true", "false", "false", "false", "false", "true" }));
}

// Space presses the focused button or check box; Return on a focused Cancel cancels; the
// arrow keys move the focused slider.
TEST_F(LayoutDialogTest, FocusedWidgetsTakeTheirKeys)
{
    QString checked;
    QString amount;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.PressKey(Key::Tab);
        dialog.PressKey(Key::Tab);
        dialog.PressKey(Key::Space);
        checked = dialog.Property(QStringLiteral("Check"), QStringLiteral("Pushed"));
        dialog.PressKey(Key::Tab);
        dialog.PressKey(Key::Right);
        dialog.PressKey(Key::Right);
        dialog.PressKey(Key::Left);
        amount = dialog.Property(QStringLiteral("Amount"), QStringLiteral("Value"));
        dialog.PressKey(Key::Tab, true);
        dialog.PressKey(Key::Tab, true);
        dialog.PressKey(Key::Tab, true);
        dialog.PressKey(Key::Return);
    });
    EXPECT_FALSE(Dialogs().Run(KeyboardRequest()));
    EXPECT_EQ(checked, u"true");
    EXPECT_EQ(amount.toFloat(), 56.25f);

    // Space on the focused OK ends the dialog as a click does.
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        for (int step = 0; step < 4; ++step)
            dialog.PressKey(Key::Tab);
        ASSERT_EQ(dialog.Focused(), u"OK");
        dialog.PressKey(Key::Space);
    });
    EXPECT_TRUE(Dialogs().Run(KeyboardRequest()));
}

// The quality asked before a JPEG is written, answered by the keyboard alone.
TEST_F(LayoutDialogTest, QualityDialogAnsweredByKeys)
{
    m_dialogs->Queue([](ScriptedDialog& dialog) {
        dialog.PressKey(Key::Tab);
        EXPECT_EQ(dialog.Focused(), u"EQSlider");
        dialog.PressKey(Key::Left);
        dialog.PressKey(Key::Left);
        dialog.PressKey(Key::Return);
    });
    EXPECT_EQ(AskSaveQuality(), std::optional<int>(77));
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.PressKey(Key::Escape); });
    EXPECT_EQ(AskSaveQuality(), std::nullopt);
}

// The frame follows the focus as the dialog redraws only the two widgets concerned: the
// widget left behind shows none.
TEST_F(LayoutDialogTest, FocusFrameMovesWithTheFocus)
{
    // The dark pixels of a column of the back buffer from one row to another.
    const auto dark_in_column = [](const QImage& image, int x, int from, int to) {
        int dark = 0;
        for (int y = from; y < to; ++y)
            if (qGray(image.pixel(x, y)) < 64)
                ++dark;
        return dark;
    };
    int ok_focused = 0;
    int ok_after = 0;
    int cancel_after = 0;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        for (int step = 0; step < 4; ++step)
            dialog.PressKey(Key::Tab);
        ok_focused = dark_in_column(dialog.GetCanvas().BackBuffer(), 12, 172, 188);
        dialog.PressKey(Key::Tab);
        ok_after = dark_in_column(dialog.GetCanvas().BackBuffer(), 12, 172, 188);
        cancel_after = dark_in_column(dialog.GetCanvas().BackBuffer(), 82, 172, 188);
        dialog.PressKey(Key::Escape);
    });
    Dialogs().Run(KeyboardRequest());
    EXPECT_GE(ok_focused, 4);
    EXPECT_EQ(ok_after, 0);
    EXPECT_GE(cancel_after, 4);
}
