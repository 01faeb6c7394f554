#include "app/ActionId.h"
#include "app/ImageImport.h"
#include "app/MainWindow.h"
#include "app/NoteRecovery.h"
#include "app/PageCanvasWidget.h"

#include "document/NoteDocument.h"
#include "document/NoteFileText.h"
#include "document/RecoveryFile.h"
#include "items/Canvas.h"
#include "items/DecodeWait.h"
#include "items/NoteItem.h"
#include "items/RepaintCheck.h"
#include "items/ScriptedLayoutDialogs.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "noteitems/ImageItemMenu.h"
#include "noteitems/MandelbrotItem.h"
#include "noteitems/TextNoteItem.h"
#include "platform/ScriptedUserPrompt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>
#include <memory>

// What the user does in the editor window and what they get: the title's mark, the undo
// step, the recovery copy, the saved file and the note opened again. Every action goes through
// the real window with real input events on the page, which holds two photographs, a text and
// a Mandelbrot picture at fractional places, shown at half size.
namespace {

using Kind = ScriptedUserPrompt::Kind;

QImage Quadrants(QSize size, QColor first)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(0, 0, w, h, first);
    painter.fillRect(w, 0, size.width() - w, h, QColor(30, 200, 30));
    painter.fillRect(0, h, w, size.height() - h, QColor(30, 30, 220));
    painter.fillRect(w, h, size.width() - w, size.height() - h, QColor(230, 230, 40));
    return image;
}

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class UserScenario : public ::testing::Test {
protected:
    UserScenario()
    {
        m_prompt = &ScriptedUserPrompt::Install();
        auto dialogs = std::make_unique<ScriptedLayoutDialogs>();
        m_dialogs = dialogs.get();
        SetDialogs(std::move(dialogs));
        m_photos = m_dir.path() + "/photos/";
        QDir().mkpath(m_photos);
        Quadrants({ 640, 480 }, QColor(220, 30, 30)).save(m_photos + "a.png");
        Quadrants({ 300, 300 }, QColor(250, 120, 0)).save(m_photos + "b.png");
        Quadrants({ 200, 100 }, QColor(120, 0, 120)).save(m_photos + "c.png");
        m_note = m_dir.path() + "/trip.tsy";
        QFile note(m_note);
        EXPECT_TRUE(note.open(QIODevice::WriteOnly));
        note.write(QStringLiteral(
            "[TSImage]\r\nFileName=photos\\a.png,0,0,0,0\r\nFolderPath=photos\\\r\nRotate=0\r\nPos=L40.5,T30.25,W160,H120\r\n\r\n"
            "[TSImage]\r\nFileName=photos\\b.png,0,0,0,0\r\nFolderPath=photos\\\r\nRotate=0\r\nPos=L260.5,T40.5,W150,H150\r\n\r\n"
            "[Text]\r\nText=旅行\r\nFont=20,Sans\r\nColor=0xff102030\r\nPos=L60.5,T220.25,W200,H60\r\n\r\n"
            "[Mandelbrot]\r\nShift=-0.5,0\r\nZoomRate=1\r\nPos=L300.5,T230.5,W160,H120\r\n\r\n"
            "-\r\n\r\n"
            "[Text]\r\nText=page two\r\nFont=20,Sans\r\nPos=L10,T10,W200,H60\r\n\r\n")
                       .toUtf8());
        note.close();

        EXPECT_TRUE(m_recovery.Start());
        m_window = std::make_unique<MainWindow>();
        m_window->SetRecovery(&m_recovery);
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
        EXPECT_TRUE(m_window->OpenNote(m_note));
        Key(Qt::Key_L, Qt::ControlModifier); // unlock
        EXPECT_FALSE(m_window->IsLocked());
        // Stepping through a folder needs its listing.
        EXPECT_TRUE(QTest::qWaitFor([] { return !FolderListingCache::Instance().Running(); }, 5000));
        m_prompt->ClearRequests();
    }
    ~UserScenario() override
    {
        m_window.reset();
        SetDialogs(nullptr);
    }

    Canvas& Page() { return m_window->PageCanvas(); }
    PageCanvasWidget& View() { return m_window->PageWidget(); }
    Pages& GetPages() { return m_window->GetPages(); }
    QString Shown() { return NoteDocument::PageTextOf(Page()); }
    QString Stored() { return GetPages().List().at(GetPages().Current()); }
    bool Starred() { return m_window->windowTitle().startsWith(u'*'); }

    template <typename T>
    T* Find(const QString& file = {})
    {
        for (Item* note_item : NoteItemsOf(Page())) {
            auto* item = dynamic_cast<T*>(note_item);
            if (!item)
                continue;
            if constexpr (std::is_same_v<T, ImageItem>) {
                if (!item->GetPicture().FileName().endsWith(file))
                    continue;
            }
            return item;
        }
        return nullptr;
    }
    ImageItem& Photo(const char* name)
    {
        ImageItem* item = Find<ImageItem>(QString::fromLatin1(name));
        EXPECT_NE(item, nullptr) << name;
        return *item;
    }
    QPointF CentreOf(const Item& item) { return item.GetBounds().center(); }

    QPoint Device(QPointF page) { return Page().ToDevice(page).toPoint(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&View(), key, modifiers); }
    void Click(QPointF page)
    {
        QTest::mouseMove(&View(), Device(page));
        QTest::mouseClick(&View(), Qt::LeftButton, {}, Device(page));
    }
    void DoubleClick(QPointF page)
    {
        QTest::mouseMove(&View(), Device(page));
        QTest::mouseDClick(&View(), Qt::LeftButton, {}, Device(page));
    }
    void Choose(QPointF page, std::optional<int> entry)
    {
        m_prompt->QueueMenuChoice(entry);
        QTest::mouseMove(&View(), Device(page));
        QTest::mousePress(&View(), Qt::RightButton, {}, Device(page));
        QTest::mouseRelease(&View(), Qt::RightButton, {}, Device(page));
    }
    void Drag(QPointF from, QPointF to, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseMove(&View(), Device(from));
        QTest::mousePress(&View(), Qt::LeftButton, modifiers, Device(from));
        QTest::mouseMove(&View(), Device((from + to) / 2));
        QTest::mouseMove(&View(), Device(to));
        QTest::mouseRelease(&View(), Qt::LeftButton, modifiers, Device(to));
    }
    void Wheel(QPointF page, int delta)
    {
        const QPointF at(Device(page));
        QWheelEvent event(at, View().mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&View(), &event);
    }
    bool CopyHolds(const QString& page_text)
    {
        return QTest::qWaitFor([&] {
            const auto copy = RecoveryFile::Read(m_recovery.FilePath());
            return copy && !copy->pages.isEmpty() && copy->pages[0] == page_text;
        }, 5000);
    }
    bool CopyGone()
    {
        return QTest::qWaitFor([&] { return !QFileInfo::exists(m_recovery.FilePath()); }, 5000);
    }
    // Opens the saved note again in place of the one shown.
    void Reopen()
    {
        m_prompt->QueueYesNo(true); // erase the note shown, which is saved
        ASSERT_TRUE(m_window->OpenNote(m_note));
        Key(Qt::Key_L, Qt::ControlModifier);
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_data;
    QString m_photos;
    QString m_note;
    NoteRecovery m_recovery { m_data.path() };
    ScriptedUserPrompt* m_prompt { nullptr };
    ScriptedLayoutDialogs* m_dialogs { nullptr };
    std::unique_ptr<MainWindow> m_window;
};

class ScenarioTest;

struct ScenarioRow {
    const char* name;
    // What the user did before: part of the saved note the row starts from.
    std::function<void(ScenarioTest&)> before;
    std::function<void(ScenarioTest&)> act;
    // What the action did, seen in the page text after it.
    std::function<void(ScenarioTest&, const QString& after)> check;
};

class ScenarioTest : public UserScenario, public ::testing::WithParamInterface<ScenarioRow> {
public:
    using UserScenario::Choose;
    using UserScenario::Click;
    using UserScenario::DoubleClick;
    using UserScenario::Drag;
    using UserScenario::Find;
    using UserScenario::Key;
    using UserScenario::Photo;
    using UserScenario::Page;
    using UserScenario::Wheel;
    using UserScenario::m_dialogs;
    using UserScenario::m_photos;
};

// The photo the folder's listing holds steps places from a.png, wrapping as stepping does:
// forward past the end to the first, backward past the start to the last.
QString Stepped(const QString& folder, int steps)
{
    FolderListingCache& cache = FolderListingCache::Instance();
    const int count = cache.Count(folder);
    int index = cache.FindIndex(folder, folder + "a.png");
    for (int step = 0; step < std::abs(steps); ++step) {
        index += steps > 0 ? 1 : -1;
        if (index < 0 || index >= count)
            index = steps > 0 ? 0 : count - 1;
    }
    QString path;
    cache.Get(folder, index, path);
    return path;
}

// Where the user double-clicks a photo that fills the page.
const QPointF kOwnSizeClick(250.25, 180.75);

QPointF Inside(const Item& item, double x, double y)
{
    const QRectF bounds = item.GetBounds();
    return { bounds.left() + x * bounds.width(), bounds.top() + y * bounds.height() };
}

}

