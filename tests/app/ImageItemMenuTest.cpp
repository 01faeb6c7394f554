#include "app/ActionId.h"
#include "app/ImageImport.h"
#include "app/MainWindow.h"
#include "app/PageCanvasWidget.h"

#include "items/Canvas.h"
#include "items/DecodeWait.h"
#include "items/ImageSaveTarget.h"
#include "items/NoteItem.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ImageItemMenu.h"
#include "platform/ScriptedUserPrompt.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include "TestSupport.h"

namespace {

// Four quadrants of different colours, so that a turned picture looks different.
QImage Quadrants(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int half_width = size.width() / 2;
    const int half_height = size.height() / 2;
    painter.fillRect(0, 0, half_width, half_height, QColor(220, 30, 30));
    painter.fillRect(half_width, 0, size.width() - half_width, half_height, QColor(30, 200, 30));
    painter.fillRect(0, half_height, half_width, size.height() - half_height, QColor(30, 30, 220));
    painter.fillRect(half_width, half_height, size.width() - half_width, size.height() - half_height, QColor(230, 230, 40));
    return image;
}

bool Near(QColor a, QColor b)
{
    constexpr int kTolerance = 40;
    return std::abs(a.red() - b.red()) <= kTolerance && std::abs(a.green() - b.green()) <= kTolerance
        && std::abs(a.blue() - b.blue()) <= kTolerance;
}

// The editor with one photograph of 640 x 480 on its page, shown at half its size at (100, 100),
// beside a second photograph in the same folder. The menu is opened with real right clicks
// on the page and answered through the scripted prompt.
class ImageItemMenuTest : public ::testing::Test {
protected:
    ImageItemMenuTest()
    {
        m_prompt = &ScriptedUserPrompt::Install();
        auto dialogs = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = dialogs.get();
        SetDialogs(std::move(dialogs));
        SetDesktopOpener([this](const QUrl& url) {
            m_opened.push_back(url);
            return true;
        });
        m_photos = m_dir.path() + "/photos/";
        QDir().mkpath(m_photos);
        QDir().mkpath(m_dir.path() + "/out");
        Quadrants({ 640, 480 }).save(m_photos + "a.png");
        Quadrants({ 300, 300 }).save(m_photos + "b.png");
        TestSupport::ForgetKeptSettings();
        m_window = std::make_unique<MainWindow>();
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    ~ImageItemMenuTest() override
    {
        m_window.reset();
        SetDesktopOpener(nullptr);
        SetDialogs(nullptr);
    }

    Canvas& Page() { return m_window->PageCanvas(); }
    int NoteItems() { return int(NoteItemsOf(Page()).size()); }
    ImageItem* Top() { return dynamic_cast<ImageItem*>(Page().ItemAt(Page().ItemCount() - 1)); }

    ImageItem& Place(const QString& path)
    {
        EXPECT_TRUE(m_window->Import().PlaceImage(path, {}, Placement::AtPoint, 0, -1));
        ImageItem* item = Top();
        EXPECT_NE(item, nullptr);
        item->SetAnchor(Item::kLeft, "L100");
        item->SetAnchor(Item::kTop, "T100");
        item->SetZoom(0.5f);
        m_window->RepaintPageCanvas();
        m_window->GetPages().RecordChanges();
        return *item;
    }

    QPoint Device(QPointF page) { return Page().ToDevice(page).toPoint(); }
    // Opens the item's menu with the right button and picks an entry.
    void ChooseFromMenu(const ImageItem& item, int command)
    {
        PageCanvasWidget& view = m_window->PageWidget();
        const QPoint point = Device(item.GetBounds().center());
        m_prompt->QueueMenuChoice(command);
        QTest::mouseMove(&view, point);
        QTest::mousePress(&view, Qt::RightButton, {}, point);
        QTest::mouseRelease(&view, Qt::RightButton, {}, point);
    }
    // The page's text as the note keeps it.
    QString CurrentStep() { return m_window->GetPages().List().at(m_window->GetPages().Current()); }

    // The page as the window shows it once its pictures have arrived, at a page point.
    QColor Probe(QPointF page)
    {
        WaitForDecodes();
        Page().RenderVisibleArea(OpaqueShortcut::Off);
        return Page().BackBuffer().pixelColor(Device(page) * Page().BackBuffer().devicePixelRatio());
    }
    // The colours at the centres of the four quadrants of the item.
    std::vector<QColor> Quarters(const QRectF& bounds)
    {
        std::vector<QColor> colours;
        for (const QPointF& at : { QPointF(0.25, 0.25), QPointF(0.75, 0.25), QPointF(0.25, 0.75), QPointF(0.75, 0.75) })
            colours.push_back(Probe(bounds.topLeft() + QPointF(at.x() * bounds.width(), at.y() * bounds.height())));
        return colours;
    }

    QTemporaryDir m_dir;
    QString m_photos;
    ScriptedUserPrompt* m_prompt { nullptr };
    ScriptedLayoutDialogs* m_dialogs { nullptr };
    std::vector<QUrl> m_opened;
    std::unique_ptr<MainWindow> m_window;
};

}

TEST_F(ImageItemMenuTest, EveryEntryActsAndRecordsAnUndoStep)
{
    struct Row {
        int command;
        std::function<void(ImageItem&)> prepare;
        // Checks the page after the command; the item is gone for some commands.
        std::function<void()> check;
        bool records_step;
    };
    const QString saved = m_dir.path() + "/out/saved.bmp";
    const std::vector<Row> rows {
        { ImageItemMenu::kDuplicate, nullptr, [&] {
             ASSERT_EQ(NoteItems(), 2);
             EXPECT_EQ(Top()->GetBounds(), QRectF(130, 130, 320, 240));
             EXPECT_EQ(Page().ActiveItem(), Top());
         }, true },
        { ImageItemMenu::kDelete, nullptr, [&] {
             EXPECT_EQ(NoteItems(), 0);
             EXPECT_TRUE(QFile::exists(m_photos + "a.png"));
         }, true },
        { ImageItemMenu::kClearTrim, [](ImageItem& item) { item.SetTrims({ 10, 20, 30, 40 }); }, [&] {
             EXPECT_EQ(Top()->GetTrims(), ImageItem::Trims {});
             // The whole picture, at the zoom the item had: (320 + 40) / 640.
             EXPECT_EQ(Top()->GetBounds(), QRectF(90, 80, 360, 270));
         }, true },
        { ImageItemMenu::kRotateRight, nullptr, [&] {
             EXPECT_EQ(Top()->QuarterTurns(), 1);
             EXPECT_EQ(Top()->GetBounds(), QRectF(140, 60, 240, 320));
         }, true },
        { ImageItemMenu::kRotateLeft, nullptr, [&] { EXPECT_EQ(Top()->QuarterTurns(), -1); }, true },
        { ImageItemMenu::kRepeat, nullptr, [&] {
             EXPECT_TRUE(Top()->GetPicture().Repeat());
             const PopupMenu menu = ImageItemMenu::Build(*Top());
             for (size_t entry = 0; entry < menu.entries.size(); ++entry)
                 EXPECT_EQ(menu.entries[entry].checked, entry == 6) << entry;
         }, true },
        { ImageItemMenu::kOpenFolder, nullptr, [&] {
             ASSERT_EQ(m_opened.size(), 1u);
             EXPECT_EQ(m_opened[0], QUrl::fromLocalFile(m_photos));
         }, false },
        { ImageItemMenu::kScatter, nullptr, [&] {
             ASSERT_EQ(NoteItems(), 2);
             EXPECT_EQ(Top()->GetPicture().FileName(), m_photos + "b.png");
         }, true },
        { ImageItemMenu::kSaveImage, [&](ImageItem&) { m_prompt->QueueSaveFile(saved); }, [&] {
             const ScriptedUserPrompt::Request& asked = m_prompt->Requests().back();
             EXPECT_EQ(asked.kind, ScriptedUserPrompt::Kind::SaveFile);
             EXPECT_EQ(asked.file.filter, "PNG|*.png|JPEG|*.jpg|GIF|*.gif|BMP|*.bmp|TIFF|*.tif||");
             EXPECT_EQ(asked.file.default_extension, "png");
             EXPECT_EQ(asked.file.initial_path, m_photos + "a_2.png");
             EXPECT_EQ(QImage(saved).size(), QSize(320, 240));
             EXPECT_EQ(Top()->GetPicture().FileName(), saved);
         }, true },
        { ImageItemMenu::kZoomHalf, [](ImageItem& item) { item.SetZoom(1); }, [&] { EXPECT_FLOAT_EQ(Top()->ZoomFactor(), 0.5f); }, true },
        { ImageItemMenu::kZoomOne, nullptr, [&] { EXPECT_FLOAT_EQ(Top()->ZoomFactor(), 1); }, true },
        { ImageItemMenu::kZoomTwo, nullptr, [&] { EXPECT_FLOAT_EQ(Top()->ZoomFactor(), 2); }, true },
        { ImageItemMenu::kFitToScreen, nullptr, [&] {
             const QRectF bounds = Top()->GetBounds();
             EXPECT_TRUE(qFuzzyCompare(bounds.width(), qreal(Page().LayoutWidth())) || qFuzzyCompare(bounds.height(), qreal(Page().LayoutHeight())));
         }, true },
        { ImageItemMenu::kFit320, [](ImageItem& item) { item.SetZoom(1); }, [&] { EXPECT_EQ(Top()->GetBounds().size(), QSizeF(320, 240)); }, true },
        { ImageItemMenu::kFit640, nullptr, [&] { EXPECT_EQ(Top()->GetBounds().size(), QSizeF(640, 480)); }, true },
        { ImageItemMenu::kDeleteFile, [&](ImageItem&) { m_prompt->QueueYesNo(true); }, [&] {
             EXPECT_EQ(m_prompt->Requests().back().text, QStringLiteral("ファイルをごみ箱に移動しますか?"));
             EXPECT_EQ(NoteItems(), 0);
             EXPECT_FALSE(QFile::exists(m_photos + "a.png"));
             // In the trash, not deleted.
             EXPECT_TRUE(QFile::exists(m_dir.path() + "/data/Trash/files/a.png"));
         }, true },
    };
    // The desktop's trash of this test is a folder of its own.
    QDir().mkpath(m_dir.path() + "/data");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + "/data"));
    const bool test_paths = QStandardPaths::isTestModeEnabled();
    QStandardPaths::setTestModeEnabled(false);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        Page().SetActiveItem(nullptr);
        m_prompt->QueueYesNo(true);
        m_window->GetPages().ClearPage();
        ASSERT_EQ(NoteItems(), 0);
        ImageItem& item = Place(m_photos + "a.png");
        if (row.prepare)
            row.prepare(item);
        m_window->GetPages().RecordChanges();
        const QString before = CurrentStep();
        const int shown = NoteItems();
        ChooseFromMenu(item, row.command);
        row.check();
        if (!row.records_step) {
            EXPECT_EQ(CurrentStep(), before);
            continue;
        }
        EXPECT_NE(CurrentStep(), before);
        m_window->Actions().Trigger(ActionId::Undo);
        EXPECT_EQ(CurrentStep(), before);
        EXPECT_EQ(NoteItems(), shown);
        // The file comes back from the trash with the item.
        EXPECT_TRUE(QFile::exists(m_photos + "a.png"));
    }
    qunsetenv("XDG_DATA_HOME");
    QStandardPaths::setTestModeEnabled(test_paths);
}

