#include "app/WindowModes.h"
#include "MainWindowFixture.h"

namespace {

struct ModeRow {
    const char* name;
    std::vector<ActionId> commands;
    bool translucent;
    bool click_through;
    bool bottom_most;
};

class WindowModesTest : public MainWindowTest, public ::testing::WithParamInterface<ModeRow> { };

}

// Every combination leaves a shown window whose native window matches the switches, and
// turning them all off again gives the window it started as.
TEST_P(WindowModesTest, CombinationsRebuildTheWindowToMatchTheSwitches)
{
    const ModeRow& row = GetParam();
    const Qt::WindowFlags start_flags = m_window->windowFlags();
    const QRect start_geometry = m_window->geometry();
    for (ActionId command : row.commands)
        m_window->Actions().Trigger(command);
    const WindowModes& modes = m_window->Modes();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->testAttribute(Qt::WA_TranslucentBackground), row.translucent);
    EXPECT_EQ(m_window->testAttribute(Qt::WA_NoSystemBackground), row.translucent);
    EXPECT_EQ(modes.IsClickThrough(), row.click_through);
    EXPECT_EQ(m_window->windowFlags().testFlag(Qt::WindowTransparentForInput), row.click_through);
    EXPECT_EQ(m_window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), row.click_through);
    EXPECT_EQ(m_window->windowFlags().testFlag(Qt::WindowStaysOnBottomHint), row.bottom_most);
    EXPECT_EQ(modes.SwitchWindow() != nullptr, row.click_through);
    EXPECT_EQ(m_window->geometry(), start_geometry);

    // Off again, in the same order.
    for (ActionId command : row.commands)
        m_window->Actions().Trigger(command);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(m_window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_FALSE(m_window->testAttribute(Qt::WA_NoSystemBackground));
    EXPECT_EQ(m_window->windowFlags(), start_flags);
    EXPECT_EQ(m_window->geometry(), start_geometry);
    // The page still paints: its white background shows opaque.
    const Canvas& page = m_window->PageCanvas();
    EXPECT_EQ(PagePixel(QPointF(page.LayoutWidth() * 0.4, page.LayoutHeight() * 0.4)), QColor(Qt::white));
}

INSTANTIATE_TEST_SUITE_P(
    Modes, WindowModesTest,
    ::testing::Values(ModeRow { "Transparent", { ActionId::TransparentBackground }, true, false, false },
                      ModeRow { "ClickThrough", { ActionId::TransparentBackground, ActionId::TransparentWindow }, true, true, false },
                      ModeRow { "BottomMost", { ActionId::BottomMost }, false, false, true },
                      ModeRow { "TransparentBottomMost", { ActionId::BottomMost, ActionId::TransparentBackground }, true, false, true },
                      // Click-through keeps the window on top, where its switch window is.
                      ModeRow { "ClickThroughBottomMost",
                                { ActionId::BottomMost, ActionId::TransparentWindow, ActionId::TransparentBackground },
                                true, true, false }),
    [](const auto& info) { return std::string(info.param.name); });
