#include "document/NoteDocument.h"
#include "items/Canvas.h"
#include "items/OffscreenCanvas.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ItemFactories.h"
#include "document/KeptSection.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// An image section whose file cannot be read stands on its page as a crossed frame with the
// file's name, where the section places the image, and is written back exactly as it was read.
namespace {

constexpr QRgb kBack = 0xff2080c0;
constexpr QRgb kField = 0xffe8e8e8;
constexpr QRgb kLines = 0xff707070;

QString ImageSection(const QString& file, const QString& pos)
{
    return QStringLiteral("[TSImage]\r\nFileName=%1,0.000000,0.000000,0.000000,0.000000\r\nFolderPath=\r\nRotate=0\r\n"
                          "ExifOrientation=true\r\nPos=%2\r\n\r\n").arg(file, pos);
}

class UnreadImageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ItemFactories::RegisterAll();
        ASSERT_TRUE(m_dir.isValid());
        QImage picture(200, 100, QImage::Format_RGB32);
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 200; ++x)
                picture.setPixel(x, y, qRgb(x, y * 2, (x * y) % 256));
        m_good = m_dir.filePath("good.png");
        ASSERT_TRUE(picture.save(m_good));
        QFile whole(m_good);
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        m_cut = m_dir.filePath("cut.png");
        QFile cut(m_cut);
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() / 2));
    }

    static std::vector<const KeptSection*> Unread(const Canvas& canvas)
    {
        std::vector<const KeptSection*> kept;
        for (const auto& item : canvas.Items())
            if (const auto* section = dynamic_cast<const KeptSection*>(item.get()); section && !section->UnreadImagePath().isEmpty())
                kept.push_back(section);
        return kept;
    }

    QTemporaryDir m_dir;
    QString m_good;
    QString m_cut;
};

}

TEST_F(UnreadImageTest, MissingAndBrokenImagesAreKeptVerbatimWhereTheyStood)
{
    const QString page = ImageSection(m_dir.filePath("gone.jpg"), "L10,T10,W100,H80") + ImageSection(m_good, "L0,T0,W50,H25")
        + ImageSection(m_cut, "L200.5,T10.25,W120,H90");
    Canvas canvas(CanvasKind::Page);
    ASSERT_TRUE(NoteDocument::LoadPageText(canvas, page, m_dir.path()));
    ASSERT_EQ(canvas.ItemCount(), 3);
    // The readable image in the middle is an image; the order of the page stays.
    EXPECT_NE(dynamic_cast<const ImageItem*>(canvas.ItemAt(1)), nullptr);
    const auto unread = Unread(canvas);
    ASSERT_EQ(unread.size(), 2u);
    EXPECT_EQ(unread[0]->UnreadImagePath(), m_dir.filePath("gone.jpg"));
    EXPECT_EQ(unread[1]->UnreadImagePath(), m_cut);
    EXPECT_EQ(unread[1]->GetBounds(), QRectF(200.5, 10.25, 120, 90));
    // Written back as read: a later save of the page loses nothing.
    const QString saved = NoteDocument::PageTextOf(canvas);
    EXPECT_EQ(saved.section(u'[', 1, 1), page.section(u'[', 1, 1));
    EXPECT_EQ(saved.section(u'[', 3, 3), page.section(u'[', 3, 3));
}

TEST_F(UnreadImageTest, SectionWithoutASizeGetsAFrameOfItsOwn)
{
    Canvas canvas(CanvasKind::Page);
    ASSERT_TRUE(NoteDocument::LoadPageText(canvas, "[TSImage]\r\nFileName=nowhere/x.png\r\nPos=L5,T6\r\n\r\n[Other]\r\nA=1\r\n\r\n", m_dir.path()));
    const auto unread = Unread(canvas);
    ASSERT_EQ(unread.size(), 1u);
    EXPECT_EQ(unread[0]->GetBounds(), QRectF(5, 6, KeptSection::kPlaceholderWidth, KeptSection::kPlaceholderHeight));
    // Other kept sections draw nothing and name no image.
    ASSERT_EQ(canvas.ItemCount(), 2);
    EXPECT_EQ(dynamic_cast<const KeptSection*>(canvas.ItemAt(1))->UnreadImagePath(), QString());
}

TEST_F(UnreadImageTest, PlaceholderIsDrawnAtEveryZoomRatioAndFractionalPlace)
{
    // The frame at page (40.5, 30.25) of 160 x 120: edge, diagonals and field, as the screen shows it.
    for (const qreal ratio : { 1.0, 2.0 }) {
        for (const float zoom : { 1.0f, 0.5f }) {
            SCOPED_TRACE(testing::Message() << "ratio " << ratio << ", zoom " << zoom);
            OffscreenCanvas offscreen(QSize(400, 300), CanvasKind::Page, ratio);
            Canvas& canvas = offscreen.GetCanvas();
            canvas.SetZoom(zoom);
            // As the page on screen draws.
            canvas.SetPictureDecoding(PictureDecoding::Background);
            ASSERT_TRUE(NoteDocument::LoadPageText(canvas,
                QStringLiteral("[BackBrush]\r\nPos=L0,T0,R0,B0\r\nColor=0x%1\r\n\r\n").arg(kBack, 0, 16)
                    + ImageSection(m_cut, "L40.5,T30.25,W160,H120"), m_dir.path()));
            const QImage image = offscreen.Render();
            const qreal scale = zoom * ratio;
            const auto at = [&](qreal x, qreal y) { return image.pixel(QPoint(int(x * scale), int(y * scale))); };
            // Outside: the page; just inside the left and bottom edges: the frame's line.
            EXPECT_EQ(at(38, 90), kBack);
            EXPECT_EQ(at(202, 90), kBack);
            EXPECT_EQ(image.pixel(QPoint(int(std::ceil(40.5 * scale)), int(90 * scale))), kLines);
            EXPECT_EQ(image.pixel(QPoint(int(120 * scale), int(std::floor(150.25 * scale)) - 1)), kLines);
            // Above the middle, between the diagonals: the field.
            EXPECT_EQ(at(120.5, 45), kField);
            // Where the diagonals cross the quarter lines.
            bool on_diagonal = false;
            const QPoint quarter((40.5 + 40) * scale, (30.25 + 30) * scale);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    on_diagonal |= image.pixel(quarter + QPoint(dx, dy)) == kLines;
            EXPECT_TRUE(on_diagonal);
            // The name is written in the middle, dark on the field.
            int dark = 0;
            const QRect middle(QPoint(int(80 * scale), int(80 * scale)), QPoint(int(160 * scale), int(100 * scale)));
            for (int y = middle.top(); y <= middle.bottom(); ++y)
                for (int x = middle.left(); x <= middle.right(); ++x)
                    dark += qGray(image.pixel(x, y)) < 80;
            EXPECT_GT(dark, 10);

            // A picture of the page written to a file shows the page there.
            canvas.SetPictureDecoding(PictureDecoding::Wait);
            EXPECT_EQ(offscreen.Render().pixel(QPoint(int(120.5 * scale), int(45 * scale))), kBack);
        }
    }
}