TEST_F(ImageItemMenuTest, SavedImagesLookTheSameAfterTheNoteIsOpenedAgain)
{
    for (const char* extension : { "jpg", "gif", "png", "bmp", "tif" }) {
        for (const bool turned : { false, true }) {
            SCOPED_TRACE(std::string(extension) + (turned ? " turned" : ""));
            if (m_window->IsLocked())
                m_window->Actions().Trigger(ActionId::Lock);
            m_prompt->QueueYesNo(true);
            m_window->Actions().Trigger(ActionId::NewNote);
            ImageItem& item = Place(m_photos + "a.png");
            if (turned)
                ChooseFromMenu(item, ImageItemMenu::kRotateRight);
            const QRectF bounds = Top()->GetBounds();
            const std::vector<QColor> shown = Quarters(bounds);

            const QString path = m_dir.path() + QString("/out/%1%2.%3").arg(turned ? "turned" : "upright").arg(extension).arg(extension);
            m_prompt->QueueSaveFile(path);
            if (QString(extension) == "jpg")
                m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("OK")); });
            ChooseFromMenu(*Top(), ImageItemMenu::kSaveImage);
            ASSERT_EQ(Top()->GetPicture().FileName(), path);
            EXPECT_EQ(Top()->QuarterTurns(), 0);
            EXPECT_EQ(m_dialogs->PendingScripts(), 0);

            const std::vector<QColor> baked = Quarters(Top()->GetBounds());
            const QString note = m_dir.path() + QString("/out/%1%2.tsy").arg(turned).arg(extension);
            ASSERT_TRUE(m_window->SaveNote(note));
            m_prompt->QueueYesNo(true);
            m_window->Actions().Trigger(ActionId::NewNote);
            ASSERT_TRUE(m_window->OpenNote(note));
            ASSERT_EQ(NoteItems(), 1);
            EXPECT_EQ(Top()->GetBounds(), bounds);
            const std::vector<QColor> reopened = Quarters(Top()->GetBounds());
            for (int quarter = 0; quarter < 4; ++quarter) {
                EXPECT_TRUE(Near(baked[quarter], shown[quarter])) << quarter << " " << baked[quarter].name().toStdString();
                EXPECT_TRUE(Near(reopened[quarter], shown[quarter])) << quarter << " " << reopened[quarter].name().toStdString();
            }
        }
    }
}

