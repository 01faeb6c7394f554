#include "document/NoteDocument.h"
#include "document/NoteHost.h"
#include "items/Canvas.h"
#include "items/PlacedItem.h"
#include "noteitems/ItemFactories.h"
#include "platform/Paths.h"
#include "platform/ScriptedUserPrompt.h"
#include "text/KeyValueStore.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A note item for these tests: it keeps its file name as written, resolves it against the
// canvas's base folder as it is read, as a picture item does, and saves itself into a note.
class ProbeItem : public PlacedItem {
public:
    using PlacedItem::PlacedItem;

    bool ReadSection(const KeyValueStore& store) override
    {
        m_file_name = store.GetText(QStringLiteral("FileName"));
        const QString normalized = NormalizeSeparators(m_file_name);
        m_resolved = IsRelativePath(normalized) ? GetCanvas().BaseFolder() + normalized : normalized;
        return PlacedItem::ReadSection(store);
    }

    bool Save(QString& section, QString& options, SaveMode mode) const override
    {
        if (mode != SaveMode::Persistent)
            return false;
        section += QStringLiteral("[Probe]\r\nFileName=") + m_file_name + QStringLiteral("\r\n");
        return PlacedItem::Save(section, options, SaveMode::Plain);
    }

    QString m_file_name;
    QString m_resolved;
};

// Stands for the page frame: on the page, never saved.
class FrameItem : public PlacedItem {
public:
    using PlacedItem::PlacedItem;
};

std::unique_ptr<Item> MakeTestItem(Canvas& canvas, const QString& name)
{
    if (name == QLatin1String("Probe"))
        return std::make_unique<ProbeItem>(canvas);
    if (name == QLatin1String("BackBrush"))
        return std::make_unique<FrameItem>(canvas);
    return nullptr;
}

class RecordingHost : public NoteHost {
public:
    void ResetPageCanvas(Canvas& page_canvas) override
    {
        page_canvas.Clear();
        page_canvas.AddFromSection(QStringLiteral("BackBrush"), KeyValueStore());
        ++m_resets;
    }
    void NoteCleared() override { ++m_cleared; }
    void NoteOpened() override { ++m_opened; }

    int m_resets { 0 };
    int m_cleared { 0 };
    int m_opened { 0 };
};

QString PageOf(const QString& name, const QString& file_name)
{
    return QStringLiteral("[Probe]\r\nFileName=%1\r\nPos=L0,T0,W10,H10\r\nName=%2\r\n\r\n").arg(file_name, name);
}

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class NoteDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_canvas.SetFactory(&MakeTestItem);
        m_host.ResetPageCanvas(m_canvas);
        m_saved_folder = QDir::currentPath();
    }
    void TearDown() override { QDir::setCurrent(m_saved_folder); }

    QString Path(const QString& name) const { return m_dir.path() + u'/' + name; }

    std::vector<const ProbeItem*> Probes() const
    {
        std::vector<const ProbeItem*> probes;
        for (const auto& item : m_canvas.Items()) {
            if (const auto* probe = dynamic_cast<const ProbeItem*>(item.get()))
                probes.push_back(probe);
        }
        return probes;
    }

    // Places a probe on the page canvas as the user would.
    void PlaceProbe(const QString& name, const QString& file_name)
    {
        ASSERT_TRUE(NoteDocument::LoadPageText(m_canvas, PageOf(name, file_name), m_document.PageFolder()));
    }

    QTemporaryDir m_dir;
    Canvas m_canvas { CanvasKind::Page };
    RecordingHost m_host;
    NoteDocument m_document { m_canvas, &m_host };
    ScriptedUserPrompt& m_prompt { ScriptedUserPrompt::Install() };
    QString m_saved_folder;
};

