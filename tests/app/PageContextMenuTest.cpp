#include "app/MainWindow.h"
#include "app/PageContextMenu.h"

#include "items/Canvas.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ItemFactories.h"
#include "noteitems/TextNoteItem.h"
#include "platform/ScriptedUserPrompt.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class PageContextMenuTest : public ::testing::Test {
protected:
    PageContextMenuTest()
    {
        m_prompt = &ScriptedUserPrompt::Install();
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
        m_window = std::make_unique<MainWindow>();
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    ~PageContextMenuTest() override
    {
        m_window.reset();
        SetDialogs(nullptr);
    }

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

    int NoteItems() { return m_window->PageCanvas().ItemCount() - Pages::kFrameItemCount; }
    int Steps() { return m_window->GetPages().History().Count(); }

    ScriptedUserPrompt* m_prompt { nullptr };
    ScriptedLayoutDialogs* m_dialogs { nullptr };
    std::unique_ptr<MainWindow> m_window;
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
    EXPECT_EQ(NoteItems(), 0);
    EXPECT_TRUE(m_window->PageMenu().Run(CommandTable::kBottomMost, m_on_page));
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
        shown_while_open = NoteItems() == 1;
        dialog.Change(QStringLiteral("Text"), QStringLiteral("Text"), QStringLiteral("gone"));
        dialog.Press(QStringLiteral("Cancel"));
    });
    m_prompt->QueueMenuChoice(PageContextMenu::kAddText);
    RightClick(m_window->PageWidget(), m_on_page);
    EXPECT_EQ(m_dialogs->Requests().size(), 1u);
    EXPECT_TRUE(shown_while_open);
    EXPECT_EQ(NoteItems(), 0);
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
    ASSERT_EQ(NoteItems(), 1);
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
    QTemporaryDir folder;
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = folder.filePath(QStringLiteral("green.png"));
    ASSERT_TRUE(image.save(path));
    const int steps = Steps();
    m_prompt->QueueMenuChoice(PageContextMenu::kOpenFile);
    m_prompt->QueueOpenFile(path);
    RightClick(m_window->PageWidget(), m_on_page);
    ASSERT_EQ(NoteItems(), 1);
    EXPECT_EQ(Steps(), steps + 1);
    Canvas& page = m_window->PageCanvas();
    const QPointF at = page.ToPage(QPointF(m_on_page));
    EXPECT_NEAR(page.ItemAt(page.ItemCount() - 1)->Left(), int(at.x()), 1e-3);
    EXPECT_NEAR(page.ItemAt(page.ItemCount() - 1)->Top(), int(at.y()), 1e-3);

    m_prompt->ClearRequests();
    m_prompt->QueueMenuChoice(PageContextMenu::kOpenFile);
    m_prompt->QueueOpenFile(folder.filePath(QStringLiteral("missing.png")));
    RightClick(m_window->PageWidget(), m_on_page);
    EXPECT_EQ(NoteItems(), 1);
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().text, "ファイルオープンに失敗しました。");
}

TEST_F(PageContextMenuTest, MandelbrotAddsOneStepAtOnceWhenTheKindIsBuilt)
{
    const int steps = Steps();
    m_prompt->QueueMenuChoice(PageContextMenu::kAddMandelbrot);
    RightClick(m_window->PageWidget(), m_on_page);
    Canvas& page = m_window->PageCanvas();
    if (!ItemFactories::MakeItem(CanvasKind::Page, page, QStringLiteral("Mandelbrot"))) {
        EXPECT_EQ(NoteItems(), 0);
        EXPECT_EQ(Steps(), steps);
        GTEST_SKIP() << "no Mandelbrot item in this build";
    }
    ASSERT_EQ(NoteItems(), 1);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_EQ(page.ItemAt(page.ItemCount() - 1)->GetAnchors()[Item::kBottom], "H200.000000");
    EXPECT_TRUE(m_dialogs->Requests().empty());
}

}