TEST_F(ImageItemMenuTest, SnapCommandSwitchesSnappingOnThePage)
{
    EXPECT_TRUE(Page().GetSnapGrid().on);
    EXPECT_EQ(Page().GetSnapGrid().x, m_window->SnapLinesX());
    EXPECT_FALSE(Page().GetSnapGrid().x.empty());
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_FALSE(m_window->IsSnapOn());
    EXPECT_FALSE(Page().GetSnapGrid().on);

    // A move that would end 3 page units from a grid line stays where it is dropped. At 50 %
    // ten window pixels are twenty page units exactly.
    m_window->View().SetZoomMode(ViewState::ZoomMode::Fixed);
    m_window->View().SetZoom(0.5f);
    m_window->ApplyViewZoom();
    ImageItem& item = Place(m_photos + "a.png");
    const float line = m_window->SnapLinesX().at(1);
    item.SetAnchor(Item::kLeft, "L" + QString::number(line + 3 + 10));
    m_window->RepaintPageCanvas();
    const auto drag_left_by_ten = [&] {
        PageCanvasWidget& view = m_window->PageWidget();
        const QPointF centre = Top()->GetBounds().center();
        QTest::mousePress(&view, Qt::LeftButton, {}, Device(centre));
        QTest::mouseMove(&view, Device(centre - QPointF(10, 0)));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, Device(centre - QPointF(10, 0)));
    };
    drag_left_by_ten();
    EXPECT_NEAR(Top()->Left(), line + 3, 0.01);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_TRUE(Page().GetSnapGrid().on);
    Top()->SetAnchor(Item::kLeft, "L" + QString::number(line + 3 + 10));
    drag_left_by_ten();
    EXPECT_NEAR(Top()->Left(), line, 0.01);
}