TEST_F(NoteDocumentTest, SaveAndOpenRoundTripWithEmptyPagesLeftOut)
{
    PlaceProbe("first", "a.png");
    ASSERT_TRUE(m_document.InsertPage(1));
    ASSERT_TRUE(m_document.InsertPage(2));
    m_document.SetPageText(2, PageOf("third", "c.png"));
    ASSERT_TRUE(m_document.SaveNote(Path("note.tsy")));

    // The current page is taken from the canvas; the empty middle page leaves no trace.
    const QByteArray bytes = ReadBytes(Path("note.tsy"));
    EXPECT_EQ(bytes, (PageOf("first", "a.png") + "-\r\n\r\n" + PageOf("third", "c.png")).toUtf8());
    EXPECT_TRUE(m_prompt.Requests().empty());

    Canvas other_canvas { CanvasKind::Page };
    other_canvas.SetFactory(&MakeTestItem);
    NoteDocument reopened(other_canvas);
    ASSERT_TRUE(reopened.OpenNote(Path("note.tsy")));
    ASSERT_EQ(reopened.PageCount(), 2);
    EXPECT_EQ(reopened.NotePath(), Path("note.tsy"));
    ASSERT_EQ(other_canvas.ItemCount(), 1);
    EXPECT_EQ(other_canvas.ItemAt(0)->Name(), "first");
    // Loading and saving again gives the same page text.
    EXPECT_EQ(NoteDocument::PageTextOf(other_canvas), PageOf("first", "a.png"));

    other_canvas.Clear();
    ASSERT_TRUE(reopened.ShowPage(1));
    ASSERT_EQ(other_canvas.ItemCount(), 1);
    EXPECT_EQ(other_canvas.ItemAt(0)->Name(), "third");
}

TEST_F(NoteDocumentTest, EmptyNoteSavesAsEmptyFileAndReopensAsOneEmptyPage)
{
    ASSERT_TRUE(m_document.SaveNote(Path("empty.tsy")));
    EXPECT_EQ(ReadBytes(Path("empty.tsy")), QByteArray());

    ASSERT_TRUE(m_document.OpenNote(Path("empty.tsy")));
    EXPECT_EQ(m_document.Pages(), QStringList { QString() });
    EXPECT_EQ(m_host.m_opened, 1);
}

// The file ends with its last page that holds something: reopening shows no empty page after it.
TEST_F(NoteDocumentTest, AnEmptyLastPageIsLeftOut)
{
    PlaceProbe("first", "a.png");
    ASSERT_TRUE(m_document.InsertPage(1));
    ASSERT_TRUE(m_document.SaveNote(Path("two.tsy")));
    m_prompt.QueueYesNo(true);
    ASSERT_TRUE(m_document.OpenNote(Path("two.tsy")));

    ASSERT_EQ(m_document.PageCount(), 1);
    EXPECT_EQ(m_document.PageText(0), PageOf("first", "a.png"));
}

TEST_F(NoteDocumentTest, WindowsNoteInCodePage932WithBackslashPathsOpens)
{
    QDir(m_dir.path()).mkpath("写真");
    // "[Probe]", "FileName=写真\a.png", "Name=旅行" in code page 932, two pages.
    const QByteArray photo = "\x8e\xca\x90\x5e";  // 写真
    const QByteArray journey = "\x97\xb7\x8d\x73"; // 旅行
    const QByteArray page = "[Probe]\r\nFileName=" + photo + "\\a.png\r\nPos=L0,T0,W10,H10\r\nName=" + journey + "\r\n\r\n";
    WriteBytes(Path("windows.TSY"), page + "-\r\n\r\n" + page);

    ASSERT_TRUE(m_document.OpenNote(Path("windows.TSY")));
    EXPECT_EQ(m_document.PageCount(), 2);
    const auto probes = Probes();
    ASSERT_EQ(probes.size(), 1u);
    EXPECT_EQ(probes[0]->Name(), "旅行");
    EXPECT_EQ(probes[0]->m_resolved, Path("写真/a.png"));
    // The name is kept as written, so the note saves back as it came (now in UTF-8).
    EXPECT_EQ(probes[0]->m_file_name, "写真\\a.png");
}

