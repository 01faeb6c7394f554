#include "MainWindowFixture.h"

#include "document/RecoveryFile.h"

#include <QFile>

#include <algorithm>
#include <functional>

// Saving a note whose file another window or program wrote since the window opened or saved
// it: the user is asked before that is overwritten, through the real window and Ctrl+S.
namespace {

using Kind = ScriptedUserPrompt::Kind;

constexpr int kOverwrite = 0;
constexpr int kSaveElsewhere = 1;
constexpr int kWriteNothing = 2;

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

const QByteArray kOtherProgramsNote = "[TSImage]\r\nFileName=other.png,0,0,0,0\r\nPos=L0,T0,W100,H100\r\n\r\n";

class NoteWrittenElsewhereTest : public MainWindowTest {
protected:
    NoteWrittenElsewhereTest()
    {
        MakeImage(QStringLiteral("red.png"), QSize(64, 48), Qt::red);
        Write(m_note, "[TSImage]\r\nFileName=red.png,0,0,0,0\r\nPos=L0,T0,W100,H100\r\n\r\n");
    }

    // Opens the note and adds a picture to it: the window's note now differs from its file.
    void OpenAndChange()
    {
        ASSERT_TRUE(m_window->OpenNote(m_note));
        ASSERT_TRUE(m_window->Import().PlaceImage(MakeImage(QStringLiteral("blue.png"), QSize(64, 48), Qt::blue), {},
            Placement::FitToPage, 0, -1));
        ASSERT_EQ(Title(), QStringLiteral(u"*note.tsy - Tessary by Veldran"));
        m_prompt->ClearRequests();
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QTest::keyClick(&m_window->PageWidget(), key, modifiers);
    }
    void CtrlS() { Press(Qt::Key_S, Qt::ControlModifier); }
    QString Title() const { return m_window->windowTitle(); }
    int Questions() const
    {
        return int(std::count_if(m_prompt->Requests().begin(), m_prompt->Requests().end(),
            [](const ScriptedUserPrompt::Request& request) { return request.kind == Kind::Choice; }));
    }
    bool HoldsWindowsNote(const QString& path) { return Read(path).contains("blue.png"); }

    const QString m_note { m_folder.filePath(QStringLiteral("note.tsy")) };
    const QString m_copy { m_folder.filePath(QStringLiteral("copy.tsy")) };
};

struct AnswerRow {
    const char* name;
    int choice;
    std::optional<bool> save_as_named; // the save dialog after 名前を付けて保存: a name, or cancelled
    bool note_overwritten;
    bool copy_written;
    const char16_t* title;
};

class WrittenElsewhereAnswerTest : public NoteWrittenElsewhereTest, public ::testing::WithParamInterface<AnswerRow> { };

}

TEST_P(WrittenElsewhereAnswerTest, EachAnswerGivesItsFileAndTitle)
{
    const AnswerRow& row = GetParam();
    OpenAndChange();
    Write(m_note, kOtherProgramsNote);
    m_prompt->QueueChoice(row.choice);
    if (row.save_as_named)
        m_prompt->QueueSaveFile(*row.save_as_named ? std::optional<QString>(m_copy) : std::nullopt);
    CtrlS();

    ASSERT_GE(m_prompt->Requests().size(), 1u);
    const ScriptedUserPrompt::Request& question = m_prompt->Requests()[0];
    EXPECT_EQ(question.kind, Kind::Choice);
    EXPECT_EQ(question.caption, QStringLiteral("Tessary"));
    EXPECT_TRUE(question.text.startsWith(QStringLiteral(u"「note.tsy」はこのウィンドウで開いた後に、"))) << question.text.toStdString();
    EXPECT_EQ(question.buttons[0], QStringLiteral(u"上書き"));
    EXPECT_EQ(question.buttons[1], QStringLiteral(u"名前を付けて保存"));
    EXPECT_EQ(question.buttons[2], QStringLiteral(u"キャンセル"));
    EXPECT_EQ(m_prompt->Requests().size(), row.save_as_named ? 2u : 1u);

    EXPECT_EQ(HoldsWindowsNote(m_note), row.note_overwritten);
    if (!row.note_overwritten)
        EXPECT_EQ(Read(m_note), kOtherProgramsNote);
    EXPECT_EQ(HoldsWindowsNote(m_copy), row.copy_written);
    EXPECT_EQ(Title(), QString::fromUtf16(row.title));
}

INSTANTIATE_TEST_SUITE_P(Answers, WrittenElsewhereAnswerTest,
    ::testing::Values(AnswerRow { "Overwrite", kOverwrite, std::nullopt, true, false, u"note.tsy - Tessary by Veldran" },
        AnswerRow { "SaveElsewhere", kSaveElsewhere, true, false, true, u"copy.tsy - Tessary by Veldran" },
        AnswerRow { "SaveElsewhereCancelled", kSaveElsewhere, false, false, false, u"*note.tsy - Tessary by Veldran" },
        AnswerRow { "WriteNothing", kWriteNothing, std::nullopt, false, false, u"*note.tsy - Tessary by Veldran" }),
    [](const ::testing::TestParamInfo<AnswerRow>& info) { return std::string(info.param.name); });

