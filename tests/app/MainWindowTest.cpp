#include "app/Application.h"
#include "app/MainWindow.h"
#include "MainWindowFixture.h"

#include "items/Canvas.h"
#include "platform/ScriptedUserPrompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <memory>

TEST_F(MainWindowTest, StartsWithOneEmptyUnlockedPageAndBuiltBars)
{
    ASSERT_TRUE(m_window->IsValid());
    EXPECT_EQ(m_window->GetPages().Count(), 1);
    EXPECT_FALSE(m_window->IsLocked());
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("ThisPage")), QStringLiteral("1"));
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("MaxPage")), QStringLiteral("1"));
    EXPECT_TRUE(NoteItemsOf(m_window->PageCanvas()).empty());
    EXPECT_EQ(m_window->centralWidget()->size(), QSize(880, 670));
    EXPECT_EQ(m_window->PageWidget().geometry(), QRect(0, 70, 880, 530));
    EXPECT_EQ(m_window->PageBarWidget().geometry(), QRect(0, 600, 880, 70));
    // The page is the screen's own size, fitted to the window.
    const QSize screen = m_window->screen()->geometry().size() * m_window->screen()->devicePixelRatio();
    EXPECT_EQ(m_window->PageCanvas().LayoutWidth(), screen.width());
    EXPECT_EQ(m_window->PageCanvas().LayoutHeight(), screen.height());
    EXPECT_TRUE(m_window->IsZoomFitting());
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Zoom(), std::min(880.0f / screen.width(), 530.0f / screen.height()));
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("Zoom")), QStringLiteral("ウィンドウに合わせる"));
    m_window->RunIdlePass();
    for (const char* name : { "UndoNote", "RedoNote", "NextPage", "PrevPage", "TopPage", "EndPage" })
        EXPECT_FALSE(IsEnabled(m_window->ToolBarWidget(), QString::fromLatin1(name))
                     || IsEnabled(m_window->PageBarWidget(), QString::fromLatin1(name)))
            << name;
    EXPECT_TRUE(IsEnabled(m_window->ToolBarWidget(), QStringLiteral("ClearNote")));
    EXPECT_TRUE(m_prompt->Requests().empty());
}

TEST_F(MainWindowTest, MenuOffersOnlyWhatIsAvailable)
{
    EXPECT_FALSE(m_window->Actions().IsEnabled(ActionId::Undo));
    EXPECT_FALSE(m_window->Actions().IsEnabled(ActionId::DeletePage));
    EXPECT_TRUE(m_window->Actions().IsEnabled(ActionId::Publish));
    EXPECT_TRUE(m_window->Actions().IsEnabled(ActionId::NewNote));
    m_window->Actions().Trigger(ActionId::Lock);
    EXPECT_TRUE(m_window->IsLocked());
    EXPECT_FALSE(m_window->Actions().IsEnabled(ActionId::NewNote));
    EXPECT_FALSE(m_window->Actions().IsEnabled(ActionId::ClearPage));
}

TEST_F(MainWindowTest, ImageArgumentsRelativeToTheStartFolderArePlaced)
{
    const QStringList images = MakeImages(2);
    QStringList relative;
    for (const QString& image : images)
        relative << QFileInfo(image).fileName();
    // The window has already moved the working folder away from the folder of the images.
    ASSERT_NE(QDir::currentPath(), m_folder.path());
    m_window->Import().ProcessCommandLine(AbsoluteArguments(relative, QDir(m_folder.path())));
    EXPECT_EQ(m_window->GetPages().Count(), 2);
    EXPECT_EQ(AbsoluteArguments({ QStringLiteral("/abs/a.png"), QStringLiteral("../b.tsy") }, QDir(QStringLiteral("/home/u/notes"))),
        QStringList({ QStringLiteral("/abs/a.png"), QStringLiteral("/home/u/b.tsy") }));
}