TEST_F(NoteDocumentTest, SavedElsewhereTheNoteTakesItsNewFileAndKeepsFindingItsImages)
{
    QDir(m_dir.path()).mkpath("opened");
    QDir(m_dir.path()).mkpath("copy");
    const QByteArray image_page = "[TSImage]\r\nFileName=photos\\b.png,1.5,0,0,0\r\nFolderPath=photos\\\r\n"
                                  "Rotate=0\r\nPos=L0,T0,W10,H10\r\n\r\n";
    WriteBytes(Path("opened/note.tsy"), PageOf("p", "a.png").toUtf8() + "-\r\n\r\n" + image_page);
    // A relative note path counts from the working folder at the time it is opened.
    QDir::setCurrent(m_dir.path());
    ASSERT_TRUE(m_document.OpenNote("opened/note.tsy"));
    EXPECT_EQ(m_document.NotePath(), Path("opened/note.tsy"));
    ASSERT_TRUE(m_document.SaveNote(Path("copy/saved.tsy")));
    EXPECT_EQ(m_document.NotePath(), Path("copy/saved.tsy"));

    // The image page was never shown: its relative names now point into the folder of the
    // opened note, written as they were otherwise.
    const QString saved = QString::fromUtf8(ReadBytes(Path("copy/saved.tsy")));
    EXPECT_TRUE(saved.contains("FileName=" + Path("opened/photos/b.png") + ",1.5,0,0,0\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("FolderPath=" + Path("opened/photos/") + "\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("Rotate=0\r\nPos=L0,T0,W10,H10\r\n"));
    // Saving again into the same folder leaves every name as it is.
    ASSERT_TRUE(m_document.SaveNote(QString()));
    EXPECT_EQ(QString::fromUtf8(ReadBytes(Path("copy/saved.tsy"))), saved);
}

TEST_F(NoteDocumentTest, OpeningAsksToEraseANoteWithContent)
{
    WriteBytes(Path("other.tsy"), PageOf("other", "o.png").toUtf8());
    PlaceProbe("mine", "m.png");
    m_document.StoreCurrentPage();

    m_prompt.QueueYesNo(false);
    EXPECT_FALSE(m_document.OpenNote(Path("other.tsy")));
    ASSERT_EQ(m_prompt.Requests().size(), 1u);
    EXPECT_EQ(m_prompt.Requests()[0].kind, ScriptedUserPrompt::Kind::YesNo);
    EXPECT_EQ(m_prompt.Requests()[0].text, "ノートを消去しますか?");
    EXPECT_EQ(m_prompt.Requests()[0].caption, "Tessary");
    EXPECT_EQ(m_document.PageText(0), PageOf("mine", "m.png"));
    ASSERT_EQ(Probes().size(), 1u);
    EXPECT_EQ(Probes()[0]->Name(), "mine");
    EXPECT_EQ(m_host.m_cleared + m_host.m_opened, 0);

    m_prompt.QueueYesNo(true);
    EXPECT_TRUE(m_document.OpenNote(Path("other.tsy")));
    ASSERT_EQ(Probes().size(), 1u);
    EXPECT_EQ(Probes()[0]->Name(), "other");
    EXPECT_EQ(m_host.m_cleared, 1);
    EXPECT_EQ(m_host.m_opened, 1);

    // A note whose first page is empty is replaced without a question.
    m_prompt.QueueYesNo(true);
    ASSERT_TRUE(m_document.ClearNote());
    m_prompt.ClearRequests();
    EXPECT_TRUE(m_document.OpenNote(Path("other.tsy")));
    EXPECT_TRUE(m_prompt.Requests().empty());
}

TEST_F(NoteDocumentTest, OpenRefusesSilentlyWithoutTouchingTheNote)
{
    PlaceProbe("mine", "m.png");
    m_document.StoreCurrentPage();
    WriteBytes(Path("note.txt"), PageOf("other", "o.png").toUtf8());
    QDir(m_dir.path()).mkpath("folder.tsy");
    m_prompt.QueueOpenFile(std::nullopt);

    for (const QString& path : { Path("note.txt"), Path("missing.tsy"), QString() })
        EXPECT_FALSE(m_document.OpenNote(path)) << path.toStdString();

    // Only the cancelled open dialog was shown.
    ASSERT_EQ(m_prompt.Requests().size(), 1u);
    EXPECT_EQ(m_prompt.Requests()[0].kind, ScriptedUserPrompt::Kind::OpenFile);
    EXPECT_EQ(m_prompt.Requests()[0].file.filter, "Tessary ノートファイル(*.tsy)|*.tsy||");
    EXPECT_EQ(m_document.PageText(0), PageOf("mine", "m.png"));
    EXPECT_EQ(m_host.m_opened, 0);
}

TEST_F(NoteDocumentTest, OpenTellsWhyAFileIsNoNoteAndKeepsTheNote)
{
    PlaceProbe("mine", "m.png");
    m_document.StoreCurrentPage();
    ASSERT_TRUE(m_document.SaveNote(Path("mine.tsy")));
    QDir(m_dir.path()).mkpath("folder.tsy");
    WriteBytes(Path("text.tsy"), "just words\n");
    m_prompt.QueueYesNo(true);
    m_prompt.QueueYesNo(true);

    const struct {
        const char* name;
        const char* told;
    } rows[] = {
        { "folder.tsy", "folder.tsy を開けませんでした。\nノートファイルではありません。フォルダーや特殊なファイルは開けません。" },
        { "text.tsy", "text.tsy を開けませんでした。\nノートファイルではありません。ノートの項目が一つもありません。" },
    };
    for (const auto& row : rows) {
        m_prompt.ClearRequests();
        EXPECT_FALSE(m_document.OpenNote(Path(row.name))) << row.name;
        ASSERT_EQ(m_prompt.Requests().size(), 1u) << row.name;
        EXPECT_EQ(m_prompt.Requests()[0].kind, ScriptedUserPrompt::Kind::Message);
        EXPECT_EQ(m_prompt.Requests()[0].text, QString::fromUtf8(row.told));
        EXPECT_EQ(m_prompt.Requests()[0].caption, "Tessary");
        EXPECT_EQ(m_document.NotePath(), Path("mine.tsy")) << row.name;
        EXPECT_EQ(m_document.PageText(0), PageOf("mine", "m.png")) << row.name;
        ASSERT_EQ(Probes().size(), 1u);
    }
    EXPECT_EQ(m_host.m_cleared + m_host.m_opened, 0);
}

TEST_F(NoteDocumentTest, ANoteOpenedThroughALinkLoadsAndRebasesFromTheFileItNames)
{
    QDir(m_dir.path()).mkpath("published");
    QDir(m_dir.path()).mkpath("desk");
    WriteBytes(Path("published/note.tsy"), PageOf("p", "images\\a.png").toUtf8());
    ASSERT_TRUE(QFile::link(Path("published/note.tsy"), Path("desk/note.tsy")));

    ASSERT_TRUE(m_document.OpenNote(Path("desk/note.tsy")));
    EXPECT_EQ(m_document.NotePath(), Path("desk/note.tsy"));
    ASSERT_EQ(Probes().size(), 1u);
    EXPECT_EQ(Probes()[0]->m_resolved, Path("published/images/a.png"));
    // Saved through the link, the link stays and the page folder with it.
    ASSERT_TRUE(m_document.SaveNote(QString()));
    EXPECT_TRUE(QFileInfo(Path("desk/note.tsy")).isSymLink());
    EXPECT_EQ(ReadBytes(Path("published/note.tsy")), PageOf("p", "images\\a.png").toUtf8());
    EXPECT_EQ(m_document.PageFolder(), Path("published/"));
}

TEST_F(NoteDocumentTest, SaveAsksForAPathAndACancelWritesNothing)
{
    m_prompt.QueueSaveFile(std::nullopt);
    m_prompt.QueueSaveFile(Path("chosen.tsy"));
    PlaceProbe("p", "a.png");

    EXPECT_FALSE(m_document.SaveNote(QString()));
    EXPECT_TRUE(m_document.SaveNote(QString()));

    ASSERT_EQ(m_prompt.Requests().size(), 2u);
    EXPECT_EQ(m_prompt.Requests()[0].kind, ScriptedUserPrompt::Kind::SaveFile);
    // Named after no working folder: the program's folder, which the dialog passes over.
    EXPECT_EQ(m_prompt.Requests()[0].file.initial_path, ProgramFolder() + "NewFile");
    EXPECT_EQ(m_prompt.Requests()[0].file.default_extension, "tsy");
    EXPECT_EQ(ReadBytes(Path("chosen.tsy")), PageOf("p", "a.png").toUtf8());
}

TEST_F(NoteDocumentTest, AFailedSaveKeepsTheOldFileAndTellsTheUser)
{
    const QByteArray old_note = PageOf("old", "o.png").toUtf8();
    WriteBytes(Path("note.tsy"), old_note);
    for (int i = 0; i < 20; ++i)
        PlaceProbe(QStringLiteral("new%1").arg(i), "n.png");
    {
        TestSupport::FileSizeLimit limit(old_note.size() + 10);
        EXPECT_FALSE(m_document.SaveNote(Path("note.tsy")));
    }
    EXPECT_FALSE(m_document.SaveNote(Path("no/such/folder/note.tsy")));

    EXPECT_EQ(ReadBytes(Path("note.tsy")), old_note);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { "note.tsy" });
    ASSERT_EQ(m_prompt.Requests().size(), 2u);
    for (const auto& request : m_prompt.Requests()) {
        EXPECT_EQ(request.kind, ScriptedUserPrompt::Kind::Message);
        EXPECT_EQ(request.text, "ノートの保存に失敗しました。");
        EXPECT_EQ(request.caption, "Tessary");
    }
}

