#include "document/NoteDocument.h"
#include "document/PagePrefetch.h"
#include "items/DecodeQueue.h"
#include "items/DecodeWait.h"
#include "items/ImageDecoder.h"
#include "items/OffscreenCanvas.h"
#include "items/PictureCache.h"
#include "noteitems/ItemFactories.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

// The pages before and after the current one decode their pictures while the user looks at
// it, at the size the window will show them.
namespace {

QString PageOf(const QString& file)
{
    return QStringLiteral("[TSImage]\r\nFileName=%1,0.000000,0.000000,0.000000,0.000000\r\nRotate=0\r\n"
                          "Pos=L10,T10,W200,H100\r\n\r\n")
        .arg(file);
}

class PagePrefetchTest : public ::testing::Test {
protected:
    static constexpr int kPages = 6;

    PagePrefetchTest()
    {
        ItemFactories::RegisterAll();
        PictureCache::Instance().Clear();
        Canvas& canvas = m_page.GetCanvas();
        canvas.SetZoom(0.5f);
        canvas.SetLayoutSize(800, 600);
        for (int page = 0; page < kPages; ++page) {
            QImage image(400, 200, QImage::Format_RGB32);
            image.fill(QColor(page * 40, 90, 200));
            m_files << m_dir.filePath(QStringLiteral("page%1.png").arg(page));
            EXPECT_TRUE(image.save(m_files.back()));
            if (page > 0)
                m_document.InsertPage(page);
            m_document.SetPageText(page, PageOf(m_files.back()));
        }
    }
    ~PagePrefetchTest() override
    {
        DecodeQueue::Instance().Hold(false);
        WaitForDecodes();
        PictureCache::Instance().Clear();
    }

    // Whether the page's picture is decoded at the size the window shows it: 200 x 100 at
    // zoom 0.5 and the pixel ratio.
    bool Decoded(int page, qreal ratio = 1) const
    {
        const auto decoder = ImageDecoder::Open(m_files[page]);
        const QSize shown = (QSizeF(100, 50) * ratio).toSize();
        return decoder && !PictureCache::Instance().Find(decoder->Key(), shown, PictureCache::Fit::Exact).isNull();
    }

    std::vector<int> Prepared() const
    {
        std::vector<int> pages = m_prefetch.PreparedPages();
        std::sort(pages.begin(), pages.end());
        return pages;
    }

    QTemporaryDir m_dir;
    QStringList m_files;
    OffscreenCanvas m_page { QSize(400, 300), CanvasKind::Page };
    NoteDocument m_document { m_page.GetCanvas() };
    PagePrefetch m_prefetch { m_document, m_page.GetCanvas() };
};

}

TEST_F(PagePrefetchTest, TheNeighboursAreDecodedAtTheSizeTheyWillBeShown)
{
    m_document.SetCurrentPage(2);
    m_prefetch.Idle();
    EXPECT_EQ(Prepared(), (std::vector<int> { 1, 3 }));
    WaitForDecodes();
    EXPECT_TRUE(Decoded(1));
    EXPECT_TRUE(Decoded(3));
    EXPECT_FALSE(Decoded(2));
    EXPECT_FALSE(Decoded(4));

    // At the first and the last page there is one neighbour.
    m_document.SetCurrentPage(0);
    m_prefetch.Idle();
    EXPECT_EQ(Prepared(), (std::vector<int> { 1 }));
    m_document.SetCurrentPage(kPages - 1);
    m_prefetch.Idle();
    EXPECT_EQ(Prepared(), (std::vector<int> { kPages - 2 }));
}

TEST_F(PagePrefetchTest, AHighDensityWindowGetsPixelsForItsPixels)
{
    OffscreenCanvas sharp(QSize(400, 300), CanvasKind::Page, 2.0);
    sharp.GetCanvas().SetZoom(0.5f);
    sharp.GetCanvas().SetLayoutSize(800, 600);
    NoteDocument document(sharp.GetCanvas());
    document.SetPageText(0, m_document.PageText(0));
    document.InsertPage(1);
    document.SetPageText(1, m_document.PageText(1));
    PagePrefetch prefetch(document, sharp.GetCanvas());
    prefetch.Idle();
    WaitForDecodes();
    EXPECT_TRUE(Decoded(1, 2.0));
}

TEST_F(PagePrefetchTest, NothingIsPreparedWhileTheCurrentPageStillDecodes)
{
    DecodeQueue::Instance().Hold(true);
    const auto decoder = ImageDecoder::Open(m_files[2]);
    auto shown = std::make_shared<DecodeTicket>();
    decoder->Prefetch({ 100, 50 }, DecodePriority::Shown, shown);
    m_document.SetCurrentPage(2);
    m_prefetch.Idle();
    EXPECT_TRUE(Prepared().empty());
    shown.reset();
    m_prefetch.Idle();
    EXPECT_EQ(Prepared(), (std::vector<int> { 1, 3 }));
}

TEST_F(PagePrefetchTest, MovingOnLetsGoOfWhatThePagesLeftBehindStillWanted)
{
    DecodeQueue& queue = DecodeQueue::Instance();
    queue.Hold(true);
    m_document.SetCurrentPage(1);
    m_prefetch.Idle();
    EXPECT_EQ(queue.Pending(DecodePriority::Ahead), 2);
    m_document.SetCurrentPage(4);
    m_prefetch.Idle();
    EXPECT_EQ(Prepared(), (std::vector<int> { 3, 5 }));
    EXPECT_EQ(queue.Pending(DecodePriority::Ahead), 2);
    queue.Hold(false);
    WaitForDecodes();
    EXPECT_FALSE(Decoded(0));
    EXPECT_FALSE(Decoded(2));
    EXPECT_TRUE(Decoded(3));
    EXPECT_TRUE(Decoded(5));
}

TEST_F(PagePrefetchTest, APageChangedOrShownOtherwiseIsPreparedAgain)
{
    m_document.SetCurrentPage(2);
    m_prefetch.Idle();
    WaitForDecodes();
    m_document.SetPageText(3, PageOf(m_files[5]));
    m_page.GetCanvas().SetZoom(1.0f);
    m_prefetch.Idle();
    WaitForDecodes();
    const auto decoder = ImageDecoder::Open(m_files[5]);
    EXPECT_FALSE(PictureCache::Instance().Find(decoder->Key(), { 200, 100 }, PictureCache::Fit::Exact).isNull());
}

TEST_F(PagePrefetchTest, BrokenAndMissingFilesNeverHoldUpThePrefetch)
{
    const QString garbage = m_dir.filePath("garbage.jpg");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4000, 'x'));
    file.close();
    QFile whole(m_files[1]);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = m_dir.filePath("cut.png");
    QFile half(cut);
    ASSERT_TRUE(half.open(QIODevice::WriteOnly));
    half.write(bytes.left(bytes.size() / 2));
    half.close();
    m_document.SetPageText(1, PageOf(garbage) + PageOf(cut) + PageOf(m_dir.filePath("missing.png")) + PageOf(m_files[1])
            + QStringLiteral("[TSImage]\r\nFileName=\r\n\r\n[NotAnItem]\r\nPos=L1\r\n"));
    m_document.SetCurrentPage(2);
    m_prefetch.Idle();
    WaitForDecodes();
    EXPECT_TRUE(Decoded(1));
    EXPECT_TRUE(Decoded(3));
    EXPECT_TRUE(ImageDecoder::Open(cut)->Failed());
}
