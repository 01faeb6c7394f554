#include "app/WindowModes.h"

#include "app/PageCanvasWidget.h"
#include "app/WindowModesHost.h"
#include "app/SwitchWindow.h"
#include "items/Canvas.h"
#include "platform/Compositing.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>

WindowModes::WindowModes(WindowModesHost& window)
    : m_host(window)
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
    m_host.ViewResized();
    ReapplyTransparency();
}

void WindowModes::EnterFullScreen()
{
    Canvas& canvas = m_host.PageWidget().GetCanvas();
    QMainWindow& window = m_host.Window();
    m_saved_state = window.saveGeometry();
    m_was_maximized = window.isMaximized();
    m_saved_geometry = m_was_maximized ? window.normalGeometry() : window.geometry();
    m_full_screen = true;
    window.menuBar()->hide();
    const QScreen* current = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect desktop = current ? current->geometry()
                                  : QRect(QPoint(0, 0), window.centralWidget()->minimumSize());
    const float across = static_cast<float>(desktop.width()) / canvas.LayoutWidth();
    const float down = static_cast<float>(desktop.height()) / canvas.LayoutHeight();
    // The page fits the screen.
    canvas.SetZoom(down > across ? across : down);
    canvas.SetDpi(Canvas::kDefaultScreenDpi);
    // Where no window manager takes the request the window still covers the screen; where one
    // does, it places the window itself, and a place asked for after the request would put the
    // window back into its frame.
    window.setGeometry(desktop);
    window.showFullScreen();
}

// The window gets back the size and place it had, or its maximized state.
void WindowModes::LeaveFullScreen()
{
    m_full_screen = false;
    QMainWindow& window = m_host.Window();
    window.menuBar()->show();
    if (m_was_maximized) {
        window.showMaximized();
    } else {
        window.showNormal();
        if (m_saved_geometry.isValid())
            window.setGeometry(m_saved_geometry);
    }
    m_host.RestoreViewScale();
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
    m_host.Window().raise();
    m_host.Window().activateWindow();
}

void WindowModes::ReapplyTransparency()
{
    // Without a compositor a translucent window shows black where it should let the desktop
    // through, so the window then stays opaque.
    const bool translucent = m_transparent_background && DesktopComposites();
    QMainWindow& window = m_host.Window();
    m_host.PageWidget().SetColourKey(translucent ? std::optional<quint32>(m_colour_key) : std::nullopt);

    const bool click_through = IsClickThrough();
    if (click_through)
        ShowSwitchWindow();
    else
        CloseSwitchWindow();
    Qt::WindowFlags wanted = window.windowFlags();
    wanted.setFlag(Qt::WindowStaysOnTopHint, click_through);
    wanted.setFlag(Qt::WindowTransparentForInput, click_through);
    // A click-through window stays on top, where its switch window is.
    wanted.setFlag(Qt::WindowStaysOnBottomHint, m_bottom_most && !click_through);
    if (wanted != window.windowFlags() || translucent != window.testAttribute(Qt::WA_TranslucentBackground))
        m_host.RebuildNativeWindow(wanted, translucent);
}

void WindowModes::ShowSwitchWindow()
{
    if (m_switch_window)
        return;
    m_switch_window = new ::SwitchWindow;
    // Unchecking turns the click-through window off again.
    QObject::connect(m_switch_window, &SwitchWindow::TurnedOff, &m_host.Window(), [this] {
        if (m_switched_off)
            m_switched_off();
    });
    const QMainWindow& window = m_host.Window();
    m_switch_window->PlaceAtCorner(window.screen() ? window.screen() : QGuiApplication::primaryScreen());
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
