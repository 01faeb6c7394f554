#include "document/Pages.h"

#include "items/Canvas.h"
#include "items/NoteItem.h"
#include "items/PlacedItem.h"
#include "platform/ScriptedUserPrompt.h"
#include "text/KeyValueStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

// A note item that saves one value, standing in for the image and text items.
class StubNoteItem : public PlacedItem, public NoteItem {
public:
    using PlacedItem::PlacedItem;

    NoteItem* AsNoteItem() override { return this; }
    void RemoveFromPage() override { GetCanvas().RemoveAsChange(this); }
    QString StatusText() const override { return {}; }
    bool ShowContextMenu(const Message&) override { return false; }
    QString ImageFile() const override { return {}; }

    bool ReadSection(const KeyValueStore& store) override
    {
        m_value = store.GetText(QStringLiteral("Value"));
        return PlacedItem::ReadSection(store);
    }
    bool Save(QString& section, QString& options, SaveMode mode) const override
    {
        if (mode != SaveMode::Persistent)
            return false;
        section += QStringLiteral("[Stub]\r\nValue=") + m_value + QStringLiteral("\r\n");
        return PlacedItem::Save(section, options, SaveMode::Plain);
    }

    QString m_value;
};

class FakeHost : public PagesHost {
public:
    explicit FakeHost(Canvas& canvas)
        : m_canvas(canvas)
    {
    }

    bool ResetPageCanvas(Repaint) override
    {
        m_canvas.Clear();
        // The page frame: items that are no note items, in a number of its own.
        for (int index = 0; index < 3; ++index)
            m_canvas.AddItem(std::make_unique<PlacedItem>(m_canvas));
        return true;
    }
    void RepaintPageCanvas() override { }
    void ShowPageCounter() override { ++counter_shown; }
    bool IsLocked() const override { return locked; }
    void NoteCleared() override
    {
        locked = false;
        ++notes_cleared;
    }
    void NoteOpened() override { locked = true; }
    void NoteChanged() override { ++changes_told; }

    bool locked { false };
    int changes_told { 0 };
    int counter_shown { 0 };
    int notes_cleared { 0 };

private:
    Canvas& m_canvas;
};

class PagesTest : public ::testing::Test {
protected:
    PagesTest()
    {
        m_canvas.SetFactory([](Canvas& canvas, const QString& name) -> std::unique_ptr<Item> {
            if (name == QLatin1String("Stub"))
                return std::make_unique<StubNoteItem>(canvas);
            return nullptr;
        });
        m_prompt = &ScriptedUserPrompt::Install();
        m_pages.ClearNote();
    }

    // Places an item on the current page and records the change, as the window does when an
    // item reports a finished change.
    void Place(const QString& value)
    {
        auto item = std::make_unique<StubNoteItem>(m_canvas);
        item->m_value = value;
        m_canvas.AddItem(std::move(item));
        m_pages.RecordChanges();
    }
    // The values of the note items on the page canvas, bottom to top.
    QStringList Shown() const
    {
        QStringList values;
        for (Item* note_item : NoteItemsOf(m_canvas))
            values << static_cast<StubNoteItem*>(note_item)->m_value;
        return values;
    }
    // Builds a note whose pages each hold one item named after the page number.
    void MakePages(int count)
    {
        for (int page = 1; page <= count; ++page) {
            if (page > 1) {
                ASSERT_TRUE(m_pages.Next());
            }
            Place(QString::number(page));
        }
    }

    Canvas m_canvas { CanvasKind::Page };
    FakeHost m_host { m_canvas };
    Pages m_pages { m_canvas, m_host };
    ScriptedUserPrompt* m_prompt { nullptr };
};

}

