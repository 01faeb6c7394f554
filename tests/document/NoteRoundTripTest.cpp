#include "document/NoteDocument.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "document/KeptSection.h"
#include "noteitems/TextNoteItem.h"
#include "platform/ScriptedUserPrompt.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// A note of every kind of section a note holds, written as the program writes it: images,
// texts with every style the reader takes back, Mandelbrot pictures, a section of a kind this
// program does not make, and an image whose file is gone.
class NoteRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ItemFactories::RegisterAll();
        ASSERT_TRUE(m_dir.isValid());
        QImage red(40, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        ASSERT_TRUE(red.save(Path("red.png")));
        const QString folder = m_dir.path() + u'/';

        const QString image = "[TSImage]\r\nFileName=" + folder + "red.png,0.000000,0.000000,0.000000,0.000000\r\n"
            + "FolderPath=" + folder + "\r\nRotate=0\r\nPos=L10.000000,T20.000000,W40.000000,H30.000000\r\n\r\n";
        const QString text = QStringLiteral(
            "[Text]\r\nText=a\\\\b \\\"q\\\"\\r\\nline 2\r\nFont=50%,Sans\r\nColor=0xff102030\r\nAlign=R,C\r\n"
            "OutlineSize=2\r\nOutlineColor=-1\r\nPos=L100,T50,L300,T150\r\nPos=L100,T50,W200,H100\r\n"
            "Option=NoWrap,Bold\r\n\r\n");
        const QString plain_text = QStringLiteral(
            "[Text]\r\nText=x\r\nFont=12,Sans\r\nColor=0xff000000\r\nPos=L0.5,T0.25,L80.5,T40.25\r\n"
            "Pos=L0.500000,T0.250000,W80.000000,H40.000000\r\n\r\n");
        // A Mandelbrot section as the Mandelbrot item writes it.
        Canvas picture { CanvasKind::Page };
        ASSERT_TRUE(NoteDocument::LoadPageText(picture, QStringLiteral(
            "[Mandelbrot]\r\nShift=-0.5,0\r\nZoomRate=1\r\nColorRate=1,2,3,4\r\nMin=0\r\nMax=255\r\n"
            "Pos=L0,T0,W200,H200\r\n\r\n"), folder));
        const QString mandelbrot = NoteDocument::PageTextOf(picture);
        const QString unknown = QStringLiteral("[Sticker]\r\nShape=star\r\n; kept as written\r\nSize=3\r\n\r\n");
        const QString missing = "[TSImage]\r\nFileName=" + folder
            + "gone.png,1.000000,0.000000,0.000000,0.000000\r\nFolderPath=" + folder
            + "\r\nRotate=1\r\nPos=L5.000000,T5.000000,W10.000000,H10.000000\r\n\r\n";
        m_pages = QStringList {
            image + text + unknown,
            plain_text + mandelbrot,
            unknown + missing + image,
            mandelbrot + text,
        };
    }

    QString Path(const QString& name) const { return m_dir.path() + u'/' + name; }

    void Open(const QString& name)
    {
        m_prompt.QueueYesNo(true);
        ASSERT_TRUE(m_document.OpenNote(Path(name)));
    }

    // Shows every page in turn, as paging through the note does, and comes back to the first.
    void ShowEveryPage()
    {
        for (int page = 0; page <= m_document.PageCount(); ++page) {
            m_document.StoreCurrentPage();
            m_canvas.Clear();
            ASSERT_TRUE(m_document.ShowPage(page % m_document.PageCount()));
            m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
        }
    }

    QTemporaryDir m_dir;
    QStringList m_pages;
    Canvas m_canvas { CanvasKind::Page };
    NoteDocument m_document { m_canvas };
    ScriptedUserPrompt& m_prompt { ScriptedUserPrompt::Install() };
};

TEST_F(NoteRoundTripTest, ThreeOpenAndSaveCyclesKeepEveryByte)
{
    m_canvas.ResizeBackBuffer(400, 300);
    const QByteArray original = JoinNotePages(m_pages).toUtf8();
    {
        QFile file(Path("note.tsy"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(original);
    }
    // The first page is shown as the note opens; the others stay page texts.
    Open("note.tsy");
    EXPECT_EQ(m_document.Pages(), m_pages);
    ASSERT_TRUE(m_document.SaveNote(Path("first.tsy")));
    const QByteArray first = ReadBytes(Path("first.tsy"));
    // The kinds this program makes may write themselves anew once (a picture kind built
    // later); the pages never shown must come back exactly.
    const QStringList saved_pages = CutNotePages(QString::fromUtf8(first));
    ASSERT_EQ(saved_pages.size(), m_pages.size());
    for (int page = 1; page < m_pages.size(); ++page)
        EXPECT_EQ(saved_pages[page], m_pages[page]) << "page " << page;

    for (int cycle = 0; cycle < 3; ++cycle) {
        const QString name = QStringLiteral("cycle%1.tsy").arg(cycle);
        Open(cycle == 0 ? QStringLiteral("first.tsy") : QStringLiteral("cycle%1.tsy").arg(cycle - 1));
        if (cycle == 1)
            ShowEveryPage();
        ASSERT_TRUE(m_document.SaveNote(Path(name)));
        EXPECT_EQ(ReadBytes(Path(name)), first) << "cycle " << cycle;
    }
}

TEST_F(NoteRoundTripTest, ShownPagesWriteTheirSectionsAsRead)
{
    m_canvas.ResizeBackBuffer(400, 300);
    for (const QString& page : { m_pages[0], m_pages[2] }) {
        m_canvas.Clear();
        ASSERT_TRUE(NoteDocument::LoadPageText(m_canvas, page, m_document.PageFolder()));
        m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
        EXPECT_EQ(NoteDocument::PageTextOf(m_canvas), page);
    }
}

TEST_F(NoteRoundTripTest, KeptSectionsStayInTheirPlacesAndDrawNothing)
{
    m_canvas.ResizeBackBuffer(400, 300);
    ASSERT_TRUE(NoteDocument::LoadPageText(m_canvas, m_pages[2], m_document.PageFolder()));
    // The unknown section, the missing image's section, the image.
    ASSERT_EQ(m_canvas.ItemCount(), 3);
    EXPECT_NE(dynamic_cast<const KeptSection*>(m_canvas.ItemAt(0)), nullptr);
    EXPECT_NE(dynamic_cast<const KeptSection*>(m_canvas.ItemAt(1)), nullptr);
    m_canvas.RenderVisibleArea(OpaqueShortcut::Off);
    EXPECT_EQ(m_canvas.BackBuffer().pixelColor(20, 30), QColor(Qt::red));
    EXPECT_EQ(qAlpha(m_canvas.BackBuffer().pixel(100, 100)), 0);
}

}
