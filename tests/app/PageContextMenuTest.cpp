#include "MainWindowFixture.h"

#include "app/PageContextMenu.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ItemFactories.h"
#include "noteitems/TextNoteItem.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>

namespace {

class PageContextMenuTest : public MainWindowTest {
protected:
    PageContextMenuTest()
    {
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
    }
    ~PageContextMenuTest() override { SetDialogs(nullptr); }

    void RightClick(QWidget& widget, QPoint point)
    {
        QTest::mouseMove(&widget, point);
        QTest::mouseClick(&widget, Qt::RightButton, Qt::NoModifier, point);
    }

    // The popup menus asked for since the last call.
    std::vector<PopupMenu> TakeMenus()
    {
        std::vector<PopupMenu> menus;
        for (const auto& request : m_prompt->Requests())
            if (request.kind == ScriptedUserPrompt::Kind::PopupMenu)
                menus.push_back(request.menu);
        m_prompt->ClearRequests();
        return menus;
    }

    int Steps() { return m_window->GetPages().History().Count(); }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
    const QPoint m_on_page { 300, 200 };
};

struct EntryState {
    const char* text;
    bool disabled;
};

// The entries in order, submenu entries after their parent, separators left out.
void ExpectEntries(const PopupMenu& menu, const std::vector<EntryState>& expected)
{
    std::vector<const PopupMenuEntry*> entries;
    for (const PopupMenuEntry& entry : menu.entries) {
        if (entry.separator)
            continue;
        entries.push_back(&entry);
        for (const PopupMenuEntry& inner : entry.submenu)
            entries.push_back(&inner);
    }
    ASSERT_EQ(entries.size(), expected.size());
    for (size_t index = 0; index < expected.size(); ++index) {
        EXPECT_EQ(entries[index]->text, QString::fromUtf8(expected[index].text));
        EXPECT_EQ(entries[index]->disabled, expected[index].disabled) << expected[index].text;
    }
}

TEST_F(PageContextMenuTest, ShowsOverThePageOnlyWithItsEntriesAndStates)
{
    RightClick(m_window->ToolBarWidget(), { 20, 20 });
    RightClick(m_window->PageBarWidget(), { 20, 20 });
    EXPECT_TRUE(TakeMenus().empty());

    RightClick(m_window->PageWidget(), m_on_page);
    std::vector<PopupMenu> menus = TakeMenus();
    ASSERT_EQ(menus.size(), 1u);
    ExpectEntries(menus[0],
        { { "ファイルを開く(&O)", false }, { "貼り付け(&P)", true }, { "追加(&A)", false }, { "テキスト(&T)", false },
            { "マンデルブロ集合(&M)", false }, { "背景透明化(&T)", false }, { "最大化(&M)", false },
            { "最前面に(&F)", false }, { "最背面に(&B)", false }, { "バージョン情報(&V)", false } });

    // Locked: what changes the page is disabled, the window entries work.
    m_window->ToggleLock();
    ASSERT_TRUE(m_window->IsLocked());
    RightClick(m_window->PageWidget(), m_on_page);
    menus = TakeMenus();
    ASSERT_EQ(menus.size(), 1u);
    ExpectEntries(menus[0],
        { { "ファイルを開く(&O)", true }, { "貼り付け(&P)", true }, { "追加(&A)", true }, { "テキスト(&T)", true },
            { "マンデルブロ集合(&M)", true }, { "背景透明化(&T)", false }, { "最大化(&M)", false },
            { "最前面に(&F)", false }, { "最背面に(&B)", false }, { "バージョン情報(&V)", false } });
    EXPECT_FALSE(m_window->PageMenu().Run(PageContextMenu::kAddText, m_on_page));
    EXPECT_EQ(NoteItemsShown(), 0);
    EXPECT_TRUE(m_window->PageMenu().Run(PageContextMenu::kBottomMost, m_on_page));
    EXPECT_TRUE(m_window->Modes().IsBottomMost());
    RightClick(m_window->PageWidget(), m_on_page);
    menus = TakeMenus();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_TRUE(menus[0].entries[9].checked);
}

TEST_F(PageContextMenuTest, CancelledTextIsTakenAwayWithoutAStep)
{
    const int steps = Steps();
    bool shown_while_open = false;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        shown_while_open = NoteItemsShown() == 1;
        dialog.Change(QStringLiteral("Text"), QStringLiteral("Text"), QStringLiteral("gone"));
        dialog.Press(QStringLiteral("Cancel"));
    });
    m_prompt->QueueMenuChoice(PageContextMenu::kAddText);
    RightClick(m_window->PageWidget(), m_on_page);
    EXPECT_EQ(m_dialogs->Requests().size(), 1u);
    EXPECT_TRUE(shown_while_open);
    EXPECT_EQ(NoteItemsShown(), 0);
    EXPECT_EQ(Steps(), steps);
}

