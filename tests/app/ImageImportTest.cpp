#include "app/ImageImport.h"
#include "MainWindowFixture.h"

#include "noteitems/ImageItem.h"

#include <QClipboard>
#include <QCursor>
#include <QDate>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

namespace {

class ImageImportTest : public MainWindowTest {
protected:
    // One page pixel per window pixel, the page's top left corner at the view's.
    void ShowAtScaleOne(float width = 800, float height = 600)
    {
        Canvas& canvas = m_window->PageCanvas();
        canvas.SetLayoutSize(width, height);
        canvas.SetZoom(1);
        canvas.SetDpi(static_cast<float>(canvas.ScreenDpi()));
        canvas.SetScroll(0, 0);
        m_window->RepaintPageCanvas();
        ASSERT_FLOAT_EQ(canvas.EffectiveScale(), 1.0f);
    }
    QPoint WindowPointOf(QPointF page_point)
    {
        PageCanvasWidget& view = m_window->PageWidget();
        return view.mapTo(m_window.get(), view.GetCanvas().ToDevice(page_point).toPoint());
    }
    void Drop(QMimeData* data, QPoint window_point, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QDragEnterEvent enter(window_point, Qt::CopyAction, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_window.get(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(window_point), Qt::CopyAction, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(m_window.get(), &drop);
        delete data;
    }
    static QMimeData* Files(const QStringList& paths)
    {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data->setUrls(urls);
        return data;
    }
    QPointF TopLeftOf(int note_item)
    {
        return NoteItemsOf(m_window->PageCanvas()).at(note_item)->GetBounds().topLeft();
    }
    const ImageItem* ImageAt(int note_item)
    {
        return dynamic_cast<const ImageItem*>(NoteItemsOf(m_window->PageCanvas()).at(note_item));
    }
    QString SavedNote()
    {
        const QString note = m_folder.filePath(QStringLiteral("saved.tsy"));
        m_prompt->QueueSaveFile(note);
        EXPECT_TRUE(m_window->SaveNote({}));
        return note;
    }
};

struct CascadeRow {
    const char* name;
    QPointF drop;
    std::vector<QPointF> expected;
};

class CascadeTest : public ImageImportTest, public ::testing::WithParamInterface<CascadeRow> { };

}

TEST_P(CascadeTest, DroppedFilesCascadeAndWrapAtThePageEdges)
{
    const CascadeRow& row = GetParam();
    ShowAtScaleOne();
    Drop(Files(MakeImages(static_cast<int>(row.expected.size()))), WindowPointOf(row.drop));
    ASSERT_EQ(NoteItemsShown(), static_cast<int>(row.expected.size()));
    for (size_t index = 0; index < row.expected.size(); ++index)
        EXPECT_EQ(TopLeftOf(static_cast<int>(index)), row.expected[index]) << index;
    // Each file is a step of its own.
    EXPECT_EQ(m_window->GetPages().History().Count(), static_cast<int>(row.expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Drops, CascadeTest,
                         ::testing::Values(CascadeRow { "ThreeFromTen", QPointF(10, 10), { { 10, 10 }, { 40, 40 }, { 70, 70 } } },
                                           CascadeRow { "WrapsAtTheRightEdge", QPointF(790, 10), { { 790, 10 }, { 20, 40 } } },
                                           CascadeRow { "WrapsAtTheBottomEdge", QPointF(10, 580), { { 10, 580 }, { 40, 10 } } }),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageImportTest, CtrlDropPutsOneImagePerPageAndComesBack)
{
    m_window->Import().ProcessCommandLine(MakeImages(1));
    Pages& pages = m_window->GetPages();
    ASSERT_TRUE(pages.Next()); // a new, empty last page
    ASSERT_EQ(pages.Count(), 2);
    Drop(Files({ MakeImage(QStringLiteral("a.png")), MakeImage(QStringLiteral("b.png")), MakeImage(QStringLiteral("c.png")) }),
         QPoint(300, 300), Qt::ControlModifier);
    // The first fills the empty last page, the others get new pages; no empty page follows.
    EXPECT_EQ(pages.Count(), 4);
    EXPECT_EQ(pages.Current(), 1);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("ThisPage")), QStringLiteral("2"));
    for (int page = 1; page < 4; ++page)
        EXPECT_EQ(pages.List().at(page).count(QStringLiteral("[TSImage]")), 1) << page;
    // Fitted: as wide or as high as the page.
    const QRectF bounds = NoteItemsOf(m_window->PageCanvas()).at(0)->GetBounds();
    EXPECT_NEAR(bounds.width(), m_window->PageCanvas().LayoutWidth(), 1);
}

TEST_F(ImageImportTest, OneNoteFileDroppedOpensEvenWhileLocked)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    const QString note = SavedNote();
    m_prompt->QueueYesNo(true);
    m_window->Actions().Trigger(ActionId::NewNote);
    m_window->Import().ProcessCommandLine({ MakeImage(QStringLiteral("other.png")) });
    m_window->Actions().Trigger(ActionId::Lock);
    ASSERT_TRUE(m_window->IsLocked());

    // A locked note takes no image drop.
    Drop(Files({ MakeImage(QStringLiteral("more.png")) }), QPoint(300, 300));
    EXPECT_EQ(NoteItemsShown(), 1);