TEST_F(PagesTest, FreshNoteHasOneEmptyPageAndNothingToUndo)
{
    EXPECT_EQ(m_pages.Count(), 1);
    EXPECT_EQ(m_pages.Current(), 0);
    EXPECT_TRUE(NoteItemsOf(m_canvas).empty());
    EXPECT_FALSE(m_pages.History().CanUndo());
    EXPECT_FALSE(m_pages.History().CanRedo());
    EXPECT_TRUE(m_prompt->Requests().empty()); // an empty note is cleared without asking
}

TEST_F(PagesTest, UndoClearsAPlacedItemAndRedoBringsItBack)
{
    Place(QStringLiteral("photo"));
    EXPECT_TRUE(m_pages.History().CanUndo());
    EXPECT_TRUE(m_pages.Undo());
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_TRUE(m_pages.List().at(0).isEmpty());
    EXPECT_FALSE(m_pages.History().CanUndo());
    EXPECT_TRUE(m_pages.Redo());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("photo") });
    EXPECT_FALSE(m_pages.History().CanRedo());
}

TEST_F(PagesTest, UndoOfAnUnrecordedEditKeepsItRedoable)
{
    Place(QStringLiteral("a"));
    // A change the history has not seen yet: undo records it first.
    static_cast<StubNoteItem*>(NoteItemsOf(m_canvas).at(0))->m_value = QStringLiteral("b");
    EXPECT_TRUE(m_pages.Undo());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("a") });
    EXPECT_TRUE(m_pages.Redo());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("b") });
}

TEST_F(PagesTest, NextPageStopsCreatingPagesOnAnEmptyLastPage)
{
    Place(QStringLiteral("1"));
    EXPECT_TRUE(m_pages.Next());
    EXPECT_EQ(m_pages.Count(), 2);
    EXPECT_FALSE(m_pages.Next());
    EXPECT_FALSE(m_pages.Next());
    EXPECT_EQ(m_pages.Count(), 2);
    EXPECT_EQ(m_pages.Current(), 1);
    EXPECT_TRUE(m_pages.Previous());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("1") });
}

TEST_F(PagesTest, LockedNoteMakesNoNewPage)
{
    Place(QStringLiteral("1"));
    m_host.locked = true;
    const int shown_before = m_host.counter_shown;
    EXPECT_FALSE(m_pages.Next());
    EXPECT_EQ(m_pages.Count(), 1);
    EXPECT_GT(m_host.counter_shown, shown_before); // a refused move still refreshes the counter
}

TEST_F(PagesTest, MovingBetweenPagesKeepsEachPageAndRecordsNothing)
{
    MakePages(3);
    const int steps = m_pages.History().Count();
    EXPECT_TRUE(m_pages.First());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("1") });
    EXPECT_TRUE(m_pages.Last());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("3") });
    EXPECT_FALSE(m_pages.GoTo(7));
    EXPECT_FALSE(m_pages.GoTo(-1));
    EXPECT_EQ(m_pages.Current(), 2);
    EXPECT_EQ(m_pages.History().Count(), steps);
    EXPECT_EQ(m_pages.List().size(), 3);
}

TEST_F(PagesTest, InsertPutsAnEmptyPageBeforeTheCurrentOne)
{
    MakePages(5);
    ASSERT_TRUE(m_pages.GoTo(2));
    EXPECT_TRUE(m_pages.Insert());
    EXPECT_EQ(m_pages.Count(), 6);
    EXPECT_EQ(m_pages.Current(), 2);
    EXPECT_TRUE(Shown().isEmpty());
    ASSERT_TRUE(m_pages.Next());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("3") });
}

TEST_F(PagesTest, DeleteShowsThePageBeforeTheDeletedLastPage)
{
    MakePages(3);
    EXPECT_TRUE(m_pages.Delete());
    EXPECT_EQ(m_pages.Count(), 2);
    EXPECT_EQ(m_pages.Current(), 1);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("2") });
    ASSERT_TRUE(m_pages.First());
    EXPECT_TRUE(m_pages.Delete());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("2") });
    EXPECT_FALSE(m_pages.Delete()); // one page left
    EXPECT_EQ(m_pages.Count(), 1);
}

