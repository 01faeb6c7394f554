#include "app/ActionId.h"
#include "MainWindowFixture.h"

#include "widgets/Text.h"

#include <QLineEdit>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

class WindowActionsTest : public MainWindowTest {
protected:
    // The menu entry of a command as the menu shows it once opened.
    QAction* OpenedMenuEntry(const QString& caption_start)
    {
        for (QAction* top : m_window->menuBar()->actions()) {
            QMenu* menu = top->menu();
            if (!menu)
                continue;
            for (QAction* action : menu->actions()) {
                if (!action->text().startsWith(caption_start))
                    continue;
                emit menu->aboutToShow();
                return action;
            }
        }
        ADD_FAILURE() << "no menu entry " << caption_start.toStdString();
        return nullptr;
    }
};

struct MenuStateRow {
    const char* caption;
    bool unlocked;
    bool locked;
};

class MenuStateTest : public WindowActionsTest, public ::testing::WithParamInterface<MenuStateRow> { };

}

// Each menu's keyboard letters lead to one entry each, and the view menu brings the window
// to the front by "最前面に".
TEST_F(WindowActionsTest, EveryMenuHasDistinctLetters)
{
    QStringList view_captions;
    for (QAction* top : m_window->menuBar()->actions()) {
        QMenu* menu = top->menu();
        ASSERT_NE(menu, nullptr);
        std::map<QChar, QString> letters;
        for (QAction* action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const QString caption = action->text().section(u'\t', 0, 0);
            if (top->text() == QStringLiteral("表示(&V)"))
                view_captions << caption;
            const qsizetype amp = caption.indexOf(u'&');
            ASSERT_GE(amp, 0) << caption.toStdString();
            const QChar letter = caption.at(amp + 1).toUpper();
            EXPECT_FALSE(letters.count(letter)) << top->text().toStdString() << ": " << caption.toStdString()
                                                << " and " << letters[letter].toStdString();
            letters[letter] = caption;
        }
    }
    EXPECT_TRUE(view_captions.contains(QStringLiteral("最前面に(&F)")));
    EXPECT_FALSE(view_captions.join(u' ').contains(QStringLiteral("最全面")));
}

// A note of two pages with one step to undo and one to redo.
TEST_P(MenuStateTest, EntriesFollowTheLockAsTheMenuOpens)
{
    const MenuStateRow& row = GetParam();
    m_window->Import().ProcessCommandLine(MakeImages(2));
    m_window->GetPages().Undo();
    QAction* action = OpenedMenuEntry(QString::fromUtf8(row.caption));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->isEnabled(), row.unlocked);
    // Locked by the page bar's button, which the menu learns only as it opens.
    Click(m_window->PageBarWidget(), QStringLiteral("LockPage"));
    ASSERT_TRUE(m_window->IsLocked());
    action = OpenedMenuEntry(QString::fromUtf8(row.caption));
    EXPECT_EQ(action->isEnabled(), row.locked);
}

INSTANTIATE_TEST_SUITE_P(Entries, MenuStateTest,
                         ::testing::Values(MenuStateRow { "元に戻す", true, false }, MenuStateRow { "やり直し", true, false },
                                           MenuStateRow { "新規ノート", true, false }, MenuStateRow { "ページ内容を消去", true, false },
                                           MenuStateRow { "ページを挿入", true, false }, MenuStateRow { "ページを削除", true, false },
                                           MenuStateRow { "ノートを開く", true, true }, MenuStateRow { "ノートを保存", true, true },
                                           MenuStateRow { "グリッド", true, true }, MenuStateRow { "背景透明化", true, true },
                                           MenuStateRow { "全画面表示", true, true }, MenuStateRow { "ロック", true, true },
                                           MenuStateRow { "画像を開く", true, false }, MenuStateRow { "画像保存", true, true },
                                           MenuStateRow { "終了", true, true }));

