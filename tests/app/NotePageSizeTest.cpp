#include "MainWindowFixture.h"

#include "noteitems/ImageItem.h"

#include <QFile>

namespace {

// A note made at 1920 x 1080 holding one square picture fitted to its page, as the window
// saves it, and the same picture as an older version wrote it, without the page size.
class NotePageSizeTest : public MainWindowTest {
protected:
    NotePageSizeTest()
    {
        MakeImage(QStringLiteral("square.png"), QSize(100, 100), Qt::red);
    }
    // The page sizes typed here are kept for the next window; the tests after these start as
    // the program does on a fresh machine.
    ~NotePageSizeTest() override { TestSupport::ForgetKeptSettings(); }

    QString WriteNote(const QString& name, const QByteArray& head, const QByteArray& position)
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(head + "[TSImage]\r\nFileName=square.png,0,0,0,0\r\nRotate=0\r\nPos=" + position + "\r\n\r\n");
        return path;
    }
    QString FittedNote()
    {
        return WriteNote(QStringLiteral("wide.tsy"), "[NotePage]\r\nWidth=1920\r\nHeight=1080\r\nDpi=120\r\n\r\n",
            "L420,T0,W1080,H1080\r\nOption=Fit");
    }
    QString Box(const char* name) { return TextOf(m_window->PageBarWidget(), QString::fromLatin1(name)); }
    QRectF PictureBounds()
    {
        const Canvas& page = m_window->PageCanvas();
        EXPECT_EQ(NoteItemsShown(), 1);
        return page.ItemAt(page.ItemCount() - 1)->GetBounds();
    }
    bool Starred() { return m_window->windowTitle().startsWith(u'*'); }
    QString Saved(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll());
    }
};

}

TEST_F(NotePageSizeTest, ANoteOpensAtItsOwnPageSizeUnmodified)
{
    // A note without a page size opens at the size shown before, as it always did.
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerWidth"), QStringLiteral("1000"));
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerHeight"), QStringLiteral("700"));
    ASSERT_TRUE(m_window->OpenNote(WriteNote(QStringLiteral("old.tsy"), "", "L100,T0,W600,H100%")));
    EXPECT_EQ(Box("ViewerWidth"), "1000");
    EXPECT_EQ(Box("ViewerHeight"), "700");
    EXPECT_EQ(PictureBounds(), QRectF(100, 0, 600, 700));
    EXPECT_FALSE(m_window->GetPages().IsModified());

    m_prompt->QueueYesNo(true);
    ASSERT_TRUE(m_window->OpenNote(FittedNote()));
    EXPECT_EQ(Box("ViewerWidth"), "1920");
    EXPECT_EQ(Box("ViewerHeight"), "1080");
    EXPECT_EQ(Box("Dpi"), "120");
    EXPECT_EQ(PictureBounds(), QRectF(420, 0, 1080, 1080));
    EXPECT_FALSE(Starred()) << m_window->windowTitle().toStdString();
    EXPECT_FALSE(m_window->GetPages().IsModified());
    EXPECT_FALSE(m_window->GetPages().History().CanUndo());
}

// Typing another page size keeps the fitted picture square and whole inside the page, at
// a quarter zoom (the whole page in view, also at twice the pixel ratio) and fractional page
// points; the change is one undo step, saved with the note.
TEST_F(NotePageSizeTest, AnotherPageSizeKeepsTheFittedPictureInsideAndProportional)
{
    ASSERT_TRUE(m_window->OpenNote(FittedNote()));
    TypeInto(m_window->PageBarWidget(), QStringLiteral("Zoom"), QStringLiteral("25%"));
    const int steps = m_window->GetPages().History().Count();
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerWidth"), QStringLiteral("1080"));
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerHeight"), QStringLiteral("1350"));
    EXPECT_EQ(m_window->GetPages().History().Count(), steps + 2);
    EXPECT_EQ(PictureBounds(), QRectF(0, 135, 1080, 1080));
    EXPECT_TRUE(Starred());
    const struct {
        QPointF point;
        bool red;
    } probes[] = {
        { { 540.5, 160.5 }, true }, { { 540.5, 110.5 }, false }, { { 540.5, 1190.5 }, true },
        { { 540.5, 1240.5 }, false }, { { 20.5, 675.5 }, true }, { { 1060.5, 675.5 }, true },
    };
    for (const auto& probe : probes) {
        const QColor shown = PagePixel(probe.point);
        EXPECT_EQ(shown.red() > 200 && shown.green() < 60, probe.red)
            << probe.point.x() << "," << probe.point.y() << " " << shown.name().toStdString();
    }

    // One undo takes back one side with its fit; a second brings the note back as it opened.
    // The note opened locked, and undo waits for the lock to come off.
    ASSERT_TRUE(m_window->Actions().Trigger(ActionId::Lock));
    m_window->Actions().Trigger(ActionId::Undo);
    EXPECT_EQ(Box("ViewerHeight"), "1080");
    EXPECT_EQ(PictureBounds(), QRectF(0, 0, 1080, 1080));
    m_window->Actions().Trigger(ActionId::Undo);
    EXPECT_EQ(Box("ViewerWidth"), "1920");
    EXPECT_EQ(PictureBounds(), QRectF(420, 0, 1080, 1080));
    EXPECT_FALSE(Starred());
    m_window->Actions().Trigger(ActionId::Redo);
    EXPECT_EQ(Box("ViewerWidth"), "1080");
    EXPECT_EQ(PictureBounds(), QRectF(0, 0, 1080, 1080));

    const QString copy = m_folder.filePath(QStringLiteral("copy.tsy"));
    ASSERT_TRUE(m_window->SaveNote(copy));
    EXPECT_TRUE(Saved(copy).startsWith("[NotePage]\r\nWidth=1080\r\nHeight=1080\r\nDpi=120\r\n\r\n[TSImage]"));
    EXPECT_TRUE(Saved(copy).contains("Pos=L0.000000,T0.000000,W1080.000000,H1080.000000\r\nOption=Fit\r\n"));
    EXPECT_FALSE(Starred());
}

// Another page size alone, with nothing on the page to fit again, is a change of the note too.
TEST_F(NotePageSizeTest, APageSizeAloneIsAChangeThatUndoTakesBack)
{
    ASSERT_TRUE(m_window->OpenNote(WriteNote(QStringLiteral("old.tsy"), "", "L100,T0,W600,H100%")));
    const QString width = Box("ViewerWidth");
    const QString page = m_window->GetPages().List().first();
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerWidth"), QStringLiteral("1200"));
    EXPECT_EQ(m_window->GetPages().List().first(), page);
    EXPECT_TRUE(Starred());
    ASSERT_TRUE(m_window->Actions().Trigger(ActionId::Lock));
    m_window->Actions().Trigger(ActionId::Undo);
    EXPECT_EQ(Box("ViewerWidth"), width);
    EXPECT_FALSE(Starred());
    m_window->Actions().Trigger(ActionId::Redo);
    EXPECT_EQ(Box("ViewerWidth"), "1200");
    ASSERT_TRUE(m_window->SaveNote(QString()));
    EXPECT_FALSE(Starred());
    EXPECT_TRUE(Saved(m_folder.filePath(QStringLiteral("old.tsy"))).startsWith("[NotePage]\r\nWidth=1200\r\n"));
}