TEST_F(PageContextMenuTest, AcceptedTextStaysAtThePointerWithOneStep)
{
    const int steps = Steps();
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("Text"), QStringLiteral("Text"), QStringLiteral("hello"));
        dialog.Press(QStringLiteral("OK"));
    });
    m_prompt->QueueMenuChoice(PageContextMenu::kAddText);
    RightClick(m_window->PageWidget(), m_on_page);
    ASSERT_EQ(NoteItemsShown(), 1);
    EXPECT_EQ(Steps(), steps + 1);
    Canvas& page = m_window->PageCanvas();
    const auto* text = dynamic_cast<const TextNoteItem*>(page.ItemAt(page.ItemCount() - 1));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Widget().GetText(), "hello");
    const QPointF at = page.ToPage(QPointF(m_on_page));
    EXPECT_EQ(text->GetAnchors()[Item::kLeft], QStringLiteral("L%1").arg(at.x(), 0, 'f', 6));
    EXPECT_EQ(text->GetAnchors()[Item::kRight], "W200.000000");
    EXPECT_EQ(text->GetAnchors()[Item::kBottom], "H100.000000");
    EXPECT_TRUE(m_window->GetPages().List()[0].contains("Text=hello\r\n"));

    // Over the text its own menu shows instead of the page's.
    m_prompt->ClearRequests();
    RightClick(m_window->PageWidget(), m_on_page + QPoint(10, 10));
    const std::vector<PopupMenu> menus = TakeMenus();
    ASSERT_EQ(menus.size(), 1u);
    ASSERT_EQ(menus[0].entries.size(), 2u);
    EXPECT_EQ(menus[0].entries[0].text, "プロパティ(&P)");
}

TEST_F(PageContextMenuTest, OpenFilePlacesTheImageAtThePointerOrTellsOfAFailure)
{
    const QString path = MakeImage(QStringLiteral("green.png"), QSize(64, 48));
    const int steps = Steps();
    m_prompt->QueueMenuChoice(PageContextMenu::kOpenFile);
    m_prompt->QueueOpenFile(path);
    RightClick(m_window->PageWidget(), m_on_page);
    ASSERT_EQ(NoteItemsShown(), 1);
    EXPECT_EQ(Steps(), steps + 1);
    Canvas& page = m_window->PageCanvas();
    const QPointF at = page.ToPage(QPointF(m_on_page));
    EXPECT_NEAR(page.ItemAt(page.ItemCount() - 1)->Left(), int(at.x()), 1e-3);
    EXPECT_NEAR(page.ItemAt(page.ItemCount() - 1)->Top(), int(at.y()), 1e-3);

    m_prompt->ClearRequests();
    m_prompt->QueueMenuChoice(PageContextMenu::kOpenFile);
    m_prompt->QueueOpenFile(m_folder.filePath(QStringLiteral("missing.png")));
    // Beside the image, whose own menu shows over it.
    RightClick(m_window->PageWidget(), QPoint(100, 100));
    EXPECT_EQ(NoteItemsShown(), 1);
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().text, "missing.png を開けませんでした: ファイルが見つかりません");
}

TEST_F(PageContextMenuTest, PasteIsOfferedWithAPictureOnTheClipboardAndPlacesItAtThePointer)
{
    QStandardPaths::setTestModeEnabled(true);
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    m_prompt->QueueMenuChoice(PageContextMenu::kPaste);
    RightClick(m_window->PageWidget(), m_on_page);
    const std::vector<PopupMenu> menus = TakeMenus();
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_FALSE(menus[0].entries[1].disabled);
    ASSERT_EQ(NoteItemsShown(), 1);
    Canvas& page = m_window->PageCanvas();
    const Item* pasted = page.ItemAt(page.ItemCount() - 1);
    const QPointF at = page.ToPage(QPointF(m_on_page));
    EXPECT_NEAR(pasted->Left(), at.x(), 1.0);
    EXPECT_NEAR(pasted->Top(), at.y(), 1.0);
    QFile::remove(static_cast<const ImageItem*>(pasted)->GetPicture().FileName());
    QGuiApplication::clipboard()->clear();
}

TEST_F(PageContextMenuTest, MandelbrotAddsOneStepAtOnceWhenTheKindIsBuilt)
{
    const int steps = Steps();
    m_prompt->QueueMenuChoice(PageContextMenu::kAddMandelbrot);
    RightClick(m_window->PageWidget(), m_on_page);
    Canvas& page = m_window->PageCanvas();
    if (!ItemFactories::MakeItem(CanvasKind::Page, page, QStringLiteral("Mandelbrot"))) {
        EXPECT_EQ(NoteItemsShown(), 0);
        EXPECT_EQ(Steps(), steps);
        GTEST_SKIP() << "no Mandelbrot item in this build";
    }
    ASSERT_EQ(NoteItemsShown(), 1);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_EQ(page.ItemAt(page.ItemCount() - 1)->GetAnchors()[Item::kBottom], "H200.000000");
    EXPECT_TRUE(m_dialogs->Requests().empty());
}

}