TEST_F(WindowActionsTest, CheckMarksFollowTheSwitchesAsTheMenuOpens)
{
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_G, Qt::ControlModifier);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_U, Qt::ControlModifier);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_F9);
    EXPECT_FALSE(OpenedMenuEntry(QStringLiteral("グリッド"))->isChecked());
    EXPECT_FALSE(OpenedMenuEntry(QStringLiteral("スナップ"))->isChecked());
    EXPECT_TRUE(OpenedMenuEntry(QStringLiteral("ロック"))->isChecked());
    EXPECT_TRUE(OpenedMenuEntry(QStringLiteral("最背面に"))->isChecked());
    EXPECT_FALSE(OpenedMenuEntry(QStringLiteral("背景透明化"))->isChecked());
    // A disabled entry chosen from the menu does nothing.
    m_window->Import().ProcessCommandLine(MakeImages(1));
    QAction* undo = OpenedMenuEntry(QStringLiteral("元に戻す"));
    ASSERT_FALSE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(NoteItemsShown(), 1);
}

TEST_F(WindowActionsTest, CtrlDDeselectsTheActiveItem)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    m_window->Import().PlaceImage(MakeImage(QStringLiteral("second.png")), QPoint(200, 200), Placement::AtPoint, 0, -1);
    PageCanvasWidget& view = m_window->PageWidget();
    Canvas& canvas = m_window->PageCanvas();
    Item* active = canvas.ItemAt(canvas.ItemCount() - 1);
    canvas.SetActiveItem(active);
    active->SetProperty(QStringLiteral("Hover"), QStringLiteral("true"));
    QTest::keyClick(&view, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(canvas.ActiveItem(), nullptr);
    // Tab raises the lowest note item to the top.
    const Item* lowest = NoteItemsOf(canvas).at(0);
    QTest::keyClick(&view, Qt::Key_Tab);
    EXPECT_EQ(canvas.ItemAt(canvas.ItemCount() - 1), lowest);
}

TEST_F(WindowActionsTest, StatusFollowsThePointerOntoAndOffAnImage)
{
    m_window->Import().ProcessCommandLine({ MakeImage(QStringLiteral("shown.png"), QSize(200, 100)) });
    PageCanvasWidget& view = m_window->PageWidget();
    const Canvas& canvas = m_window->PageCanvas();
    const QRectF image = canvas.ToDevice(NoteItemsOf(canvas).at(0)->GetBounds());
    const QPoint outside(static_cast<int>(image.center().x()), static_cast<int>(image.top()) - 10);
    ASSERT_GE(outside.y(), 0);
    // Moves onto the same point as the last one are not reported, so it starts off the image.
    QTest::mouseMove(&view, outside + QPoint(0, -1));
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("Status")), QString());
    QTest::mouseMove(&view, image.center().toPoint());
    EXPECT_TRUE(TextOf(m_window->PageBarWidget(), QStringLiteral("Status")).contains(QStringLiteral("shown.png")));
    QTest::mouseMove(&view, outside);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("Status")), QString());
}

// At the smallest window the status box shows all three lines of an image's status: none
// wraps, and the three fit the box's height at the box's font.
TEST_F(WindowActionsTest, StatusShowsItsThreeLinesAtTheSmallestWindow)
{
    m_window->resize(1, 1);
    m_window->Import().ProcessCommandLine({ MakeImage(QStringLiteral("a photograph with a long name.png"), QSize(6000, 4000)) });
    PageCanvasWidget& view = m_window->PageWidget();
    const Canvas& canvas = m_window->PageCanvas();
    QTest::mouseMove(&view, canvas.ToDevice(NoteItemsOf(canvas).at(0)->GetBounds().center()).toPoint());
    CanvasWidget& bar = m_window->PageBarWidget();
    const auto* status = dynamic_cast<const Text*>(bar.GetCanvas().FindItem(QStringLiteral("Status")));
    ASSERT_NE(status, nullptr);
    ASSERT_EQ(status->GetText().count(u'\n'), 2);
    // A long line is drawn smaller or cut short, never wrapped onto the next.
    EXPECT_TRUE(status->NoWrap());
    EXPECT_LE(status->NaturalSize().height(), status->Height());
    // Three bands of ink, one a line, inside the box.
    const QImage shot = bar.grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    const QRect box = QRectF(status->GetBounds().topLeft() * ratio, status->GetBounds().bottomRight() * ratio).toRect();
    int bands = 0;
    bool in_band = false;
    for (int y = box.top(); y < box.bottom(); ++y) {
        bool ink = false;
        for (int x = box.left(); x < box.right() && !ink; ++x)
            ink = qGray(shot.pixel(x, y)) < 100;
        bands += ink && !in_band;
        in_band = ink;
    }
    EXPECT_EQ(bands, 3);
}

