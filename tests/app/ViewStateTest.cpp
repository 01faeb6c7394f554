#include "app/ViewState.h"
#include "app/WidgetNames.h"
#include "MainWindowFixture.h"

#include <QSignalSpy>

// The view state as values, and the bars and the page kept in step with it.
namespace {

struct LevelRow {
    int set;
    int kept;
};

class GreyLevelTest : public ::testing::TestWithParam<LevelRow> { };

}

// Grey levels are kept within 0 to 255; setting the level it has already says nothing.
TEST_P(GreyLevelTest, LevelsStayWithinTheGreyRangeAndReportOnlyChanges)
{
    const LevelRow& row = GetParam();
    ViewState view;
    view.SetBackgroundLevel(100);
    QSignalSpy colours(&view, &ViewState::ColoursChanged);
    EXPECT_EQ(view.SetBackgroundLevel(row.set), row.kept != 100);
    EXPECT_EQ(view.BackgroundLevel(), row.kept);
    EXPECT_EQ(colours.count(), row.kept != 100 ? 1 : 0);
    EXPECT_FALSE(view.SetBackgroundLevel(row.set));
    EXPECT_EQ(colours.count(), row.kept != 100 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Levels, GreyLevelTest,
                         ::testing::Values(LevelRow { 0, 0 }, LevelRow { -40, 0 }, LevelRow { 255, 255 }, LevelRow { 300, 255 },
                                           LevelRow { 100, 100 }));

class ViewBarsTest : public MainWindowTest { };

// The zoom chosen in the box survives full screen as a value: back from full screen the page
// shows at 50 % again, and a window that fitted the page fits it again.
TEST_F(ViewBarsTest, ZoomChosenComesBackAfterFullScreen)
{
    CanvasWidget& bar = m_window->PageBarWidget();
    const QString fit = TextOf(bar, BarName::kZoom);
    ASSERT_TRUE(m_window->IsZoomFitting());
    TypeInto(bar, BarName::kZoom, QStringLiteral("50%"));
    ASSERT_FALSE(m_window->IsZoomFitting());
    ASSERT_FLOAT_EQ(m_window->PageCanvas().Zoom(), 0.5f);

    QTest::keyClick(&m_window->PageWidget(), Qt::Key_F5);
    ASSERT_TRUE(m_window->Modes().IsFullScreen());
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_F5);
    ASSERT_FALSE(m_window->Modes().IsFullScreen());
    EXPECT_FLOAT_EQ(m_window->PageCanvas().Zoom(), 0.5f);
    EXPECT_EQ(TextOf(bar, BarName::kZoom), QStringLiteral("50%"));

    // Ctrl+Right steps to the next entry of the list; the fit entry fits again.
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(TextOf(bar, BarName::kZoom), QStringLiteral("75%"));
    // The fit entry, the first of the drop-down list.
    const QRectF box = bar.GetCanvas().ToDevice(bar.GetCanvas().FindItem(BarName::kZoom)->GetBounds());
    m_prompt->QueueMenuChoice(1);
    ClickAt(bar, QPoint(static_cast<int>(box.right()) - 5, static_cast<int>(box.center().y())));
    EXPECT_TRUE(m_window->IsZoomFitting());
    EXPECT_EQ(TextOf(bar, BarName::kZoom), fit);
    m_window->resize(m_window->width(), m_window->height() - 150);
    const Canvas& page = m_window->PageCanvas();
    const QSize view = m_window->PageWidget().size();
    EXPECT_FLOAT_EQ(page.Zoom(), std::min(view.width() / page.LayoutWidth(), view.height() / page.LayoutHeight()));
}

// The lock shows in the page bar's button whichever road set it: the key, the button, and
// an opened note.
TEST_F(ViewBarsTest, LockButtonFollowsTheLockFromEveryRoad)
{
    CanvasWidget& bar = m_window->PageBarWidget();
    auto pushed = [&bar] {
        bool value = false;
        bar.GetCanvas().GetItemPropertyBool(BarName::kLockPage, PropertyName::kPushed, value);
        return value;
    };
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_TRUE(m_window->IsLocked());
    EXPECT_TRUE(pushed());
    Click(bar, BarName::kLockPage);
    EXPECT_FALSE(m_window->IsLocked());
    EXPECT_FALSE(pushed());

    m_window->Import().ProcessCommandLine(MakeImages(1));
    const QString note = m_folder.filePath(QStringLiteral("note.tsy"));
    ASSERT_TRUE(m_window->SaveNote(note));
    m_prompt->QueueYesNo(true);
    ASSERT_TRUE(m_window->Actions().Trigger(ActionId::NewNote));
    ASSERT_TRUE(m_window->OpenNote(note));
    EXPECT_TRUE(m_window->IsLocked());
    EXPECT_TRUE(pushed());
    Click(bar, BarName::kLockPage);
    EXPECT_FALSE(m_window->IsLocked());
}

// The grid's divisions and visibility are the window's, not the page's: a new page shows the
// grid as the window was set, at twice the pixel ratio as well.
TEST_F(ViewBarsTest, NewPageKeepsTheGridAsTheWindowShowsIt)
{
    CanvasWidget& tool_bar = m_window->ToolBarWidget();
    TypeInto(tool_bar, BarName::kGridSize, QStringLiteral("8"));
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_G, Qt::ControlModifier);
    m_window->Import().ProcessCommandLine(MakeImages(1));
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_PageDown);
    ASSERT_EQ(m_window->GetPages().Current(), 1);
    float interval = 0;
    m_window->PageCanvas().GetItemPropertyFloat(FrameName::kGrid, PropertyName::kInterval, interval);
    EXPECT_FLOAT_EQ(interval, 0.125f);
    bool visible = true;
    m_window->PageCanvas().GetItemPropertyBool(FrameName::kGrid, PropertyName::kVisible, visible);
    EXPECT_FALSE(visible);
    EXPECT_EQ(TextOf(tool_bar, BarName::kGridSize), QStringLiteral("8"));
    EXPECT_EQ(m_window->SnapLinesX().size(), 8u);
    // With the grid shown again, the page's eighth line is drawn in the frame colour.
    QTest::keyClick(&m_window->PageWidget(), Qt::Key_G, Qt::ControlModifier);
    const Canvas& page = m_window->PageCanvas();
    const QColor line = PagePixel(QPointF(page.LayoutWidth() / 8.0, page.LayoutHeight() * 0.3 + 0.5));
    EXPECT_NE(line, QColor(Qt::white));
}
