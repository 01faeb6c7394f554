#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <Qt>

class Item;
class QObject;

// When a presented change reaches the screen.
enum class UpdateTiming {
    Later, // invalidate; the window repaints on its next paint pass
    Now,   // invalidate and repaint at once
};

// The window that shows a canvas. The canvas knows nothing of widgets; the application layer
// implements this for its canvas widget. A canvas without a host is a window-less canvas that
// renders only into its back buffer.
class CanvasHost {
public:
    virtual ~CanvasHost() = default;

    virtual bool IsShowing() const = 0;
    // Device rectangles are client pixels of the window.
    virtual void Invalidate(const QRect& device_rect, UpdateTiming timing) = 0;
    virtual QSize ClientSize() const = 0;
    // Horizontal logical dots per inch of the screen the window is on.
    virtual float ScreenDpi() const = 0;
    virtual QPoint MapToScreen(QPoint client_point) const = 0;

    // Mouse capture: whether any window of the process holds it, whether this one does.
    virtual bool AnyWindowHoldsMouse() const = 0;
    virtual bool HoldsMouse() const = 0;
    virtual void CaptureMouse() = 0;
    virtual void ReleaseMouse() = 0;

    // Gives the window the keyboard focus (from one of its edit windows).
    virtual void TakeKeyboardFocus() { }
    // The item that takes keys changed (none: null), for assistive technology.
    virtual void FocusMoved(const Item* item) { }

    virtual void SetCursorShape(Qt::CursorShape shape) = 0;
    virtual void ShowToolTip(QPoint screen_point, const QString& text) = 0;
    virtual void HideToolTip() = 0;

    // The object that native child windows of items are parented to, for the application
    // layer's edit controls.
    virtual QObject* NativeParent() { return nullptr; }
};
