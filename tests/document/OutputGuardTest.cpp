#include "document/OutputGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QString ImagePage(const QString& file_name)
{
    return QStringLiteral("[TSImage]\r\nFileName=%1,0.000000,0.000000,0.000000,0.000000\r\nPos=L0,T0,W8,H8\r\n\r\n").arg(file_name);
}

}

TEST(OutputGuardTest, RefusesTheNoteAndItsImagesByWhateverNameTheyAreReached)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    QDir().mkpath(folder + "note/pics");
    QDir().mkpath(folder + "other");
    for (const char* name : { "note/note.tsy", "note/pics/red.png", "other/blue.png", "other/free.png" }) {
        QFile file(folder + QString::fromLatin1(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QFile::link(folder + "note", folder + "through"));
    ASSERT_EQ(::link(QFile::encodeName(folder + "other/blue.png").constData(), QFile::encodeName(folder + "other/hard.png").constData()), 0);
    const QString note = folder + "note/note.tsy";
    // A relative path with the separator of the Windows version, an absolute one, and one
    // whose file is missing.
    // Sections that name no image file guard nothing: an image without a file name, and a
    // section of another kind.
    const QStringList pages { ImagePage("pics\\red.png"), QString(), ImagePage(folder + "other/blue.png") + ImagePage("gone.png"),
        ImagePage(QString()) + QStringLiteral("[Text]\r\nFileName=%1\r\n\r\n").arg(folder + "other/free.png") };
    const QString page_folder = folder + "note/";

    struct Row {
        const char* output;
        OutputGuard::Clash clash;
    };
    const Row rows[] = {
        { "note/note.tsy", OutputGuard::Clash::Note },
        { "through/note.tsy", OutputGuard::Clash::Note },
        { "note/../note/note.tsy", OutputGuard::Clash::Note },
        { "note/pics/red.png", OutputGuard::Clash::Image },
        { "through/pics/red.png", OutputGuard::Clash::Image },
        { "other/hard.png", OutputGuard::Clash::Image },
        { "note/gone.png", OutputGuard::Clash::Image },
        { "other/free.png", OutputGuard::Clash::None },
        { "note/note.pdf", OutputGuard::Clash::None },
        { "note/pics/RED.png", OutputGuard::Clash::None },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.output);
        const QString output = folder + QString::fromLatin1(row.output);
        EXPECT_EQ(OutputGuard::Check(output, note, pages, page_folder).clash, row.clash);
    }
    // A note never saved has no file to guard.
    EXPECT_EQ(OutputGuard::Check(note, QString(), {}, page_folder).clash, OutputGuard::Clash::None);
}

TEST(OutputGuardTest, NoteReadFromItsFileGuardsItsImages)
{
    QTemporaryDir dir;
    const QString note = dir.filePath("note.tsy");
    QFile file(note);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write((ImagePage("red.png") + "-\r\n\r\n" + ImagePage("sub\\blue.png")).toUtf8());
    file.close();

    const auto verdict = OutputGuard::CheckNoteFile(dir.filePath("sub/blue.png"), note);
    EXPECT_EQ(verdict.clash, OutputGuard::Clash::Image);
    EXPECT_EQ(verdict.path, dir.filePath("sub/blue.png"));
    EXPECT_EQ(OutputGuard::CheckNoteFile(note, note).clash, OutputGuard::Clash::Note);
    EXPECT_EQ(OutputGuard::CheckNoteFile(dir.filePath("x.png"), note).clash, OutputGuard::Clash::None);
    // A note that cannot be read is still guarded itself.
    EXPECT_EQ(OutputGuard::CheckNoteFile(dir.filePath("missing.tsy"), dir.filePath("missing.tsy")).clash, OutputGuard::Clash::Note);
}
