#include "noteitems/ImageItem.h"

#include "items/OffscreenCanvas.h"
#include "noteitems/FolderListingCache.h"
#include "platform/Paths.h"
#include "text/KeyValueStore.h"

#include <QClipboard>
#include <QColor>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QRectF FittedRect(QSizeF size, QSizeF page)
{
    const qreal scale = std::min(page.width() / size.width(), page.height() / size.height());
    return QRectF(QPointF((page.width() - size.width() * scale) / 2, (page.height() - size.height() * scale) / 2), size * scale);
}

QString Write(const QString& path, QSize size, QColor colour, bool alpha = false)
{
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    return path;
}

void WaitForScan()
{
    while (FolderListingCache::Instance().Running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

KeyValueStore Store(std::initializer_list<std::pair<const char*, QString>> pairs)
{
    KeyValueStore store;
    for (const auto& [key, value] : pairs)
        store.Set(QString::fromUtf8(key), value);
    return store;
}

class ImageItemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + '/';
        QDir(m_dir.path()).mkdir("sub");
        Write(m_folder + "a.png", { 200, 100 }, Qt::red);
        Write(m_folder + "sub/b.png", { 40, 30 }, Qt::blue);
        m_canvas.GetCanvas().SetBaseFolder(m_folder);
    }

    void TearDown() override
    {
        WaitForScan();
    }

    ImageItem& Add(const KeyValueStore& store)
    {
        auto item = std::make_unique<ImageItem>(m_canvas.GetCanvas());
        item->ReadSection(store);
        ImageItem& added = *item;
        m_canvas.GetCanvas().AddItem(std::move(item));
        return added;
    }

    QTemporaryDir m_dir;
    QString m_folder;
    OffscreenCanvas m_canvas { QSize(800, 600), CanvasKind::Page };
};

}

TEST_F(ImageItemTest, LoadResolvesPathsAgainstTheCanvasBaseFolder)
{
    struct Row {
        QString file_name;
        QString folder_path;
        bool loaded;
        QString expected_file;
        QString expected_folder;
    };
    const std::vector<Row> rows {
        { "a.png", "", true, m_folder + "a.png", m_folder },
        { m_folder + "a.png", "", true, m_folder + "a.png", m_folder },
        { "sub\\b.png", "", true, m_folder + "sub/b.png", m_folder + "sub/" },
        // The folder path counts only in folder mode; a file steps through its own folder.
        { "sub/b.png", m_folder, true, m_folder + "sub/b.png", m_folder + "sub/" },
        { "sub", m_folder, true, m_folder + "a.png", m_folder },
        { "sub/b.png", "/no/such/folder", true, m_folder + "sub/b.png", m_folder + "sub/" },
        { "missing.png", "", false, "", m_folder },
        { "nofolder/a.png", "", false, "", m_folder + "nofolder/" },
        { "sub", "", true, m_folder + "sub/b.png", m_folder + "sub/" },
    };
    for (const Row& row : rows) {
        ImageItem item(m_canvas.GetCanvas());
        EXPECT_EQ(item.Load(row.file_name, row.folder_path, FolderListingCache::Rescan::No), row.loaded)
            << row.file_name.toStdString();
        EXPECT_EQ(item.GetPicture().FileName(), row.expected_file) << row.file_name.toStdString();
        EXPECT_EQ(item.FolderPath(), row.expected_folder) << row.file_name.toStdString();
        WaitForScan();
    }
}

TEST_F(ImageItemTest, LoadTakesTheNaturalSizeForEmptyEdges)
{
    ImageItem& item = Add(Store({ { "FileName", "a.png" }, { "Pos", "L10,T15" } }));
    EXPECT_EQ(item.GetBounds(), QRectF(10, 15, 200, 100));
    EXPECT_EQ(item.Name(), QString());
    ImageItem& named = Add(Store({ { "FileName", "a.png" }, { "Pos", "L0,T0,L50,T40" }, { "Name", "x" } }));
    EXPECT_EQ(named.GetBounds(), QRectF(0, 0, 50, 40));
    EXPECT_EQ(named.Name(), QString());
}

