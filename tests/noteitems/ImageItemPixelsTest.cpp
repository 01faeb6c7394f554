#include "items/DecodeQueue.h"
#include "items/DecodeWait.h"
#include "items/PictureCache.h"
#include "items/RepaintCheck.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "text/KeyValueStore.h"
#include "widgets/Brush.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

// What an image item paints on a page: every pixel the page counts as covered by it, and
// nothing at all (so that the page shows through) when its file's pixels do not decode.
namespace {

constexpr QRgb kRed = 0xffff0000;
constexpr QRgb kGrey = 0xff808080;
// Not the grey a JPEG decoder fills missing pixels with.
constexpr QRgb kSteel = 0xff2080c0;

KeyValueStore Store(std::initializer_list<std::pair<const char*, QString>> pairs)
{
    KeyValueStore store;
    for (const auto& [key, value] : pairs)
        store.Set(QString::fromUtf8(key), value);
    return store;
}

class ImageItemPixelsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QImage red(400, 200, QImage::Format_RGB32);
        red.fill(kRed);
        m_red = m_dir.filePath("red.png");
        ASSERT_TRUE(red.save(m_red));
        const QImage photo = RepaintCheck::VariedImage({ 400, 200 });
        m_photo = m_dir.filePath("photo.png");
        ASSERT_TRUE(photo.save(m_photo));
        ASSERT_TRUE(photo.copy(0, 0, 30, 20).save(m_dir.filePath("tile.png")));
        ASSERT_TRUE(photo.save(m_dir.filePath("photo.jpg"), "JPEG", 90));
    }

    void TearDown() override
    {
        while (FolderListingCache::Instance().Running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    static ImageItem* AddImage(Canvas& canvas, const KeyValueStore& store)
    {
        auto item = std::make_unique<ImageItem>(canvas);
        item->ReadSection(store);
        ImageItem* raw = item.get();
        canvas.AddItem(std::move(item));
        return raw;
    }

    static void AddBackground(Canvas& canvas, QRgb colour)
    {
        auto brush = std::make_unique<Brush>(canvas);
        brush->SetColor(colour);
        brush->ReadSection(Store({ { "Pos", "L0,T0,R0,B0" } }));
        canvas.AddItem(std::move(brush));
    }

    // A copy of a real file cut short: its header reads, its pixels do not.
    QString Truncated(const QString& source, qint64 length) const
    {
        QFile in(source);
        EXPECT_TRUE(in.open(QIODevice::ReadOnly));
        const QString path = m_dir.filePath("cut-" + QString::number(length) + "-" + source.section('/', -1));
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(in.read(length));
        return path;
    }

    // A JPEG file cut inside its scan header: its size reads, none of its pixels do. (Cut
    // later, the decoder fills what is missing with grey and succeeds.)
    QString TruncatedJpeg() const
    {
        const QString source = m_dir.filePath("photo.jpg");
        QFile in(source);
        EXPECT_TRUE(in.open(QIODevice::ReadOnly));
        const qsizetype scan = in.readAll().indexOf("\xff\xda");
        EXPECT_GT(scan, 0);
        for (qsizetype length = scan + 2; length < scan + 16; ++length) {
            const QString path = Truncated(source, length);
            QImage pixels;
            if (QImageReader(path).size() == QSize(400, 200) && !QImageReader(path).read(&pixels))
                return path;
        }
        ADD_FAILURE() << "no cut of the JPEG file reads its header only";
        return {};
    }

    QTemporaryDir m_dir;
    QString m_red;
    QString m_photo;
};

TEST_F(ImageItemPixelsTest, ReducedImageAtAHalfPixelPaintsItsLastColumn)
{
    // 400 x 200 shown at 200 x 100 from x = 200.5: pixels 201 to 400 are the image's.
    OffscreenCanvas offscreen(QSize(800, 600), CanvasKind::Page);
    AddBackground(offscreen.GetCanvas(), kGrey);
    AddImage(offscreen.GetCanvas(), Store({ { "FileName", m_red }, { "Pos", "L200.5,T20,W200,H100" } }));
    const QImage image = offscreen.Render(OpaqueShortcut::On);
    EXPECT_EQ(image.pixel(400, 40), kRed);
    EXPECT_EQ(image.pixel(201, 40), kRed);
    EXPECT_EQ(image.pixel(200, 40), kGrey);
    EXPECT_EQ(image.pixel(401, 40), kGrey);
    EXPECT_EQ(image.pixel(300, 119), kRed);
    EXPECT_EQ(image.pixel(300, 120), kGrey);
}

TEST_F(ImageItemPixelsTest, MovedAndResizedImagesMatchAFullRepaint)
{
    const struct {
        const char* file;
        const char* option;
        const char* from;
        const char* to;
    } rows[] = {
        { "photo.png", "", "L20.5,T20,W100,H50", "L21.25,T20.5,W100,H50" },
        { "photo.png", "", "L20.5,T20.3,W100.3,H50.7", "L19.6,T21.4,W97.1,H51.3" },
        { "photo.jpg", "", "L3.5,T3,W75,H37.5", "L3,T3.5,W75.25,H37.5" },
        { "photo.png,10.5,5.25,20,7.75", "", "L20.5,T20.3,W70.3,H37.7", "L19.6,T21.4,W67.1,H38.3" },
        { "tile.png", "", "L10.5,T10.5,W45.5,H30.5", "L11,T10,W45,H31" },
        { "tile.png", "Repeat", "L10.25,T10.75,W95.5,H61.25", "L11.5,T9.5,W94,H60" },
    };
    for (const auto& row : rows) {
        ImageItem* moved = nullptr;
        const RepaintCheck::Scene build = [&](Canvas& canvas) {
            AddBackground(canvas, 0xffffffff);
            AddBackground(canvas, 0xff0000ff);
            canvas.ItemAt(1)->ReadSection(Store({ { "Pos", "L12.5,T12.5,W50,H40" } }));
            moved = AddImage(canvas,
                Store({ { "FileName", m_dir.filePath(QString::fromLatin1(row.file)) }, { "Pos", QString::fromLatin1(row.from) },
                    { "Option", QString::fromLatin1(row.option) } }));
            EXPECT_TRUE(moved->GetPicture().IsLoaded()) << row.file;
        };
        const RepaintCheck::Scene change = [&](Canvas&) { moved->ReadSection(Store({ { "Pos", QString::fromLatin1(row.to) } })); };
        EXPECT_EQ(RepaintCheck::CheckAllViews(build, change), "") << row.file << " " << row.from << " -> " << row.to;
    }
}

TEST_F(ImageItemPixelsTest, ImageWhosePixelsDoNotDecodeShowsThePage)
{
    const QString files[] = { Truncated(m_photo, QFileInfo(m_photo).size() / 2), TruncatedJpeg() };
    for (const QString& file : files) {
        for (qreal ratio : { 1.0, 2.0 }) {
            OffscreenCanvas offscreen(QSize(200, 150), CanvasKind::Page, ratio);
            Canvas& canvas = offscreen.GetCanvas();
            canvas.SetZoom(0.5f);
            AddBackground(canvas, kSteel);
            ImageItem* item = AddImage(canvas, Store({ { "FileName", file }, { "Pos", "L20,T20,W300,H150" } }));
            // The header read: the item is placed at the file's size and keeps its file.
            ASSERT_TRUE(item->GetPicture().IsLoaded()) << file.toStdString();
            EXPECT_EQ(item->GetPicture().NaturalSize(), QSize(400, 200));

            const QImage image = offscreen.Render(OpaqueShortcut::On);
            EXPECT_EQ(image.pixel(QPoint(80, 50) * ratio), kSteel) << file.toStdString() << " at ratio " << ratio;
            EXPECT_FALSE(item->IsOpaque()) << file.toStdString();
            // Later repaints of the item's bounds show the page too, without decoding again.
            canvas.ItemAt(0)->SetProperty(QStringLiteral("Color"), QStringLiteral("0xff00ff00"));
            canvas.Refresh(*item);
            EXPECT_EQ(canvas.BackBuffer().pixel(QPoint(80, 50) * ratio), 0xff00ff00) << file.toStdString();

            QString section;
            QString options;
            EXPECT_TRUE(item->Save(section, options, SaveMode::Persistent));
        }
    }
}


// The page on screen never waits for a picture's pixels: it draws a placeholder (or smaller
// pixels at hand) and draws the picture again when its pixels arrive. The views are a page
// window's: fractional places, zoom 0.5 and 1, pixel ratio 1 and 2.
class PictureArrivalTest : public ImageItemPixelsTest {
protected:
    static constexpr QRgb kWhite = 0xffffffff;
    static constexpr QRgb kPlaceholder = 0xffe2e2e2;

    struct View {
        qreal ratio;
        float zoom;
    };

    void SetUp() override
    {
        ImageItemPixelsTest::SetUp();
        PictureCache::Instance().Clear();
    }
    void TearDown() override
    {
        DecodeQueue::Instance().Hold(false);
        WaitForDecodes();
        ImageItemPixelsTest::TearDown();
    }

    static std::vector<View> Views() { return { { 1, 0.5f }, { 1, 1 }, { 2, 0.5f }, { 2, 1 } }; }

    // A page window's canvas: a white page, a steel rectangle, and the picture over both.
    static ImageItem* Build(OffscreenCanvas& offscreen, const View& view, const QString& file, const QString& option = {},
                            const QString& rotate = QStringLiteral("0"))
    {
        Canvas& canvas = offscreen.GetCanvas();
        canvas.SetPictureDecoding(PictureDecoding::Background);
        canvas.SetZoom(view.zoom);
        canvas.SetLayoutSize(160 / view.zoom, 120 / view.zoom);
        AddBackground(canvas, kWhite);
        AddBackground(canvas, kSteel);
        canvas.ItemAt(1)->ReadSection(Store({ { "Pos", "L12.5,T12.5,W50,H40" } }));
        return AddImage(canvas, Store({ { "FileName", file }, { "Pos", "L20.5,T10.25,W100.3,H50.7" }, { "Option", option },
                                    { "Rotate", rotate } }));
    }

    // The back-buffer pixel at a page point, inside both the steel rectangle and the picture.
    static QRgb Probe(Canvas& canvas, QPointF page = QPointF(40, 30))
    {
        const QImage& buffer = canvas.BackBuffer();
        return buffer.pixel((canvas.ToDevice(page) * buffer.devicePixelRatio()).toPoint());
    }

    // What the canvas shows once the pixels have arrived, against everything painted afresh.
    static std::string AfterArrival(OffscreenCanvas& offscreen)
    {
        DecodeQueue::Instance().Hold(false);
        WaitForDecodes();
        const QImage arrived = offscreen.GetCanvas().BackBuffer().copy();
        return RepaintCheck::FirstDifference(arrived, offscreen.Render(OpaqueShortcut::Off));
    }
};

TEST_F(PictureArrivalTest, APictureNotReadyShowsAPlaceholderAndIsRepaintedAsAFullRepaintWould)
{
    const struct {
        const char* file;
        const char* option;
        const char* rotate;
    } rows[] = {
        { "photo.png", "", "0" },
        { "photo.jpg", "", "0" },
        { "photo.png", "", "1" },
        { "tile.png", "Repeat", "0" },
    };
    for (const auto& row : rows) {
        for (const View& view : Views()) {
            SCOPED_TRACE(std::string(row.file) + " " + row.option + " rotate " + row.rotate + ", ratio "
                + std::to_string(view.ratio) + ", zoom " + std::to_string(view.zoom));
            PictureCache::Instance().Clear();
            DecodeQueue::Instance().Hold(true);
            OffscreenCanvas offscreen(QSize(160, 120), CanvasKind::Page, view.ratio);
            ImageItem* item = Build(offscreen, view, m_dir.filePath(QString::fromLatin1(row.file)),
                QString::fromLatin1(row.option), QString::fromLatin1(row.rotate));
            offscreen.Render(OpaqueShortcut::On);
            // The placeholder covers what lies below, as the picture will.
            EXPECT_EQ(Probe(offscreen.GetCanvas()), kPlaceholder);
            EXPECT_TRUE(item->GetPicture().AwaitsPixels());
            EXPECT_TRUE(item->IsOpaque());

            EXPECT_EQ(AfterArrival(offscreen), "");
            EXPECT_FALSE(item->GetPicture().AwaitsPixels());
            EXPECT_NE(Probe(offscreen.GetCanvas()), kPlaceholder);
        }
    }
}

TEST_F(PictureArrivalTest, SmallerPixelsAtHandStandInUntilTheExactOnesArrive)
{
    const View view { 1, 1 };
    // The picture was shown smaller before: those pixels stand in, stretched.
    const auto decoder = ImageDecoder::Open(m_red);
    ASSERT_TRUE(decoder);
    decoder->Image({ 40, 20 });
    DecodeQueue::Instance().Hold(true);
    OffscreenCanvas offscreen(QSize(160, 120), CanvasKind::Page, view.ratio);
    ImageItem* item = Build(offscreen, view, m_red);
    offscreen.Render(OpaqueShortcut::On);
    EXPECT_EQ(Probe(offscreen.GetCanvas()), kRed);
    EXPECT_TRUE(item->GetPicture().AwaitsPixels());
    EXPECT_EQ(AfterArrival(offscreen), "");
    EXPECT_FALSE(item->GetPicture().AwaitsPixels());
}

TEST_F(PictureArrivalTest, AMaybeTransparentPictureLetsThePageShowThroughItsPlaceholder)
{
    QImage veil(200, 100, QImage::Format_ARGB32);
    veil.fill(QColor(255, 0, 0, 100));
    const QString path = m_dir.filePath("veil.png");
    ASSERT_TRUE(veil.save(path));
    for (const View& view : Views()) {
        DecodeQueue::Instance().Hold(true);
        PictureCache::Instance().Clear();
        OffscreenCanvas offscreen(QSize(160, 120), CanvasKind::Page, view.ratio);
        ImageItem* item = Build(offscreen, view, path);
        EXPECT_FALSE(item->IsOpaque());
        offscreen.Render(OpaqueShortcut::On);
        const QColor waiting(Probe(offscreen.GetCanvas()));
        // The steel rectangle below shows through, a little veiled.
        EXPECT_NEAR(waiting.blue(), qBlue(kSteel), 30);
        EXPECT_NE(waiting.rgb(), kSteel);
        EXPECT_EQ(AfterArrival(offscreen), "");
    }
}

TEST_F(PictureArrivalTest, APictureWhosePixelsDoNotDecodeGivesWayToThePageWhenItsFailureArrives)
{
    const QString broken = Truncated(m_photo, QFileInfo(m_photo).size() / 2);
    for (const View& view : Views()) {
        DecodeQueue::Instance().Hold(true);
        PictureCache::Instance().Clear();
        OffscreenCanvas offscreen(QSize(160, 120), CanvasKind::Page, view.ratio);
        ImageItem* item = Build(offscreen, view, broken);
        offscreen.Render(OpaqueShortcut::On);
        EXPECT_EQ(Probe(offscreen.GetCanvas()), kPlaceholder);
        EXPECT_EQ(AfterArrival(offscreen), "");
        EXPECT_EQ(Probe(offscreen.GetCanvas()), kSteel);
        EXPECT_FALSE(item->IsOpaque());
        EXPECT_FALSE(item->GetPicture().AwaitsPixels());
    }
}

TEST_F(PictureArrivalTest, AnItemThatGoesWhileItsDecodeWaitsOrRunsHearsNothing)
{
    // A photograph large enough that its decode is still running when the item goes.
    const QString large = m_dir.filePath("large.jpg");
    ASSERT_TRUE(RepaintCheck::VariedImage({ 3000, 2000 }).save(large, "JPEG", 95));
    const View view { 2, 1 };
    for (const bool held : { true, false }) {
        PictureCache::Instance().Clear();
        DecodeQueue::Instance().Hold(held);
        OffscreenCanvas offscreen(QSize(160, 120), CanvasKind::Page, view.ratio);
        ImageItem* item = Build(offscreen, view, large);
        ASSERT_TRUE(item->SetZoom(1));
        offscreen.Render(OpaqueShortcut::On);
        const DecodeKey key = item->GetPicture().IsLoaded() ? ImageDecoder::Open(large)->Key() : DecodeKey {};
        // Unheld, the item goes once a thread has taken its decode.
        while (!held && DecodeQueue::Instance().Queued() > 0)
            std::this_thread::yield();
        offscreen.GetCanvas().RemoveItem(item);
        DecodeQueue::Instance().Hold(false);
        WaitForDecodes();
        // A decode that had started still keeps its pixels for the next one to show them.
        if (!held) {
            EXPECT_FALSE(PictureCache::Instance().Largest(key).isNull());
        }
    }
}

TEST_F(PictureArrivalTest, ExportsWaitForTheExactPixels)
{
    DecodeQueue::Instance().Hold(true);
    for (const View& view : Views()) {
        PictureCache::Instance().Clear();
        OffscreenCanvas offscreen(QSize(160, 120), CanvasKind::Page, view.ratio);
        Build(offscreen, view, m_red);
        offscreen.GetCanvas().SetPictureDecoding(PictureDecoding::Wait);
        EXPECT_EQ(Probe(offscreen.GetCanvas()), 0u);
        offscreen.Render(OpaqueShortcut::On);
        EXPECT_EQ(Probe(offscreen.GetCanvas()), kRed);
    }
}

}
