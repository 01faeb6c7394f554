#include "app/MainWindow.h"
#include "app/NoteRecovery.h"
#include "document/RecoveryFile.h"
#include "items/Canvas.h"
#include "items/NoteItem.h"
#include "platform/ScriptedUserPrompt.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include "TestSupport.h"

namespace {

using Kind = ScriptedUserPrompt::Kind;

// The editor window with a recovery copy in a folder of its own, as the program runs it.
class UnsavedChangesTest : public ::testing::Test {
protected:
    UnsavedChangesTest()
    {
        m_prompt = &ScriptedUserPrompt::Install();
        EXPECT_TRUE(m_recovery.Start());
        TestSupport::ForgetKeptSettings();
        m_window = std::make_unique<MainWindow>();
        m_window->SetRecovery(&m_recovery);
        m_window->SetCloseHandler([this] { ++m_closed; });
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    ~UnsavedChangesTest() override
    {
        m_window.reset();
        SetPrompt(nullptr);
    }

    QString MakeImage(const QString& name, QColor colour = Qt::darkGreen)
    {
        QImage image(QSize(64, 48), QImage::Format_RGB32);
        image.fill(colour);
        const QString path = m_folder.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    void PlaceImage() { ASSERT_TRUE(m_window->Import().PlaceImage(MakeImage("photo.png"), {}, Placement::FitToPage, 0, -1)); }
    bool CopyExists() { return QFileInfo::exists(m_recovery.FilePath()); }
    bool WaitForCopy(bool exists)
    {
        return QTest::qWaitFor([&] { return CopyExists() == exists; }, 5000);
    }
    QString Title() const { return m_window->windowTitle(); }

    QTemporaryDir m_folder;
    QTemporaryDir m_data;
    NoteRecovery m_recovery { m_data.path() };
    ScriptedUserPrompt* m_prompt { nullptr };
    std::unique_ptr<MainWindow> m_window;
    int m_closed { 0 };
};

}

TEST_F(UnsavedChangesTest, AnUnchangedNoteClosesWithoutAQuestion)
{
    EXPECT_EQ(Title(), QStringLiteral(u"無題 - Tessary by Veldran"));
    EXPECT_TRUE(m_window->close());
    EXPECT_EQ(m_closed, 1);
    EXPECT_TRUE(m_prompt->Requests().empty());
}

TEST_F(UnsavedChangesTest, AnOpenedNoteLookedThroughClosesWithoutAQuestion)
{
    PlaceImage();
    ASSERT_TRUE(m_window->Import().PlaceImage(MakeImage("second.png"), {}, Placement::FitToPage, 0, 1));
    const QString path = m_folder.filePath(QStringLiteral("trip.tsy"));
    m_prompt->QueueSaveFile(path);
    ASSERT_TRUE(m_window->SaveNote({}));
    m_prompt->QueueYesNo(true); // erase the note shown
    ASSERT_TRUE(m_window->OpenNote(path));
    EXPECT_EQ(Title(), QStringLiteral(u"trip.tsy - Tessary by Veldran"));
    m_window->ToggleLock();
    m_window->GetPages().Last();
    m_window->GetPages().First();
    m_prompt->ClearRequests();
    EXPECT_TRUE(m_window->close());
    EXPECT_TRUE(m_prompt->Requests().empty());
}

namespace {

struct CloseRow {
    const char* name;
    Answer answer;
    std::optional<QString> save_as; // the save dialog's answer after Yes
    bool closes;
    bool saved;
};

class CloseAnswerTest : public UnsavedChangesTest, public ::testing::WithParamInterface<CloseRow> { };

}

TEST_P(CloseAnswerTest, TheAnswerDecidesWhetherTheWindowCloses)
{
    const CloseRow& row = GetParam();
    PlaceImage();
    EXPECT_EQ(Title(), QStringLiteral(u"*無題 - Tessary by Veldran"));
    ASSERT_TRUE(WaitForCopy(true));

    const QString saved = m_folder.filePath(QStringLiteral("saved.tsy"));
    m_prompt->QueueAnswer(row.answer);
    if (row.save_as)
        m_prompt->QueueSaveFile(row.save_as->isEmpty() ? std::nullopt : std::optional<QString>(saved));
    EXPECT_EQ(m_window->close(), row.closes);
    EXPECT_EQ(m_closed, row.closes ? 1 : 0);
    EXPECT_EQ(m_window->isVisible(), !row.closes);
    ASSERT_GE(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].kind, Kind::YesNoCancel);
    EXPECT_EQ(m_prompt->Requests()[0].text, QStringLiteral(u"変更を保存しますか?"));
    EXPECT_EQ(m_prompt->Requests()[0].caption, QStringLiteral("Tessary"));
    EXPECT_EQ(QFileInfo::exists(saved), row.saved);
    // The copy goes with the changes: kept while the window stays, gone once it closed.
    EXPECT_TRUE(WaitForCopy(!row.closes));
    EXPECT_EQ(m_window->GetPages().IsModified(), !row.saved);
}

INSTANTIATE_TEST_SUITE_P(Answers, CloseAnswerTest,
    ::testing::Values(CloseRow { "YesSaved", Answer::Yes, QStringLiteral("saved"), true, true },
        CloseRow { "YesSaveCancelled", Answer::Yes, QString(), false, false },
        CloseRow { "No", Answer::No, std::nullopt, true, false },
        CloseRow { "Cancel", Answer::Cancel, std::nullopt, false, false }),
    [](const ::testing::TestParamInfo<CloseRow>& info) { return std::string(info.param.name); });

TEST_F(UnsavedChangesTest, TheEndOfTheSessionKeepsTheChangesWithoutAsking)
{
    PlaceImage();
    ASSERT_TRUE(m_window->Import().PlaceImage(MakeImage("second.png"), {}, Placement::FitToPage, 0, -1));
    // A change on the page that no step recorded yet goes into the copy as well.
    Canvas& page = m_window->PageCanvas();
    page.RemoveItem(NoteItemsOf(page).at(0));
    m_window->EndSession();
    EXPECT_EQ(m_closed, 1);
    EXPECT_TRUE(m_prompt->Requests().empty());
    const auto copy = RecoveryFile::Read(m_recovery.FilePath());
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->pages.size(), 1);
    EXPECT_FALSE(copy->pages[0].contains(QStringLiteral("photo.png")));
    EXPECT_TRUE(copy->pages[0].contains(QStringLiteral("second.png")));
}

