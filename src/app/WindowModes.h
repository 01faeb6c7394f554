#pragma once

#include <QByteArray>
#include <QRect>
#include <QtGlobal>

#include <functional>

class QWidget;
class SwitchWindow;
class WindowModesHost;

// How the main window sits on the desktop: full screen, the see-through page background with
// its colour key, click-through with its switch window, bottom-most and bring to front.
class WindowModes {
public:
    explicit WindowModes(WindowModesHost& window);
    ~WindowModes();

    bool IsFullScreen() const { return m_full_screen; }
    bool IsBackgroundTransparent() const { return m_transparent_background; }
    bool IsTransparentWindow() const { return m_transparent_window; }
    // Click-through needs both switches on.
    bool IsClickThrough() const { return m_transparent_window && m_transparent_background; }
    bool IsBottomMost() const { return m_bottom_most; }
    // The small window that turns click-through off again; null while there is none.
    QWidget* SwitchWindow() const;

    void ToggleFullScreen();
    void ToggleTransparentBackground();
    void ToggleTransparentWindow();
    void ToggleBottomMost();
    void BringToFront();
    // What the switch window's check box does when it is cleared.
    void SetSwitchOffHandler(std::function<void()> handler) { m_switched_off = std::move(handler); }

    // The page background colour (0xRRGGBB) that a transparent background lets through; it
    // takes effect when the transparency is next applied.
    void SetColourKey(quint32 key) { m_colour_key = key; }
    // Brings the window in line with the transparency switches.
    void ReapplyTransparency();
    // The window's place, size and state as they were before full screen (saveGeometry), the
    // ones to keep for the next run while the window is full screen.
    const QByteArray& GeometryBeforeFullScreen() const { return m_saved_state; }

private:
    void EnterFullScreen();
    void LeaveFullScreen();
    void ShowSwitchWindow();
    void CloseSwitchWindow();

    WindowModesHost& m_host;
    std::function<void()> m_switched_off;
    bool m_full_screen { false };
    bool m_bottom_most { false };
    bool m_transparent_background { false };
    bool m_transparent_window { false };
    quint32 m_colour_key { 0xFFFFFF };
    QRect m_saved_geometry;
    bool m_was_maximized { false };
    QByteArray m_saved_state;
    ::SwitchWindow* m_switch_window { nullptr };
};