TEST_F(ImageItemTest, FolderModeShowsTheFirstImageThatLoads)
{
    QDir(m_dir.path()).mkdir("broken");
    QFile broken(m_folder + "broken/0.png");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not an image");
    broken.close();
    ImageItem item(m_canvas.GetCanvas());
    EXPECT_FALSE(item.Load("broken", "", FolderListingCache::Rescan::No));
    EXPECT_FALSE(item.GetPicture().IsLoaded());

    Write(m_folder + "broken/1.png", { 10, 10 }, Qt::green);
    EXPECT_TRUE(item.Load(m_folder + "broken", "", FolderListingCache::Rescan::Yes));
    EXPECT_EQ(item.GetPicture().FileName(), m_folder + "broken/1.png");
    WaitForScan();

    // A folder without images of its own shows the first image of its sub-folders.
    QDir(m_dir.path()).mkpath("deep/inner");
    Write(m_folder + "deep/inner/c.png", { 10, 10 }, Qt::green);
    EXPECT_TRUE(item.Load("deep", "", FolderListingCache::Rescan::No));
    EXPECT_EQ(item.GetPicture().FileName(), m_folder + "deep/inner/c.png");
    EXPECT_EQ(item.FolderIndex(), 0);
}

TEST_F(ImageItemTest, KeysAreReadInOrder)
{
    // The turn comes before the trims, so the trims are stored as written and not turned.
    ImageItem& item = Add(Store({ { "FileName", "a.png,10,20,-5,0" }, { "Rotate", "1" }, { "Option", "Repeat" } }));
    EXPECT_EQ(item.GetTrims(), (ImageItem::Trims { 10, 20, 0, 0 }));
    EXPECT_EQ(item.QuarterTurns(), 1);
    EXPECT_EQ(item.GetPicture().NaturalSize(), QSize(100, 200));
    EXPECT_TRUE(item.GetPicture().Repeat());

    // Once the folder is listed, loading finds the file's place in the listing.
    WaitForScan();
    ImageItem& plain = Add(Store({ { "FileName", "a.png" }, { "Option", "Edge" } }));
    EXPECT_FALSE(plain.GetPicture().Repeat());
    EXPECT_GE(plain.FolderIndex(), 0);
    EXPECT_EQ(plain.FolderIndex(), FolderListingCache::Instance().FindIndex(m_folder, m_folder + "a.png"));
}

TEST_F(ImageItemTest, RotateCountsQuarterTurnsBothWays)
{
    struct Row {
        const char* rotate;
        int turns;
        QSize natural;
    };
    for (const Row& row : { Row { "5", 1, { 100, 200 } }, Row { "-6", -2, { 200, 100 } }, Row { "0", 0, { 200, 100 } },
             Row { "-2147483648", 0, { 200, 100 } } }) {
        ImageItem& item = Add(Store({ { "FileName", "a.png" }, { "Rotate", row.rotate } }));
        EXPECT_EQ(item.QuarterTurns(), row.turns) << row.rotate;
        EXPECT_EQ(item.GetPicture().NaturalSize(), row.natural) << row.rotate;
    }
}

TEST_F(ImageItemTest, TurnKeepsTheCentreAndTurnsTheTrims)
{
    ImageItem& item = Add(Store({ { "FileName", "a.png,1,2,3,4" }, { "Pos", "L100,T100,W196,H94" } }));
    ASSERT_TRUE(item.RotateRight());
    EXPECT_EQ(item.GetBounds(), QRectF(151, 49, 94, 196));
    EXPECT_EQ(item.GetTrims(), (ImageItem::Trims { 4, 1, 2, 3 }));
    ASSERT_TRUE(item.RotateLeft());
    EXPECT_EQ(item.GetTrims(), (ImageItem::Trims { 1, 2, 3, 4 }));
    EXPECT_EQ(item.QuarterTurns(), 0);
    // A quarter turn needs the full image: its pixels are turned, red stays red.
    EXPECT_EQ(QColor(item.GetPicture().Image().pixel(50, 50)), QColor(Qt::red));
}