TEST_F(UnsavedChangesTest, AChangeNoStepRecordedYetStillCounts)
{
    PlaceImage();
    m_prompt->QueueSaveFile(m_folder.filePath(QStringLiteral("saved.tsy")));
    ASSERT_TRUE(m_window->SaveNote({}));
    Canvas& page = m_window->PageCanvas();
    // Changed behind the window's back: no message, key or idle period has passed.
    page.RemoveItem(NoteItemsOf(page).at(0));
    m_prompt->QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(m_window->close());
    ASSERT_EQ(m_prompt->Requests().back().kind, Kind::YesNoCancel);

    ASSERT_TRUE(m_window->Import().PlaceImage(MakeImage("again.png"), {}, Placement::FitToPage, 0, -1));
    ASSERT_TRUE(m_window->SaveNote({}));
    page.RemoveItem(NoteItemsOf(page).at(0));
    m_window->EndSession();
    EXPECT_EQ(m_closed, 1);
    const auto copy = RecoveryFile::Read(m_recovery.FilePath());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->pages, QStringList { QString() });
}

TEST_F(UnsavedChangesTest, WithoutARecoveryCopyTheEndOfTheSessionAsksAsClosingDoes)
{
    m_window->SetRecovery(nullptr);
    PlaceImage();
    m_prompt->QueueAnswer(Answer::Cancel);
    m_window->EndSession();
    EXPECT_EQ(m_closed, 0);
    EXPECT_TRUE(m_window->isVisible());
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].kind, Kind::YesNoCancel);
}

TEST_F(UnsavedChangesTest, ARestoredNoteIsShownAsChangedUnderItsOwnName)
{
    const QString image = MakeImage("kept.png", Qt::red);
    NoteSnapshot snapshot;
    snapshot.pages = QStringList { QString(),
        QStringLiteral("[TSImage]\r\nFileName=kept.png,0,0,0,0\r\nPos=L0,T0,W100,H100\r\n\r\n") };
    snapshot.current_page = 1;
    snapshot.note_path = m_folder.filePath(QStringLiteral("trip.tsy"));
    ASSERT_TRUE(m_window->RestoreNote(snapshot));
    EXPECT_EQ(Title(), QStringLiteral(u"*trip.tsy - Tessary by Veldran"));
    EXPECT_EQ(m_window->GetPages().Current(), 1);
    EXPECT_EQ(NoteItemsOf(m_window->PageCanvas()).size(), 1u);
    EXPECT_TRUE(WaitForCopy(true));
    m_prompt->QueueAnswer(Answer::Cancel);
    EXPECT_FALSE(m_window->close());
}

TEST_F(UnsavedChangesTest, TheWholeNoteGoesIntoOnePdfPagePerNotePage)
{
    PlaceImage();
    ASSERT_TRUE(m_window->Import().PlaceImage(MakeImage("second.png"), {}, Placement::FitToPage, 0, 1));
    ASSERT_TRUE(m_window->GetPages().Insert());
    const QString path = m_folder.filePath(QStringLiteral("note.pdf"));
    m_prompt->QueueSaveFile(path);
    ASSERT_TRUE(m_window->ExportPdf({}));
    EXPECT_EQ(m_prompt->Requests().back().file.default_extension, QStringLiteral("pdf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n"), 3);

    m_prompt->QueueSaveFile(m_folder.filePath(QStringLiteral("missing/note.pdf")));
    EXPECT_FALSE(m_window->ExportPdf({}));
    EXPECT_EQ(m_prompt->Requests().back().kind, Kind::Message);
}
