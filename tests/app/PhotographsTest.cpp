#include "app/ImageImport.h"
#include "app/PageExport.h"
#include "MainWindowFixture.h"
#include "PhotoFiles.h"

#include "document/Publisher.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ImageItemMenu.h"

#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <functional>

using namespace PhotoFiles;

namespace {

// A phone's portrait photograph: stored lying on its side, 600 x 400, with red, green, blue
// and white quarters, and the orientation that turns it upright (a quarter turn clockwise).
// Upright it is 400 x 600 with blue, red, white and green quarters.
const QSize kStored(600, 400);
const QSize kUpright(400, 600);

struct Quarter {
    double x, y; // the centre of a quarter, as a fraction of the item
};
constexpr Quarter kTopLeft { 0.25, 0.25 }, kTopRight { 0.75, 0.25 }, kBottomLeft { 0.25, 0.75 }, kBottomRight { 0.75, 0.75 };

class PhotographsTest : public MainWindowTest {
protected:
    QString Portrait(const QString& name = QStringLiteral("portrait.jpg"))
    {
        return Write(m_folder.filePath(name), WithOrientation(JpegBytes(Quarters(kStored)), 6));
    }
    ImageItem* ImageAt(int note_item = 0)
    {
        return dynamic_cast<ImageItem*>(NoteItemsOf(m_window->PageCanvas()).at(note_item));
    }
    QColor ItemPixel(const ImageItem& item, Quarter quarter)
    {
        const QRectF bounds = item.GetBounds();
        return PagePixel(QPointF(bounds.left() + bounds.width() * quarter.x, bounds.top() + bounds.height() * quarter.y));
    }
    // What the window shows of the item, quarter by quarter.
    void ExpectQuarters(const ImageItem& item, QColor top_left, QColor top_right, QColor bottom_left, QColor bottom_right)
    {
        EXPECT_TRUE(Near(ItemPixel(item, kTopLeft), top_left, 40)) << "top left";
        EXPECT_TRUE(Near(ItemPixel(item, kTopRight), top_right, 40)) << "top right";
        EXPECT_TRUE(Near(ItemPixel(item, kBottomLeft), bottom_left, 40)) << "bottom left";
        EXPECT_TRUE(Near(ItemPixel(item, kBottomRight), bottom_right, 40)) << "bottom right";
    }
    void ExpectUpright(const ImageItem& item)
    {
        EXPECT_EQ(item.GetPicture().NaturalSize(), kUpright);
        EXPECT_NEAR(item.Width() / item.Height(), 400.0 / 600.0, 0.01);
        ExpectQuarters(item, Qt::blue, Qt::red, Qt::white, Qt::green);
    }
    void ExpectAsStored(const ImageItem& item)
    {
        EXPECT_EQ(item.GetPicture().NaturalSize(), kStored);
        EXPECT_NEAR(item.Width() / item.Height(), 600.0 / 400.0, 0.01);
        ExpectQuarters(item, Qt::red, Qt::green, Qt::blue, Qt::white);
    }
    QByteArray ReadAll(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }
    QString SaveNoteAs(const QString& name)
    {
        const QString path = m_folder.filePath(name);
        EXPECT_TRUE(m_window->SaveNote(path));
        return path;
    }
    void SendDrop(const QStringList& paths, QPoint window_point, Qt::KeyboardModifiers modifiers)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        QDragEnterEvent enter(window_point, Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_window.get(), &enter);
        QDropEvent drop(QPointF(window_point), Qt::CopyAction, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_window.get(), &drop);
    }
    // Answers Yes to the question whether the current note may go.
    void AgreeToLeaveTheNote()
    {
        Pages& pages = m_window->GetPages();
        pages.RecordChanges();
        // A modified note is asked about with Yes / No / Cancel, an unmodified one that
        // shows something with Yes / No.
        if (pages.IsModified()) {
            m_prompt->QueueAnswer(Answer::No);
            return;
        }
        pages.Document().StoreCurrentPage();
        if (!pages.List().value(0).isEmpty())
            m_prompt->QueueYesNo(true);
    }
    void ClearNote()
    {
        AgreeToLeaveTheNote();
        ASSERT_TRUE(m_window->GetPages().ClearNote());
        ASSERT_EQ(NoteItemsShown(), 0);
    }
    bool OpenNote(const QString& path)
    {
        AgreeToLeaveTheNote();
        return m_window->OpenNote(path);
    }
    QPoint WindowPointOf(QPointF page_point)
    {
        PageCanvasWidget& view = m_window->PageWidget();
        return view.mapTo(m_window.get(), view.GetCanvas().ToDevice(page_point).toPoint());
    }
    // The note a version that did not know orientations wrote for the photograph: the item
    // fitted to the page as the photograph is stored, and no orientation key.
    QByteArray OldNote(const QString& photo)
    {
        ClearNote();
        m_window->Import().ProcessCommandLine({ photo });
        ImageItem* item = ImageAt();
        EXPECT_NE(item, nullptr);
        if (!item)
            return {};
        item->SetReadOptions({ ExifOrientation::Ignore });
        EXPECT_TRUE(item->Load(photo, {}, FolderListingCache::Rescan::No));
        item->SetZoom(1);
        item->FitToPage();
        const QByteArray bytes = ReadAll(SaveNoteAs(QStringLiteral("written before.tsy")));
        EXPECT_FALSE(bytes.contains("ExifOrientation"));
        return bytes;
    }
    QPoint PageCentreInWindow()
    {
        PageCanvasWidget& view = m_window->PageWidget();
        return view.mapTo(m_window.get(), view.rect().center());
    }
};

}

