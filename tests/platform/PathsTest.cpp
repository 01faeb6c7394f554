#include "platform/Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct SplitRow {
    QString path;
    QString folder;
    QString name;
    QString extension;
    QString lowered_extension;
};

TEST(PathsTest, SplitsPathsAtTheLastSeparatorAndDot)
{
    const SplitRow rows[] = {
        { QStringLiteral("/home/u/pic.JPG"), QStringLiteral("/home/u/"), QStringLiteral("pic"), QStringLiteral(".JPG"), QStringLiteral(".jpg") },
        { QStringLiteral("resource\\background.png"), QStringLiteral("resource/"), QStringLiteral("background"), QStringLiteral(".png"), QStringLiteral(".png") },
        { QStringLiteral("C:\\a.b\\c.tar.gz"), QStringLiteral("C:/a.b/"), QStringLiteral("c.tar"), QStringLiteral(".gz"), QStringLiteral(".gz") },
        { QStringLiteral("/a.b/noext"), QStringLiteral("/a.b/"), QStringLiteral("noext"), QString(), QString() },
        { QStringLiteral("/folder/"), QStringLiteral("/folder/"), QString(), QString(), QString() },
        { QStringLiteral("name.tsy"), QString(), QStringLiteral("name"), QStringLiteral(".tsy"), QStringLiteral(".tsy") },
        { QStringLiteral("/.hidden"), QStringLiteral("/"), QString(), QStringLiteral(".hidden"), QStringLiteral(".hidden") },
        { QString(), QString(), QString(), QString(), QString() },
    };
    for (const SplitRow& row : rows) {
        const PathParts parts = SplitPath(row.path);
        const std::string label = row.path.toStdString();
        EXPECT_EQ(parts.folder, row.folder) << label;
        EXPECT_EQ(parts.name, row.name) << label;
        EXPECT_EQ(parts.extension, row.extension) << label;
        EXPECT_EQ(FolderOf(row.path), row.folder) << label;
        EXPECT_EQ(NameOf(row.path), row.name + row.extension) << label;
        EXPECT_EQ(ExtensionOf(row.path), row.lowered_extension) << label;
    }
}

TEST(PathsTest, ParentFolderOfAFolderPathIsItsParent)
{
    EXPECT_EQ(ParentFolderOf(QStringLiteral("/a/b/")), QStringLiteral("/a/"));
    EXPECT_EQ(ParentFolderOf(QStringLiteral("/a/b")), QStringLiteral("/a/"));
    EXPECT_EQ(ParentFolderOf(QStringLiteral("/a/b/c.jpg")), QStringLiteral("/a/b/"));
    EXPECT_EQ(ParentFolderOf(QStringLiteral("a\\b\\")), QStringLiteral("a/"));
    EXPECT_EQ(ParentFolderOf(QString()), ProgramFolder());
    EXPECT_EQ(ProgramFolder(), QCoreApplication::applicationDirPath() + QStringLiteral("/"));
}

TEST(PathsTest, RelativePathsAreThoseNotStartingWithASeparator)
{
    EXPECT_FALSE(IsRelativePath(QStringLiteral("/abs")));
    EXPECT_FALSE(IsRelativePath(QStringLiteral("\\abs")));
    EXPECT_TRUE(IsRelativePath(QStringLiteral("resource\\a.png")));
    EXPECT_TRUE(IsRelativePath(QStringLiteral("C:\\a.png")));
    EXPECT_TRUE(IsRelativePath(QString()));
}

TEST(PathsTest, RecognisesImageExtensionsCaseInsensitively)
{
    for (const char* name : { "a.jpg", "a.JPG", "b.gif", "c.Png", "d.bmp", "e.TIF", "dir.x/f.jpg", "a.jpeg", "a.JPEG",
                              "a.jpe", "a.tiff", "a.webp", "IMG_1.HEIC", "a.heif", "a.avif", "a.jxl" })
        EXPECT_TRUE(IsImageFileName(QString::fromLatin1(name))) << name;
    for (const char* name : { "a.txt", "jpg", "a.jpg.txt", "a.", "", "a.tsy", "heic" })
        EXPECT_FALSE(IsImageFileName(QString::fromLatin1(name))) << name;
}