TEST_F(PagesTest, UndoSwitchesToThePageOfTheStep)
{
    MakePages(4);
    ASSERT_TRUE(m_pages.GoTo(1));
    Place(QStringLiteral("2b"));
    ASSERT_TRUE(m_pages.GoTo(3));
    // The newest change was on page 2: undo shows page 2 as it was before that change.
    EXPECT_TRUE(m_pages.Undo());
    EXPECT_EQ(m_pages.Current(), 1);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("2") });
    EXPECT_TRUE(m_pages.Redo());
    EXPECT_EQ(Shown(), (QStringList { QStringLiteral("2"), QStringLiteral("2b") }));
    // The page that was shown kept its content.
    ASSERT_TRUE(m_pages.GoTo(3));
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("4") });
}

TEST_F(PagesTest, UndoBringsDeletedPagesBackAndRedoDeletesThemAgain)
{
    MakePages(3);
    ASSERT_TRUE(m_pages.GoTo(1));
    ASSERT_TRUE(m_pages.Delete());
    ASSERT_TRUE(m_pages.Delete()); // page 3, now the second one
    ASSERT_EQ(m_pages.Count(), 1);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("1") });

    EXPECT_TRUE(m_pages.Undo());
    EXPECT_EQ(m_pages.Count(), 2);
    EXPECT_EQ(m_pages.Current(), 1);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("3") });
    EXPECT_TRUE(m_pages.Undo());
    EXPECT_EQ(m_pages.Current(), 1);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("2") });
    EXPECT_EQ(m_pages.List().size(), 3);
    ASSERT_TRUE(m_pages.Last());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("3") });

    EXPECT_TRUE(m_pages.Redo());
    EXPECT_EQ(m_pages.Count(), 2);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("3") });
    EXPECT_TRUE(m_pages.Redo());
    EXPECT_EQ(m_pages.Count(), 1);
    EXPECT_FALSE(m_pages.Redo());
}

TEST_F(PagesTest, UndoOfAnInsertedPageRemovesIt)
{
    MakePages(2);
    ASSERT_TRUE(m_pages.First());
    ASSERT_TRUE(m_pages.Insert());
    Place(QStringLiteral("new"));
    ASSERT_EQ(m_pages.Count(), 3);
    EXPECT_TRUE(m_pages.Undo()); // the item
    EXPECT_TRUE(m_pages.Undo()); // the page
    EXPECT_EQ(m_pages.Count(), 2);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("1") });
    EXPECT_TRUE(m_pages.Redo());
    EXPECT_EQ(m_pages.Count(), 3);
    EXPECT_EQ(m_pages.Current(), 0);
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_TRUE(m_pages.Redo());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("new") });
}

TEST_F(PagesTest, ClearPageAsksAndEmptiesOnlyOnYes)
{
    Place(QStringLiteral("keep"));
    m_prompt->QueueYesNo(false);
    m_pages.ClearPage();
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("keep") });
    m_prompt->QueueYesNo(true);
    m_pages.ClearPage();
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_TRUE(m_pages.List().at(0).isEmpty());
    ASSERT_EQ(m_prompt->Requests().size(), 2u);
    EXPECT_EQ(m_prompt->Requests()[0].text, QStringLiteral("このページを消去しますか?"));
    EXPECT_EQ(m_prompt->Requests()[0].caption, QStringLiteral("Tessary"));
    EXPECT_TRUE(m_pages.Undo()); // the cleared page is a step like any other
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("keep") });
}

TEST_F(PagesTest, ClearNoteAsksWhenTheFirstPageHasContent)
{
    MakePages(2);
    m_prompt->QueueYesNo(false);
    EXPECT_FALSE(m_pages.ClearNote());
    EXPECT_EQ(m_pages.Count(), 2);

    m_host.locked = true;
    m_prompt->QueueYesNo(true);
    EXPECT_TRUE(m_pages.ClearNote());
    EXPECT_EQ(m_pages.Count(), 1);
    EXPECT_TRUE(m_pages.NotePath().isEmpty());
    EXPECT_FALSE(m_host.locked);
    EXPECT_TRUE(m_pages.History().IsEmpty());
    EXPECT_EQ(m_prompt->Requests().back().text, QStringLiteral("ノートを消去しますか?"));
}

