#include "document/NoteFileText.h"
#include "document/Publisher.h"
#include "platform/LeftoverFiles.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "text/SectionDocument.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace {

QString ImageSection(const QString& file_name, const QString& extra = {})
{
    return QStringLiteral("[TSImage]\r\nFileName=%1,1.500000,0.000000,2.000000,0.000000\r\n%2Pos=L10,T10,W50,H50\r\n\r\n")
        .arg(file_name, extra);
}

class PublisherTest : public ::testing::Test {
protected:
    // Writes a file of a few bytes of its own and answers its path.
    QString MakeFile(const QString& relative, const QByteArray& bytes = {})
    {
        const QString path = m_root.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.isEmpty() ? relative.toUtf8() : bytes);
        return path;
    }
    QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    PublishSettings Settings(CopyNaming naming = CopyNaming::SourceName, const QString& note = QStringLiteral("out/published.tsy"))
    {
        return { m_root.filePath(note), QStringLiteral("images"), naming };
    }
    // The FileName values of the published note, page after page.
    QStringList PublishedFileNames(const QString& note)
    {
        QString text;
        EXPECT_TRUE(ReadTextFile(note, text));
        QStringList values;
        for (const QString& page : CutNotePages(text)) {
            SectionDocument document;
            if (!ParseSectionText(QStringView(page), document))
                continue;
            for (int index = 0; index < document.Count(); ++index)
                if (document.Store(index).Contains(QStringLiteral("FileName")))
                    values << document.Store(index).GetText(QStringLiteral("FileName"));
        }
        return values;
    }
    QString Folder() const { return m_root.path() + u'/'; }

    QTemporaryDir m_root;
};

struct NamingRow {
    CopyNaming naming;
    QStringList expected;
};

// The same image on two pages is copied twice; names that differ only in case stay apart.
TEST_F(PublisherTest, CopiesAreNamedByTheRule)
{
    const QString first = MakeFile(QStringLiteral("a/Photo.JPG"), "first");
    const QString second = MakeFile(QStringLiteral("b/PHOTO.jpg"), "second");
    const QString other = MakeFile(QStringLiteral("a/tree.png"), "tree");
    const QStringList pages { ImageSection(first) + ImageSection(other), ImageSection(first), ImageSection(second) };
    const NamingRow rows[] = {
        { CopyNaming::SourceName, { "photo.jpg", "tree.png", "Photo_2.jpg", "PHOTO_3.jpg" } },
        { CopyNaming::Serial, { "001.jpg", "002.png", "003.jpg", "004.jpg" } },
    };
    for (const NamingRow& row : rows) {
        Publisher publisher(pages, Folder(), Settings(row.naming));
        ASSERT_TRUE(publisher.EndangeredFiles().isEmpty());
        ASSERT_TRUE(publisher.PrepareImageFolder());
        std::vector<std::pair<int, int>> progress;
        EXPECT_TRUE(publisher.Publish([&](int copied, int total) { progress.emplace_back(copied, total); }));
        QStringList expected_values;
        for (const QString& name : row.expected)
            expected_values << QStringLiteral("images\\%1,1.500000,0.000000,2.000000,0.000000").arg(name);
        EXPECT_EQ(PublishedFileNames(Settings().note_path), expected_values);
        const QString images = m_root.filePath(QStringLiteral("out/images/"));
        EXPECT_EQ(Bytes(images + row.expected[0]), "first");
        EXPECT_EQ(Bytes(images + row.expected[1]), "tree");
        EXPECT_EQ(Bytes(images + row.expected[2]), "first");
        EXPECT_EQ(Bytes(images + row.expected[3]), "second");
        EXPECT_EQ(QDir(images).entryList(QDir::Files).size(), 4);
        EXPECT_EQ(progress.size(), 4u);
        EXPECT_EQ(progress.back(), std::make_pair(4, 4));
    }
}