// A value clipped by the drop-down button leaves text pixels in the field's last columns.
TEST_F(WindowActionsTest, ZoomBoxShowsItsWidestValuesWhole)
{
    CanvasWidget& bar = m_window->PageBarWidget();
    const Item* zoom = bar.GetCanvas().FindItem(QStringLiteral("Zoom"));
    ASSERT_NE(zoom, nullptr);
    const QRectF box = bar.GetCanvas().ToDevice(zoom->GetBounds());
    for (const char* shown : { "100%", "200%", "400%", "ウィンドウに合わせる" }) {
        bar.GetCanvas().UpdateItemProperty(QStringLiteral("Zoom"), QStringLiteral("Text"), QString::fromUtf8(shown));
        const QImage shot = bar.grab().toImage();
        const qreal ratio = shot.devicePixelRatio();
        // The two columns just left of the button (16 pixels from the right end, inside the edge).
        for (int x = static_cast<int>(box.right()) - 19; x <= static_cast<int>(box.right()) - 18; ++x)
            for (int y = static_cast<int>(box.top()) + 2; y < static_cast<int>(box.bottom()) - 2; ++y)
                EXPECT_GT(qGray(shot.pixel(QPoint(x, y) * ratio)), 160) << shown << " at " << x << "," << y;
    }
}

TEST_F(WindowActionsTest, SavePageAsksWithThePictureFormats)
{
    m_prompt->QueueSaveFile(std::nullopt);
    Click(m_window->ToolBarWidget(), QStringLiteral("SavePage"));
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    const FileDialogRequest& request = m_prompt->Requests()[0].file;
    EXPECT_EQ(m_prompt->Requests()[0].kind, ScriptedUserPrompt::Kind::SaveFile);
    EXPECT_EQ(request.filter, QStringLiteral("JPEG|*.jpg|GIF|*.gif|PNG|*.png|BMP|*.bmp|TIFF|*.tif||"));
    EXPECT_EQ(request.default_extension, QStringLiteral("jpg"));
    EXPECT_EQ(request.initial_path, QStringLiteral("NewFile"));
}

namespace {

// A key, the menu entry that shows its command, the note items on the page once the command
// ran, and the questions and dialogs it showed.
struct LockedKeyRow {
    const char* name;
    Qt::Key key;
    const char* caption;
    int items_after;
    size_t asks;
};

class LockedKeyTest : public WindowActionsTest, public ::testing::WithParamInterface<LockedKeyRow> { };

}

// A page with one image, one step to undo (that image) and one to redo (a second image). While
// the note is locked the key does what its greyed menu entry does: nothing, and asks nothing.
// Unlocked again, the same key acts.
TEST_P(LockedKeyTest, LockedNoteTakesNoKeyThatItsMenuDisables)
{
    const LockedKeyRow& row = GetParam();
    m_window->Import().ProcessCommandLine(MakeImages(1));
    m_window->Import().PlaceImage(MakeImage(QStringLiteral("second.png")), QPoint(200, 200), Placement::AtPoint, 0, -1);
    ASSERT_TRUE(m_window->Actions().Trigger(ActionId::Undo));
    ASSERT_EQ(NoteItemsShown(), 1);
    ASSERT_TRUE(m_window->Actions().IsEnabled(ActionId::Redo));
    QWidget& view = m_window->PageWidget();

    Click(m_window->PageBarWidget(), QStringLiteral("LockPage"));
    ASSERT_TRUE(m_window->IsLocked());
    EXPECT_FALSE(OpenedMenuEntry(QString::fromUtf8(row.caption))->isEnabled());
    m_prompt->ClearRequests();
    QTest::keyClick(&view, row.key, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 1);
    EXPECT_TRUE(m_prompt->Requests().empty());
    // Asked directly, the command says that it did not run.
    EXPECT_FALSE(m_window->Actions().Trigger(ActionId::Undo));
    EXPECT_EQ(NoteItemsShown(), 1);

    Click(m_window->PageBarWidget(), QStringLiteral("LockPage"));
    ASSERT_FALSE(m_window->IsLocked());
    EXPECT_TRUE(OpenedMenuEntry(QString::fromUtf8(row.caption))->isEnabled());
    m_prompt->QueueAnswer(Answer::No);
    m_prompt->QueueOpenFile(std::nullopt);
    QTest::keyClick(&view, row.key, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), row.items_after);
    EXPECT_EQ(m_prompt->Requests().size(), row.asks);
}

