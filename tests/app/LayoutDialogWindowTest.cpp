#include "ShownDialogs.h"

#include "app/LayoutDialogWindow.h"

#include "items/Item.h"
#include "items/SaveQualityDialog.h"
#include "platform/ScriptedUserPrompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class LayoutDialogWindowTest : public ShownDialogTest {
};

}

TEST_F(LayoutDialogWindowTest, OwnerIgnoresClicksWhileTheDialogIsOpenAndIsActiveAgainAfterwards)
{
    bool locked_meanwhile = true;
    QSize client;
    WhenShown([&](LayoutDialogWindow& dialog) {
        client = dialog.size();
        ClickAt(m_window->PageBarWidget(), CentreOf(m_window->PageBarWidget(), QStringLiteral("LockPage")));
        locked_meanwhile = m_window->IsLocked();
        EXPECT_TRUE(dialog.isEnabled());
        Click(dialog, QStringLiteral("OK"));
    });
    EXPECT_EQ(AskSaveQuality(), std::optional<int>(90));
    EXPECT_FALSE(m_owner_enabled_meanwhile);
    EXPECT_FALSE(locked_meanwhile);
    EXPECT_EQ(client, QSize(300, 130));
    EXPECT_EQ(ShownDialog(), nullptr);
    EXPECT_TRUE(m_window->isEnabled());
    QTRY_COMPARE(QApplication::activeWindow(), m_window.get());
    // The owner takes clicks again.
    ClickAt(m_window->PageBarWidget(), CentreOf(m_window->PageBarWidget(), QStringLiteral("LockPage")));
    EXPECT_TRUE(m_window->IsLocked());
}

TEST_F(LayoutDialogWindowTest, CloseBoxCancels)
{
    WhenShown([](LayoutDialogWindow& dialog) { dialog.close(); });
    EXPECT_EQ(AskSaveQuality(), std::nullopt);
    EXPECT_EQ(ShownDialog(), nullptr);
    EXPECT_TRUE(m_window->isEnabled());
}

struct TypedQuality {
    const char* typed;
    const char* field;
    int quality;
};

TEST_F(LayoutDialogWindowTest, QualityFieldTypedIntoTheWindowIsClamped)
{
    const TypedQuality rows[] = { { "150", "100", 100 }, { "-5", "0", 0 } };
    for (const TypedQuality& row : rows) {
        QString field;
        QString slider;
        WhenShown([&](LayoutDialogWindow& dialog) {
            TypeInto(dialog, QStringLiteral("EQEdit"), QString::fromUtf8(row.typed));
            field = Property(dialog, QStringLiteral("EQEdit"), QStringLiteral("Text"));
            slider = Property(dialog, QStringLiteral("EQSlider"), QStringLiteral("Value"));
            Click(dialog, QStringLiteral("OK"));
        });
        EXPECT_EQ(AskSaveQuality(), std::optional<int>(row.quality)) << row.typed;
        EXPECT_EQ(field, QString::fromUtf8(row.field)) << row.typed;
        EXPECT_FLOAT_EQ(slider.toFloat(), float(row.quality)) << row.typed;
    }
}

TEST_F(LayoutDialogWindowTest, SliderClickedBetweenWholeValuesShowsTheWholePartInTheField)
{
    float value = 0;
    QString field;
    WhenShown([&](LayoutDialogWindow& dialog) {
        const Item* slider = dialog.GetCanvas().FindItem(QStringLiteral("EQSlider"));
        ASSERT_NE(slider, nullptr);
        const QRectF track = dialog.GetCanvas().ToDevice(slider->GetBounds());
        // Left of the thumb (at 90), where a press moves the value at once.
        ClickAt(dialog, QPoint(int(track.left() + track.width() * 0.37), int(track.center().y())));
        dialog.GetCanvas().GetItemPropertyFloat(QStringLiteral("EQSlider"), QStringLiteral("Value"), value);
        field = Property(dialog, QStringLiteral("EQEdit"), QStringLiteral("Text"));
        Click(dialog, QStringLiteral("OK"));
    });
    const auto quality = AskSaveQuality();
    EXPECT_GT(value, 1.0f);
    EXPECT_LT(value, 90.0f);
    EXPECT_NE(value, float(int(value))) << "the press should give a fractional value";
    EXPECT_EQ(field, QString::number(int(value)));
    EXPECT_EQ(quality, std::optional<int>(int(value)));
}