TEST_F(MainWindowTest, ThreeImageArgumentsGiveThreeFittedPages)
{
    m_window->Import().ProcessCommandLine(MakeImages(3) << m_folder.filePath(QStringLiteral("missing.png")));
    Pages& pages = m_window->GetPages();
    ASSERT_EQ(pages.Count(), 3);
    EXPECT_EQ(pages.Current(), 0);
    const Canvas& canvas = m_window->PageCanvas();
    for (int page = 0; page < 3; ++page) {
        ASSERT_TRUE(pages.GoTo(page));
        EXPECT_EQ(pages.List().at(page).count(QStringLiteral("[TSImage]")), 1) << page;
        ASSERT_EQ(NoteItemsShown(), 1) << page;
        // 640 x 480 on a page of the viewer size: as large as the page allows, centred.
        const QRectF bounds = NoteItemsOf(canvas).at(0)->GetBounds();
        const QRectF page_rect(0, 0, canvas.LayoutWidth(), canvas.LayoutHeight());
        EXPECT_TRUE(qAbs(bounds.width() - page_rect.width()) < 1 || qAbs(bounds.height() - page_rect.height()) < 1);
        EXPECT_NEAR(bounds.center().x(), page_rect.center().x(), 1);
        EXPECT_NEAR(bounds.center().y(), page_rect.center().y(), 1);
        EXPECT_NEAR(bounds.width() / bounds.height(), 640.0 / 480.0, 0.01);
    }
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("MaxPage")), QStringLiteral("3"));
}

TEST_F(MainWindowTest, NextAndPreviousPageButtonsMoveThroughTheNote)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    CanvasWidget& bar = m_window->PageBarWidget();
    m_window->RunIdlePass();
    Click(bar, QStringLiteral("NextPage"));
    EXPECT_EQ(m_window->GetPages().Current(), 1);
    EXPECT_EQ(TextOf(bar, QStringLiteral("ThisPage")), QStringLiteral("2"));
    // The last page holds an image, so the next page is a new one.
    m_window->RunIdlePass();
    Click(bar, QStringLiteral("NextPage"));
    EXPECT_EQ(m_window->GetPages().Count(), 3);
    EXPECT_EQ(NoteItemsShown(), 0);
    // An empty last page ends the note: the button is disabled.
    m_window->RunIdlePass();
    EXPECT_FALSE(IsEnabled(bar, QStringLiteral("NextPage")));
    Click(bar, QStringLiteral("NextPage"));
    EXPECT_EQ(m_window->GetPages().Count(), 3);
    Click(bar, QStringLiteral("PrevPage"));
    Click(bar, QStringLiteral("PrevPage"));
    EXPECT_EQ(m_window->GetPages().Current(), 0);
    EXPECT_EQ(NoteItemsShown(), 1);
    EXPECT_EQ(TextOf(bar, QStringLiteral("ThisPage")), QStringLiteral("1"));
}

TEST_F(MainWindowTest, LockPageButtonLocksTheNote)
{
    m_window->Import().ProcessCommandLine(MakeImages(1));
    CanvasWidget& bar = m_window->PageBarWidget();
    Click(bar, QStringLiteral("LockPage"));
    ASSERT_TRUE(m_window->IsLocked());
    m_window->RunIdlePass();
    for (const char* name : { "ClearNote", "ClearPage", "OpenImage", "UndoNote", "RedoNote" })
        EXPECT_FALSE(IsEnabled(m_window->ToolBarWidget(), QString::fromLatin1(name))) << name;
    // The page takes no input: a drag over the image leaves it where it is.
    PageCanvasWidget& view = m_window->PageWidget();
    const Item* image = NoteItemsOf(m_window->PageCanvas()).at(0);
    const auto anchors = image->GetAnchors();
    const QPoint from = m_window->PageCanvas().ToDevice(image->GetBounds()).center().toPoint();
    QTest::mousePress(&view, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(&view, from + QPoint(40, 30));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::NoModifier, from + QPoint(40, 30));
    EXPECT_EQ(image->GetAnchors(), anchors);
    // A locked note makes no new page.
    Click(bar, QStringLiteral("NextPage"));
    EXPECT_EQ(m_window->GetPages().Count(), 1);
    Click(bar, QStringLiteral("LockPage"));
    EXPECT_FALSE(m_window->IsLocked());
}

TEST_F(MainWindowTest, PageNumberTypedIntoThisPageWithReturn)
{
    m_window->Import().ProcessCommandLine(MakeImages(3));
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ThisPage"), QStringLiteral("3"));
    EXPECT_EQ(m_window->GetPages().Current(), 2);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("ThisPage")), QStringLiteral("3"));
    // A page that does not exist only refreshes the counter.
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ThisPage"), QStringLiteral("9"));
    EXPECT_EQ(m_window->GetPages().Current(), 2);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("ThisPage")), QStringLiteral("3"));
}