TEST_F(NoteDocumentTest, ClearNoteStartsOneEmptyPageAndForgetsThePath)
{
    WriteBytes(Path("note.tsy"), PageOf("a", "a.png").toUtf8() + "-\r\n\r\n" + PageOf("b", "b.png").toUtf8());
    ASSERT_TRUE(m_document.OpenNote(Path("note.tsy")));
    ASSERT_TRUE(m_document.ShowPage(1));

    m_prompt.QueueYesNo(true);
    ASSERT_TRUE(m_document.ClearNote());
    EXPECT_EQ(m_document.Pages(), QStringList { QString() });
    EXPECT_EQ(m_document.CurrentPage(), 0);
    EXPECT_TRUE(m_document.NotePath().isEmpty());
    EXPECT_TRUE(Probes().empty());
    EXPECT_EQ(m_document.PageFolder(), ProgramFolder());
}

}

namespace {

TEST(PageText, BackgroundIsNeverSavedButUnknownSectionsAreKeptVerbatim)
{
    ItemFactories::RegisterAll();
    Canvas canvas { CanvasKind::Page };
    const QString brush = "[Brush]\r\nPos=L0,T0,W5,H5\r\n// a comment\r\nPos=L1,T1,W5,H5\r\n\r\n";
    const QString misspelt = "[backbrush]\r\n\r\n\r\n";
    const QString page = "[BackBrush]\r\nPos=L0,T0,R0,B0\r\nColor=0xff102030\r\n\r\n" + brush
        + "[Viewer]\r\nGroup=wide\r\nDpi=120\r\n\r\n" + misspelt;
    ASSERT_TRUE(NoteDocument::LoadPageText(canvas, page, ProgramFolder()));

    // The page table knows BackBrush only, by its exact name; Viewer sets up the canvas. The
    // sections it makes nothing of stay in their places, exactly as written.
    ASSERT_EQ(canvas.ItemCount(), 3);
    EXPECT_EQ(canvas.CurrentGroup(), "wide");
    EXPECT_EQ(canvas.Dpi(), 120.0f);
    EXPECT_EQ(NoteDocument::PageTextOf(canvas), brush + misspelt);
}

}