TEST_F(ImageItemTest, AFailedTurnShowsTheMessageAndRemovesTheItem)
{
    std::vector<ItemEvent> events;
    m_canvas.GetCanvas().SetEventHandler([&](const ItemEvent& event) {
        events.push_back(event);
        return true;
    });
    ImageItem& item = Add(Store({ { "FileName", "missing.png" }, { "Rotate", "1" } }));
    EXPECT_TRUE(events.empty()) << "a missing file is not a failed turn";
    EXPECT_EQ(m_canvas.GetCanvas().ItemCount(), 1);
    EXPECT_FALSE(item.RotateLeft());
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, ItemEvent::kShowMessage);
    EXPECT_EQ(events[0].extra, ImageItem::kTurnFailedMessage.toString());
    EXPECT_EQ(m_canvas.GetCanvas().ItemCount(), 0);
}

TEST_F(ImageItemTest, SaveFormLineByLine)
{
    ImageItem& item = Add(Store({ { "FileName", "a.png,10,20,0,0.5" }, { "Rotate", "-1" }, { "Option", "Repeat,Disable" },
        { "Pos", "L10,T10,W50,H20" } }));
    QString section;
    QString options;
    ASSERT_TRUE(item.Save(section, options, SaveMode::Persistent));
    const QStringList lines = section.split("\r\n");
    ASSERT_EQ(lines.size(), 6) << section.toStdString();
    EXPECT_EQ(lines[0], "[TSImage]");
    EXPECT_EQ(lines[1], "FileName=" + m_folder + "a.png,10.000000,20.000000,0.000000,0.500000");
    EXPECT_EQ(lines[2], "FolderPath=" + m_folder);
    EXPECT_EQ(lines[3], "Rotate=-1");
    EXPECT_EQ(lines[4], "Pos=L10,T10,W50,H20");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(options, "Repeat,Disable");

    section.clear();
    options.clear();
    EXPECT_FALSE(item.Save(section, options, SaveMode::Plain));
    ImageItem& missing = Add(Store({ { "FileName", "missing.png" } }));
    EXPECT_FALSE(missing.Save(section, options, SaveMode::Persistent));
    EXPECT_TRUE(section.isEmpty());
}

TEST_F(ImageItemTest, APathWithCommasSurvivesSaving)
{
    const QString path = Write(m_folder + "x,y,z.png", { 30, 20 }, Qt::green);
    ImageItem& item = Add(Store({ { "FileName", path + ",1,2,3,4" } }));
    ASSERT_TRUE(item.GetPicture().IsLoaded());
    EXPECT_EQ(item.GetPicture().FileName(), path);
    EXPECT_EQ(item.GetTrims(), (ImageItem::Trims { 1, 2, 3, 4 }));

    QString section;
    QString options;
    ASSERT_TRUE(item.Save(section, options, SaveMode::Persistent));
    const QString value = section.split("\r\n")[1].mid(QString("FileName=").size());
    const NoteSchema::FileNameValue parsed = NoteSchema::ParseFileName(value);
    EXPECT_EQ(parsed.path, path);
    EXPECT_EQ(parsed.trims, (ImageItem::Trims { 1, 2, 3, 4 }));

    // Five fields or fewer keep the first field as the path, as hand-written values do.
    EXPECT_EQ(NoteSchema::ParseFileName("a.jpg,1,2").path, "a.jpg");
    EXPECT_EQ(NoteSchema::ParseFileName("a.jpg,1,2").trims, (ImageItem::Trims { 1, 2, 0, 0 }));
    EXPECT_EQ(NoteSchema::ParseFileName("").path, "");
}

