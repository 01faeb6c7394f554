#pragma once

#include "platform/Message.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

class Canvas;

// The native edit window an `Edit` places over its bounds while it is shown. The window
// belongs to the canvas's window; items only see this interface, and the application layer
// supplies the real one through the factory. Multi-line text is given and taken with CR LF
// line ends.
class NativeEdit {
public:
    // Fixed for the life of one window.
    struct Style {
        bool multi_line { false };
        bool vertical_scroll_bar { false };
        bool read_only { false };
        bool password { false };
        bool client_edge { false };
        int alignment { 0 }; // 0 left, 1 centre, 2 right
    };

    // What the window reports to its item.
    class Listener {
    public:
        virtual ~Listener() = default;
        // Key presses and releases, the loss of the keyboard focus and text changes, as
        // messages whose source is the window. Returns true when an item consumed the
        // message; a consumed key never reaches the window. The listener may destroy the
        // window from inside this call.
        virtual bool RouteNativeMessage(const Message& message) = 0;
        // The window went away with its parent; text is what it held last. The listener
        // must forget the window.
        virtual void NativeEditDestroyed(const QString& text) = 0;
    };

    using Factory = std::function<std::unique_ptr<NativeEdit>(Canvas& canvas, const Style& style, Listener& listener)>;

    virtual ~NativeEdit() = default;

    virtual QString Text() const = 0;
    virtual void SetText(const QString& text) = 0;
    virtual void SetFont(const QFont& font) = 0;
    // In client pixels of the canvas's window.
    virtual QRect Geometry() const = 0;
    virtual void SetGeometry(const QRect& rect) = 0;
    virtual void Focus() = 0;
    // Selects the characters from start up to end (-1: to the end of the text; start -1
    // with end -1 removes the selection) and scrolls the caret into view.
    virtual void Select(int start, int end) = 0;
    virtual std::pair<int, int> Selection() const = 0;
    virtual void ScrollToLastLine() = 0;
    // A left click at a point in client pixels of the canvas's window, so the caret lands
    // under the pointer.
    virtual void ClickAt(QPoint client_point) = 0;

    // The factory that makes windows for a canvas. Without one (or when it gives nothing, as
    // for a canvas without a window) edits have no window and keep their text themselves.
    static void SetFactory(Factory factory);
    static std::unique_ptr<NativeEdit> Create(Canvas& canvas, const Style& style, Listener& listener);
};
