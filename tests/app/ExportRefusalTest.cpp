#include "MainWindowFixture.h"

#include "app/ActionId.h"
#include "app/PageImageSaver.h"
#include "items/ImageSaveTarget.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ImageItem.h"
#include "platform/Paths.h"

#include "TestSupport.h"

#include <QFileInfo>

using TestSupport::EntriesIn;
using TestSupport::ReadAll;

namespace {

// A saved note with one picture, and the folder it lies in with an older PDF and page
// picture: the exports of the window must never write over any of them.
class ExportRefusalTest : public MainWindowTest {
protected:
    ExportRefusalTest()
    {
        auto runner = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = runner.get();
        SetDialogs(std::move(runner));
        m_image = MakeImage(QStringLiteral("red.png"), QSize(40, 30), Qt::red);
        m_window->Import().ProcessCommandLine({ m_image });
        m_note = m_folder.filePath(QStringLiteral("note.tsy"));
        EXPECT_TRUE(m_window->SaveNote(m_note));
        // Opened again, the note is the window's own, with its path.
        m_prompt->QueueYesNo(true);
        EXPECT_TRUE(m_window->OpenNote(m_note));
        EXPECT_EQ(m_window->GetPages().Document().NotePath(), m_note);
        for (const char* name : { "old.pdf", "old.png" }) {
            QFile file(m_folder.filePath(QString::fromLatin1(name)));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(200, 'o'));
        }
        m_prompt->ClearRequests();
        m_before = Snapshot();
    }

    // Every file of the folder with its bytes.
    std::map<QString, QByteArray> Snapshot()
    {
        std::map<QString, QByteArray> files;
        for (const QString& name : EntriesIn(m_folder.path()))
            files[name] = ReadAll(m_folder.filePath(name));
        return files;
    }
    QString Message()
    {
        const auto& requests = m_prompt->Requests();
        return !requests.empty() && requests.back().kind == ScriptedUserPrompt::Kind::Message ? requests.back().text : QString();
    }
    void ExportPdfTo(const QString& path)
    {
        m_prompt->ClearRequests();
        m_prompt->QueueSaveFile(path);
        m_window->Actions().Trigger(ActionId::ExportPdf);
    }
    void SavePageTo(const QString& path)
    {
        m_prompt->ClearRequests();
        m_prompt->QueueSaveFile(path);
        Click(m_window->ToolBarWidget(), QStringLiteral("SavePage"));
    }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
    QString m_image;
    QString m_note;
    std::map<QString, QByteArray> m_before;
};

}

TEST_F(ExportRefusalTest, PdfCommandRefusesTheNoteItsImagesAndOtherNames)
{
    struct Row {
        QString path;
        QString message_start;
    };
    const QString written_over = QStringLiteral("上書きしないよう");
    const Row rows[] = {
        { m_note, m_note + QStringLiteral("\nはこのノートのファイルです。") },
        { m_image, m_image + QStringLiteral("\nはこのノートが使っている画像です。") },
        { m_folder.filePath(QStringLiteral("x.txt")), QStringLiteral("PDFの書き出し先には") },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        ExportPdfTo(row.path);
        EXPECT_TRUE(Message().startsWith(row.message_start)) << Message().toStdString();
    }
    {
        SCOPED_TRACE("a full disk");
        const TestSupport::FileSizeLimit limit(100);
        ExportPdfTo(m_folder.filePath(QStringLiteral("old.pdf")));
    }
    EXPECT_TRUE(Message().startsWith(QStringLiteral("PDFの書き出しに失敗しました。\n"))) << Message().toStdString();
    EXPECT_EQ(Snapshot(), m_before);

    ExportPdfTo(m_folder.filePath(QStringLiteral("NOTE.PDF")));
    EXPECT_TRUE(Message().isEmpty());
    EXPECT_TRUE(ReadAll(m_folder.filePath(QStringLiteral("NOTE.PDF"))).startsWith("%PDF"));
}

// The page picture goes over an image of the note only after a second question that names
// it; No writes nothing, and a failed write keeps the old picture.
TEST_F(ExportRefusalTest, SavePageAsksBeforeWritingOverAnImageOfTheNote)
{
    const auto asked = [&] {
        const auto& requests = m_prompt->Requests();
        return !requests.empty() && requests.back().kind == ScriptedUserPrompt::Kind::YesNo ? requests.back().text : QString();
    };
    SavePageTo(m_image);
    EXPECT_EQ(asked(), ImageSaveTarget::WriteOverQuestion(m_image));
    // A picture on the page shown that no step has stored yet is guarded too.
    const QString placed = MakeImage(QStringLiteral("blue.png"), QSize(20, 20), Qt::blue);
    m_before = Snapshot();
    auto item = std::make_unique<ImageItem>(m_window->PageCanvas());
    ASSERT_TRUE(item->Load(placed, {}, FolderListingCache::Rescan::Yes));
    ASSERT_TRUE(m_window->PageCanvas().AddItem(std::move(item)));
    SavePageTo(placed);
    EXPECT_EQ(asked(), ImageSaveTarget::WriteOverQuestion(placed));
    {
        const TestSupport::FileSizeLimit limit(100);
        SavePageTo(m_folder.filePath(QStringLiteral("old.png")));
    }
    EXPECT_TRUE(Message().startsWith(QStringLiteral("ページ画像の保存に失敗しました。\n") + m_folder.filePath(QStringLiteral("old.png"))))
        << Message().toStdString();
    EXPECT_EQ(Snapshot(), m_before);

    // Yes writes the page over the image.
    m_prompt->ClearRequests();
    m_prompt->QueueSaveFile(placed);
    m_prompt->QueueYesNo(true);
    Click(m_window->ToolBarWidget(), QStringLiteral("SavePage"));
    EXPECT_EQ(asked(), ImageSaveTarget::WriteOverQuestion(placed));
    EXPECT_NE(ReadAll(placed), m_before[QStringLiteral("blue.png")]);
}

// The proposed name is never an image of the note: accepted with Return, it makes a new file.
TEST_F(ExportRefusalTest, SavePageProposesANameNoImageOfTheNoteHas)
{
    const QString working = CurrentFolder();
    ASSERT_TRUE(SetCurrentFolder(m_folder.path()));
    PageImageSaver saver(*m_window);
    // Beside the note, which lies in the folder.
    EXPECT_EQ(saver.ProposedName(), m_folder.filePath(QStringLiteral("NewFile")));
    const QString taken = MakeImage(QStringLiteral("NewFile.jpg"), QSize(20, 20), Qt::green);
    m_window->Import().ProcessCommandLine({ taken });
    const QByteArray taken_bytes = ReadAll(taken);
    EXPECT_EQ(saver.ProposedName(), m_folder.filePath(QStringLiteral("NewFile_2")));
    m_prompt->ClearRequests();
    m_prompt->QueueSaveFileAsProposed();
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("OK")); });
    Click(m_window->ToolBarWidget(), QStringLiteral("SavePage"));
    SetCurrentFolder(working);
    for (const ScriptedUserPrompt::Request& request : m_prompt->Requests())
        EXPECT_NE(request.kind, ScriptedUserPrompt::Kind::YesNo) << request.text.toStdString();
    EXPECT_EQ(ReadAll(taken), taken_bytes);
    EXPECT_TRUE(ReadAll(m_folder.filePath(QStringLiteral("NewFile_2.jpg"))).startsWith("\xff\xd8"));
}
