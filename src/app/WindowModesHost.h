#pragma once

#include <QtGlobal>

class Canvas;
class PageCanvasWidget;
class QMainWindow;

// What the window modes need of the editor window: the window itself, its page, and the
// view laid out again when the window changed.
class WindowModesHost {
public:
    virtual QMainWindow& Window() = 0;
    virtual PageCanvasWidget& PageWidget() = 0;
    // Makes a new native window with the flags, translucent or not, keeping its geometry,
    // state and visibility.
    virtual void RebuildNativeWindow(Qt::WindowFlags flags, bool translucent) = 0;
    // The window changed size or place: the bars and the page are laid out and painted again.
    virtual void ViewResized() = 0;
    // Zoom and resolution return to what the page bar's boxes say.
    virtual void RestoreViewScale() = 0;

protected:
    ~WindowModesHost() = default;
};
