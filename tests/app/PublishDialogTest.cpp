#include "app/PublishDialog.h"

#include "document/NoteDocument.h"
#include "items/Canvas.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ItemFactories.h"
#include "platform/ScriptedUserPrompt.h"
#include "platform/TextFile.h"

#include "platform/LeftoverFiles.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kNotePath = QStringLiteral("NoteFilePath");
const QString kFolderName = QStringLiteral("ImageFolderName");
const QString kText = QStringLiteral("Text");

class PublishDialogTest : public ::testing::Test {
protected:
    PublishDialogTest()
    {
        ItemFactories::RegisterAll();
        m_prompt = &ScriptedUserPrompt::Install();
        auto dialogs = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = dialogs.get();
        SetDialogs(std::move(dialogs));
    }
    ~PublishDialogTest() override { SetDialogs(nullptr); }

    QString Path(const QString& relative) const { return m_root.filePath(relative); }
    void MakeImage(const QString& relative)
    {
        QDir().mkpath(QFileInfo(Path(relative)).absolutePath());
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(Path(relative)));
    }
    // Opens a saved note of two pages whose images are named relative to it.
    void OpenNote()
    {
        MakeImage(QStringLiteral("note/pics/red.png"));
        const QString page = QStringLiteral("[TSImage]\r\nFileName=pics\\red.png,0.000000,0.000000,0.000000,0.000000\r\nPos=L0,T0,W8,H8\r\n\r\n");
        ASSERT_TRUE(WriteTextFileSafely(Path(QStringLiteral("note/note.tsy")), page + QStringLiteral("-\r\n\r\n") + page));
        ASSERT_TRUE(m_note.OpenNote(Path(QStringLiteral("note/note.tsy"))));
    }
    void QueueSettings(const QString& note_path, const QString& folder = QStringLiteral("images"))
    {
        m_dialogs->Queue([=](ScriptedDialog& dialog) {
            dialog.Change(kNotePath, kText, note_path);
            dialog.Change(kFolderName, kText, folder);
            dialog.Press(QStringLiteral("OK"));
        });
    }
    QStringList Messages() const
    {
        QStringList texts;
        for (const auto& request : m_prompt->Requests())
            if (request.kind == ScriptedUserPrompt::Kind::Message)
                texts << request.text;
        return texts;
    }

    QTemporaryDir m_root;
    Canvas m_page { CanvasKind::Page };
    NoteDocument m_note { m_page };
    ScriptedUserPrompt* m_prompt { nullptr };
    ScriptedLayoutDialogs* m_dialogs { nullptr };
};

}

TEST_F(PublishDialogTest, OkWithEmptyFieldsKeepsTheDialogOpenWithAMessage)
{
    bool open_after_first = false;
    bool open_after_second = false;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.Property(kFolderName, kText), QStringLiteral("images"));
        EXPECT_EQ(dialog.Property(QStringLiteral("ImageCopyNameType"), QStringLiteral("SelectedIndex")), QStringLiteral("0"));
        dialog.Press(QStringLiteral("OK"));
        open_after_first = !dialog.Dialog().HasEnded();
        dialog.Change(kNotePath, kText, QStringLiteral("x.tsy"));
        dialog.Change(kFolderName, kText, QString());
        dialog.Press(QStringLiteral("OK"));
        open_after_second = !dialog.Dialog().HasEnded();
        dialog.Press(QStringLiteral("Cancel"));
    });
    EXPECT_FALSE(PublishDialog::Run(m_note, nullptr));
    EXPECT_TRUE(open_after_first);
    EXPECT_TRUE(open_after_second);
    EXPECT_EQ(Messages(), QStringList({ QStringLiteral("ノートファイルパスが設定されていません。"),
                                        QStringLiteral("画像フォルダ名が設定されていません。") }));
    ASSERT_EQ(m_dialogs->Requests().size(), 1u);
    EXPECT_EQ(m_dialogs->Requests()[0].caption, QStringLiteral("Tessary パブリッシュ"));
    EXPECT_EQ(m_dialogs->Requests()[0].size, QSize(456, 153));
}

TEST_F(PublishDialogTest, ChosenNoteFileFillsThePathField)
{
    m_prompt->QueueSaveFile(Path(QStringLiteral("chosen.tsy")));
    QString field;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Press(QStringLiteral("SelectNoteFilePath"));
        field = dialog.Property(kNotePath, kText);
    });
    EXPECT_FALSE(PublishDialog::Run(m_note, nullptr));
    EXPECT_EQ(field, Path(QStringLiteral("chosen.tsy")));
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests()[0].file.default_extension, QStringLiteral("tsy"));
    EXPECT_EQ(m_prompt->Requests()[0].file.initial_path, QStringLiteral("NewFile"));
}

TEST_F(PublishDialogTest, PublishingBesideTheOpenNoteLeavesItAsItWas)
{
    OpenNote();
    // Publishing writes the page canvas back into its page first, as moving to a page does.
    m_note.StoreCurrentPage();
    const QStringList pages = m_note.Pages();
    const QString path = m_note.NotePath();
    QueueSettings(Path(QStringLiteral("note/published.tsy")));
    EXPECT_TRUE(PublishDialog::Run(m_note, nullptr));
    EXPECT_EQ(m_note.Pages(), pages);
    EXPECT_EQ(m_note.NotePath(), path);
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("note/images/red.png"))).isFile());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("note/images/red_2.png"))).isFile());
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("note/pics/red.png"))).isFile());
    EXPECT_FALSE(PublishDialog::ProgressPercent().has_value());
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(PublishDialogTest, AnsweringNoDeletesAndWritesNothing)
{
    OpenNote();
    MakeImage(QStringLiteral("out/images/keep.png"));
    QueueSettings(Path(QStringLiteral("out/published.tsy")));
    m_prompt->QueueYesNo(false);
    EXPECT_FALSE(PublishDialog::Run(m_note, nullptr));
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].text, Path(QStringLiteral("out/images")) + QStringLiteral("\n内のファイル削除します。よろしいですか?"));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("out/images/keep.png"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/published.tsy"))));
}