TEST(PathsTest, NamesComeInTheOrderAFileManagerShows)
{
    const std::vector<QString> names { "10.jpg", "IMG_0002.heic", "2.jpg", "b.png", "A.png", "img_0010.jpg", "1.jpg",
                                       "a.png", "photo 9.jpg", "photo 10.jpg" };
    QStringList ordered;
    for (const size_t index : FileManagerOrder(names))
        ordered << names[index];
    EXPECT_EQ(ordered, QStringList({ "1.jpg", "2.jpg", "10.jpg", "A.png", "a.png", "b.png", "IMG_0002.heic", "img_0010.jpg",
                                     "photo 9.jpg", "photo 10.jpg" }));
    EXPECT_TRUE(FileManagerOrder({}).empty());
}

class PathsFolderTest : public ::testing::Test {
protected:
    QString Root() const { return m_dir.path() + QStringLiteral("/"); }

    void MakeFile(const QString& relative, const QByteArray& content = "x")
    {
        QFile file(Root() + relative);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
        file.write(content);
    }

    void MakeFolder(const QString& relative) { ASSERT_TRUE(QDir().mkpath(Root() + relative)); }

    QTemporaryDir m_dir;
};

TEST_F(PathsFolderTest, CreateFolderPathCreatesEveryMissingLevel)
{
    const QString deep = Root() + QStringLiteral("a/b/c");
    EXPECT_TRUE(CreateFolderPath(deep));
    EXPECT_TRUE(QFileInfo(deep).isDir());
    EXPECT_TRUE(CreateFolderPath(deep + QStringLiteral("/")));
    EXPECT_TRUE(CreateFolderPath(Root() + QStringLiteral("x\\y\\")));
    EXPECT_TRUE(QFileInfo(Root() + QStringLiteral("x/y")).isDir());
}

TEST_F(PathsFolderTest, CreateFolderPathFailsOnFilesAndSeparatorlessPaths)
{
    MakeFile(QStringLiteral("file"));
    EXPECT_FALSE(CreateFolderPath(Root() + QStringLiteral("file")));
    EXPECT_FALSE(CreateFolderPath(Root() + QStringLiteral("file/sub")));
    EXPECT_FALSE(CreateFolderPath(QStringLiteral("no-separator-tessary-folder")));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("no-separator-tessary-folder")));
    EXPECT_FALSE(CreateFolderPath(QString()));
}