TEST_P(ScenarioTest, TheChangeIsOneStepMarkedSavedAndKept)
{
    const ScenarioRow& row = GetParam();
    if (row.before)
        row.before(*this);
    Key(Qt::Key_S, Qt::ControlModifier); // saves into the note's own file
    ASSERT_TRUE(m_prompt->Requests().empty() || m_prompt->Requests().back().kind != Kind::SaveFile);
    ASSERT_FALSE(Starred()) << m_window->windowTitle().toStdString();
    ASSERT_TRUE(CopyGone());
    const QString before = Shown();
    const int steps = GetPages().History().Count();

    row.act(*this);
    const QString after = Shown();
    ASSERT_NE(after, before);
    row.check(*this, after);
    // Recorded: the note keeps the page as shown, in one new undo step.
    EXPECT_EQ(Stored(), after);
    EXPECT_EQ(GetPages().History().Count(), std::min(steps + 1, UndoHistory::kMaxSteps));
    EXPECT_TRUE(Starred());
    EXPECT_TRUE(CopyHolds(after));

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Shown(), before);
    EXPECT_FALSE(Starred()); // back to what is saved
    EXPECT_TRUE(CopyGone());
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Shown(), after);
    EXPECT_TRUE(Starred());

    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(Starred());
    EXPECT_EQ(CutNotePages(ReadText(m_note)).first(), after);
    Reopen();
    EXPECT_EQ(Shown(), after);
    EXPECT_FALSE(Starred());
}

