#pragma once

#include "app/CanvasWidget.h"

class LayoutDialog;
struct LayoutDialogRequest;

// The window of a layout dialog: a top-level dialog window owned by another window whose
// whole client area is the dialog's canvas. The close box ends the dialog as "Cancel" does;
// a press that no item takes can move the window, and losing the activation while the pointer
// is outside can close it, when the request asks for that.
class LayoutDialogWindow final : public CanvasWidget {
    Q_OBJECT
public:
    LayoutDialogWindow(const LayoutDialogRequest& request, QWidget* owner);

    // The dialog whose end the window reports; set before the window shows.
    void SetDialog(LayoutDialog* dialog) { m_dialog = dialog; }
    // Gives the window its client size and puts it at the request's position, or centred over
    // its owner.
    void Place(const LayoutDialogRequest& request);
    bool ClosedByFocusLoss() const { return m_closed_by_focus_loss; }

protected:
    bool DeliverMessage(const Message& message) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Tab moves the focus through the layout's widgets, which only the canvas knows.
    bool focusNextPrevChild(bool) override { return false; }

private:
    LayoutDialog* m_dialog { nullptr };
    bool m_drag_by_client { false };
    bool m_close_on_focus_loss { false };
    bool m_closed_by_focus_loss { false };
};
