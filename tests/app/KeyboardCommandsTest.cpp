#include "MainWindowFixture.h"

#include "app/PageContextMenu.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/TextNoteItem.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>

// What the keyboard alone reaches in the main window: the image commands of the File menu,
// the page's menu, and the edit boxes of the bars.
namespace {

class KeyboardCommandsTest : public MainWindowTest {
protected:
    KeyboardCommandsTest()
    {
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
    }
    ~KeyboardCommandsTest() override { SetDialogs(nullptr); }

    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target && target->window() == m_window.get() ? target : &m_window->PageWidget(), Qt::Key(key), modifiers);
    }
    // The bar's edit box that edits now, through its edit window.
    QLineEdit* EditingBox()
    {
        for (CanvasWidget* bar : { &m_window->PageBarWidget(), &m_window->ToolBarWidget() })
            for (QLineEdit* edit : bar->findChildren<QLineEdit*>())
                if (edit->isVisible())
                    return edit;
        return nullptr;
    }
    QString Editing() { return m_window->BoxFocus().Current() < 0 ? QString() : BoxNames()[m_window->BoxFocus().Current()]; }
    static QStringList BoxNames() { return { "ThisPage", "ViewerWidth", "ViewerHeight", "Zoom", "Dpi", "GridSize" }; }

    const ScriptedUserPrompt::Request* LastMenu()
    {
        const ScriptedUserPrompt::Request* found = nullptr;
        for (const auto& request : m_prompt->Requests())
            if (request.kind == ScriptedUserPrompt::Kind::PopupMenu)
                found = &request;
        return found;
    }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
};

QAction* FileMenuEntry(QMainWindow& window, const QString& caption)
{
    QMenu* file = window.menuBar()->actions().first()->menu();
    for (QAction* action : file->actions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

}

TEST_F(KeyboardCommandsTest, FileMenuOpensImagesAndSavesThePagePicture)
{
    ASSERT_NE(FileMenuEntry(*m_window, QStringLiteral("画像を開く(&I)...\tCtrl+I")), nullptr);
    ASSERT_NE(FileMenuEntry(*m_window, QStringLiteral("画像保存(&G)...\tCtrl+Shift+G")), nullptr);

    m_prompt->QueueOpenFile(MakeImage(QStringLiteral("one.png")));
    Press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 1);
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().kind, ScriptedUserPrompt::Kind::OpenFile);

    // A locked note takes no image from the key, as the tool bar's button is disabled then.
    m_window->ToggleLock();
    m_prompt->ClearRequests();
    Press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_TRUE(m_prompt->Requests().empty());
    m_window->ToggleLock();

    const QString picture = m_folder.filePath(QStringLiteral("page.png"));
    m_prompt->QueueSaveFile(picture);
    Press(Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(QFile::exists(picture));
    // Ctrl+G alone still switches the grid.
    const bool grid = m_window->IsGridVisible();
    Press(Qt::Key_G, Qt::ControlModifier);
    EXPECT_NE(m_window->IsGridVisible(), grid);

    m_prompt->QueueOpenFile(MakeImage(QStringLiteral("two.png")));
    FileMenuEntry(*m_window, QStringLiteral("画像を開く(&I)...\tCtrl+I"))->trigger();
    EXPECT_EQ(NoteItemsShown(), 2);
}

// The menu key and Shift+F10 open the page's menu at the middle of the page as shown; with a
// selected item, that item's own menu at its middle.
TEST_F(KeyboardCommandsTest, MenuKeyOpensThePageMenuOrTheActiveItemsMenu)
{
    PageCanvasWidget& view = m_window->PageWidget();
    const Canvas& canvas = m_window->PageCanvas();
    const QRectF page = canvas.ToDevice(QRectF(0, 0, canvas.LayoutWidth(), canvas.LayoutHeight())).intersected(QRectF(view.rect()));
    for (const auto& [key, modifiers] : { std::pair { Qt::Key_Menu, Qt::NoModifier }, std::pair { Qt::Key_F10, Qt::ShiftModifier } }) {
        m_prompt->ClearRequests();
        Press(key, modifiers);
        const ScriptedUserPrompt::Request* menu = LastMenu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->menu.entries.size(), 12u);
        EXPECT_EQ(menu->position, view.mapToGlobal(page.center().toPoint()));
    }

    // A text added at the middle by the menu's own entry, with the keys alone.
    m_dialogs->Queue([](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("Text"), QStringLiteral("Text"), QStringLiteral("typed"));
        dialog.PressKey(Key::Tab);
        dialog.PressKey(Key::Return);
    });
    m_prompt->QueueMenuChoice(PageContextMenu::kAddText);
    Press(Qt::Key_Menu);
    ASSERT_EQ(NoteItemsShown(), 1);
    auto* text = dynamic_cast<TextNoteItem*>(NoteItemsOf(m_window->PageCanvas()).at(0));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Widget().GetText(), u"typed");
    // The menu opens at a whole pixel, which is where the text goes (its place is kept to six
    // decimals, so a fitted zoom may put it a hair beside the pixel).
    EXPECT_TRUE(text->GetBounds().adjusted(-1e-3, -1e-3, 1e-3, 1e-3).contains(canvas.ToPage(QPointF(page.center().toPoint()))));

    // Selected, the text shows its own menu at its middle.
    const QPoint middle = canvas.ToDevice(text->GetBounds().center()).toPoint();
    ClickAt(view, middle);
    ASSERT_EQ(m_window->PageCanvas().ActiveItem(), text);
    m_prompt->ClearRequests();
    Press(Qt::Key_F10, Qt::ShiftModifier);
    const ScriptedUserPrompt::Request* menu = LastMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->menu.entries.size(), 2u);
    EXPECT_EQ(menu->menu.entries[0].text, u"プロパティ(&P)");
    EXPECT_EQ(menu->position, view.mapToGlobal(middle));
}

// F6 and Tab go from box to box, each editing its whole text; what is typed is committed as
// the keys move on, and Escape leaves a box as it was.
TEST_F(KeyboardCommandsTest, BarBoxesAreReachedAndLeftByKeys)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    ASSERT_EQ(m_window->GetPages().Current(), 0);

    Press(Qt::Key_F6);
    EXPECT_EQ(Editing(), u"ThisPage");
    QLineEdit* box = EditingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(box->selectedText(), u"1");
    QTest::keyClicks(box, QStringLiteral("2"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(m_window->GetPages().Current(), 1);
    EXPECT_EQ(Editing(), u"ViewerWidth");

    QTest::keyClicks(EditingBox(), QStringLiteral("640"));
    Press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(m_window->PageCanvas().LayoutWidth(), 640.0f);
    EXPECT_EQ(Editing(), u"ThisPage");

    // Escape throws the typing away and gives the keys back to the page.
    QTest::keyClicks(EditingBox(), QStringLiteral("1"));
    Press(Qt::Key_Escape);
    EXPECT_EQ(Editing(), QString());
    EXPECT_EQ(m_window->GetPages().Current(), 1);
    QTRY_VERIFY(m_window->PageWidget().hasFocus());

    // From the page, Shift+F6 comes to the last box; Return commits and leaves it.
    Press(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(Editing(), u"GridSize");
    QTest::keyClicks(EditingBox(), QStringLiteral("8"));
    Press(Qt::Key_Return);
    EXPECT_EQ(Editing(), QString());
    EXPECT_EQ(m_window->SnapLinesX().size(), 8u);
}