TEST_F(MainWindowTest, BackColorKnobDarkensThePageBackground)
{
    const Canvas& page = m_window->PageCanvas();
    // Between the grid lines of the quarter grid.
    const QPointF probe(page.LayoutWidth() * 0.4, page.LayoutHeight() * 0.4);
    EXPECT_EQ(PagePixel(probe), QColor(Qt::white));

    CanvasWidget& bar = m_window->ToolBarWidget();
    const QPoint knob = CentreOf(bar, QStringLiteral("BackColor"));
    QTest::mouseMove(&bar, knob);
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, knob);
    // 100 pixels down sweep the whole range.
    for (int step = 1; step <= 5; ++step)
        QTest::mouseMove(&bar, knob + QPoint(0, 20 * step));
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, knob + QPoint(0, 100));

    EXPECT_EQ(PagePixel(probe), QColor(Qt::black));
    float value = -1;
    bar.GetCanvas().GetItemPropertyFloat(QStringLiteral("BackColor"), QStringLiteral("Value"), value);
    EXPECT_EQ(value, 0.0f);
    // The background colour stays on the pages that follow.
    m_window->GetPages().Insert();
    EXPECT_EQ(PagePixel(probe), QColor(Qt::black));
}

TEST_F(MainWindowTest, ZoomChosenFromTheDropDownList)
{
    CanvasWidget& bar = m_window->PageBarWidget();
    const Item* zoom = bar.GetCanvas().FindItem(QStringLiteral("Zoom"));
    ASSERT_NE(zoom, nullptr);
    const QRectF bounds = bar.GetCanvas().ToDevice(zoom->GetBounds());
    // The choices are the fit to the window, then "25%,50%,75%,90%,100%,200%,400%"; the
    // seventh is 200%.
    m_prompt->QueueMenuChoice(7);
    ClickAt(bar, QPoint(static_cast<int>(bounds.right()) - 5, static_cast<int>(bounds.center().y())));
    ASSERT_FALSE(m_prompt->Requests().empty());
    EXPECT_EQ(m_prompt->Requests().back().kind, ScriptedUserPrompt::Kind::PopupMenu);
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Zoom(), 2.0f);
    EXPECT_EQ(TextOf(bar, QStringLiteral("Zoom")), QStringLiteral("200%"));
    // Ctrl+Left steps back to the entry before.
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Zoom(), 1.0f);
    EXPECT_EQ(TextOf(bar, QStringLiteral("Zoom")), QStringLiteral("100%"));
    // The fit entry, the first, fits the page again, and the zoom follows the window's size.
    m_prompt->QueueMenuChoice(1);
    ClickAt(bar, QPoint(static_cast<int>(bounds.right()) - 5, static_cast<int>(bounds.center().y())));
    EXPECT_TRUE(m_window->IsZoomFitting());
    const Canvas& page = m_window->PageCanvas();
    const QSize view = m_window->PageWidget().size();
    EXPECT_FLOAT_EQ(page.Zoom(), std::min(view.width() / page.LayoutWidth(), view.height() / page.LayoutHeight()));
    m_window->resize(m_window->width(), m_window->height() - 200);
    EXPECT_FLOAT_EQ(page.Zoom(), std::min(view.width() / page.LayoutWidth(), (view.height() - 200.0f) / page.LayoutHeight()));
    // A zoom step from the fitted zoom goes to the nearest entry past it.
    const float fitted = page.Zoom();
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_FALSE(m_window->IsZoomFitting());
    EXPECT_GT(page.Zoom(), fitted);
    EXPECT_EQ(TextOf(bar, QStringLiteral("Zoom")), QString::number(qRound(page.Zoom() * 100)) + u'%');
}

// The keys obey the lock as the menu does: a locked note takes no undo or redo.
TEST_F(MainWindowTest, CtrlZAndCtrlYUndoAndRedoUnlessLocked)
{
    m_window->Import().ProcessCommandLine(MakeImages(1));
    ASSERT_EQ(NoteItemsShown(), 1);
    QWidget& view = m_window->PageWidget();
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 0);
    QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 1);
    QTest::keyClick(&view, Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(m_window->IsLocked());
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 1);
    QTest::keyClick(&view, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 0);
    QTest::keyClick(&view, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(NoteItemsShown(), 0);
}