TEST_F(PathsFolderTest, DeleteFolderContentsKeepsTheFolder)
{
    MakeFile(QStringLiteral("a.jpg"));
    MakeFile(QStringLiteral(".hidden"));
    MakeFolder(QStringLiteral("sub/deeper"));
    MakeFile(QStringLiteral("sub/deeper/b.png"));

    for (Recursive recursive : { Recursive::No, Recursive::Yes }) {
        SCOPED_TRACE(recursive == Recursive::Yes ? "recursive" : "flat");
        MakeFolder(QStringLiteral("target/sub/deeper"));
        MakeFile(QStringLiteral("target/a.jpg"));
        MakeFile(QStringLiteral("target/sub/deeper/b.png"));
        ASSERT_TRUE(DeleteFolderContents(Root() + QStringLiteral("target"), Trash::No, recursive));
        EXPECT_TRUE(QFileInfo(Root() + QStringLiteral("target")).isDir());
        EXPECT_TRUE(QDir(Root() + QStringLiteral("target")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
    EXPECT_FALSE(DeleteFolderContents(Root() + QStringLiteral("absent"), Trash::No, Recursive::Yes));
    EXPECT_FALSE(DeleteFolderContents(Root() + QStringLiteral("a.jpg"), Trash::No, Recursive::Yes));
}

TEST_F(PathsFolderTest, DeleteFolderContentsRemovesLinksWithoutFollowingThem)
{
    MakeFolder(QStringLiteral("outside"));
    MakeFile(QStringLiteral("outside/keep.jpg"));
    MakeFolder(QStringLiteral("target"));
    ASSERT_TRUE(QFile::link(Root() + QStringLiteral("outside"), Root() + QStringLiteral("target/link")));
    ASSERT_TRUE(DeleteFolderContents(Root() + QStringLiteral("target"), Trash::No, Recursive::Yes));
    EXPECT_FALSE(QFileInfo(Root() + QStringLiteral("target/link")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(Root() + QStringLiteral("outside/keep.jpg")));
}

TEST_F(PathsFolderTest, DeleteFolderContentsToTheTrashMovesEntriesThere)
{
    const QByteArray saved_data_home = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (Root() + QStringLiteral("data")).toLocal8Bit());
    MakeFolder(QStringLiteral("data"));
    MakeFolder(QStringLiteral("target/sub"));
    MakeFile(QStringLiteral("target/a.jpg"), "picture");
    MakeFile(QStringLiteral("target/sub/b.jpg"));

    EXPECT_TRUE(DeleteFolderContents(Root() + QStringLiteral("target"), Trash::Yes, Recursive::No));
    qputenv("XDG_DATA_HOME", saved_data_home);
    if (saved_data_home.isEmpty())
        qunsetenv("XDG_DATA_HOME");

    EXPECT_TRUE(QDir(Root() + QStringLiteral("target")).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    QFile trashed(Root() + QStringLiteral("data/Trash/files/a.jpg"));
    ASSERT_TRUE(trashed.open(QIODevice::ReadOnly));
    EXPECT_EQ(trashed.readAll(), QByteArray("picture"));
    EXPECT_TRUE(QFileInfo::exists(Root() + QStringLiteral("data/Trash/files/sub/b.jpg")));
}

TEST_F(PathsFolderTest, ListsEntriesDepthFirstInRealCase)
{
    MakeFile(QStringLiteral("B.JPG"));
    MakeFile(QStringLiteral("a.png"));
    MakeFolder(QStringLiteral("Sub/Inner"));
    MakeFile(QStringLiteral("Sub/d.gif"));
    MakeFile(QStringLiteral("Sub/Inner/e.bmp"));

    const QStringList flat = ListFolderEntries(Root(), Recursive::No);
    QStringList sorted_flat = flat;
    sorted_flat.sort();
    EXPECT_EQ(sorted_flat, (QStringList { Root() + "B.JPG", Root() + "Sub", Root() + "a.png" }));

    const QStringList deep = ListFolderEntries(m_dir.path(), Recursive::Yes);
    ASSERT_EQ(deep.size(), 6);
    // Each folder's entries follow the folder at once.
    const qsizetype sub = deep.indexOf(Root() + "Sub");
    ASSERT_GE(sub, 0);
    QStringList under_sub = deep.mid(sub + 1, 3);
    const qsizetype inner = under_sub.indexOf(Root() + "Sub/Inner");
    ASSERT_GE(inner, 0);
    EXPECT_TRUE(under_sub.contains(Root() + "Sub/d.gif"));
    EXPECT_EQ(deep.indexOf(Root() + "Sub/Inner/e.bmp"), sub + 1 + inner + 1);

    QStringList files = ListFolderEntries(Root(), Recursive::Yes, EntryKinds::Files);
    files.sort();
    EXPECT_EQ(files, (QStringList { Root() + "B.JPG", Root() + "Sub/Inner/e.bmp", Root() + "Sub/d.gif", Root() + "a.png" }));
    EXPECT_EQ(ListFolderEntries(Root(), Recursive::Yes, EntryKinds::Folders), (QStringList { Root() + "Sub", Root() + "Sub/Inner" }));

    EXPECT_TRUE(ListFolderEntries(Root() + "absent", Recursive::Yes).isEmpty());
    EXPECT_TRUE(ListFolderEntries(Root() + "B.JPG", Recursive::Yes).isEmpty());
}

TEST_F(PathsFolderTest, ListingDoesNotFollowLinkedFolders)
{
    MakeFolder(QStringLiteral("loop"));
    ASSERT_TRUE(QFile::link(Root(), Root() + QStringLiteral("loop/back")));
    const QStringList entries = ListFolderEntries(Root(), Recursive::Yes);
    EXPECT_EQ(entries.size(), 2);
}

TEST_F(PathsFolderTest, LongPathAndCurrentFolder)
{
    MakeFolder(QStringLiteral("real"));
    MakeFile(QStringLiteral("real/p.jpg"));
    const QString canonical_root = QFileInfo(m_dir.path()).canonicalFilePath() + QStringLiteral("/");
    EXPECT_EQ(LongPath(Root() + QStringLiteral("real/../real/p.jpg")), canonical_root + QStringLiteral("real/p.jpg"));
    EXPECT_EQ(LongPath(Root() + QStringLiteral("real/")), canonical_root + QStringLiteral("real/"));
    EXPECT_EQ(LongPath(QStringLiteral("/absent\\x.jpg")), QStringLiteral("/absent\\x.jpg"));

    const QString before = CurrentFolder();
    ASSERT_TRUE(SetCurrentFolder(Root() + QStringLiteral("real")));
    EXPECT_EQ(CurrentFolder(), canonical_root + QStringLiteral("real/"));
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("p.jpg")));
    EXPECT_FALSE(SetCurrentFolder(Root() + QStringLiteral("absent")));
    ASSERT_TRUE(SetCurrentFolder(before));
}

TEST(PastedImagePathTest, TakesTheFirstFreeNumberOfTheDay)
{
    QStandardPaths::setTestModeEnabled(true);
    const QDate day(2011, 3, 5);
    // A folder that lasts: notes refer to the files in it.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/clipboard/");
    const QString first = folder + QStringLiteral("20110305_1.png");
    const QString second = folder + QStringLiteral("20110305_2.png");
    const QString third = folder + QStringLiteral("20110305_3.png");
    for (const QString& path : { first, second, third })
        QFile::remove(path);

    EXPECT_EQ(PastedImagePath(day), first);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(PastedImagePath(day), second);
    // A gap is filled again.
    QFile later(third);
    ASSERT_TRUE(later.open(QIODevice::WriteOnly));
    later.close();
    EXPECT_EQ(PastedImagePath(day), second);

    for (const QString& path : { first, second, third })
        QFile::remove(path);
}

}

TEST_F(PathsFolderTest, ABackslashIsASeparatorOnlyWhenTheNameAsWrittenIsNotThere)
{
    // A Linux file whose name holds a backslash, beside a folder of the Windows form's name.
    MakeFile(QStringLiteral("a\\b.png"));
    MakeFolder(QStringLiteral("photos"));
    MakeFile(QStringLiteral("photos/c.png"));
    MakeFolder(QStringLiteral("x\\y"));
    const struct {
        QString written;
        QString expected;
    } rows[] = {
        { QStringLiteral("a\\b.png"), Root() + QStringLiteral("a\\b.png") },
        { QStringLiteral("photos\\c.png"), Root() + QStringLiteral("photos/c.png") },
        { QStringLiteral("photos\\missing.png"), Root() + QStringLiteral("photos/missing.png") },
        { QStringLiteral("x\\y"), Root() + QStringLiteral("x\\y") },
        { QStringLiteral("photos/c.png"), Root() + QStringLiteral("photos/c.png") },
        { Root() + QStringLiteral("a\\b.png"), Root() + QStringLiteral("a\\b.png") },
        { QStringLiteral("\\absent\\c.png"), QStringLiteral("/absent/c.png") },
        { QStringLiteral("/abs/d.png"), QStringLiteral("/abs/d.png") },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ResolveWrittenPath(row.written, m_dir.path()), row.expected) << row.written.toStdString();
        EXPECT_EQ(ResolveWrittenPath(row.written, Root()), row.expected) << row.written.toStdString();
    }
}