// Publishing the note again to where its images already lie must not empty their folder.
TEST_F(PublishDialogTest, RefusesToEmptyTheFolderThatHoldsTheNotesImages)
{
    OpenNote();
    QueueSettings(Path(QStringLiteral("note/again.tsy")), QStringLiteral("pics"));
    EXPECT_FALSE(PublishDialog::Run(m_note, nullptr));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("note/pics/red.png"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("note/again.tsy"))));
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages()[0].contains(Path(QStringLiteral("note/pics/red.png"))));
    // Nothing was asked: the refusal comes before the question.
    EXPECT_EQ(m_prompt->Requests().size(), 1u);
}

TEST_F(PublishDialogTest, FailedCopyIsReported)
{
    OpenNote();
    QFile::remove(Path(QStringLiteral("note/pics/red.png")));
    QueueSettings(Path(QStringLiteral("out/published.tsy")));
    EXPECT_FALSE(PublishDialog::Run(m_note, nullptr));
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages()[0].contains(Path(QStringLiteral("out/images/red.png"))));
    // The note itself is still written, naming the copies it should have.
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("out/published.tsy"))).isFile());
}

// The folder name is checked as the command line checks it, before anything is asked or
// deleted: ".." would empty the folder that holds the published note.
TEST_F(PublishDialogTest, AFolderNameThatIsNotOneFolderKeepsTheDialogOpen)
{
    OpenNote();
    MakeImage(QStringLiteral("out/keep.png"));
    int refused = 0;
    m_dialogs->Queue([&](ScriptedDialog& dialog) {
        dialog.Change(kNotePath, kText, Path(QStringLiteral("out/published.tsy")));
        for (const char* name : { "..", ".", "/", "\\", "../out" }) {
            dialog.Change(kFolderName, kText, QString::fromLatin1(name));
            dialog.Press(QStringLiteral("OK"));
            refused += dialog.Dialog().HasEnded() ? 0 : 1;
        }
        dialog.Press(QStringLiteral("Cancel"));
    });
    EXPECT_FALSE(PublishDialog::Run(m_note, nullptr));
    EXPECT_EQ(refused, 5);
    EXPECT_EQ(Messages().size(), 5);
    for (const QString& message : Messages())
        EXPECT_TRUE(message.startsWith(QStringLiteral("画像フォルダ名には"))) << message.toStdString();
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("out/keep.png"))).isFile());
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("out/published.tsy"))));
}

TEST_F(PublishDialogTest, RefusesToWriteOverTheOpenNoteOrItsImages)
{
    OpenNote();
    const QByteArray note_bytes = TestSupport::ReadAll(Path(QStringLiteral("note/note.tsy")));
    const QByteArray image_bytes = TestSupport::ReadAll(Path(QStringLiteral("note/pics/red.png")));
    ASSERT_TRUE(QFile::link(Path(QStringLiteral("note/note.tsy")), Path(QStringLiteral("link.tsy"))));
    for (const char* target : { "note/note.tsy", "link.tsy", "note/pics/red.png" }) {
        SCOPED_TRACE(target);
        m_prompt->ClearRequests();
        QueueSettings(Path(QString::fromLatin1(target)), QStringLiteral("published"));
        EXPECT_FALSE(PublishDialog::Run(m_note, nullptr));
        ASSERT_EQ(Messages().size(), 1);
        EXPECT_TRUE(Messages()[0].contains(QStringLiteral("上書きしないよう"))) << Messages()[0].toStdString();
    }
    EXPECT_EQ(TestSupport::ReadAll(Path(QStringLiteral("note/note.tsy"))), note_bytes);
    EXPECT_EQ(TestSupport::ReadAll(Path(QStringLiteral("note/pics/red.png"))), image_bytes);
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("note/published"))));
}

TEST_F(PublishDialogTest, FilesTheFormerFolderKeepsAreReportedAndTheNoteIsPublished)
{
    OpenNote();
    const QString locked = Path(QStringLiteral("out/images/locked"));
    const TestSupport::ReadOnlyFolder read_only(locked, [](const QString& path) {
        QFile file(path + QStringLiteral("/stuck.png"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    });
    if (!read_only.IsReady())
        GTEST_SKIP() << "cannot make a folder whose files cannot be deleted here";
    QueueSettings(Path(QStringLiteral("out/published.tsy")));
    m_prompt->QueueYesNo(true);
    EXPECT_FALSE(PublishDialog::Run(m_note, nullptr));
    ASSERT_EQ(Messages().size(), 1);
    const QString images = Path(QStringLiteral("out/images"));
    const QString former = LeftoverFiles::StagingFolderFor(images);
    EXPECT_TRUE(Messages()[0].contains(former + QStringLiteral("/locked/stuck.png"))) << Messages()[0].toStdString();
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("out/published.tsy"))));
    EXPECT_FALSE(QFileInfo::exists(locked));
    // The locked folder goes back where it was made, so that it can be unlocked.
    ASSERT_TRUE(QDir().rename(images, images + QStringLiteral("_new")));
    ASSERT_TRUE(QDir().rename(former, images));
}