TEST_F(MainWindowTest, SpaceOnTheLastPageOfALockedNoteGoesBackToTheFirst)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    QWidget& view = m_window->PageWidget();
    QTest::keyClick(&view, Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(m_window->GetPages().Current(), 1);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(m_window->GetPages().Current(), 0);
    EXPECT_EQ(m_window->GetPages().Count(), 2);
    QTest::keyClick(&view, Qt::Key_PageDown);
    EXPECT_EQ(m_window->GetPages().Current(), 1);
    QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(m_window->GetPages().Current(), 0);
}

TEST_F(MainWindowTest, EscapeInANormalWindowDoesNothing)
{
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_Escape);
    EXPECT_FALSE(m_window->Modes().IsFullScreen());
    EXPECT_TRUE(m_window->menuBar()->isVisible());
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerWidth"), QStringLiteral("400"));
    TypeInto(m_window->PageBarWidget(), QStringLiteral("ViewerHeight"), QStringLiteral("200"));
    TypeInto(m_window->PageBarWidget(), QStringLiteral("Zoom"), QStringLiteral("50%"));
    const QRect before = m_window->geometry();
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_F11);
    EXPECT_TRUE(m_window->Modes().IsFullScreen());
    EXPECT_FALSE(m_window->menuBar()->isVisible());
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Dpi(), 96.0f);
    // The page fits the screen.
    const QRect desktop = m_window->screen()->geometry();
    const float across = desktop.width() / 400.0f;
    const float down = desktop.height() / 200.0f;
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Zoom(), std::min(across, down));
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_Escape);
    EXPECT_FALSE(m_window->Modes().IsFullScreen());
    // Leaving takes the zoom back from the page bar.
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Zoom(), 0.5f);
    EXPECT_EQ(m_window->PageWidget().y(), MainWindow::kBarHeight);
    EXPECT_EQ(m_window->geometry(), before);
}

TEST_F(MainWindowTest, PeekingAtTheFrameKeepsItsOrder)
{
    m_window->Import().ProcessCommandLine(MakeImages(1));
    const Canvas& canvas = m_window->PageCanvas();
    auto names = [&canvas] {
        QStringList list;
        for (int index = 0; index < canvas.ItemCount(); ++index)
            list << canvas.ItemAt(index)->Name();
        return list;
    };
    const QStringList before = names();
    QTest::keyPress(&m_window->PageWidget(), Qt::Key_F3);
    // The image (it has no name) is now below the frame, above the page background.
    EXPECT_EQ(names().at(1), QString());
    EXPECT_EQ(names().last(), QStringLiteral("FrameG"));
    QTest::keyRelease(&m_window->PageWidget(), Qt::Key_F3);
    EXPECT_EQ(names(), before);
}

struct CommittedValue {
    const char* box;
    const char* typed;
    const char* shown;
};

class MainWindowValueTest : public MainWindowTest, public ::testing::WithParamInterface<CommittedValue> { };

TEST_P(MainWindowValueTest, TypedValuesAreClamped)
{
    const CommittedValue& row = GetParam();
    const QString box = QString::fromLatin1(row.box);
    CanvasWidget& widget = box == QLatin1String("GridSize") ? m_window->ToolBarWidget() : m_window->PageBarWidget();
    TypeInto(widget, box, QString::fromLatin1(row.typed));
    EXPECT_EQ(TextOf(widget, box), QString::fromLatin1(row.shown));
}

INSTANTIATE_TEST_SUITE_P(Boxes, MainWindowValueTest,
                         ::testing::Values(CommittedValue { "ViewerWidth", "0", "1" },
                                           CommittedValue { "ViewerWidth", "5000", "4800" },
                                           CommittedValue { "ViewerHeight", "700", "700" },
                                           CommittedValue { "Dpi", "50", "72" }));