INSTANTIATE_TEST_SUITE_P(UserActions, ScenarioTest,
    ::testing::Values(
        ScenarioRow { "KeyRTurnsTheChosenPhotoRight", [](ScenarioTest& t) { t.Click(Inside(t.Photo("a.png"), 0.3, 0.6)); },
            [](ScenarioTest& t) { t.Key(Qt::Key_R); },
            [](ScenarioTest& t, const QString& after) {
                EXPECT_EQ(t.Photo("a.png").QuarterTurns(), 1);
                EXPECT_TRUE(after.contains("a.png,0.000000,0.000000,0.000000,0.000000\r\nFolderPath=" + t.m_photos + "\r\nRotate=1\r\n"));
                EXPECT_EQ(t.Photo("a.png").GetBounds().size(), QSizeF(120, 160));
            } },
        ScenarioRow { "KeyLTurnsTheChosenPhotoLeft", [](ScenarioTest& t) { t.Click(Inside(t.Photo("a.png"), 0.3, 0.6)); },
            [](ScenarioTest& t) { t.Key(Qt::Key_L); },
            [](ScenarioTest& t, const QString& after) {
                EXPECT_EQ(t.Photo("a.png").QuarterTurns(), -1);
                EXPECT_TRUE(after.contains("\r\nRotate=-1\r\n"));
            } },
        ScenarioRow { "KeyRightShowsTheNextPhotoOfTheFolder", [](ScenarioTest& t) { t.Click(Inside(t.Photo("a.png"), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.Key(Qt::Key_Right); },
            [](ScenarioTest& t, const QString& after) {
                EXPECT_TRUE(after.contains(Stepped(t.m_photos, 1) + ",")) << after.toStdString();
                EXPECT_FALSE(after.contains("a.png,"));
            } },
        ScenarioRow { "KeyLeftShowsThePreviousPhotoOfTheFolder", [](ScenarioTest& t) { t.Click(Inside(t.Photo("a.png"), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.Key(Qt::Key_Left); },
            [](ScenarioTest& t, const QString& after) {
                EXPECT_TRUE(after.contains(Stepped(t.m_photos, -1) + ","));
                EXPECT_FALSE(after.contains("a.png,"));
            } },
        ScenarioRow { "KeyDeleteTakesThePhotoOffThePage", [](ScenarioTest& t) { t.Click(Inside(t.Photo("a.png"), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.Key(Qt::Key_Delete); },
            [](ScenarioTest& t, const QString& after) {
                EXPECT_FALSE(after.contains("a.png,"));
                EXPECT_TRUE(QFileInfo::exists(t.m_photos + "a.png"));
            } },
        ScenarioRow { "ABurstOfWheelTurnsStepsThroughTheFolderInOneStep",
            [](ScenarioTest& t) { t.Click(Inside(t.Photo("a.png"), 0.5, 0.5)); },
            [](ScenarioTest& t) {
                const QPointF at = Inside(t.Photo("a.png"), 0.5, 0.5);
                t.Wheel(at, -120);
                t.Wheel(at, -120);
            },
            [](ScenarioTest& t, const QString& after) { EXPECT_TRUE(after.contains(Stepped(t.m_photos, 2) + ",")); } },
        ScenarioRow { "TheWheelTurnedAwayStepsBack", [](ScenarioTest& t) { t.Click(Inside(t.Photo("a.png"), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.Wheel(Inside(t.Photo("a.png"), 0.5, 0.5), 120); },
            [](ScenarioTest& t, const QString& after) { EXPECT_TRUE(after.contains(Stepped(t.m_photos, -1) + ",")); } },
        ScenarioRow { "DoubleClickFitsThePhotoToThePage", nullptr,
            [](ScenarioTest& t) { t.DoubleClick(Inside(t.Photo("b.png"), 0.5, 0.5)); },
            [](ScenarioTest& t, const QString&) {
                const QRectF bounds = t.Photo("b.png").GetBounds();
                EXPECT_TRUE(qFuzzyCompare(bounds.height(), qreal(t.Page().LayoutHeight()))
                    || qFuzzyCompare(bounds.width(), qreal(t.Page().LayoutWidth())));
            } },
        ScenarioRow { "DoubleClickOnAFittedPhotoShowsItAtItsOwnSizeUnderThePointer",
            [](ScenarioTest& t) { t.DoubleClick(Inside(t.Photo("a.png"), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.DoubleClick(kOwnSizeClick); },
            [](ScenarioTest& t, const QString&) {
                // The picture is 640 by 480, shown at its own size with its middle where clicked.
                const QRectF bounds = t.Photo("a.png").GetBounds();
                EXPECT_EQ(bounds.size(), QSizeF(640, 480));
                EXPECT_NEAR(bounds.center().x(), kOwnSizeClick.x(), 2.5);
                EXPECT_NEAR(bounds.center().y(), kOwnSizeClick.y(), 2.5);
            } },
        ScenarioRow { "DraggingThePhotosRightEdgeCutsItWhereThePointerGoes", nullptr,
            [](ScenarioTest& t) {
                // Pressed a little inside the edge: the edge keeps that distance to the pointer.
                const QRectF bounds = t.Photo("a.png").GetBounds();
                const QPointF from(bounds.right() - 7, bounds.center().y());
                t.Drag(from, from - QPointF(40, 0));
            },
            [](ScenarioTest& t, const QString&) {
                EXPECT_NEAR(t.Photo("a.png").GetBounds().right(), 200.5 - 40, 2.5);
                EXPECT_NEAR(t.Photo("a.png").GetTrims().right, 40, 2.5);
            } },
        ScenarioRow { "ClickingATextBringsItToTheFront", nullptr,
            [](ScenarioTest& t) { t.Click(Inside(*t.Find<TextNoteItem>(), 0.5, 0.5)); },
            [](ScenarioTest&, const QString& after) { EXPECT_GT(after.indexOf("[Text]"), after.indexOf("[Mandelbrot]")); } },
        ScenarioRow { "ClickingTheMandelbrotBringsItToTheFront", [](ScenarioTest& t) { t.Click(Inside(t.Photo("b.png"), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.Click(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5)); },
            [](ScenarioTest&, const QString& after) { EXPECT_GT(after.indexOf("[Mandelbrot]"), after.indexOf("b.png,")); } },
        ScenarioRow { "TextPropertiesFromItsMenu", [](ScenarioTest& t) { t.Click(Inside(*t.Find<TextNoteItem>(), 0.5, 0.5)); },
            [](ScenarioTest& t) {
                t.m_dialogs->Queue([](ScriptedDialog& dialog) {
                    dialog.Change(QStringLiteral("FontSize"), QStringLiteral("Text"), QStringLiteral("30"));
                    dialog.Press(QStringLiteral("OK"));
                });
                t.Choose(Inside(*t.Find<TextNoteItem>(), 0.5, 0.5), 0);
            },
            [](ScenarioTest&, const QString& after) { EXPECT_TRUE(after.contains("Font=30,")) << after.toStdString(); } },
        ScenarioRow { "DraggingAPhotoMovesIt", nullptr,
            [](ScenarioTest& t) {
                const QPointF from = Inside(t.Photo("a.png"), 0.5, 0.5);
                t.Drag(from, from + QPointF(37, 21));
            },
            [](ScenarioTest& t, const QString&) { EXPECT_NEAR(t.Photo("a.png").Left(), 40.5 + 37, 8); } },
        ScenarioRow { "AShiftDragCutsOutThePartDraggedOver", nullptr,
            [](ScenarioTest& t) {
                ImageItem& photo = t.Photo("a.png");
                t.Drag(Inside(photo, 0.25, 0.25), Inside(photo, 0.75, 0.75), Qt::ShiftModifier);
            },
            [](ScenarioTest& t, const QString&) {
                // The photo was 160 by 120 at (40.5, 30.25); the middle quarter stays where it was.
                const QRectF bounds = t.Photo("a.png").GetBounds();
                EXPECT_NEAR(bounds.left(), 80.5, 2);
                EXPECT_NEAR(bounds.top(), 60.25, 2);
                EXPECT_NEAR(bounds.width(), 80, 3);
                EXPECT_NEAR(bounds.height(), 60, 3);
                const ImageItem::Trims trims = t.Photo("a.png").GetTrims();
                EXPECT_NEAR(trims.left, 40, 2);
                EXPECT_NEAR(trims.top, 30, 2);
                EXPECT_NEAR(trims.right, 40, 3);
                EXPECT_NEAR(trims.bottom, 30, 3);
            } },
        ScenarioRow { "TabRaisesTheLowestItem", nullptr, [](ScenarioTest& t) { t.Key(Qt::Key_Tab); },
            [](ScenarioTest&, const QString& after) {
                EXPECT_GT(after.indexOf("a.png,"), after.indexOf("[Mandelbrot]"));
            } },
        ScenarioRow { "DuplicateKeepsTheTrims",
            [](ScenarioTest& t) {
                // Cut out the middle of the photo with Shift.
                ImageItem& photo = t.Photo("a.png");
                t.Drag(Inside(photo, 0.25, 0.25), Inside(photo, 0.75, 0.75), Qt::ShiftModifier);
            },
            [](ScenarioTest& t) { t.Choose(Inside(t.Photo("a.png"), 0.5, 0.5), ImageItemMenu::kDuplicate); },
            [](ScenarioTest& t, const QString& after) {
                const ImageItem::Trims trims = t.Photo("a.png").GetTrims();
                EXPECT_GT(trims.left, 0);
                int copies = 0;
                for (Item* note_item : NoteItemsOf(t.Page()))
                    if (auto* image = dynamic_cast<ImageItem*>(note_item);
                        image && image->GetPicture().FileName().endsWith("a.png") && image->GetTrims() == trims)
                        ++copies;
                EXPECT_EQ(copies, 2) << after.toStdString();
            } },
        ScenarioRow { "TextPropertiesOkIsOneStep", nullptr,
            [](ScenarioTest& t) {
                t.m_dialogs->Queue([](ScriptedDialog& dialog) {
                    dialog.Change(QStringLiteral("FontSize"), QStringLiteral("Text"), QStringLiteral("24"));
                    dialog.Change(QStringLiteral("Text"), QStringLiteral("Text"), QStringLiteral("旅行 2"));
                    dialog.Press(QStringLiteral("OK"));
                });
                t.DoubleClick(Inside(*t.Find<TextNoteItem>(), 0.5, 0.5));
            },
            [](ScenarioTest&, const QString& after) {
                EXPECT_TRUE(after.contains("Text=旅行 2\r\n")) << after.toStdString();
                EXPECT_TRUE(after.contains("Font=24,")) << after.toStdString();
            } },
        ScenarioRow { "TheTextsWheelChangesItsFont", [](ScenarioTest& t) { t.Click(Inside(*t.Find<TextNoteItem>(), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.Wheel(Inside(*t.Find<TextNoteItem>(), 0.5, 0.5), 120); },
            // Turned away from the user, the wheel makes the text smaller.
            [](ScenarioTest&, const QString& after) { EXPECT_TRUE(after.contains("Font=18,")) << after.toStdString(); } },
        ScenarioRow { "TheMandelbrotsWheelZooms", [](ScenarioTest& t) { t.Click(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.Wheel(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5), 120); },
            [](ScenarioTest&, const QString& after) { EXPECT_FALSE(after.contains("ZoomRate=1\r\n")) << after.toStdString(); } },
        ScenarioRow { "AShiftDragZoomsIntoTheMandelbrot", nullptr,
            [](ScenarioTest& t) {
                const MandelbrotItem& picture = *t.Find<MandelbrotItem>();
                t.Drag(Inside(picture, 0.2, 0.2), Inside(picture, 0.6, 0.6), Qt::ShiftModifier);
            },
            [](ScenarioTest&, const QString& after) { EXPECT_FALSE(after.contains("ZoomRate=1\r\n")) << after.toStdString(); } },
        ScenarioRow { "ResetFromTheMandelbrotsMenu",
            [](ScenarioTest& t) {
                t.Click(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5));
                t.Wheel(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5), 240);
            },
            [](ScenarioTest& t) { t.Choose(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5), MandelbrotItem::kReset); },
            [](ScenarioTest&, const QString& after) { EXPECT_TRUE(after.contains("Shift=-0.6666")) << after.toStdString(); } },
        ScenarioRow { "MandelbrotPropertiesOkIsOneStep", nullptr,
            [](ScenarioTest& t) {
                t.m_dialogs->Queue([](ScriptedDialog& dialog) {
                    dialog.Change(QStringLiteral("Max"), QStringLiteral("Value"), QStringLiteral("200"));
                    dialog.Change(QStringLiteral("Min"), QStringLiteral("Value"), QStringLiteral("10"));
                    dialog.Press(QStringLiteral("OK"));
                });
                t.Choose(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5), MandelbrotItem::kProperties);
            },
            [](ScenarioTest&, const QString& after) { EXPECT_TRUE(after.contains("Max=200\r\n")) << after.toStdString(); } },
        ScenarioRow { "DoubleClickMakesTheMandelbrotFillThePage", nullptr,
            [](ScenarioTest& t) { t.DoubleClick(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5)); },
            [](ScenarioTest& t, const QString& after) {
                EXPECT_EQ(t.Find<MandelbrotItem>()->GetBounds(), QRectF(0, 0, t.Page().ReferenceWidth(), t.Page().ReferenceHeight()));
                EXPECT_TRUE(after.contains("Pos=L0,T0,W100%,H100%")) << after.toStdString();
            } },
        ScenarioRow { "DoubleClickPutsTheFillingMandelbrotBack",
            [](ScenarioTest& t) { t.DoubleClick(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5)); },
            [](ScenarioTest& t) { t.DoubleClick(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5)); },
            [](ScenarioTest& t, const QString&) { EXPECT_EQ(t.Find<MandelbrotItem>()->GetBounds(), QRectF(300.5, 230.5, 160, 120)); } },
        ScenarioRow { "DeleteFromTheMandelbrotsMenu", nullptr,
            [](ScenarioTest& t) { t.Choose(Inside(*t.Find<MandelbrotItem>(), 0.5, 0.5), MandelbrotItem::kDelete); },
            [](ScenarioTest& t, const QString& after) {
                EXPECT_FALSE(after.contains("[Mandelbrot]"));
                EXPECT_EQ(t.Find<MandelbrotItem>(), nullptr);
            } }),
    [](const ::testing::TestParamInfo<ScenarioRow>& info) { return std::string(info.param.name); });

TEST_F(UserScenario, CancelledPropertiesDialogsChangeNothing)
{
    const QString before = Shown();
    m_dialogs->Queue([](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("FontSize"), QStringLiteral("Text"), QStringLiteral("40"));
        dialog.Press(QStringLiteral("Cancel"));
    });
    DoubleClick(Inside(*Find<TextNoteItem>(), 0.5, 0.5));
    m_dialogs->Queue([](ScriptedDialog& dialog) {
        dialog.Change(QStringLiteral("Max"), QStringLiteral("Value"), QStringLiteral("100"));
        dialog.Close();
    });
    Choose(Inside(*Find<MandelbrotItem>(), 0.5, 0.5), MandelbrotItem::kProperties);
    EXPECT_EQ(m_dialogs->PendingScripts(), 0);
    // The clicks raised both items, which is a change of its own; the dialogs added nothing.
    const int steps = GetPages().History().Count();
    m_window->RunIdlePass();
    EXPECT_EQ(GetPages().History().Count(), steps);
    EXPECT_FALSE(Shown().contains("Max=100"));
    EXPECT_FALSE(Shown().contains("Font=40"));
    while (GetPages().History().CanUndo())
        Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Shown(), before);
    EXPECT_FALSE(Starred());
}

// Each action repaints what it changed: the page shows what painting it afresh shows.
TEST_F(UserScenario, ThePageShowsWhatEachActionChanged)
{
    // The photos are decoded in the background and drawn when they arrive.
    const auto check = [&](const char* action) {
        WaitForDecodes();
        EXPECT_EQ(RepaintCheck::StaleBackBufferPixels(Page()), "") << action;
    };
    check("opening the note");
    Choose(Inside(Photo("b.png"), 0.5, 0.5), std::nullopt); // the menu closed without a choice
    check("right click on a photo");
    Click(Inside(*Find<TextNoteItem>(), 0.5, 0.5));
    check("click on the text");
    Wheel(Inside(*Find<TextNoteItem>(), 0.5, 0.5), -120);
    check("wheel on the text");
    Click(Inside(Photo("a.png"), 0.5, 0.5));
    check("click on a photo");
    Click(QPointF(20.5, 400.5)); // on no item
    check("click beside the photo");
    Choose(Inside(*Find<TextNoteItem>(), 0.5, 0.5), std::nullopt);
    check("right click on the text");
    Click(QPointF(20.5, 400.5)); // on no item
    check("click beside the items");
}

// A right click chooses the picture as a left click does: the wheel then zooms it.
TEST_F(UserScenario, ARightClickedMandelbrotTakesTheWheel)
{
    Choose(Inside(*Find<MandelbrotItem>(), 0.5, 0.5), std::nullopt);
    EXPECT_EQ(Page().ActiveItem(), Find<MandelbrotItem>());
    Wheel(Inside(*Find<MandelbrotItem>(), 0.5, 0.5), 120);
    EXPECT_FALSE(Shown().contains("ZoomRate=1\r\n"));
    EXPECT_TRUE(Starred());
}

// The pointer shows what a press would do where it is: size at an edge, move inside.
TEST_F(UserScenario, ThePointerShowsWhatADragWouldDo)
{
    const auto hover = [&](QPointF page) {
        QTest::mouseMove(&View(), Device(page));
        return View().cursor().shape();
    };
    const QRectF photo = Photo("a.png").GetBounds();
    EXPECT_EQ(hover({ photo.center().x(), photo.bottom() - 2 }), Qt::SizeVerCursor);
    const QRectF text = Find<TextNoteItem>()->GetBounds();
    EXPECT_EQ(hover({ text.right() - 2, text.center().y() }), Qt::SizeHorCursor);
    EXPECT_EQ(hover({ text.center().x(), text.bottom() - 2 }), Qt::SizeVerCursor);
    EXPECT_EQ(hover({ text.right() - 2, text.bottom() - 2 }), Qt::SizeFDiagCursor);
}

TEST_F(UserScenario, UndoAfterAChangeOnAnotherPageShowsThatPageAsItWas)
{
    // A change on page 1, then on to page 2: undo shows page 1 as it was before the change.
    const QString first_page = Shown();
    Click(Inside(Photo("a.png"), 0.5, 0.5));
    const QString raised = Shown();
    Key(Qt::Key_R);
    Key(Qt::Key_PageDown);
    ASSERT_EQ(GetPages().Current(), 1);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(GetPages().Current(), 0);
    EXPECT_EQ(Shown(), raised);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Shown(), first_page);
    EXPECT_FALSE(Starred());
    Key(Qt::Key_Y, Qt::ControlModifier);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(Shown().contains("Rotate=1"));
}

TEST_F(UserScenario, ADeletedPageComesBackWithUndo)
{
    Key(Qt::Key_PageDown);
    const QString second = Shown();
    m_window->Actions().Trigger(ActionId::DeletePage);
    ASSERT_EQ(GetPages().Count(), 1);
    EXPECT_TRUE(Starred());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(GetPages().Count(), 2);
    EXPECT_EQ(GetPages().Current(), 1);
    EXPECT_EQ(Shown(), second);
    EXPECT_FALSE(Starred());
    m_window->Actions().Trigger(ActionId::InsertPage);
    EXPECT_EQ(GetPages().Count(), 3);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(GetPages().Count(), 2);
    EXPECT_EQ(Shown(), second);
}

TEST_F(UserScenario, WhatTheWindowShowsAfterATurnAndAWheelStepIsWhatIsSaved)
{
    Click(Inside(Photo("a.png"), 0.5, 0.5));
    Key(Qt::Key_R);
    Wheel(Inside(Photo("a.png"), 0.5, 0.5), -120); // on to the next photo, shown upright
    ImageItem* stepped = nullptr;
    for (Item* note_item : NoteItemsOf(Page()))
        if (auto* image = dynamic_cast<ImageItem*>(note_item); image && Page().ActiveItem() == image)
            stepped = image;
    ASSERT_NE(stepped, nullptr);
    ASSERT_EQ(stepped->GetPicture().FileName(), Stepped(m_photos, 1));
    const QRectF shown_bounds = stepped->GetBounds();
    const QSize shown_size = stepped->GetPicture().NaturalSize();
    EXPECT_EQ(stepped->QuarterTurns(), 0);
    Key(Qt::Key_S, Qt::ControlModifier);
    Reopen();
    ImageItem* reopened = dynamic_cast<ImageItem*>(Page().ItemAt(Page().ItemCount() - 1));
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetPicture().FileName(), Stepped(m_photos, 1));
    EXPECT_EQ(reopened->GetBounds(), shown_bounds);
    EXPECT_EQ(reopened->GetPicture().NaturalSize(), shown_size);
    EXPECT_EQ(reopened->QuarterTurns(), 0);
}

TEST_F(UserScenario, BakingTakesTheChosenQuality)
{
    qint64 sizes[2] = {};
    const int qualities[2] = { 5, 95 };
    for (int index = 0; index < 2; ++index) {
        const QString path = m_dir.path() + QString("/baked%1.jpg").arg(index);
        m_prompt->QueueSaveFile(path);
        const QString quality = QString::number(qualities[index]);
        m_dialogs->Queue([quality](ScriptedDialog& dialog) {
            dialog.Change(QStringLiteral("EQSlider"), QStringLiteral("Value"), quality);
            dialog.Press(QStringLiteral("OK"));
        });
        ImageItem* photo = Find<ImageItem>(".png");
        if (!photo)
            photo = Find<ImageItem>(".jpg");
        ASSERT_NE(photo, nullptr);
        Choose(Inside(*photo, 0.5, 0.5), ImageItemMenu::kSaveImage);
        ASSERT_TRUE(QFileInfo::exists(path));
        sizes[index] = QFileInfo(path).size();
        EXPECT_TRUE(Shown().contains(path + ","));
    }
    EXPECT_LT(sizes[0] * 2, sizes[1]);
}

TEST_F(UserScenario, AFileDeletedToTheTrashComesBackWithUndo)
{
    QDir().mkpath(m_dir.path() + "/data");
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + "/data"));
    const bool test_paths = QStandardPaths::isTestModeEnabled();
    QStandardPaths::setTestModeEnabled(false);
    const QString file = m_photos + "b.png";

    // The user is asked first; No leaves everything.
    const QString before = Shown();
    m_prompt->QueueYesNo(false);
    Choose(Inside(Photo("b.png"), 0.5, 0.5), ImageItemMenu::kDeleteFile);
    EXPECT_EQ(m_prompt->Requests().back().kind, Kind::YesNo);
    EXPECT_EQ(m_prompt->Requests().back().text, QStringLiteral("ファイルをごみ箱に移動しますか?"));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_NE(Find<ImageItem>("b.png"), nullptr);

    m_prompt->QueueYesNo(true);
    Choose(Inside(Photo("b.png"), 0.5, 0.5), ImageItemMenu::kDeleteFile);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(Find<ImageItem>("b.png"), nullptr);
    const QString trashed = m_dir.path() + "/data/Trash/files/b.png";
    EXPECT_TRUE(QFileInfo::exists(trashed));

    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_FALSE(QFileInfo::exists(trashed));
    EXPECT_FALSE(QFileInfo::exists(m_dir.path() + "/data/Trash/info/b.png.trashinfo"));
    EXPECT_NE(Find<ImageItem>("b.png"), nullptr);
    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(Find<ImageItem>("b.png"), nullptr);

    // Emptied from the trash meanwhile: undo brings the item back and says the file is gone.
    QDir(m_dir.path() + "/data/Trash").removeRecursively();
    m_prompt->ClearRequests();
    Key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().kind, Kind::Message);
    EXPECT_TRUE(m_prompt->Requests().back().text.contains(file));
    EXPECT_EQ(Stored().count("b.png,"), before.count("b.png,"));

    // A file that cannot go to the trash is reported; the photo still leaves the page.
    ASSERT_TRUE(QFile::remove(m_photos + "a.png"));
    m_prompt->QueueYesNo(true);
    Choose(Inside(Photo("a.png"), 0.5, 0.5), ImageItemMenu::kDeleteFile);
    EXPECT_EQ(m_prompt->Requests().back().kind, Kind::Message);
    EXPECT_TRUE(m_prompt->Requests().back().text.startsWith(QStringLiteral("ファイルをごみ箱に移動できませんでした。")));
    EXPECT_EQ(Find<ImageItem>("a.png"), nullptr);

    qunsetenv("XDG_DATA_HOME");
    QStandardPaths::setTestModeEnabled(test_paths);
}