TEST_F(NoteWrittenElsewhereTest, AfterWritingNothingTheNextSaveAsksAgainAndAfterOverwritingNoMore)
{
    OpenAndChange();
    Write(m_note, kOtherProgramsNote);
    m_prompt->QueueChoice(kWriteNothing);
    CtrlS();
    m_prompt->QueueChoice(kOverwrite);
    CtrlS();
    EXPECT_EQ(Questions(), 2);
    EXPECT_TRUE(HoldsWindowsNote(m_note));

    // The file as written is what the window knows now.
    ASSERT_TRUE(m_window->Import().PlaceImage(MakeImage(QStringLiteral("green.png")), {}, Placement::FitToPage, 0, -1));
    CtrlS();
    EXPECT_EQ(Questions(), 2);
    EXPECT_TRUE(Read(m_note).contains("green.png"));
    EXPECT_EQ(Title(), QStringLiteral(u"note.tsy - Tessary by Veldran"));
}

TEST_F(NoteWrittenElsewhereTest, NothingIsAskedWhenTheFileStillHoldsWhatWasOpenedOrIsGone)
{
    struct Row {
        const char* name;
        std::function<void(const QString&)> meanwhile;
    };
    const Row rows[] = {
        { "untouched", [](const QString&) {} },
        // Written anew by someone, with the same bytes: nothing of theirs can be lost.
        { "same bytes", [](const QString& path) { const QByteArray bytes = Read(path); Write(path, bytes); } },
        { "removed", [](const QString& path) { ASSERT_TRUE(QFile::remove(path)); } },
        { "renamed", [](const QString& path) { ASSERT_TRUE(QFile::rename(path, path + QStringLiteral(".old"))); } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Write(m_note, "[TSImage]\r\nFileName=red.png,0,0,0,0\r\nPos=L0,T0,W100,H100\r\n\r\n");
        m_prompt->QueueYesNo(true); // drop the note of the row before
        OpenAndChange();
        row.meanwhile(m_note);
        CtrlS();
        EXPECT_EQ(Questions(), 0);
        EXPECT_TRUE(HoldsWindowsNote(m_note));
        EXPECT_EQ(Title(), QStringLiteral(u"note.tsy - Tessary by Veldran"));
    }
}

TEST_F(NoteWrittenElsewhereTest, SavingUnderAnotherNameDoesNotAskAndThatFileIsTheNotesFromThen)
{
    OpenAndChange();
    Write(m_note, kOtherProgramsNote);
    // The save dialog has already asked whether to replace the file chosen.
    Write(m_copy, "an older copy");
    m_prompt->QueueSaveFile(m_copy);
    Press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Questions(), 0);
    EXPECT_TRUE(HoldsWindowsNote(m_copy));
    EXPECT_EQ(Read(m_note), kOtherProgramsNote);

    // Another program now writes the copy; saving again asks about the copy.
    Write(m_copy, kOtherProgramsNote);
    m_prompt->QueueChoice(kWriteNothing);
    CtrlS();
    ASSERT_EQ(Questions(), 1);
    EXPECT_TRUE(m_prompt->Requests().back().text.startsWith(QStringLiteral(u"「copy.tsy」")));
    EXPECT_EQ(Read(m_copy), kOtherProgramsNote);
}

TEST_F(NoteWrittenElsewhereTest, SaveAsOntoTheNotesOwnChangedFileAsksToo)
{
    OpenAndChange();
    Write(m_note, kOtherProgramsNote);
    m_prompt->QueueSaveFile(m_note);
    m_prompt->QueueChoice(kWriteNothing);
    Press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(Read(m_note), kOtherProgramsNote);
}

TEST_F(NoteWrittenElsewhereTest, ClosingWithYesButWritingNothingKeepsTheWindow)
{
    int closed = 0;
    m_window->SetCloseHandler([&closed] { ++closed; });
    OpenAndChange();
    Write(m_note, kOtherProgramsNote);
    m_prompt->QueueAnswer(Answer::Yes); // save the changes
    m_prompt->QueueChoice(kWriteNothing);
    EXPECT_FALSE(m_window->close());
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(Questions(), 1);
    EXPECT_EQ(Read(m_note), kOtherProgramsNote);
    EXPECT_EQ(Title(), QStringLiteral(u"*note.tsy - Tessary by Veldran"));
}

// A note brought back from its recovery copy remembers what its file held when the copy was
// made: a file written since is not overwritten without the question.
TEST_F(NoteWrittenElsewhereTest, ARestoredNoteAsksWhenItsFileWasWrittenSinceTheCopy)
{
    for (const bool written_since : { true, false }) {
        SCOPED_TRACE(written_since ? "written since" : "untouched");
        Write(m_note, "[TSImage]\r\nFileName=red.png,0,0,0,0\r\nPos=L0,T0,W100,H100\r\n\r\n");
        m_prompt->QueueAnswer(Answer::No); // drop the restored note of the row before
        OpenAndChange();
        m_window->GetPages().Document().StoreCurrentPage();
        const auto copy = RecoveryFile::Decode(RecoveryFile::Encode(m_window->GetPages().Document().Snapshot()));
        ASSERT_TRUE(copy);
        if (written_since)
            Write(m_note, kOtherProgramsNote);

        ASSERT_TRUE(m_window->RestoreNote(*copy));
        EXPECT_EQ(Title(), QStringLiteral(u"*note.tsy - Tessary by Veldran"));
        m_prompt->ClearRequests();
        m_prompt->QueueChoice(kWriteNothing);
        CtrlS();
        EXPECT_EQ(Questions(), written_since ? 1 : 0);
        EXPECT_EQ(HoldsWindowsNote(m_note), !written_since);
    }
}