// Save image through the menu, as the user picks the name: every spelling of the extensions
// the program writes, a source in a format it only reads, and failures the user is told of.
TEST_F(ImageItemMenuTest, SaveImageTakesEveryWrittenExtensionAndReportsFailures)
{
    struct Row {
        const char* name;
        const char* format; // as QImageReader names it; empty for a save that must fail
    };
    const Row rows[] = {
        { "a.jpeg", "jpeg" }, { "b.JPG", "jpeg" }, { "c.tif", "tiff" }, { "d.tiff", "tiff" },
        { "e.PNG", "png" }, { "f.txt", "" }, { "missing/g.png", "" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Page().SetActiveItem(nullptr);
        m_prompt->QueueYesNo(true);
        m_window->GetPages().ClearPage();
        Place(m_photos + "a.png");
        const QString path = m_dir.path() + "/out/" + QString::fromLatin1(row.name);
        m_prompt->ClearRequests();
        m_prompt->QueueSaveFile(path);
        const bool is_jpeg = QByteArray(row.format) == "jpeg";
        if (is_jpeg)
            m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("OK")); });
        ChooseFromMenu(*Top(), ImageItemMenu::kSaveImage);
        const auto& asked = m_prompt->Requests();
        if (*row.format) {
            EXPECT_EQ(Top()->GetPicture().FileName(), path);
            EXPECT_EQ(QImageReader(path).format(), QByteArray(row.format));
            EXPECT_EQ(QImageReader(path).size(), QSize(320, 240));
            EXPECT_EQ(asked.size(), 2u); // the menu and the save dialog
        } else {
            EXPECT_EQ(Top()->GetPicture().FileName(), m_photos + "a.png");
            EXPECT_FALSE(QFileInfo::exists(path));
            ASSERT_EQ(asked.size(), 3u);
            EXPECT_EQ(asked.back().kind, ScriptedUserPrompt::Kind::Message);
            EXPECT_TRUE(asked.back().text.startsWith(QStringLiteral("画像の保存に失敗しました。\n") + path)) << asked.back().text.toStdString();
        }
    }

    // Cancelling the quality question is the user's own choice: nothing is said.
    m_prompt->ClearRequests();
    m_prompt->QueueSaveFile(m_dir.path() + "/out/cancelled.jpg");
    m_dialogs->Queue([](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("Cancel")); });
    ChooseFromMenu(*Top(), ImageItemMenu::kSaveImage);
    EXPECT_EQ(m_prompt->Requests().size(), 2u);
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/out/cancelled.jpg"));
}