TEST_F(UserScenario, SaveWritesInPlaceAndSaveAsTakesTheNewFile)
{
    Key(Qt::Key_Delete); // nothing active: nothing happens
    Click(Inside(Photo("a.png"), 0.5, 0.5));
    Key(Qt::Key_Delete);
    ASSERT_TRUE(Starred());
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("*trip.tsy - Tessary by Veldran"));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(m_prompt->Requests().empty()); // no dialog for a note with a file
    EXPECT_FALSE(ReadText(m_note).contains("a.png"));

    // Save as: the dialog opens on the note's file; the copy becomes the note's file.
    const QString copy = m_dir.path() + "/elsewhere/copy.tsy";
    QDir().mkpath(m_dir.path() + "/elsewhere");
    m_prompt->QueueSaveFile(copy);
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].file.initial_path, m_note);
    EXPECT_EQ(GetPages().NotePath(), copy);
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("copy.tsy - Tessary by Veldran"));
    // The page never shown keeps its content in the copy; the photos are found from there.
    EXPECT_TRUE(ReadText(copy).contains("page two"));
    Key(Qt::Key_R);
    Key(Qt::Key_Z, Qt::ControlModifier);
    m_prompt->ClearRequests();
    Click(Inside(Photo("b.png"), 0.5, 0.5));
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(m_prompt->Requests().empty());
    EXPECT_EQ(ReadText(copy).count(m_photos + "b.png,"), 1);

    // A new note asks for a name in the folder used last.
    m_prompt->QueueYesNo(true);
    m_window->Actions().Trigger(ActionId::NewNote);
    m_prompt->QueueSaveFile(std::nullopt);
    m_window->Actions().Trigger(ActionId::SaveNote);
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().file.initial_path, m_dir.path() + "/elsewhere/NewFile");
}