TEST_F(ImageItemTest, FitToPageChoosesTheAxisThatFillsFirst)
{
    // A square on an 800 x 600 page fills the height.
    Write(m_folder + "square.png", { 100, 100 }, Qt::red);
    ImageItem& square = Add(Store({ { "FileName", "square.png" }, { "Pos", "L5,T5" } }));
    ASSERT_TRUE(square.FitToPage());
    EXPECT_EQ(square.GetAnchors()[Item::kTop], "T0.000000");
    EXPECT_EQ(square.GetAnchors()[Item::kBottom], "H600.000000");
    EXPECT_EQ(square.GetBounds(), QRectF(100, 0, 600, 600));
    EXPECT_FLOAT_EQ(square.ZoomFactor(), 6);

    // A wide image fills the width and is centred vertically.
    Write(m_folder + "wide.png", { 400, 100 }, Qt::red);
    ImageItem& wide = Add(Store({ { "FileName", "wide.png" } }));
    ASSERT_TRUE(wide.FitToPage());
    EXPECT_EQ(wide.GetAnchors()[Item::kLeft], "L0.000000");
    EXPECT_EQ(wide.GetAnchors()[Item::kRight], "W800.000000");
    EXPECT_EQ(wide.GetBounds(), QRectF(0, 200, 800, 200));

    ImageItem empty(m_canvas.GetCanvas());
    EXPECT_FALSE(empty.FitToPage());
}

// The section an item saves, with its options line, as a page text holds it.
QString SavedSection(const ImageItem& item)
{
    QString section;
    QString options;
    item.Save(section, options, SaveMode::Persistent);
    return options.isEmpty() ? section : section + "Option=" + options + "\r\n";
}

KeyValueStore StoreOf(const QString& section)
{
    KeyValueStore store;
    for (const QString& line : section.split("\r\n", Qt::SkipEmptyParts))
        if (const qsizetype equals = line.indexOf('='); equals > 0)
            store.Set(line.left(equals), line.mid(equals + 1));
    return store;
}

struct RefitRow {
    const char* label;
    QSize image;
    QSizeF page;
    QRectF fitted;
};

class ImageItemRefit : public ImageItemTest, public ::testing::WithParamInterface<RefitRow> { };