TEST_F(PagesTest, OpenedNoteIsLockedWithNothingToUndo)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("note.tsy"));
    MakePages(3);
    ASSERT_TRUE(m_pages.Document().SaveNote(path));
    m_prompt->QueueYesNo(true);
    ASSERT_TRUE(m_pages.Document().OpenNote(path));
    EXPECT_EQ(m_pages.Count(), 3);
    EXPECT_EQ(m_pages.Current(), 0);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("1") });
    EXPECT_TRUE(m_host.locked);
    EXPECT_TRUE(m_pages.History().IsEmpty());
    EXPECT_FALSE(m_pages.IsModified());
    // Locked, the last page is the end of the note.
    ASSERT_TRUE(m_pages.Last());
    EXPECT_FALSE(m_pages.Next());
}

namespace {

struct ChangeRow {
    const char* name;
    std::function<void(PagesTest&, Pages&, ScriptedUserPrompt&)> change;
};

class PagesModifiedTest : public PagesTest, public ::testing::WithParamInterface<ChangeRow> {
public:
    using PagesTest::MakePages;
    using PagesTest::Place;
};

}

// Every kind of change marks a saved note of two pages as modified and tells the host.
TEST_P(PagesModifiedTest, ChangeOfASavedNoteMarksItModified)
{
    QTemporaryDir folder;
    MakePages(2);
    ASSERT_TRUE(m_pages.Undo()); // so that a redo exists
    ASSERT_TRUE(m_pages.SaveNote(folder.filePath(QStringLiteral("note.tsy"))));
    ASSERT_FALSE(m_pages.IsModified());
    const int told = m_host.changes_told;
    GetParam().change(*this, m_pages, *m_prompt);
    EXPECT_TRUE(m_pages.IsModified());
    EXPECT_GT(m_host.changes_told, told);
}

INSTANTIATE_TEST_SUITE_P(Changes, PagesModifiedTest,
    ::testing::Values(
        ChangeRow { "RecordedStep", [](PagesTest& test, Pages&, ScriptedUserPrompt&) {
                       static_cast<PagesModifiedTest&>(test).Place(QStringLiteral("new"));
                   } },
        ChangeRow { "InsertPageWithContent",
            [](PagesTest& test, Pages& pages, ScriptedUserPrompt&) {
                pages.Insert();
                static_cast<PagesModifiedTest&>(test).Place(QStringLiteral("new"));
            } },
        ChangeRow { "DeletePage",
            [](PagesTest&, Pages& pages, ScriptedUserPrompt&) {
                pages.First();
                pages.Delete();
            } },
        ChangeRow { "ClearPage",
            [](PagesTest&, Pages& pages, ScriptedUserPrompt& prompt) {
                pages.First();
                prompt.QueueYesNo(true);
                pages.ClearPage();
            } },
        ChangeRow { "Undo", [](PagesTest&, Pages& pages, ScriptedUserPrompt&) { pages.Undo(); } },
        ChangeRow { "Redo", [](PagesTest&, Pages& pages, ScriptedUserPrompt&) { pages.Redo(); } }),
    [](const ::testing::TestParamInfo<ChangeRow>& info) { return std::string(info.param.name); });

