#pragma once

#include "items/Canvas.h"
#include "items/LayoutResources.h"
#include "platform/Message.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct ItemEvent;

// The object a dialog reports to: it fills the fields when the layout is built, takes the
// events the dialog does not consume itself, and may refuse to end the dialog on "OK".
class LayoutDialogOwner {
public:
    virtual ~LayoutDialogOwner() = default;

    // The layout is built and the dialog is about to show.
    virtual void DialogOpened(Canvas& canvas) { }
    // An event from a widget other than "OK" and "Cancel" (and "OK" with another code).
    virtual bool DialogEvent(Canvas& canvas, const ItemEvent& event) { return false; }
    // "OK" was pressed: whether the dialog may end. It may show a message when it refuses.
    virtual bool MayEndDialog(Canvas& canvas) { return true; }
};

// Everything needed to show one layout dialog.
struct LayoutDialogRequest {
    // The layout resource; when there is none, `layout_text` is the layout.
    std::optional<LayoutResource> layout {};
    QString layout_text {};
    CanvasKind kind { CanvasKind::Dialog };
    QString caption {};
    QSize size { 300, 200 }; // the client area in logical pixels
    // The screen position of the client area's top-left corner; centred over the owner
    // window when there is none.
    std::optional<QPoint> position {};
    bool close_on_focus_loss { false };
    bool drag_by_client { false };
    LayoutDialogOwner* owner { nullptr };
    // Runs after the modal loop with its result, while the canvas still exists, so that the
    // caller reads the fields by widget name.
    std::function<void(Canvas& canvas, bool result)> read_results {};
};

// The part of a layout dialog that is not a window: its canvas, the rules for "OK" and
// "Cancel" and the result. The window host and the scripted dialogs of the tests share it.
class LayoutDialog {
public:
    // The dialog on a window-less canvas of its own.
    explicit LayoutDialog(const LayoutDialogRequest& request, CanvasHost* host = nullptr);
    // The dialog on the canvas of its window. The window outlives the dialog and takes the
    // canvas's event handler away before its items go, since they may still report.
    LayoutDialog(const LayoutDialogRequest& request, Canvas& canvas);
    LayoutDialog(const LayoutDialog&) = delete;
    LayoutDialog& operator=(const LayoutDialog&) = delete;

    Canvas& GetCanvas() { return *m_canvas; }
    const LayoutDialogRequest& Request() const { return m_request; }

    // Builds the canvas's items from the request's layout. False when the resource is missing
    // or its text gives no document; the caller then shows FailureMessage() and gives up.
    bool Load();
    // Destroys the items and builds them from the text. False when the text gives no document.
    bool OpenFromText(const QString& text);
    // Tells the owner that the layout is built.
    void Opened();

    // The dialog's own event handler: "OK" asks the owner and ends with true, "Cancel" ends
    // with false, everything else goes to the owner.
    bool HandleEvent(const ItemEvent& event);
    // The dialog's keys, after the widgets had them: Return is "OK" (except in a box that
    // types new lines, and on a focused "Cancel"), Escape is "Cancel", Tab and Shift+Tab move
    // the keyboard focus through the widgets that take it, in the layout's order.
    bool HandleKey(const Message& message, bool consumed);
    // Moves the keyboard focus to the next (1) or previous (-1) widget from the one that has
    // it now; a key message tells which native edit window has it.
    void MoveFocus(int direction, const Message& from = {});
    // Sets the result and ends the dialog; the window host closes its window.
    void End(bool result);
    // The close box and focus loss: ends with false.
    void Close() { End(false); }
    bool HasEnded() const { return m_ended; }
    bool Result() const { return m_result; }
    // Called once when the dialog ends, for the window host.
    void SetEndHandler(std::function<void()> handler) { m_end_handler = std::move(handler); }
    // Hands the result to the caller's reader while the canvas still exists.
    void ReadResults();

    static QString FailureMessage();

private:
    void InstallHandlers();
    // The widget that has the keyboard focus: the one whose edit window sent the message, else
    // the active item.
    Item* FocusedItem(const Message& message) const;
    std::vector<Item*> FocusChain() const;

    LayoutDialogRequest m_request;
    std::unique_ptr<Canvas> m_own_canvas;
    Canvas* m_canvas { nullptr };
    bool m_result { false };
    bool m_ended { false };
    std::function<void()> m_end_handler;
};

// Shows layout dialogs modally. The application installs the one with real windows; tests
// install a scripted one. Only the user-interface thread shows dialogs.
class LayoutDialogRunner {
public:
    virtual ~LayoutDialogRunner() = default;
    // Shows the dialog and returns its result: true when it ended with "OK". A layout that
    // cannot be loaded shows the failure message and returns false without a window. The
    // dialog runs inside a modal scope, and the events of its widgets reach it even when it
    // was opened from inside another widget's handler.
    bool Run(const LayoutDialogRequest& request);

protected:
    virtual bool RunModal(const LayoutDialogRequest& request) = 0;
};

// The runner in use. Until one is installed, dialogs cannot be shown and end with false.
LayoutDialogRunner& Dialogs();
// Installs a runner; null brings back the one that shows nothing.
void SetDialogs(std::unique_ptr<LayoutDialogRunner> runner);