TEST_F(PhotographsTest, PortraitPhotographsArePlacedUprightByEveryRoad)
{
    const QString photo = Portrait();
    const std::vector<std::pair<const char*, std::function<void()>>> roads = {
        { "command line", [&] { m_window->Import().ProcessCommandLine({ photo }); } },
        { "open dialog", [&] {
             m_prompt->QueueOpenFile(photo);
             m_window->Import().OpenWithDialog();
         } },
        { "drop with Ctrl", [&] { SendDrop({ photo }, PageCentreInWindow(), Qt::ControlModifier); } },
        { "paste of a copied file", [&] {
             auto* data = new QMimeData;
             data->setUrls({ QUrl::fromLocalFile(photo) });
             QGuiApplication::clipboard()->setMimeData(data);
             m_window->Import().PasteAt(WindowPointOf(QPointF(10, 10)));
         } },
    };
    for (const auto& [road, place] : roads) {
        SCOPED_TRACE(road);
        ClearNote();
        place();
        ASSERT_EQ(NoteItemsShown(), 1);
        ImageItem* item = ImageAt();
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->ReadOptions().orientation, ExifOrientation::Apply);
        // Fitted to the page, but for a paste, which places at the pointer.
        if (std::string(road) != "paste of a copied file") {
            EXPECT_NEAR(item->Height(), m_window->PageCanvas().LayoutHeight(), 0.5);
        }
        ExpectUpright(*item);
    }
}

TEST_F(PhotographsTest, AnUprightPhotographStaysUprightThroughSavingReopeningAndSteppingOn)
{
    const QString photo = Portrait(QStringLiteral("a.jpg"));
    Portrait(QStringLiteral("b.jpg"));
    m_window->Import().ProcessCommandLine({ photo });
    const QString note = SaveNoteAs(QStringLiteral("upright.tsy"));
    EXPECT_TRUE(ReadAll(note).contains("Rotate=0\r\nExifOrientation=true\r\n"));

    ASSERT_TRUE(OpenNote(note));
    ASSERT_NE(ImageAt(), nullptr);
    ExpectUpright(*ImageAt());
    // The next photograph of the folder is shown upright too.
    QTest::mouseClick(&m_window->PageWidget(), Qt::LeftButton, Qt::NoModifier,
                      m_window->PageCanvas().ToDevice(ImageAt()->GetBounds().center()).toPoint());
    ASSERT_TRUE(ImageAt()->NextImage(1));
    EXPECT_TRUE(ImageAt()->GetPicture().FileName().endsWith(QStringLiteral("b.jpg")));
    m_window->RepaintPageCanvas();
    ExpectUpright(*ImageAt());

    // Saved as an image, the item writes what it shows: upright pixels.
    const QString baked = m_folder.filePath(QStringLiteral("baked.png"));
    ASSERT_TRUE(ImageItemMenu::Bake(*ImageAt(), baked, ImageItemMenu::QualityQuestion::DontAsk));
    const QImage written(baked);
    ASSERT_FALSE(written.isNull());
    EXPECT_LT(written.width(), written.height());
    EXPECT_TRUE(Near(written.pixelColor(written.width() / 4, written.height() / 4), Qt::blue, 40));
}

TEST_F(PhotographsTest, ANoteWrittenBeforeShowsAndSavesExactlyAsItWas)
{
    const QString photo = Portrait(QStringLiteral("a.jpg"));
    Portrait(QStringLiteral("b.jpg"));
    const QByteArray old_bytes = OldNote(photo);
    const QString old_note = Write(m_folder.filePath(QStringLiteral("old.tsy")), old_bytes);

    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE(cycle);
        ASSERT_TRUE(OpenNote(old_note));
        ASSERT_NE(ImageAt(), nullptr);
        EXPECT_EQ(ImageAt()->ReadOptions().orientation, ExifOrientation::Ignore);
        ExpectAsStored(*ImageAt());
        EXPECT_EQ(ReadAll(SaveNoteAs(QStringLiteral("old.tsy"))), old_bytes);
    }
    // Stepping through the folder keeps showing its files as stored, and so does an export.
    ASSERT_TRUE(ImageAt()->NextImage(1));
    m_window->RepaintPageCanvas();
    ExpectAsStored(*ImageAt());
    const QImage page = PageExport::RenderPage(QString::fromUtf8(old_bytes), QSize(800, 600), 255, m_folder.path() + u'/');
    ASSERT_FALSE(page.isNull());
    EXPECT_GT(ImageAt()->Width(), ImageAt()->Height());
}