TEST_F(PagesTest, WhatChangesNothingKeepsTheNoteUnmodified)
{
    EXPECT_FALSE(m_pages.IsModified()); // a new note
    // Nothing to undo or redo: the current step is shown again.
    m_pages.Undo();
    m_pages.Redo();
    m_pages.RecordChanges(); // nothing changed on the page
    m_prompt->QueueYesNo(false);
    m_pages.ClearPage(); // declined
    EXPECT_FALSE(m_pages.IsModified());

    QTemporaryDir folder;
    MakePages(3);
    EXPECT_TRUE(m_pages.IsModified()); // a new note with content
    ASSERT_TRUE(m_pages.SaveNote(folder.filePath(QStringLiteral("note.tsy"))));
    EXPECT_FALSE(m_pages.IsModified());
    // Looking through the pages changes nothing.
    EXPECT_TRUE(m_pages.First());
    EXPECT_TRUE(m_pages.Next());
    EXPECT_TRUE(m_pages.Last());
    m_pages.RecordChanges();
    EXPECT_FALSE(m_pages.IsModified());
}

TEST_F(PagesTest, OpenAndNewNoteStartUnmodifiedAndAFailedSaveKeepsTheMark)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("note.tsy"));
    MakePages(2);
    ASSERT_TRUE(m_pages.SaveNote(path));
    Place(QStringLiteral("more"));
    ASSERT_TRUE(m_pages.IsModified());
    EXPECT_FALSE(m_pages.SaveNoteAs()); // the save dialog is cancelled
    EXPECT_TRUE(m_pages.IsModified());
    const QString other = folder.filePath(QStringLiteral("other.tsy"));
    m_prompt->QueueSaveFile(other);
    EXPECT_TRUE(m_pages.SaveNoteAs());
    EXPECT_EQ(m_pages.NotePath(), other);
    EXPECT_FALSE(m_pages.IsModified());
    Place(QStringLiteral("more still"));
    EXPECT_FALSE(m_pages.SaveNote(folder.filePath(QStringLiteral("missing/note.tsy"))));
    EXPECT_TRUE(m_pages.IsModified());

    m_prompt->QueueYesNo(true);
    ASSERT_TRUE(m_pages.Document().OpenNote(path));
    EXPECT_FALSE(m_pages.IsModified());
    Place(QStringLiteral("after opening"));
    EXPECT_TRUE(m_pages.IsModified());
    m_prompt->QueueYesNo(true);
    ASSERT_TRUE(m_pages.ClearNote());
    EXPECT_FALSE(m_pages.IsModified());
}

TEST_F(PagesTest, RestoredSnapshotIsAModifiedNoteWithItsPathAndPage)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("kept.tsy"));
    NoteSnapshot snapshot;
    snapshot.pages = QStringList { QStringLiteral("[Stub]\r\nValue=1\r\n\r\n"), QString(),
        QStringLiteral("[Stub]\r\nValue=3\r\n\r\n") };
    snapshot.current_page = 2;
    snapshot.note_path = path;
    m_host.locked = true;

    EXPECT_TRUE(m_pages.Restore(snapshot));
    EXPECT_TRUE(m_pages.IsModified());
    EXPECT_EQ(m_pages.Count(), 3);
    EXPECT_EQ(m_pages.Current(), 2);
    EXPECT_EQ(m_pages.NotePath(), path);
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("3") });
    EXPECT_TRUE(m_pages.History().IsEmpty());
    EXPECT_TRUE(m_host.locked); // the lock is the window's business
    EXPECT_TRUE(m_prompt->Requests().empty());
    EXPECT_TRUE(m_pages.First());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("1") });

    // A current page out of range shows the first page; a snapshot without pages is refused.
    snapshot.current_page = 7;
    EXPECT_TRUE(m_pages.Restore(snapshot));
    EXPECT_EQ(m_pages.Current(), 0);
    EXPECT_FALSE(m_pages.Restore(NoteSnapshot { QStringList(), 0, QString() }));
    EXPECT_EQ(m_pages.Count(), 3);
}