TEST_F(ImageItemMenuTest, SaveImageSuggestsPngForAFormatTheProgramDoesNotWrite)
{
    // WebP where Qt has it, else another format Qt reads and the program does not write.
    const QByteArray format = QImageWriter::supportedImageFormats().contains("webp") ? "webp" : "ppm";
    const QString source = m_photos + "c." + QString::fromLatin1(format);
    ASSERT_TRUE(Quadrants({ 200, 100 }).save(source, format.constData()));
    Place(source);
    ASSERT_EQ(Top()->GetPicture().FileName(), source);
    const QString saved = m_dir.path() + "/out/c.png";
    m_prompt->QueueSaveFile(saved);
    ChooseFromMenu(*Top(), ImageItemMenu::kSaveImage);
    const auto& requests = m_prompt->Requests();
    const auto dialog = std::find_if(requests.begin(), requests.end(),
        [](const ScriptedUserPrompt::Request& request) { return request.kind == ScriptedUserPrompt::Kind::SaveFile; });
    ASSERT_NE(dialog, requests.end());
    EXPECT_EQ(dialog->file.default_extension, "png");
    EXPECT_TRUE(dialog->file.filter.startsWith("PNG|*.png|")) << dialog->file.filter.toStdString();
    EXPECT_EQ(dialog->file.initial_path, m_photos + "c_2.png");
    EXPECT_EQ(Top()->GetPicture().FileName(), saved);
    EXPECT_EQ(QImageReader(saved).format(), "png");
}

