#pragma once

class Canvas;
class PageCanvasWidget;
class Pages;
class QWidget;

// What the window's helpers (image import, the page picture, the page's menu) need of the
// editor window: the note's pages, the page shown with its widget, and the lock. Points
// called window points are relative to Widget().
class PageWindow {
public:
    virtual QWidget& Widget() = 0;
    virtual Pages& GetPages() = 0;
    virtual Canvas& PageCanvas() = 0;
    virtual PageCanvasWidget& PageWidget() = 0;
    virtual void RepaintPageCanvas() = 0;
    virtual bool IsLocked() const = 0;
    // The grey level (0 to 255) of the page background.
    virtual int BackgroundLevel() const = 0;

protected:
    ~PageWindow() = default;
};