TEST_F(PagesTest, UndoBackToTheSavedContentIsNoLongerAChange)
{
    QTemporaryDir folder;
    Place(QStringLiteral("a"));
    ASSERT_TRUE(m_pages.SaveNote(folder.filePath(QStringLiteral("note.tsy"))));
    Place(QStringLiteral("b"));
    EXPECT_TRUE(m_pages.IsModified());
    ASSERT_TRUE(m_pages.Undo());
    EXPECT_FALSE(m_pages.IsModified());
    ASSERT_TRUE(m_pages.Undo());
    EXPECT_TRUE(m_pages.IsModified()); // before the save
    ASSERT_TRUE(m_pages.Redo());
    EXPECT_FALSE(m_pages.IsModified());
    // An empty page is left out by a save: alone it changes nothing.
    ASSERT_TRUE(m_pages.Insert());
    EXPECT_FALSE(m_pages.IsModified());
    ASSERT_TRUE(m_pages.Next());
    ASSERT_TRUE(m_pages.Next());
    EXPECT_FALSE(m_pages.IsModified());
}

TEST_F(PagesTest, AWheelBurstOnAPageIsOneStep)
{
    using namespace std::chrono_literals;
    Place(QStringLiteral("photo1"));
    const int steps = m_pages.History().Count();
    auto& item = *static_cast<StubNoteItem*>(NoteItemsOf(m_canvas).at(0));
    const auto start = std::chrono::steady_clock::now();
    auto wheel = [&](const char* value, std::chrono::milliseconds at) {
        item.m_value = QString::fromLatin1(value);
        return m_pages.RecordChanges(ChangeCause::Wheel, start + at);
    };
    EXPECT_TRUE(wheel("photo2", 0ms));
    EXPECT_TRUE(wheel("photo3", 600ms));
    EXPECT_TRUE(wheel("photo4", 1200ms)); // each turn within a second of the one before
    EXPECT_EQ(m_pages.History().Count(), steps + 1);
    EXPECT_TRUE(wheel("photo5", 2300ms)); // a pause: a new burst
    EXPECT_EQ(m_pages.History().Count(), steps + 2);
    // Other changes never join a burst.
    item.m_value = QStringLiteral("moved");
    EXPECT_TRUE(m_pages.RecordChanges(ChangeCause::Other, start + 2400ms));
    EXPECT_EQ(m_pages.History().Count(), steps + 3);

    ASSERT_TRUE(m_pages.Undo());
    ASSERT_TRUE(m_pages.Undo());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("photo4") });
    ASSERT_TRUE(m_pages.Undo());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("photo1") });

    // A burst that comes back to where it began leaves no step.
    Place(QStringLiteral("x"));
    const int before = m_pages.History().Count();
    auto& top = *static_cast<StubNoteItem*>(m_canvas.ItemAt(m_canvas.ItemCount() - 1));
    top.m_value = QStringLiteral("y");
    m_pages.RecordChanges(ChangeCause::Wheel, start + 5000ms);
    top.m_value = QStringLiteral("x");
    m_pages.RecordChanges(ChangeCause::Wheel, start + 5100ms);
    EXPECT_EQ(m_pages.History().Count(), before);
}

TEST_F(PagesTest, ANoteWrittenByHandOpensUnmodifiedInTheProgramsOwnForm)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("hand.tsy"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    // Neither page is in the form the program writes (a key it drops, no empty line).
    file.write("[Stub]\r\nValue=1\r\nOld=x\r\n-\r\n\r\n[Stub]\r\nValue=2\r\nOld=y\r\n");
    file.close();
    ASSERT_TRUE(m_pages.Document().OpenNote(path));
    EXPECT_FALSE(m_pages.IsModified());
    m_host.locked = false;
    EXPECT_FALSE(m_pages.RecordChanges());
    ASSERT_TRUE(m_pages.Next());
    EXPECT_EQ(Shown(), QStringList { QStringLiteral("2") });
    EXPECT_FALSE(m_pages.RecordChanges());
    EXPECT_FALSE(m_pages.IsModified());
    EXPECT_TRUE(m_pages.History().IsEmpty());
    Place(QStringLiteral("3"));
    EXPECT_TRUE(m_pages.IsModified());
}
