#include "app/WindowModes.h"

#include "app/MainWindow.h"
#include "app/SwitchWindow.h"
#include "items/Canvas.h"
#include "platform/Compositing.h"

#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>

WindowModes::WindowModes(MainWindow& window)
    : m_window(window)
{
}

WindowModes::~WindowModes()
{
    delete m_switch_window;
}

QWidget* WindowModes::SwitchWindow() const
{
    return m_switch_window;
}

void WindowModes::ToggleFullScreen()
{
    if (m_full_screen)
        LeaveFullScreen();
    else
        EnterFullScreen();
    m_window.LayOutCanvases();
    m_window.CentrePage();
    m_window.RepaintPageCanvas();
    ReapplyTransparency();
}

void WindowModes::EnterFullScreen()
{
    Canvas& canvas = m_window.PageCanvas();
    m_saved_state = m_window.saveGeometry();
    m_was_maximized = m_window.isMaximized();
    m_saved_geometry = m_was_maximized ? m_window.normalGeometry() : m_window.geometry();
    m_full_screen = true;
    m_window.menuBar()->hide();
    const QScreen* current = m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen();
    const QRect desktop = current ? current->geometry()
                                  : QRect(0, 0, MainWindow::kMinClientWidth, MainWindow::kMinClientHeight);
    const float across = static_cast<float>(desktop.width()) / canvas.LayoutWidth();
    const float down = static_cast<float>(desktop.height()) / canvas.LayoutHeight();
    // The page fits the screen.
    canvas.SetZoom(down > across ? across : down);
    canvas.SetDpi(Canvas::kDefaultScreenDpi);
    // Where no window manager takes the request the window still covers the screen; where one
    // does, it places the window itself, and a place asked for after the request would put the
    // window back into its frame.
    m_window.setGeometry(desktop);
    m_window.showFullScreen();
}

// The window gets back the size and place it had, or its maximized state.
void WindowModes::LeaveFullScreen()
{
    m_full_screen = false;
    m_window.menuBar()->show();
    if (m_was_maximized) {
        m_window.showMaximized();
    } else {
        m_window.showNormal();
        if (m_saved_geometry.isValid())
            m_window.setGeometry(m_saved_geometry);
    }
    m_window.ApplyResolutionBox();
    m_window.ApplyZoomBox();
}

void WindowModes::ToggleTransparentBackground()
{
    m_transparent_background = !m_transparent_background;
    ReapplyTransparency();
}

void WindowModes::ToggleTransparentWindow()
{
    m_transparent_window = !m_transparent_window;
    ReapplyTransparency();
}

void WindowModes::ToggleBottomMost()
{
    m_bottom_most = !m_bottom_most;
    ReapplyTransparency();
}

void WindowModes::BringToFront()
{
    m_window.raise();
    m_window.activateWindow();
}

void WindowModes::ReapplyTransparency()
{
    // Without a compositor a translucent window shows black where it should let the desktop
    // through, so the window then stays opaque.
    const bool translucent = m_transparent_background && DesktopComposites();
    m_window.PageWidget().SetColourKey(translucent ? std::optional<quint32>(m_colour_key) : std::nullopt);

    const bool click_through = IsClickThrough();
    if (click_through)
        ShowSwitchWindow();
    else
        CloseSwitchWindow();
    Qt::WindowFlags wanted = m_window.windowFlags();
    wanted.setFlag(Qt::WindowStaysOnTopHint, click_through);
    wanted.setFlag(Qt::WindowTransparentForInput, click_through);
    // A click-through window stays on top, where its switch window is.
    wanted.setFlag(Qt::WindowStaysOnBottomHint, m_bottom_most && !click_through);
    if (wanted != m_window.windowFlags() || translucent != m_window.testAttribute(Qt::WA_TranslucentBackground))
        m_window.RebuildNativeWindow(wanted, translucent);
}

void WindowModes::ShowSwitchWindow()
{
    if (m_switch_window)
        return;
    m_switch_window = new ::SwitchWindow;
    // Unchecking turns the click-through window off again.
    QObject::connect(m_switch_window, &SwitchWindow::TurnedOff, &m_window,
                     [this] { m_window.Actions().Trigger(ActionId::TransparentWindow); });
    m_switch_window->PlaceAtCorner(m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen());
    m_switch_window->show();
}

void WindowModes::CloseSwitchWindow()
{
    if (!m_switch_window)
        return;
    m_switch_window->close();
    m_switch_window->deleteLater();
    m_switch_window = nullptr;
}