TEST_F(MainWindowTest, GridSizeSetsTheGridInterval)
{
    CanvasWidget& bar = m_window->ToolBarWidget();
    float interval = 0;
    TypeInto(bar, QStringLiteral("GridSize"), QStringLiteral("8"));
    m_window->PageCanvas().GetItemPropertyFloat(QStringLiteral("FrameG"), QStringLiteral("Interval"), interval);
    EXPECT_FLOAT_EQ(interval, 0.125f);
    EXPECT_EQ(m_window->SnapLinesX().size(), 8u);
    TypeInto(bar, QStringLiteral("GridSize"), QStringLiteral("0"));
    m_window->PageCanvas().GetItemPropertyFloat(QStringLiteral("FrameG"), QStringLiteral("Interval"), interval);
    EXPECT_FLOAT_EQ(interval, 1.0f);
    EXPECT_TRUE(m_window->SnapLinesX().empty());
}

TEST_F(MainWindowTest, SavedNoteOpensLockedWithNothingToUndo)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    const QString note = m_folder.filePath(QStringLiteral("note.tsy"));
    m_prompt->QueueSaveFile(note);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(QFileInfo::exists(note));

    m_prompt->QueueYesNo(true);
    m_window->Actions().Trigger(ActionId::NewNote);
    ASSERT_EQ(m_window->GetPages().Count(), 1);

    // Another extension is refused without a word.
    m_prompt->ClearRequests();
    EXPECT_FALSE(m_window->OpenNote(m_folder.filePath(QStringLiteral("photo1.png"))));
    EXPECT_TRUE(m_prompt->Requests().empty());

    EXPECT_TRUE(m_window->OpenNote(note));
    EXPECT_EQ(m_window->GetPages().Count(), 2);
    EXPECT_EQ(NoteItemsShown(), 1);
    EXPECT_TRUE(m_window->IsLocked());
    EXPECT_TRUE(m_window->GetPages().History().IsEmpty());
    EXPECT_EQ(m_window->GetPages().NotePath(), note);
}

TEST_F(MainWindowTest, ImageThenNoteArgumentsAskBeforeReplacing)
{
    const QString note = m_folder.filePath(QStringLiteral("two.tsy"));
    m_window->Import().ProcessCommandLine(MakeImages(2));
    m_prompt->QueueSaveFile(note);
    ASSERT_TRUE(m_window->SaveNote({}));

    MainWindow second;
    m_prompt->ClearRequests();
    // The image placed first is a change: the user decides whether it may go.
    m_prompt->QueueAnswer(Answer::No);
    second.Import().ProcessCommandLine({ MakeImage(QStringLiteral("single.png")), note, MakeImage(QStringLiteral("ignored.png")) });
    ASSERT_EQ(m_prompt->Requests().size(), 1u);
    EXPECT_EQ(m_prompt->Requests()[0].text, QStringLiteral("変更を保存しますか?"));
    EXPECT_EQ(second.GetPages().Count(), 2);
    EXPECT_TRUE(second.IsLocked());
}

TEST_F(MainWindowTest, WheelWithShiftTurnsPagesAndWithCtrlZooms)
{
    m_window->Import().ProcessCommandLine(MakeImages(2));
    PageCanvasWidget& view = m_window->PageWidget();
    auto turn = [&view](int delta, Qt::KeyboardModifiers modifiers) {
        const QPointF position(view.width() / 2.0, view.height() / 2.0);
        QWheelEvent event(position, view.mapToGlobal(position), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &event);
    };
    turn(-120, Qt::ShiftModifier); // towards the user: the next page
    EXPECT_EQ(m_window->GetPages().Current(), 1);
    turn(120, Qt::ShiftModifier);
    EXPECT_EQ(m_window->GetPages().Current(), 0);
    turn(-120, Qt::ControlModifier); // towards the user: the next zoom entry
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Zoom(), 0.75f);
    turn(240, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Zoom(), 0.25f);
    EXPECT_EQ(TextOf(m_window->PageBarWidget(), QStringLiteral("Zoom")), QStringLiteral("25%"));
}

