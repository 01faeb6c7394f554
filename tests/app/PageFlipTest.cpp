#include "MainWindowFixture.h"

#include "app/ImageImport.h"
#include "document/NoteFileText.h"
#include "items/DecodeQueue.h"
#include "items/PictureCache.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "platform/TextFile.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

// Turning pages of pictures in the window, as a user does: the page changes at once, its
// pictures arrive as they decode, a page seen before or prepared while the user looked at the
// one before shows its pictures at once.
namespace {

class PageFlipTest : public MainWindowTest {
protected:
    PageFlipTest() { PictureCache::Instance().Clear(); }
    ~PageFlipTest() override
    {
        DecodeQueue::Instance().Hold(false);
        WaitForDecodes();
        while (FolderListingCache::Instance().Running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    static QColor Colour(int page) { return QColor(30 + page * 35, 200 - page * 25, 120); }

    // A note of pages that each show one picture of their own colour. Large enough that a
    // decode takes a moment.
    QString WriteNote(int pages, const char* extension = "png")
    {
        QStringList texts;
        for (int page = 0; page < pages; ++page) {
            const QString file = MakeImage(QStringLiteral("page%1.%2").arg(page).arg(QLatin1String(extension)), QSize(1600, 1200), Colour(page));
            texts << QStringLiteral("[TSImage]\r\nFileName=%1,0.000000,0.000000,0.000000,0.000000\r\nRotate=0\r\n"
                                    "Pos=L100,T100,W400,H300\r\n\r\n")
                         .arg(file);
        }
        const QString path = m_folder.filePath(QStringLiteral("pages.tsy"));
        EXPECT_TRUE(WriteTextFileSafely(path, JoinNotePages(texts)));
        return path;
    }

    std::vector<const ImageItem*> Pictures()
    {
        std::vector<const ImageItem*> pictures;
        for (const auto& item : m_window->PageCanvas().Items())
            if (const auto* picture = dynamic_cast<const ImageItem*>(item.get()))
                pictures.push_back(picture);
        return pictures;
    }

    bool AnyAwaits()
    {
        const std::vector<const ImageItem*> pictures = Pictures();
        return std::any_of(pictures.begin(), pictures.end(), [](const ImageItem* item) { return item->GetPicture().AwaitsPixels(); });
    }

    // What the window shows now at a page point, without letting any picture arrive.
    QColor ShownNow(QPointF page_point)
    {
        PageCanvasWidget& view = m_window->PageWidget();
        const QPoint device = view.GetCanvas().ToDevice(page_point).toPoint();
        const QImage shot = m_window->grab().toImage();
        return shot.pixelColor(view.mapTo(m_window.get(), device) * shot.devicePixelRatio());
    }

    static bool Near(QColor a, QColor b)
    {
        return std::abs(a.red() - b.red()) <= 4 && std::abs(a.green() - b.green()) <= 4 && std::abs(a.blue() - b.blue()) <= 4;
    }

    void Key(int key)
    {
        QTest::keyClick(&m_window->PageWidget(), Qt::Key(key));
    }

    // Lets the window be idle for a moment, as a user looking at the page: its event loop
    // waits for events, which is when the window's idle pass runs.
    static void LookAtThePage()
    {
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        WaitForDecodes();
    }

    const QPointF m_inside { 300, 250 };
};

}

TEST_F(PageFlipTest, TurningToAPageShowsItAtOnceAndItsPicturesAsTheyArrive)
{
    ASSERT_TRUE(m_window->OpenNote(WriteNote(3)));
    EXPECT_TRUE(Near(PagePixel(m_inside), Colour(0)));

    DecodeQueue::Instance().Hold(true);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("ThisPage")), QStringLiteral("2"));
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_TRUE(AnyAwaits());
    // A quiet placeholder, not the page before.
    EXPECT_EQ(ShownNow(m_inside), QColor(226, 226, 226));
    DecodeQueue::Instance().Hold(false);
    EXPECT_TRUE(Near(PagePixel(m_inside), Colour(1)));
    EXPECT_FALSE(AnyAwaits());
}