TEST_F(PhotographsTest, PublishedNotesKeepTheRuleOfEachItem)
{
    const QString photo = Portrait();
    const QByteArray old_bytes = OldNote(photo);
    ClearNote();
    m_window->Import().ProcessCommandLine({ photo });
    const QString new_page = QString::fromUtf8(ReadAll(SaveNoteAs(QStringLiteral("source.tsy"))));

    for (const bool upright : { true, false }) {
        SCOPED_TRACE(upright ? "placed now" : "placed before");
        PublishSettings settings;
        settings.note_path = m_folder.filePath(upright ? QStringLiteral("out/new.tsy") : QStringLiteral("out/old.tsy"));
        settings.image_folder_name = upright ? QStringLiteral("new images") : QStringLiteral("old images");
        QDir().mkpath(m_folder.filePath(QStringLiteral("out")));
        Publisher publisher({ upright ? new_page : QString::fromUtf8(old_bytes) }, m_folder.path() + u'/', settings);
        ASSERT_TRUE(publisher.PrepareImageFolder());
        ASSERT_TRUE(publisher.Publish());
        ASSERT_TRUE(OpenNote(settings.note_path));
        ASSERT_NE(ImageAt(), nullptr);
        if (upright)
            ExpectUpright(*ImageAt());
        else
            ExpectAsStored(*ImageAt());
    }
}

TEST_F(PhotographsTest, PhonePhotographsAndNewFormatsAreShown)
{
    const QImage picture = Quarters({ 320, 240 });
    const QStringList files { Heic(picture, m_folder.filePath("IMG_0001.HEIC")), Avif(picture, m_folder.filePath("web.avif")),
                              Jxl(picture, m_folder.filePath("new.jxl")) };
    for (const QString& file : files)
        ASSERT_FALSE(file.isEmpty());
    m_window->Import().ProcessCommandLine(files);
    ASSERT_EQ(m_window->GetPages().Count(), 3);
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(files[page].toStdString());
        ASSERT_TRUE(m_window->GetPages().GoTo(page));
        ASSERT_EQ(NoteItemsShown(), 1);
        EXPECT_EQ(ImageAt()->GetPicture().NaturalSize(), QSize(320, 240));
        ExpectQuarters(*ImageAt(), Qt::red, Qt::green, Qt::blue, Qt::white);
    }
}

TEST_F(PhotographsTest, AnAdobeRgbRedIsExportedAsSrgbRed)
{
    for (const ProfileKind kind : { ProfileKind::Matrix, ProfileKind::Table }) {
        const QString photo = Write(m_folder.filePath(QStringLiteral("adobe.jpg")), AdobeRgbJpeg(Qt::red, kind, QSize(640, 480)));
        ClearNote();
        m_window->Import().ProcessCommandLine({ photo });
        SaveNoteAs(QStringLiteral("adobe.tsy"));
        const QString page_text = m_window->GetPages().List().value(0);
        const QImage exported = PageExport::RenderPage(page_text, QSize(800, 600), 255, m_folder.path() + u'/');
        ASSERT_FALSE(exported.isNull());
        EXPECT_TRUE(Near(exported.pixelColor(400, 300), Qt::red, 4));
        EXPECT_TRUE(Near(PagePixel(QPointF(400, 300)), Qt::red, 4));
    }
}

TEST_F(PhotographsTest, FilesThatCannotBeReadAreNamedWithTheReason)
{
    QByteArray heic = ReadAll(Heic(Quarters({ 64, 48 }), m_folder.filePath("whole.heic")));
    const QString damaged = Write(m_folder.filePath(QStringLiteral("photo.heic")), heic.left(heic.size() / 3));
    const QString text = Write(m_folder.filePath(QStringLiteral("notes.txt")), "just words");
    const QString good = MakeImage(QStringLiteral("good.png"));
    const QString missing = m_folder.filePath(QStringLiteral("gone.jpg"));

    // The window: one message for a drop, a line per file, once the drop has ended.
    SendDrop({ damaged, good, text }, PageCentreInWindow(), Qt::NoModifier);
    EXPECT_EQ(NoteItemsShown(), 1);
    EXPECT_TRUE(m_prompt->Requests().empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].text, QStringLiteral("photo.heic を開けませんでした: ファイルが壊れています\n"
                                                            "notes.txt を開けませんでした: 対応していない形式です"));

    // The command line: one line on stderr for each.
    ClearNote();
    testing::internal::CaptureStderr();
    m_window->Import().ProcessCommandLine({ damaged, missing, good });
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_NE(printed.find(QStringLiteral("tessary: warning: cannot read the image %1: the file is damaged\n").arg(damaged).toStdString()),
              std::string::npos) << printed;
    EXPECT_NE(printed.find(QStringLiteral("tessary: warning: cannot read the image %1: the file does not exist\n").arg(missing).toStdString()),
              std::string::npos) << printed;
    EXPECT_EQ(NoteItemsShown(), 1);
    EXPECT_EQ(m_window->GetPages().Count(), 1);
}