INSTANTIATE_TEST_SUITE_P(Keys, LockedKeyTest,
                         ::testing::Values(LockedKeyRow { "Undo", Qt::Key_Z, "元に戻す", 0, 0 },
                                           LockedKeyRow { "Redo", Qt::Key_Y, "やり直し", 2, 0 },
                                           // Asks whether to save the changes: "No".
                                           LockedKeyRow { "NewNote", Qt::Key_N, "新規ノート", 0, 1 },
                                           // Cancelled in the file dialog.
                                           LockedKeyRow { "OpenImage", Qt::Key_I, "画像を開く", 1, 1 }),
                         [](const auto& info) { return std::string(info.param.name); });

// The bars' buttons follow the same rules as the menu: undo and the page turns are greyed on
// a locked note, and a click on a greyed button does nothing.
TEST_F(WindowActionsTest, BarButtonsShowTheCommandsRules)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    m_window->GetPages().Last();
    CanvasWidget& tool_bar = m_window->ToolBarWidget();
    CanvasWidget& page_bar = m_window->PageBarWidget();
    EXPECT_TRUE(IsEnabled(tool_bar, QStringLiteral("UndoNote")));
    EXPECT_TRUE(IsEnabled(page_bar, QStringLiteral("PrevPage")));
    // The last page leads on to a new page while it holds something.
    EXPECT_TRUE(IsEnabled(page_bar, QStringLiteral("NextPage")));

    QTest::keyClick(&m_window->PageWidget(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_FALSE(IsEnabled(tool_bar, QStringLiteral("UndoNote")));
    EXPECT_FALSE(IsEnabled(tool_bar, QStringLiteral("ClearNote")));
    EXPECT_FALSE(IsEnabled(tool_bar, QStringLiteral("OpenImage")));
    EXPECT_TRUE(IsEnabled(page_bar, QStringLiteral("PrevPage")));
    EXPECT_FALSE(IsEnabled(page_bar, QStringLiteral("NextPage")));
    Click(tool_bar, QStringLiteral("UndoNote"));
    Click(page_bar, QStringLiteral("NextPage"));
    EXPECT_EQ(m_window->GetPages().Count(), 2);
    EXPECT_EQ(NoteItemsShown(), 1);
}

// In a bar's edit box the box keeps its typing and editing keys (Ctrl+Z undoes the typing,
// Page Down stays in the box), while the window's other Ctrl keys and the function keys
// still reach the window.
TEST_F(WindowActionsTest, EditBoxKeepsItsKeysAndLeavesTheWindowsKeys)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    m_window->GetPages().First();
    ASSERT_EQ(NoteItemsShown(), 1);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_F6);
    QLineEdit* box = nullptr;
    for (QLineEdit* edit : m_window->PageBarWidget().findChildren<QLineEdit*>())
        if (edit->isVisible())
            box = edit;
    ASSERT_NE(box, nullptr);
    QTest::keyClicks(box, QStringLiteral("2"));
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 1);
    EXPECT_EQ(box->text(), QStringLiteral("1"));
    QTest::keyClick(box, Qt::Key_PageDown);
    EXPECT_EQ(m_window->GetPages().Current(), 0);
    const bool snap = m_window->IsSnapOn();
    QTest::keyClick(box, Qt::Key_U, Qt::ControlModifier);
    EXPECT_NE(m_window->IsSnapOn(), snap);
    QTest::keyClick(box, Qt::Key_F7);
    EXPECT_TRUE(m_window->Modes().IsBackgroundTransparent());
}