// Saving the picture of a photograph never costs the photograph: the dialog proposes a new
// name beside it, and writing over it, or over an image on another page, takes a second
// question that names the file.
TEST_F(ImageItemMenuTest, SaveImageKeepsTheOriginalUnlessTheUserAgreesTwice)
{
    const QString source = m_photos + "shot.jpg";
    ASSERT_TRUE(Quadrants({ 640, 480 }).save(source, "JPEG"));
    const QString other = m_photos + "b.png";
    const QString unrelated = m_dir.path() + "/out/unrelated.png";
    Quadrants({ 10, 10 }).save(unrelated);
    const QByteArray original = TestSupport::ReadAll(source);
    const QByteArray other_bytes = TestSupport::ReadAll(other);
    Place(other);
    ASSERT_TRUE(m_window->GetPages().Next());
    Place(source);
    const auto press_ok = [](ScriptedDialog& dialog) { dialog.Press(QStringLiteral("OK")); };
    const auto questions = [&] {
        QStringList asked;
        for (const ScriptedUserPrompt::Request& request : m_prompt->Requests())
            if (request.kind == ScriptedUserPrompt::Kind::YesNo)
                asked << request.text;
        return asked;
    };

    // Accepted as proposed: a new file beside the photograph.
    m_prompt->ClearRequests();
    m_prompt->QueueSaveFileAsProposed();
    m_dialogs->Queue(press_ok);
    ChooseFromMenu(*Top(), ImageItemMenu::kSaveImage);
    ASSERT_EQ(m_prompt->Requests().size(), 2u);
    EXPECT_EQ(m_prompt->Requests()[1].file.initial_path, m_photos + "shot_2.jpg");
    EXPECT_EQ(Top()->GetPicture().FileName(), m_photos + "shot_2.jpg");
    EXPECT_EQ(QImageReader(m_photos + "shot_2.jpg").size(), QSize(320, 240));
    EXPECT_EQ(TestSupport::ReadAll(source), original);

    // The next free name for the photograph placed again, whatever else the folder holds.
    ImageItem& again = Place(source);
    EXPECT_EQ(ImageItemMenu::ProposedSavePath(again), m_photos + "shot_3.jpg");
    Page().RemoveItem(&again);

    struct Row {
        QString chosen;
        bool yes;
        bool asked;
    };
    // The picture now shows the saved file: that is its own file from here on.
    const QString own = m_photos + "shot_2.jpg";
    const Row rows[] = {
        { own, false, true },   // the picture's own file, and the user says No
        { other, false, true }, // an image on the first page
        { own, true, true },
        { other, true, true },     // the picture then shows the first page's image
        { unrelated, false, false }, // a file the note does not use: the dialog asked already
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.chosen.toStdString() + (row.yes ? " yes" : " no"));
        const QString shown = Top()->GetPicture().FileName();
        m_prompt->ClearRequests();
        m_prompt->QueueSaveFile(row.chosen);
        if (row.asked)
            m_prompt->QueueYesNo(row.yes);
        const bool writes = row.yes || !row.asked;
        if (writes && row.chosen.endsWith(".jpg"))
            m_dialogs->Queue(press_ok);
        ChooseFromMenu(*Top(), ImageItemMenu::kSaveImage);
        const QStringList asked = questions();
        ASSERT_EQ(asked.size(), row.asked ? 1 : 0);
        if (row.asked) {
            EXPECT_EQ(asked[0], ImageSaveTarget::WriteOverQuestion(row.chosen));
        }
        EXPECT_EQ(Top()->GetPicture().FileName(), writes ? row.chosen : shown);
        if (writes) {
            EXPECT_EQ(QImageReader(row.chosen).size(), QSize(320, 240));
        } else {
            EXPECT_EQ(TestSupport::ReadAll(source), original);
            EXPECT_EQ(TestSupport::ReadAll(other), other_bytes);
        }
        EXPECT_EQ(m_dialogs->PendingScripts(), 0);
    }
}