// A note keeps the page size it was saved at, outside its pages' texts; opening it gives the
// page canvas that size before the first page loads, and a note without one keeps the size.
TEST_F(NoteDocumentTest, PageSizeIsSavedAndOpenedWithTheNote)
{
    m_canvas.SetLayoutSize(1920, 1080);
    m_canvas.SetDpi(120);
    PlaceProbe("first", "a.png");
    ASSERT_TRUE(m_document.SaveNote(Path("sized.tsy")));
    WriteBytes(Path("unsized.tsy"), PageOf("second", "a.png").toUtf8());

    m_canvas.SetLayoutSize(800, 600);
    m_canvas.SetDpi(96);
    m_prompt.QueueYesNo(true);
    ASSERT_TRUE(m_document.OpenNote(Path("sized.tsy")));
    EXPECT_EQ(m_canvas.LayoutWidth(), 1920);
    EXPECT_EQ(m_canvas.LayoutHeight(), 1080);
    EXPECT_EQ(m_canvas.Dpi(), 120);
    EXPECT_EQ(m_document.PageText(0), PageOf("first", "a.png"));

    m_canvas.SetLayoutSize(640, 480);
    m_prompt.QueueYesNo(true);
    ASSERT_TRUE(m_document.OpenNote(Path("unsized.tsy")));
    EXPECT_EQ(m_canvas.LayoutWidth(), 640);
    EXPECT_EQ(m_canvas.LayoutHeight(), 480);
    EXPECT_EQ(m_canvas.Dpi(), 120);
}