    // The image placed is a change not saved: the drop asks first, and Cancel keeps it.
    m_prompt->ClearRequests();
    m_prompt->QueueAnswer(Answer::Cancel);
    Drop(Files({ note }), QPoint(300, 300));
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].text, QStringLiteral("変更を保存しますか?"));
    EXPECT_EQ(NoteItemsShown(), 1);
    EXPECT_TRUE(m_window->GetPages().NotePath().isEmpty());
    m_prompt->QueueAnswer(Answer::No);
    Drop(Files({ note }), QPoint(300, 300));
    EXPECT_EQ(m_window->GetPages().NotePath(), note);
    EXPECT_EQ(m_window->GetPages().Count(), 2);
}

TEST_F(ImageImportTest, NoteFileDroppedWithAnImageIsTreatedAsAnImage)
{
    m_window->Import().ProcessCommandLine(MakeImages(1));
    const QString note = SavedNote();
    m_prompt->QueueYesNo(true);
    m_window->Actions().Trigger(ActionId::NewNote);
    m_prompt->ClearRequests();
    Drop(Files({ note, MakeImage(QStringLiteral("beside.png")) }), QPoint(300, 300));
    EXPECT_TRUE(m_window->GetPages().NotePath().isEmpty());
    EXPECT_EQ(NoteItemsShown(), 1); // the note file is no picture and is skipped silently
    EXPECT_TRUE(m_prompt->Requests().empty());
}

TEST_F(ImageImportTest, PastesAreKeptAsNumberedFilesOfTheDayInALastingFolder)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/clipboard");
    QDir(folder).removeRecursively();
    ASSERT_FALSE(folder.startsWith(QDir::tempPath()));

    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    ShowAtScaleOne();
    QCursor::setPos(m_window->mapToGlobal(WindowPointOf(QPointF(50, 60))));
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(NoteItemsShown(), 2);

    const QString prefix = folder + QLatin1Char('/') + QDate::currentDate().toString(QStringLiteral("yyyyMMdd_"));
    EXPECT_EQ(ImageAt(0)->GetPicture().FileName(), prefix + QStringLiteral("1.png"));
    EXPECT_EQ(ImageAt(1)->GetPicture().FileName(), prefix + QStringLiteral("2.png"));
    EXPECT_EQ(QImage(prefix + QStringLiteral("2.png")).pixelColor(5, 5), QColor(Qt::red));
    // At the pointer, at the picture's own size, and stored in the note like any file.
    EXPECT_EQ(ImageAt(0)->GetBounds(), QRectF(50, 60, 120, 80));
    const QString note_text = NoteDocument::PageTextOf(m_window->PageCanvas());
    EXPECT_TRUE(note_text.contains(prefix + QStringLiteral("1.png"))) << note_text.toStdString();
    EXPECT_EQ(m_window->GetPages().History().Count(), 2);
    QDir(folder).removeRecursively();
}

TEST_F(ImageImportTest, DraggedPictureIsPlacedLikeAPaste)
{
    QStandardPaths::setTestModeEnabled(true);
    ShowAtScaleOne();
    auto* data = new QMimeData;
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    data->setImageData(picture);
    Drop(data, WindowPointOf(QPointF(100, 200)));
    ASSERT_EQ(NoteItemsShown(), 1);
    EXPECT_EQ(ImageAt(0)->GetBounds(), QRectF(100, 200, 30, 20));
    EXPECT_TRUE(QFileInfo::exists(ImageAt(0)->GetPicture().FileName()));
    QFile::remove(ImageAt(0)->GetPicture().FileName());
}

TEST_F(ImageImportTest, EmptyClipboardPastesNothing)
{
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 0);
    EXPECT_TRUE(m_window->GetPages().History().IsEmpty());
}

TEST_F(ImageImportTest, OpenImageButtonAsksWithTheImageFilterAndReportsAFailure)
{
    m_window->RunIdlePass();
    m_prompt->QueueOpenFile(m_folder.filePath(QStringLiteral("missing.png")));
    Click(m_window->ToolBarWidget(), QStringLiteral("OpenImage"));
    ASSERT_EQ(m_prompt->Requests().size(), 2u);
    EXPECT_EQ(m_prompt->Requests()[0].kind, ScriptedUserPrompt::Kind::OpenFile);
    const QString filter = m_prompt->Requests()[0].file.filter;
    EXPECT_TRUE(filter.startsWith(QStringLiteral("画像ファイル (*.jpg;*.jpeg;"))) << filter.toStdString();
    EXPECT_TRUE(filter.endsWith(QStringLiteral(";|すべてのファイル (*.*)|*.*||"))) << filter.toStdString();
    for (const char* pattern : { "*.gif;", "*.png;", "*.bmp;", "*.tif;", "*.tiff;", "*.webp;", "*.heic;", "*.heif;", "*.avif;", "*.jxl;" })
        EXPECT_EQ(filter.count(QLatin1String(pattern)), 2) << pattern;
    EXPECT_EQ(m_prompt->Requests()[1].text, QStringLiteral("missing.png を開けませんでした: ファイルが見つかりません"));
    EXPECT_EQ(NoteItemsShown(), 0);

    m_prompt->QueueOpenFile(MakeImage(QStringLiteral("there.png")));
    Click(m_window->ToolBarWidget(), QStringLiteral("OpenImage"));
    EXPECT_EQ(NoteItemsShown(), 1);
}

TEST_F(ImageImportTest, APictureThatCannotBeKeptAsAFileIsReported)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString folder = data + QStringLiteral("/clipboard");
    QDir(folder).removeRecursively();
    // A file where the folder should be.
    ASSERT_TRUE(QDir().mkpath(data));
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    EXPECT_TRUE(m_window->Import().PlaceBitmap(picture, QPoint(300, 300)));
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].icon, MessageIcon::Warning);
    EXPECT_EQ(NoteItemsShown(), 1); // shown, though it cannot be saved
    QFile::remove(folder);
}