TEST_F(PublisherTest, RewritesOnlyImagePathsAndDropsTheFolderKey)
{
    const QString image = MakeFile(QStringLiteral("photo.png"));
    const QStringList pages {
        ImageSection(image, QStringLiteral("FolderPath=%1\r\nRotate=1\r\n").arg(Folder()))
            + QStringLiteral("[TSText]\r\nText=FileName\r\nPos=L0,T0,W10,H10\r\n\r\n"),
    };
    Publisher publisher(pages, Folder(), Settings());
    ASSERT_TRUE(publisher.PrepareImageFolder());
    ASSERT_TRUE(publisher.Publish());
    QString text;
    ASSERT_TRUE(ReadTextFile(Settings().note_path, text));
    SectionDocument document;
    ASSERT_TRUE(ParseSectionText(QStringView(text), document));
    ASSERT_EQ(document.Count(), 2);
    EXPECT_FALSE(document.Store(0).Contains(QStringLiteral("FolderPath")));
    EXPECT_EQ(document.Store(0).GetText(QStringLiteral("Rotate")), QStringLiteral("1"));
    EXPECT_EQ(document.Store(0).GetText(QStringLiteral("Pos")), QStringLiteral("L10,T10,W50,H50"));
    EXPECT_EQ(document.Name(1), QStringLiteral("TSText"));
    EXPECT_EQ(document.Store(1).GetText(QStringLiteral("Text")), QStringLiteral("FileName"));
}

// Saved notes name their images relative to the note's folder, whatever the working folder.
TEST_F(PublisherTest, RelativeSourcesResolveAgainstTheNotesFolder)
{
    MakeFile(QStringLiteral("note/pics/sun.png"), "sun");
    MakeFile(QStringLiteral("note/a,b.png"), "comma");
    const QString saved = CurrentFolder();
    SetCurrentFolder(QDir::tempPath());
    const QStringList pages { ImageSection(QStringLiteral("pics\\sun.png")) + ImageSection(QStringLiteral("a,b.png")) };
    Publisher publisher(pages, m_root.filePath(QStringLiteral("note/")), Settings());
    ASSERT_TRUE(publisher.PrepareImageFolder());
    const bool published = publisher.Publish();
    SetCurrentFolder(saved);
    EXPECT_TRUE(published);
    EXPECT_EQ(Bytes(m_root.filePath(QStringLiteral("out/images/sun.png"))), "sun");
    EXPECT_EQ(Bytes(m_root.filePath(QStringLiteral("out/images/a,b.png"))), "comma");
    EXPECT_EQ(PublishedFileNames(Settings().note_path),
              QStringList({ QStringLiteral("images\\sun.png,1.500000,0.000000,2.000000,0.000000"),
                            QStringLiteral("images\\a,b.png,1.500000,0.000000,2.000000,0.000000") }));
}

TEST_F(PublisherTest, NoteWithoutImagesWritesTheNoteAndAnEmptyFolder)
{
    MakeFile(QStringLiteral("out/images/old.jpg"));
    MakeFile(QStringLiteral("out/images/sub/older.jpg"));
    const QString text_page = QStringLiteral("[BackBrush]\r\nColor=0xff000000\r\n\r\n");
    Publisher publisher({ text_page, QString() }, Folder(), Settings());
    EXPECT_EQ(publisher.CopyCount(), 0);
    ASSERT_TRUE(publisher.ImageFolderExists());
    ASSERT_TRUE(publisher.PrepareImageFolder());
    EXPECT_TRUE(publisher.Publish());
    EXPECT_TRUE(QDir(m_root.filePath(QStringLiteral("out/images"))).isEmpty());
    QString written;
    ASSERT_TRUE(ReadTextFile(Settings().note_path, written));
    // The page keeps its sections; the empty last page is left out, separator included.
    const QStringList pages = CutNotePages(written);
    ASSERT_EQ(pages.size(), 1);
    SectionDocument original;
    SectionDocument published;
    ASSERT_TRUE(ParseSectionText(QStringView(text_page), original));
    ASSERT_TRUE(ParseSectionText(QStringView(pages[0]), published));
    EXPECT_EQ(published, original);
}

// Publishing a published note to where it lies would empty the folder that holds its images.
TEST_F(PublisherTest, FolderHoldingASourceOrTheOpenNoteIsEndangered)
{
    const QString inside = MakeFile(QStringLiteral("out/images/photo.jpg"));
    const QString outside = MakeFile(QStringLiteral("elsewhere.jpg"));
    const QString note = MakeFile(QStringLiteral("out/published.tsy"));
    {
        Publisher publisher({ ImageSection(QStringLiteral("images\\photo.jpg")) + ImageSection(outside) },
                            m_root.filePath(QStringLiteral("out/")), Settings());
        EXPECT_EQ(publisher.EndangeredFiles(), QStringList { inside });
    }
    {
        // Through a link to the image folder.
        ASSERT_TRUE(QFile::link(m_root.filePath(QStringLiteral("out/images")), m_root.filePath(QStringLiteral("link"))));
        Publisher publisher({ ImageSection(m_root.filePath(QStringLiteral("link/photo.jpg"))) }, Folder(), Settings());
        EXPECT_EQ(publisher.EndangeredFiles().size(), 1);
    }
    {
        // An image folder named "." is the note's own folder.
        PublishSettings settings = Settings();
        settings.image_folder_name = QStringLiteral(".");
        Publisher publisher({ ImageSection(outside) }, Folder(), settings, note);
        EXPECT_EQ(publisher.EndangeredFiles(), QStringList { note });
    }
    EXPECT_EQ(Bytes(inside), "out/images/photo.jpg");
}