TEST_F(UserScenario, NewAndOpenAskAboutChangesOnAnyPage)
{
    Key(Qt::Key_PageDown);
    Drag(Inside(*Find<TextNoteItem>(), 0.5, 0.5), Inside(*Find<TextNoteItem>(), 0.5, 0.5) + QPointF(50, 40));
    const QString moved = Stored();
    Key(Qt::Key_PageUp);
    ASSERT_TRUE(Starred());
    ASSERT_TRUE(CopyHolds(Shown()));

    for (const ActionId command : { ActionId::NewNote, ActionId::OpenNote }) {
        m_prompt->ClearRequests();
        m_prompt->QueueAnswer(Answer::Cancel);
        // Open asks for the note to open first.
        if (command == ActionId::OpenNote)
            m_prompt->QueueOpenFile(m_note);
        m_window->Actions().Trigger(command);
        ASSERT_FALSE(m_prompt->Requests().empty());
        EXPECT_EQ(m_prompt->Requests().back().kind, Kind::YesNoCancel);
        EXPECT_EQ(m_prompt->Requests().back().text, QStringLiteral("変更を保存しますか?"));
        EXPECT_EQ(GetPages().Count(), 2);
        EXPECT_TRUE(Starred());
        EXPECT_TRUE(QFileInfo::exists(m_recovery.FilePath()));
    }
    // Yes saves first, into the note's file, then starts the new note.
    m_prompt->QueueAnswer(Answer::Yes);
    m_window->Actions().Trigger(ActionId::NewNote);
    EXPECT_EQ(GetPages().Count(), 1);
    EXPECT_TRUE(GetPages().NotePath().isEmpty());
    EXPECT_TRUE(ReadText(m_note).endsWith(moved));
    EXPECT_TRUE(CopyGone());

    // No drops the changes and the copy, and opens the other note.
    ASSERT_TRUE(m_window->Import().PlaceImage(m_photos + "c.png", {}, Placement::FitToPage, 0, -1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(m_recovery.FilePath()); }, 5000));
    m_prompt->QueueAnswer(Answer::No);
    m_prompt->QueueOpenFile(m_note);
    m_window->Actions().Trigger(ActionId::OpenNote);
    EXPECT_EQ(GetPages().NotePath(), m_note);
    EXPECT_FALSE(Starred());
    EXPECT_TRUE(CopyGone());
}

