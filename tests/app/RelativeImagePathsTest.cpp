#include "MainWindowFixture.h"

#include "document/NoteFileText.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/FolderListingCache.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <chrono>
#include <thread>

// Notes that name their pictures relative to their own folder ("pics\red.png"), as notes
// written by hand, by the Windows version or by publishing do. Whatever folder the program
// was started in, and whichever note was open before, the pictures come from beside the note
// shown: on its pages, in the page picture and in a published copy.
namespace {

const QColor kRed(220, 30, 30);
const QColor kBlue(30, 30, 220);
const QColor kGreen(30, 200, 30);
// The decoy beside the working folder: what a picture shows when it was looked up there.
const QColor kYellow(230, 220, 20);
// Where every page's picture lies on the page.
const QPointF kInPicture(200, 175);

class RelativeImagePathsTest : public MainWindowTest {
protected:
    RelativeImagePathsTest()
    {
        auto dialogs = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = dialogs.get();
        SetDialogs(std::move(dialogs));
        m_saved_working = CurrentFolder();
        // One note of two pages, and a second note in another folder whose first page names
        // a picture of the same relative name.
        Picture(QStringLiteral("one/pics/red.png"), kRed);
        Picture(QStringLiteral("one/blue.png"), kBlue);
        Note(QStringLiteral("one/note.tsy"), { QStringLiteral("pics\\red.png"), QStringLiteral("blue.png") });
        Picture(QStringLiteral("two/pics/red.png"), kGreen);
        Note(QStringLiteral("two/note.tsy"), { QStringLiteral("pics\\red.png") });
        EXPECT_TRUE(QFile::link(Path(QStringLiteral("one/note.tsy")), Path(QStringLiteral("linked.tsy"))));
        // The program runs in a folder that holds pictures of the same names.
        Picture(QStringLiteral("elsewhere/pics/red.png"), kYellow);
        Picture(QStringLiteral("elsewhere/blue.png"), kYellow);
        EXPECT_TRUE(SetCurrentFolder(Path(QStringLiteral("elsewhere"))));
    }
    ~RelativeImagePathsTest() override
    {
        SetCurrentFolder(m_saved_working);
        while (FolderListingCache::Instance().Running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    QString Path(const QString& relative) const { return m_folder.filePath(relative); }
    void Picture(const QString& relative, QColor colour)
    {
        QDir().mkpath(FolderOf(Path(relative)));
        QImage image(80, 60, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(Path(relative)));
    }
    void Note(const QString& relative, const QStringList& pictures)
    {
        QStringList pages;
        for (const QString& picture : pictures)
            pages << QStringLiteral("[TSImage]\r\nFileName=%1,0,0,0,0\r\nPos=L100,T100,W200,H150\r\n\r\n").arg(picture);
        ASSERT_TRUE(WriteTextFileSafely(Path(relative), JoinNotePages(pages)));
    }
    // Ctrl+O, the note chosen in the dialog, and Yes to dropping the note shown.
    void Open(const QString& note)
    {
        m_prompt->QueueOpenFile(note);
        if (m_opened)
            m_prompt->QueueYesNo(true);
        Press(Qt::Key_O, Qt::ControlModifier);
        m_opened = true;
    }
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&m_window->PageWidget(), Qt::Key(key), modifiers);
    }
    static bool Near(QColor a, QColor b)
    {
        return std::abs(a.red() - b.red()) <= 6 && std::abs(a.green() - b.green()) <= 6 && std::abs(a.blue() - b.blue()) <= 6;
    }

    ScriptedLayoutDialogs* m_dialogs { nullptr };
    QString m_saved_working;
    bool m_opened { false };
};

}

TEST_F(RelativeImagePathsTest, PicturesComeFromTheFolderOfTheNoteShown)
{
    // What the user does, and the colour the page then shows inside its picture.
    struct Step {
        const char* action;
        QString opened; // the note chosen in the open dialog, or none for the key alone
        int key;
        QColor shown;
    };
    const std::vector<Step> steps {
        { "open the first note", Path(QStringLiteral("one/note.tsy")), 0, kRed },
        { "turn to its second page", {}, Qt::Key_PageDown, kBlue },
        { "back to the first page", {}, Qt::Key_PageUp, kRed },
        { "open the note of the other folder", Path(QStringLiteral("two/note.tsy")), 0, kGreen },
        { "open the first note through a link", Path(QStringLiteral("linked.tsy")), 0, kRed },
        { "turn to its second page", {}, Qt::Key_PageDown, kBlue },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.action);
        if (!step.opened.isEmpty())
            Open(step.opened);
        else
            Press(step.key);
        EXPECT_TRUE(Near(PagePixel(kInPicture), step.shown)) << PagePixel(kInPicture).name().toStdString();
    }
    EXPECT_EQ(CurrentFolder(), QDir::cleanPath(Path(QStringLiteral("elsewhere"))) + u'/');
}

TEST_F(RelativeImagePathsTest, PagePictureAndPublishedCopyTakeThePicturesBesideTheNote)
{
    // The other note first, so that its folder is the one a leftover would point to.
    Open(Path(QStringLiteral("two/note.tsy")));
    Open(Path(QStringLiteral("one/note.tsy")));
    Press(Qt::Key_PageDown);

    const QString picture = Path(QStringLiteral("page.png"));
    m_prompt->QueueSaveFile(picture);
    Press(Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    // The dialog proposed the picture beside the note shown, not in the working folder.
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().file.initial_path, Path(QStringLiteral("one/NewFile")));
    const QImage saved(picture);
    ASSERT_FALSE(saved.isNull());
    EXPECT_TRUE(Near(saved.pixelColor(kInPicture.toPoint()), kBlue)) << saved.pixelColor(kInPicture.toPoint()).name().toStdString();

    m_dialogs->Queue([this](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("NoteFilePath"), QStringLiteral("Text"), Path(QStringLiteral("out/published.tsy")));
        dialog.Press(QStringLiteral("OK"));
    });
    Press(Qt::Key_P, Qt::ControlModifier);
    const QImage first(Path(QStringLiteral("out/images/red.png")));
    const QImage second(Path(QStringLiteral("out/images/blue.png")));
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(first.pixelColor(0, 0), kRed);
    EXPECT_EQ(second.pixelColor(0, 0), kBlue);
}