TEST_F(PageFlipTest, APageSeenBeforeOrPreparedWhileTheUserLookedShowsItsPicturesAtOnce)
{
    ASSERT_TRUE(m_window->OpenNote(WriteNote(4, "jpg")));
    WaitForDecodes();
    // Only the page shown is decoded until the user has looked at it for a moment.
    const auto second = ImageDecoder::Open(m_folder.filePath(QStringLiteral("page1.jpg")));
    ASSERT_TRUE(second);
    EXPECT_TRUE(PictureCache::Instance().Largest(second->Key()).isNull());
    LookAtThePage();
    EXPECT_FALSE(PictureCache::Instance().Largest(second->Key()).isNull());

    for (const int key : { Qt::Key_PageDown, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_PageUp }) {
        Key(key);
        EXPECT_FALSE(AnyAwaits()) << "page " << TextOf(m_window->PageBarWidget(), QStringLiteral("ThisPage")).toStdString();
        const int page = TextOf(m_window->PageBarWidget(), QStringLiteral("ThisPage")).toInt() - 1;
        EXPECT_TRUE(Near(ShownNow(m_inside), Colour(page))) << page;
        LookAtThePage();
    }
}

TEST_F(PageFlipTest, TurningPagesQuicklyWhileTheyDecodeEndsOnTheRightPicture)
{
    ASSERT_TRUE(m_window->OpenNote(WriteNote(6, "jpg")));
    for (int turn = 0; turn < 5; ++turn) {
        Key(Qt::Key_PageDown);
        QCoreApplication::processEvents();
    }
    Key(Qt::Key_PageUp);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("ThisPage")), QStringLiteral("4"));
    EXPECT_TRUE(Near(PagePixel(m_inside), Colour(3)));
    EXPECT_FALSE(AnyAwaits());
}

TEST_F(PageFlipTest, StartingWithImagesOrOpeningANoteDoesNotWaitForThePictures)
{
    const QString photo = MakeImage(QStringLiteral("start.png"), QSize(1200, 900), Colour(5));
    DecodeQueue::Instance().Hold(true);
    m_window->Import().ProcessCommandLine({ photo });
    ASSERT_EQ(Pictures().size(), 1u);
    EXPECT_TRUE(AnyAwaits());
    DecodeQueue::Instance().Hold(false);
    EXPECT_TRUE(Near(PagePixel(Pictures().front()->GetBounds().center()), Colour(5)));

    const QString note = WriteNote(2);
    DecodeQueue::Instance().Hold(true);
    // The placed photograph made the note modified: it is left without saving.
    m_prompt->QueueAnswer(Answer::No);
    ASSERT_TRUE(m_window->OpenNote(note));
    EXPECT_TRUE(AnyAwaits());
    DecodeQueue::Instance().Hold(false);
    EXPECT_TRUE(Near(PagePixel(m_inside), Colour(0)));
}

TEST_F(PageFlipTest, SteppingThroughAFolderFindsTheNextFileDecoded)
{
    for (int index = 0; index < 4; ++index)
        MakeImage(QStringLiteral("step%1.jpg").arg(index), QSize(1600, 1200), Colour(index));
    ASSERT_TRUE(m_window->Import().PlaceImage(m_folder.filePath(QStringLiteral("step0.jpg")), {}, Placement::FitToPage, 0, -1));
    while (FolderListingCache::Instance().Running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    WaitForDecodes();
    ASSERT_EQ(Pictures().size(), 1u);
    const QPointF centre = Pictures().front()->GetBounds().center();
    ClickAt(m_window->PageWidget(), m_window->PageCanvas().ToDevice(centre).toPoint());

    // The first step decodes while it shows; the next one in the same direction was decoded
    // meanwhile. (The folder lists its files in the file system's order.)
    const auto shown_file = [this] { return QFileInfo(Pictures().front()->GetPicture().FileName()).baseName().mid(4).toInt(); };
    Key(Qt::Key_Right);
    WaitForDecodes();
    EXPECT_NE(shown_file(), 0);
    EXPECT_TRUE(Near(ShownNow(centre), Colour(shown_file())));
    // Nothing decodes any more: the next file shows from what was decoded ahead.
    DecodeQueue::Instance().Hold(true);
    Key(Qt::Key_Right);
    EXPECT_FALSE(AnyAwaits());
    EXPECT_TRUE(Near(ShownNow(centre), Colour(shown_file())));
}