TEST_F(MainWindowTest, ArgumentsThatAreNeitherNotesNorImagesAreSkipped)
{
    auto write = [this](const QString& name, const QByteArray& bytes) {
        QFile file(m_folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    const QString broken = write(QStringLiteral("broken.jpg"), QByteArray("\xff\xd8\xff\xe0 not really", 16));
    const QString empty = write(QStringLiteral("empty.png"), {});
    const QString text = write(QStringLiteral("notes.txt"), "[TSImage]\r\nFileName=x.jpg\r\n");
    const QString good = MakeImage(QStringLiteral("good.png"));
    m_window->Import().ProcessCommandLine({ broken, empty, text, m_folder.filePath(QStringLiteral("nothing.png")), good,
                                   QCoreApplication::applicationFilePath() });
    EXPECT_EQ(m_window->GetPages().Count(), 1);
    EXPECT_EQ(NoteItemsShown(), 1);
    EXPECT_FALSE(m_window->IsLocked());
    EXPECT_TRUE(m_prompt->Requests().empty());
}

TEST(MainWindowKeyTest, ColourKeyPixelsBecomeTransparent)
{
    QImage image(3, 1, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, 0xFFFFFFFF);
    image.setPixel(1, 0, 0xFFFFFFFE);
    image.setPixel(2, 0, 0x80404040);
    const QImage keyed = PageCanvasWidget::KeyedOut(image, 0xFFFFFF);
    EXPECT_EQ(keyed.pixel(0, 0), 0u);
    EXPECT_EQ(keyed.pixel(1, 0), 0xFFFFFFFEu);
    EXPECT_EQ(qAlpha(keyed.pixel(2, 0)), 0x80);
}

TEST_F(MainWindowTest, TransparentBackgroundShowsThroughThePageColour)
{
    m_window->Import().ProcessCommandLine({ MakeImage(QStringLiteral("small.png"), QSize(100, 100), Qt::red) });
    const Canvas& page = m_window->PageCanvas();
    const Item* image = NoteItemsOf(page).at(0);
    // Shrink the image to the top-left quarter, away from the grid lines.
    const_cast<Item*>(image)->SetBoundsAsAnchors(QRectF(10, 10, 100, 100));
    m_window->RepaintPageCanvas();
    auto alpha_at = [this, &page](QPointF page_point) {
        QImage shot(m_window->PageWidget().size(), QImage::Format_ARGB32_Premultiplied);
        shot.fill(Qt::transparent);
        m_window->PageWidget().render(&shot);
        return qAlpha(shot.pixel(page.ToDevice(page_point).toPoint()));
    };
    const QPointF background(page.LayoutWidth() * 0.4, page.LayoutHeight() * 0.4);
    EXPECT_EQ(alpha_at(background), 255);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_F7);
    ASSERT_TRUE(m_window->Modes().IsBackgroundTransparent());
    // The rebuilt window takes the keyboard back once the window system says so.
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    EXPECT_TRUE(m_window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(alpha_at(background), 0);
    EXPECT_EQ(alpha_at(QPointF(50, 50)), 255);
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_F7);
    EXPECT_EQ(alpha_at(background), 255);
}

TEST_F(MainWindowTest, ClickThroughWindowEndsFromItsSwitchOrWithTheBackground)
{
    m_window->Actions().Trigger(ActionId::TransparentWindow);
    EXPECT_FALSE(m_window->Modes().IsClickThrough()); // needs the transparent background too
    EXPECT_EQ(m_window->Modes().SwitchWindow(), nullptr);
    m_window->Actions().Trigger(ActionId::TransparentBackground);
    ASSERT_TRUE(m_window->Modes().IsClickThrough());
    ASSERT_NE(m_window->Modes().SwitchWindow(), nullptr);
    EXPECT_TRUE(m_window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    auto* check = m_window->Modes().SwitchWindow()->findChild<QCheckBox*>();
    ASSERT_NE(check, nullptr);
    EXPECT_TRUE(check->isChecked());
    QTest::mouseClick(check, Qt::LeftButton, Qt::NoModifier, check->rect().center());
    EXPECT_FALSE(m_window->Modes().IsClickThrough());
    EXPECT_EQ(m_window->Modes().SwitchWindow(), nullptr);
    EXPECT_FALSE(m_window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(m_window->Modes().IsBackgroundTransparent());

    m_window->Actions().Trigger(ActionId::TransparentWindow);
    ASSERT_TRUE(m_window->Modes().IsClickThrough());
    m_window->Actions().Trigger(ActionId::TransparentBackground);
    EXPECT_FALSE(m_window->Modes().IsClickThrough());
    EXPECT_EQ(m_window->Modes().SwitchWindow(), nullptr);
    EXPECT_FALSE(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}