TEST_F(LayoutDialogWindowTest, LayoutThatGivesNoDocumentShowsTheMessageAndNoWindow)
{
    LayoutDialogRequest request;
    request.caption = QStringLiteral("empty");
    bool shown = false;
    QTimer::singleShot(0, [&] { shown = ShownDialog() != nullptr; });
    EXPECT_FALSE(Dialogs().Run(request));
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].text, QStringLiteral("リソース読み込みに失敗しました。"));
    EXPECT_EQ(m_prompt->Requests()[0].caption, QStringLiteral("Tessary"));
    EXPECT_TRUE(m_window->isEnabled());
}

// A dialog at a given position with drag-by-client: a press on its background, which no item
// takes, does not end it, and its client area sits where asked.
TEST_F(LayoutDialogWindowTest, DialogAtAPositionShowsItsCaptionThere)
{
    LayoutDialogRequest request;
    request.layout_text = QStringLiteral("[Brush]\r\nPos=L0,T0,R0,B0\r\nColor=0xff336699\r\n\r\n"
                                         "[Button]\r\nPos=L10,B30,W60,B10\r\nName=OK\r\nText=OK\r\n\r\n");
    request.caption = QStringLiteral("テスト");
    request.size = QSize(200, 100);
    request.position = QPoint(40, 50);
    request.drag_by_client = true;
    QPoint position;
    QString caption;
    bool ended_by_press = true;
    WhenShown([&](LayoutDialogWindow& dialog) {
        position = dialog.geometry().topLeft();
        caption = dialog.windowTitle();
        ClickAt(dialog, QPoint(150, 20));
        ended_by_press = !dialog.isVisible();
        Click(dialog, QStringLiteral("OK"));
    });
    EXPECT_TRUE(Dialogs().Run(request));
    EXPECT_EQ(position, QPoint(40, 50));
    EXPECT_EQ(caption, QStringLiteral("テスト"));
    EXPECT_FALSE(ended_by_press);
}

// The about box opens from inside the tool bar's click handler; its own OK must still end it.
TEST_F(LayoutDialogWindowTest, DialogOpenedByAToolBarButtonTakesItsOwnClicks)
{
    bool ended_by_ok = false;
    QString caption;
    WhenShown([&](LayoutDialogWindow& dialog) {
        caption = dialog.windowTitle();
        Click(dialog, QStringLiteral("OK"));
        ended_by_ok = !dialog.isVisible();
        if (!ended_by_ok)
            dialog.close();
    });
    Click(m_window->ToolBarWidget(), QStringLiteral("About"));
    EXPECT_EQ(caption, QStringLiteral("Tessary バージョン情報"));
    EXPECT_TRUE(ended_by_ok);
    EXPECT_EQ(ShownDialog(), nullptr);
    EXPECT_TRUE(m_window->isEnabled());
}

// A dialog that closes on focus loss ends as cancelled when another window takes the
// activation while the pointer is away from it.
TEST_F(LayoutDialogWindowTest, FocusLossWithThePointerOutsideClosesTheDialog)
{
    LayoutDialogRequest request;
    request.layout_text = QStringLiteral("[Button]\r\nPos=L10,T10,W60,H20\r\nName=OK\r\nText=OK\r\n\r\n");
    request.size = QSize(200, 100);
    request.close_on_focus_loss = true;
    QWidget other;
    other.setGeometry(700, 500, 100, 100);
    bool closed = false;
    WhenShown([&](LayoutDialogWindow& dialog) {
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);
        QCursor::setPos(other.geometry().center());
        other.show();
        other.activateWindow();
        QTRY_VERIFY(!dialog.isVisible());
        closed = dialog.ClosedByFocusLoss();
        if (dialog.isVisible())
            dialog.close();
    });
    EXPECT_FALSE(Dialogs().Run(request));
    EXPECT_TRUE(closed);
}