TEST_F(UserScenario, ANoteRestoredFromItsCopyIsMarkedChangedEvenWhenEmptied)
{
    // The editor ended after every item of trip.tsy was deleted; a new one restores the copy.
    m_window = std::make_unique<MainWindow>();
    m_window->SetRecovery(&m_recovery);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    NoteSnapshot copy;
    copy.note_path = m_note;
    m_window->RestoreNote(copy);
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("*trip.tsy - Tessary by Veldran"));
    EXPECT_TRUE(CopyHolds(QString()));
    // Closing asks, and Yes writes the emptied note.
    m_prompt->QueueAnswer(Answer::Yes);
    m_window->close();
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().text, QStringLiteral("変更を保存しますか?"));
    EXPECT_FALSE(ReadText(m_note).contains("[TSImage]"));
}

TEST(RestoreQuestion, NamesTheNoteWhenItWasKeptAndWhatTheCommandLineNamed)
{
    NoteSnapshot copy;
    copy.note_path = QStringLiteral("/home/u/trip.tsy");
    const QDateTime kept(QDate(2026, 3, 4), QTime(5, 6));
    const QString plain = NoteRecovery::RestoreQuestion(copy, kept, {});
    EXPECT_TRUE(plain.startsWith(QStringLiteral("前回保存されなかったノートがあります。復元しますか?")));
    EXPECT_TRUE(plain.contains(QStringLiteral("ノート: trip.tsy\n")));
    EXPECT_TRUE(plain.contains(QStringLiteral("2026/03/04 05:06")));
    copy.note_path.clear();
    const QString named = NoteRecovery::RestoreQuestion(copy, kept, QStringLiteral("/tmp/other.tsy"));
    EXPECT_TRUE(named.contains(QStringLiteral("ノート: 無題\n")));
    EXPECT_EQ(named.count(QStringLiteral("other.tsy")), 3);
}