TEST_F(PublisherTest, FailedCopiesAndAnUnwritableNoteAreReported)
{
    const QString present = MakeFile(QStringLiteral("present.png"), "present");
    const QString missing = m_root.filePath(QStringLiteral("missing.png"));
    const QStringList pages { ImageSection(missing) + ImageSection(present) };
    {
        Publisher publisher(pages, Folder(), Settings());
        ASSERT_TRUE(publisher.PrepareImageFolder());
        EXPECT_FALSE(publisher.Publish());
        ASSERT_EQ(publisher.Problems().size(), 1u);
        EXPECT_EQ(publisher.Problems()[0].source, missing);
        EXPECT_EQ(Bytes(m_root.filePath(QStringLiteral("out/images/present.png"))), "present");
    }
    {
        // The note's path is a folder.
        QDir().mkpath(m_root.filePath(QStringLiteral("busy/taken.tsy")));
        Publisher publisher({ ImageSection(present) }, Folder(), Settings(CopyNaming::Serial, QStringLiteral("busy/taken.tsy")));
        ASSERT_TRUE(publisher.PrepareImageFolder());
        EXPECT_FALSE(publisher.Publish());
        ASSERT_EQ(publisher.Problems().size(), 1u);
        EXPECT_TRUE(publisher.Problems()[0].source.isEmpty());
    }
}

// The copies are committed together; the one that does not fit is named, and it alone is
// missing from a folder that holds no part of it.
TEST_F(PublisherTest, ACopyThatDoesNotFitIsTheOnlyOneMissing)
{
    const QString before = MakeFile(QStringLiteral("before.png"), "before");
    const QString large = MakeFile(QStringLiteral("large.png"), QByteArray(256 * 1024, 'l'));
    const QString after = MakeFile(QStringLiteral("after.png"), "after");
    Publisher publisher({ ImageSection(before) + ImageSection(large), ImageSection(after) }, Folder(), Settings(CopyNaming::Serial));
    ASSERT_TRUE(publisher.PrepareImageFolder());
    {
        const TestSupport::FileSizeLimit limit(64 * 1024);
        EXPECT_FALSE(publisher.Publish());
    }
    const QString images = m_root.filePath(QStringLiteral("out/images/"));
    ASSERT_EQ(publisher.Problems().size(), 1u);
    EXPECT_EQ(publisher.Problems()[0].source, large);
    EXPECT_EQ(publisher.Problems()[0].target, images + "002.png");
    EXPECT_FALSE(publisher.Problems()[0].reason.isEmpty());
    EXPECT_EQ(Bytes(images + "001.png"), "before");
    EXPECT_EQ(Bytes(images + "003.png"), "after");
    EXPECT_EQ(TestSupport::EntriesIn(images), QStringList({ "001.png", "003.png" }));
    EXPECT_EQ(PublishedFileNames(Settings().note_path).size(), 3);
}

TEST_F(PublisherTest, AnImageFolderPathThatIsAFileCannotBePrepared)
{
    MakeFile(QStringLiteral("out/images"));
    Publisher publisher({}, Folder(), Settings());
    EXPECT_FALSE(publisher.ImageFolderExists());
    EXPECT_FALSE(publisher.PrepareImageFolder());
}