// A picture fitted to the page keeps its proportions and stays whole inside the page at any
// page size, also one of fractional sides; it is never stretched to the page's proportions.
TEST_P(ImageItemRefit, FittedPictureFollowsThePageSize)
{
    const RefitRow& row = GetParam();
    Write(m_folder + "photo.png", row.image, Qt::red);
    Canvas& canvas = m_canvas.GetCanvas();
    canvas.SetLayoutSize(1920, 1080);
    ImageItem& item = Add(Store({ { "FileName", "photo.png" } }));
    ASSERT_TRUE(item.FitToPage());
    ASSERT_TRUE(item.IsFitted());

    canvas.SetLayoutSize(float(row.page.width()), float(row.page.height()));
    EXPECT_TRUE(ImageItem::RefitAll(canvas));
    const QRectF bounds = item.GetBounds();
    EXPECT_NEAR(bounds.left(), row.fitted.left(), 0.01);
    EXPECT_NEAR(bounds.top(), row.fitted.top(), 0.01);
    EXPECT_NEAR(bounds.width(), row.fitted.width(), 0.01);
    EXPECT_NEAR(bounds.height(), row.fitted.height(), 0.01);
    EXPECT_TRUE(item.IsFitted());
    // Fitting again at the same size changes nothing.
    EXPECT_FALSE(item.Refit());

    // Saved and loaded onto a page of the first size, it is fitted to that page again.
    const QString saved = SavedSection(item);
    EXPECT_TRUE(saved.contains("Option=Fit\r\n")) << saved.toStdString();
    canvas.SetLayoutSize(1920, 1080);
    ImageItem& loaded = Add(StoreOf(saved));
    EXPECT_TRUE(loaded.IsFitted());
    const QRectF first = FittedRect(QSizeF(row.image), QSizeF(1920, 1080));
    EXPECT_NEAR(loaded.GetBounds().width(), first.width(), 0.01);
    EXPECT_NEAR(loaded.GetBounds().left(), first.left(), 0.01);
    EXPECT_NEAR(loaded.GetBounds().top(), first.top(), 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ImageItemRefit,
    ::testing::Values(
        RefitRow { "round_on_portrait", { 100, 100 }, { 1080, 1350 }, { 0, 135, 1080, 1080 } },
        RefitRow { "round_on_laptop", { 100, 100 }, { 1366, 768 }, { 299, 0, 768, 768 } },
        RefitRow { "wide_on_portrait", { 400, 100 }, { 1080, 1350 }, { 0, 540, 1080, 270 } },
        RefitRow { "tall_on_fractional_page", { 100, 300 }, { 640.5, 480.5 }, { 240.166667, 0, 160.166667, 480.5 } }),
    [](const ::testing::TestParamInfo<RefitRow>& info) { return std::string(info.param.label); });

// A picture the user moved or stretched after fitting is left as it is, and a note written
// before fitted pictures were marked keeps drawing its pictures as it always did.
TEST_F(ImageItemTest, OnlyPicturesStillFittedAreFittedAgain)
{
    Write(m_folder + "round.png", { 100, 100 }, Qt::red);
    Canvas& canvas = m_canvas.GetCanvas();
    ImageItem& moved = Add(Store({ { "FileName", "round.png" } }));
    ASSERT_TRUE(moved.FitToPage());
    moved.SetAnchor(Item::kLeft, "L10.5");
    EXPECT_FALSE(moved.IsFitted());
    EXPECT_FALSE(SavedSection(moved).contains("Fit"));
    // Fit mode switched off leaves a picture as it is, not fitted, even where it stays put.
    ImageItem& toggled = Add(Store({ { "FileName", "round.png" } }));
    toggled.SetFitMode(true);
    ASSERT_TRUE(toggled.FitToPage());
    toggled.SetFitMode(false);
    EXPECT_FALSE(toggled.IsFitted());

    ImageItem& old = Add(Store({ { "FileName", "round.png" }, { "Pos", "L100,T0,W600,H100%" }, { "Option", "Repeat" } }));
    ImageItem& marked = Add(Store({ { "FileName", "round.png" }, { "Pos", "L100,T0,W600,H600" }, { "Option", "Repeat,Fit" } }));
    EXPECT_FALSE(old.IsFitted());
    EXPECT_TRUE(marked.IsFitted());
    EXPECT_EQ(SavedSection(marked).count("Option=Repeat,Fit"), 1);

    canvas.SetLayoutSize(400, 1000);
    EXPECT_TRUE(ImageItem::RefitAll(canvas));
    EXPECT_EQ(moved.GetBounds(), QRectF(10.5, 0, 600, 600));
    EXPECT_EQ(old.GetBounds(), QRectF(100, 0, 600, 1000));
    EXPECT_EQ(marked.GetBounds(), QRectF(0, 300, 400, 400));
    EXPECT_FALSE(ImageItem::RefitAll(canvas));
}

TEST_F(ImageItemTest, SetZoomScalesTheTrims)
{
    ImageItem& item = Add(Store({ { "FileName", "a.png,10,0,10,5" }, { "Pos", "L7,T9,W180,H95" } }));
    EXPECT_FLOAT_EQ(item.ZoomFactor(), 1);
    ASSERT_TRUE(item.SetZoom(2));
    EXPECT_EQ(item.GetTrims(), (ImageItem::Trims { 20, 0, 20, 10 }));
    EXPECT_EQ(item.GetBounds(), QRectF(7, 9, 360, 190));
    EXPECT_EQ(item.PictureRect(), QRectF(-13, 9, 400, 200));
    EXPECT_FALSE(item.SetZoom(0));
    EXPECT_FALSE(item.SetZoom(-1));
}

TEST_F(ImageItemTest, StatusText)
{
    ImageItem& item = Add(Store({ { "FileName", "sub/b.png,4,0,0,0" }, { "Pos", "L10.7,T20,W76,H30" } }));
    QString status;
    ASSERT_TRUE(item.GetProperty("Status", status));
    EXPECT_EQ(status, QString("位置: 10,20-76x30, 倍率: 200%, 元サイズ: 40x30\nファイル名: b.png\nフォルダパス: ") + m_folder + "sub/");
    EXPECT_FALSE(item.GetProperty("Width", status));
    ImageItem empty(m_canvas.GetCanvas());
    EXPECT_FALSE(empty.GetProperty("Status", status));
}

TEST_F(ImageItemTest, NextAndPreviousWrapAtTheEnds)
{
    QDir(m_dir.path()).mkdir("six");
    for (int index = 0; index < 6; ++index)
        Write(m_folder + QString("six/%1.png").arg(index), { 20 + index * 10, 20 }, Qt::gray);
    ImageItem& item = Add(Store({ { "FileName", "six/0.png" }, { "Pos", "L0,T0,W40,H20" } }));
    WaitForScan();
    FolderListingCache& cache = FolderListingCache::Instance();
    ASSERT_EQ(cache.Count(item.FolderPath()), 6);
    const auto listed = [&](int index) {
        QString path;
        cache.Get(item.FolderPath(), index, path);
        return path;
    };

    ASSERT_TRUE(item.Load(listed(5), "", FolderListingCache::Rescan::No));
    ASSERT_EQ(item.FolderIndex(), 5);
    item.SetTrims({ 1, 1, 1, 1 });
    ASSERT_TRUE(item.NextImage(3));
    EXPECT_EQ(item.FolderIndex(), 0);
    EXPECT_EQ(item.GetPicture().FileName(), listed(0));
    EXPECT_EQ(item.GetTrims(), ImageItem::Trims {});
    // The sum of width and height stays, the aspect ratio is the new image's.
    const QSize natural = item.GetPicture().NaturalSize();
    EXPECT_NEAR(item.Width() + item.Height(), 60, 1e-3);
    EXPECT_NEAR(item.Width() / item.Height(), double(natural.width()) / natural.height(), 1e-3);

    ASSERT_TRUE(item.PreviousImage(1));
    EXPECT_EQ(item.FolderIndex(), 5);
    ASSERT_TRUE(item.NextImage(1));
    EXPECT_EQ(item.FolderIndex(), 0);
    ASSERT_TRUE(item.PreviousImage(3));
    EXPECT_EQ(item.FolderIndex(), 5);

    // A file that no longer loads is stepped over.
    QFile::remove(listed(0));
    ASSERT_TRUE(item.NextImage(1));
    EXPECT_EQ(item.FolderIndex(), 1);
}

TEST_F(ImageItemTest, AFolderWithoutLoadableFilesLeavesTheImage)
{
    ImageItem& item = Add(Store({ { "FileName", "sub/b.png" } }));
    WaitForScan();
    QFile::remove(m_folder + "sub/b.png");
    EXPECT_FALSE(item.NextImage(1));
    EXPECT_EQ(item.FolderIndex(), -1);
    EXPECT_TRUE(item.GetPicture().IsLoaded());
    EXPECT_EQ(item.GetPicture().FileName(), m_folder + "sub/b.png");
}

TEST_F(ImageItemTest, DrawsTheImageTheFrameAndTheDragRectangle)
{
    ImageItem& item = Add(Store({ { "FileName", "a.png" }, { "Pos", "L100,T100,W200,H100" } }));
    EXPECT_TRUE(item.IsOpaque());
    QImage page = m_canvas.Render();
    EXPECT_EQ(QColor(page.pixel(150, 150)), QColor(Qt::red));
    EXPECT_EQ(QColor(page.pixel(100, 100)), QColor(Qt::red));

    m_canvas.GetCanvas().AddInputItem(&item);
    m_canvas.GetCanvas().SetActiveItem(&item);
    item.SetDragRectangle({ 60, 40, -20, 20 });
    page = m_canvas.Render();
    // The frame covers 5 device pixels inside the bounds, hatched in two shades.
    const QColor frame_a(page.pixel(100, 100));
    const QColor frame_b(page.pixel(101, 100));
    EXPECT_NE(frame_a, QColor(Qt::red));
    EXPECT_NE(frame_a, frame_b);
    EXPECT_NE(QColor(page.pixel(104, 150)), QColor(Qt::red));
    EXPECT_EQ(QColor(page.pixel(105, 150)), QColor(Qt::red));
    // The drag rectangle spans x 40..60 and y 40..60 from the item's corner.
    EXPECT_NE(QColor(page.pixel(150, 150)), QColor(Qt::red));
    EXPECT_EQ(QColor(page.pixel(165, 150)), QColor(Qt::red));
}

TEST_F(ImageItemTest, OpaqueOnlyWithAnImageWithoutAlpha)
{
    Write(m_folder + "alpha.png", { 10, 10 }, QColor(0, 0, 255, 128), true);
    EXPECT_FALSE(Add(Store({ { "FileName", "alpha.png" } })).IsOpaque());
    EXPECT_FALSE(Add(Store({ { "FileName", "missing.png" } })).IsOpaque());
    EXPECT_TRUE(Add(Store({ { "FileName", "a.png" } })).IsOpaque());
}

TEST_F(ImageItemTest, AReducedPhotographKeepsItsNaturalSize)
{
    Write(m_folder + "photo.jpg", { 1200, 800 }, QColor(0, 128, 0));
    ImageItem& item = Add(Store({ { "FileName", "photo.jpg" }, { "Pos", "L0,T0,W120,H80" } }));
    const QImage page = m_canvas.Render();
    EXPECT_NEAR(QColor(page.pixel(60, 40)).green(), 128, 6);
    EXPECT_EQ(item.GetPicture().DecodedSize(), QSize(120, 80));
    EXPECT_EQ(item.GetPicture().NaturalSize(), QSize(1200, 800));
    EXPECT_FLOAT_EQ(item.ZoomFactor(), 0.1f);
    QString status;
    ASSERT_TRUE(item.GetProperty("Status", status));
    EXPECT_TRUE(status.contains("倍率: 10%, 元サイズ: 1200x800")) << status.toStdString();
    EXPECT_TRUE(item.GetPicture().IsReduced());
    // Asking for the full image decodes it at full size.
    EXPECT_TRUE(item.GetPicture().EnsureFullImage());
    EXPECT_EQ(item.GetPicture().Image().size(), QSize(1200, 800));
    EXPECT_FALSE(item.GetPicture().IsReduced());
}

TEST_F(ImageItemTest, TakesAnImageWithoutAFile)
{
    QImage pasted(30, 20, QImage::Format_RGB32);
    pasted.fill(Qt::yellow);
    ImageItem& item = Add(Store({ { "Pos", "L5,T6" } }));
    ASSERT_TRUE(item.TakeImage(pasted));
    EXPECT_EQ(item.GetBounds(), QRectF(5, 6, 30, 20));
    QString section;
    QString options;
    EXPECT_FALSE(item.Save(section, options, SaveMode::Persistent));
    EXPECT_FALSE(item.TakeImage({}));

    QGuiApplication::clipboard()->setImage(pasted.scaled(12, 8));
    ImageItem& from_clipboard = Add(Store({ { "Pos", "L0,T0" } }));
    ASSERT_TRUE(from_clipboard.TakeImageFromClipboard());
    EXPECT_EQ(from_clipboard.GetBounds(), QRectF(0, 0, 12, 8));
    QGuiApplication::clipboard()->setText("no image");
    EXPECT_FALSE(Add(Store({})).TakeImageFromClipboard());
}