// Notes the user brings that the program did not write: a picture renamed to ".tsy", a note
// with the line ends of git or a script, a published note reached through a link.
class BroughtFileScenario : public UserScenario {
protected:
    static QByteArray Bytes(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }
    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    // Ctrl+O choosing the file, and Yes to erasing the note shown should that be asked.
    void OpenByKeys(const QString& path)
    {
        m_prompt->ClearRequests();
        m_prompt->QueueOpenFile(path);
        m_prompt->QueueYesNo(true);
        Key(Qt::Key_O, Qt::ControlModifier);
    }
    QString ShownText()
    {
        QString text;
        if (const TextNoteItem* item = Find<TextNoteItem>())
            item->GetProperty(QStringLiteral("Text"), text);
        return text;
    }
    // Ctrl+S, and what the file then holds.
    QByteArray SaveByKeys(const QString& path)
    {
        Key(Qt::Key_S, Qt::ControlModifier);
        return Bytes(path);
    }
};

TEST_F(BroughtFileScenario, APictureNamedAsANoteIsRefusedAndSaveNeverWritesOverIt)
{
    const QString renamed = m_dir.path() + "/holiday.tsy";
    ASSERT_TRUE(QFile::copy(m_photos + "a.png", renamed));
    const QByteArray picture = Bytes(renamed);
    m_prompt->QueueYesNo(true);
    m_window->Actions().Trigger(ActionId::NewNote);
    ASSERT_TRUE(GetPages().NotePath().isEmpty());
    ASSERT_TRUE(m_window->Import().PlaceImage(m_photos + "c.png", {}, Placement::FitToPage, 0, -1));
    const QString shown = Shown();

    OpenByKeys(renamed);
    // Told why, and the note shown stays: no question to erase it, same page, no path.
    ASSERT_EQ(m_prompt->Requests().size(), 2u);
    EXPECT_EQ(m_prompt->Requests()[0].kind, Kind::OpenFile);
    EXPECT_EQ(m_prompt->Requests()[1].kind, Kind::Message);
    EXPECT_EQ(m_prompt->Requests()[1].text,
        QStringLiteral("holiday.tsy を開けませんでした。\nノートファイルではありません。文字ではないデータを含んでいます。"));
    EXPECT_EQ(m_prompt->Requests()[1].caption, QStringLiteral("Tessary"));
    EXPECT_EQ(Shown(), shown);
    EXPECT_TRUE(GetPages().NotePath().isEmpty());
    EXPECT_TRUE(m_window->windowTitle().startsWith(u'*'));

    // Saving asks for a name (cancelled here) and the picture keeps every byte.
    m_prompt->ClearRequests();
    m_prompt->QueueSaveFile(std::nullopt);
    SaveByKeys(renamed);
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().kind, Kind::SaveFile);
    EXPECT_EQ(Bytes(renamed), picture);

    // Dropped alone on the window it is refused the same way.
    m_prompt->ClearRequests();
    m_window->Import().DropFiles({ renamed }, {}, Placement::AtPoint);
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].kind, Kind::Message);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(Bytes(renamed), picture);
}