TEST_F(PublisherTest, ANoteNameThatIsALinkPublishesBesideTheFileItNames)
{
    const QString image = MakeFile(QStringLiteral("red.png"), "red");
    const QString real_note = MakeFile(QStringLiteral("real/published.tsy"), "old");
    QDir().mkpath(m_root.filePath(QStringLiteral("links")));
    ASSERT_TRUE(QFile::link(real_note, m_root.filePath(QStringLiteral("links/published.tsy"))));
    Publisher publisher({ ImageSection(image) }, Folder(), Settings(CopyNaming::SourceName, QStringLiteral("links/published.tsy")));
    EXPECT_EQ(publisher.NotePath(), real_note);
    ASSERT_TRUE(publisher.PrepareImageFolder());
    ASSERT_TRUE(publisher.Publish());
    // The image folder is beside the real note, so the note read through the link finds them.
    EXPECT_EQ(Bytes(m_root.filePath(QStringLiteral("real/images/red.png"))), "red");
    EXPECT_FALSE(QFileInfo::exists(m_root.filePath(QStringLiteral("links/images"))));
    EXPECT_TRUE(QFileInfo(m_root.filePath(QStringLiteral("links/published.tsy"))).isSymLink());
    EXPECT_EQ(PublishedFileNames(real_note).value(0).section(u',', 0, 0), QStringLiteral("images\\red.png"));
}

TEST_F(PublisherTest, FolderNamesOtherThanOneFolderBesideTheNoteAreRefused)
{
    for (const char* name : { "", ".", "..", "/", "\\", "a/b", "..\\up" })
        EXPECT_FALSE(Publisher::IsImageFolderName(QString::fromLatin1(name))) << name;
    for (const char* name : { "images", "..images", "画像", " . " })
        EXPECT_TRUE(Publisher::IsImageFolderName(QString::fromUtf8(name))) << name;
    // Whatever a caller let through, the parent folder is never emptied.
    const QString sibling = MakeFile(QStringLiteral("out/sibling.jpg"));
    PublishSettings settings = Settings();
    settings.image_folder_name = QStringLiteral("..");
    Publisher publisher({}, Folder(), settings);
    EXPECT_FALSE(publisher.PrepareImageFolder());
    EXPECT_EQ(Bytes(sibling), "out/sibling.jpg");
}