TEST_F(BroughtFileScenario, ANoteWithLfLineEndsOpensWithItsPagesAndSavesWithCrLf)
{
    const QByteArray crlf = SaveByKeys(m_note);
    ASSERT_TRUE(crlf.contains("Text=page two\r\n"));
    const QString lf_note = m_dir.path() + "/lf.tsy";
    QByteArray lf = crlf;
    lf.replace("\r\n", "\n");
    Write(lf_note, lf);
    // The same note with CR LF, opened and saved the same way, for comparison.
    const QString crlf_note = m_dir.path() + "/crlf.tsy";
    Write(crlf_note, crlf);
    OpenByKeys(crlf_note);
    const QByteArray crlf_saved = SaveByKeys(crlf_note);

    OpenByKeys(lf_note);
    EXPECT_EQ(GetPages().NotePath(), lf_note);
    EXPECT_EQ(GetPages().Count(), 2);
    EXPECT_EQ(Photo("a.png").GetPicture().FileName(), m_photos + "a.png");
    EXPECT_EQ(ShownText(), QStringLiteral("旅行"));
    // Saved, it is the note as the program writes it, byte for byte.
    EXPECT_EQ(QString::fromUtf8(SaveByKeys(lf_note)).toStdString(), QString::fromUtf8(crlf_saved).toStdString());
    Key(Qt::Key_PageDown);
    EXPECT_EQ(ShownText(), QStringLiteral("page two"));
}

TEST_F(BroughtFileScenario, ANoteOpenedThroughALinkFindsItsImagesBesideItsFile)
{
    const QString desk = m_dir.path() + "/desk/";
    const QString elsewhere = m_dir.path() + "/elsewhere/";
    QDir().mkpath(desk);
    QDir().mkpath(elsewhere);
    ASSERT_EQ(::symlink("../trip.tsy", QFile::encodeName(desk + "trip.tsy").constData()), 0);

    OpenByKeys(desk + "trip.tsy");
    EXPECT_EQ(GetPages().NotePath(), desk + "trip.tsy");
    EXPECT_EQ(Photo("a.png").GetPicture().FileName(), m_photos + "a.png");
    EXPECT_EQ(Photo("b.png").GetPicture().FileName(), m_photos + "b.png");
    WaitForDecodes();
    EXPECT_TRUE(Photo("a.png").GetPicture().IsLoaded());

    // Saved through the link, the link stays and the file it names holds the images that exist.
    SaveByKeys(desk + "trip.tsy");
    EXPECT_TRUE(QFileInfo(desk + "trip.tsy").isSymLink());
    EXPECT_TRUE(Bytes(m_note).contains(QString("FileName=" + m_photos + "a.png,").toUtf8()));
    EXPECT_FALSE(Bytes(m_note).contains("desk"));

    // Saved under a new name elsewhere, the names are those of the images that exist.
    m_prompt->QueueSaveFile(elsewhere + "copy.tsy");
    Key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    const QByteArray copy = Bytes(elsewhere + "copy.tsy");
    EXPECT_TRUE(copy.contains(QString("FileName=" + m_photos + "a.png,").toUtf8())) << copy.toStdString();
    EXPECT_TRUE(copy.contains(QString("FileName=" + m_photos + "b.png,").toUtf8())) << copy.toStdString();
}