TEST_F(PublisherTest, DeletingTheFormerFolderReportsEveryFileThatStays)
{
    MakeFile(QStringLiteral("out/images/loose.jpg"));
    const QString image = MakeFile(QStringLiteral("red.png"), "red");
    const QString images = m_root.filePath(QStringLiteral("out/images"));
    const QString locked = images + "/locked";
    const TestSupport::ReadOnlyFolder read_only(locked, [](const QString& path) {
        for (const char* name : { "a.jpg", "b.jpg" }) {
            QFile file(path + u'/' + QString::fromLatin1(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    });
    if (!read_only.IsReady())
        GTEST_SKIP() << "cannot make a folder whose files cannot be deleted here";
    Publisher publisher({ ImageSection(image) }, Folder(), Settings());
    ASSERT_TRUE(publisher.PrepareImageFolder());
    EXPECT_FALSE(publisher.Publish());
    EXPECT_TRUE(publisher.Problems().empty());
    // The new images are in place; what stays of the former ones is named where it is.
    EXPECT_EQ(Bytes(images + "/red.png"), "red");
    const QString former = LeftoverFiles::StagingFolderFor(images);
    QStringList left = publisher.LeftInFolder();
    left.sort();
    EXPECT_EQ(left, QStringList({ former + "/locked/a.jpg", former + "/locked/b.jpg" }));
    EXPECT_FALSE(QFileInfo::exists(former + "/loose.jpg"));
    // The locked folder goes back where it was made, so that it can be unlocked.
    ASSERT_TRUE(QDir().rename(images, images + "_new"));
    ASSERT_TRUE(QDir().rename(former, images));
}

// A publish killed while it copies leaves the former note and images as they were; the
// next publish clears away what the killed one left and puts its own in place.
TEST_F(PublisherTest, APublishKilledMidwayLeavesTheFormerOneWhole)
{
    const QString old_image = MakeFile(QStringLiteral("old.png"), "old");
    {
        Publisher publisher({ ImageSection(old_image) }, Folder(), Settings());
        ASSERT_TRUE(publisher.PrepareImageFolder());
        ASSERT_TRUE(publisher.Publish());
    }
    const QString note = Settings().note_path;
    const QByteArray old_note = Bytes(note);
    const QString out = m_root.filePath(QStringLiteral("out"));
    QStringList sources;
    QStringList pages;
    for (int index = 0; index < 5; ++index) {
        sources << MakeFile(QStringLiteral("new%1.png").arg(index), QByteArray(200000, char('a' + index)));
        pages << ImageSection(sources.back());
    }
    for (const int killed_after : { 1, 5 }) {
        SCOPED_TRACE(killed_after);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Publisher publisher(pages, Folder(), Settings());
            if (publisher.PrepareImageFolder())
                publisher.Publish([&](int copied, int) {
                    if (copied == killed_after)
                        ::raise(SIGKILL);
                });
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(Bytes(note), old_note);
        EXPECT_EQ(TestSupport::EntriesIn(out + "/images"), QStringList { "old.png" });
        EXPECT_EQ(Bytes(out + "/images/old.png"), "old");
        EXPECT_EQ(TestSupport::EntriesIn(out),
            QStringList({ QStringLiteral(".images.publishing.%1").arg(child), "images", "published.tsy" }));
    }

    Publisher publisher(pages, Folder(), Settings());
    ASSERT_TRUE(publisher.PrepareImageFolder());
    ASSERT_TRUE(publisher.Publish());
    EXPECT_EQ(TestSupport::EntriesIn(out), QStringList({ "images", "published.tsy" }));
    EXPECT_EQ(TestSupport::EntriesIn(out + "/images"), QStringList({ "new0.png", "new1.png", "new2.png", "new3.png", "new4.png" }));
    EXPECT_EQ(Bytes(out + "/images/new4.png"), QByteArray(200000, 'e'));
    EXPECT_EQ(PublishedFileNames(note).size(), 5);
}

// When the note cannot be written, the former images stay with the former note.
TEST_F(PublisherTest, ANoteThatCannotBeWrittenKeepsTheFormerImages)
{
    const QString old_image = MakeFile(QStringLiteral("old.png"), "old");
    const QString new_image = MakeFile(QStringLiteral("new.png"), "new");
    const QString out = m_root.filePath(QStringLiteral("out"));
    for (const bool had_folder : { true, false }) {
        SCOPED_TRACE(had_folder);
        QDir(out).removeRecursively();
        if (had_folder) {
            Publisher publisher({ ImageSection(old_image) }, Folder(), Settings());
            ASSERT_TRUE(publisher.PrepareImageFolder());
            ASSERT_TRUE(publisher.Publish());
        }
        const QByteArray old_note = Bytes(Settings().note_path);
        const TestSupport::FileSizeLimit limit(8);
        Publisher publisher({ ImageSection(new_image) }, Folder(), Settings());
        ASSERT_TRUE(publisher.PrepareImageFolder());
        EXPECT_FALSE(publisher.Publish());
        ASSERT_EQ(publisher.Problems().size(), 1u);
        EXPECT_EQ(publisher.Problems()[0].target, Settings().note_path);
        EXPECT_EQ(Bytes(Settings().note_path), old_note);
        if (had_folder) {
            EXPECT_EQ(TestSupport::EntriesIn(out), QStringList({ "images", "published.tsy" }));
            EXPECT_EQ(TestSupport::EntriesIn(out + "/images"), QStringList { "old.png" });
        } else {
            EXPECT_TRUE(TestSupport::EntriesIn(out).isEmpty()) << TestSupport::EntriesIn(out).join(u' ').toStdString();
        }
    }
}

// An image folder that is a link stays one: the copies go into the folder it names.
TEST_F(PublisherTest, AnImageFolderThatIsALinkIsFilledWhereItLeads)
{
    const QString image = MakeFile(QStringLiteral("red.png"), "red");
    MakeFile(QStringLiteral("elsewhere/real/former.png"), "former");
    QDir().mkpath(m_root.filePath(QStringLiteral("out")));
    ASSERT_TRUE(QFile::link(m_root.filePath(QStringLiteral("elsewhere/real")), m_root.filePath(QStringLiteral("out/images"))));
    Publisher publisher({ ImageSection(image) }, Folder(), Settings());
    ASSERT_TRUE(publisher.ImageFolderExists());
    ASSERT_TRUE(publisher.PrepareImageFolder());
    ASSERT_TRUE(publisher.Publish());
    EXPECT_TRUE(QFileInfo(m_root.filePath(QStringLiteral("out/images"))).isSymLink());
    EXPECT_EQ(TestSupport::EntriesIn(m_root.filePath(QStringLiteral("elsewhere"))), QStringList { "real" });
    EXPECT_EQ(TestSupport::EntriesIn(m_root.filePath(QStringLiteral("elsewhere/real"))), QStringList { "red.png" });
    EXPECT_EQ(Bytes(m_root.filePath(QStringLiteral("out/images/red.png"))), "red");
}

}
