#include "app/LayoutDialogWindow.h"

#include "items/LayoutDialog.h"
#include "platform/Screens.h"

#include <QCloseEvent>
#include <QCursor>
#include <QWindow>

LayoutDialogWindow::LayoutDialogWindow(const LayoutDialogRequest& request, QWidget* owner)
    : CanvasWidget(request.kind, owner)
    , m_drag_by_client(request.drag_by_client)
    , m_close_on_focus_loss(request.close_on_focus_loss)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(request.caption);
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The window system keeps the other windows from input and the dialog above its owner. A
    // dialog that closes when another window is activated must let that happen.
    if (!request.close_on_focus_loss)
        setWindowModality(Qt::ApplicationModal);
}

void LayoutDialogWindow::Place(const LayoutDialogRequest& request)
{
    if (request.position) {
        // The position is the client area's; the frame goes around it.
        setGeometry(QRect(*request.position, request.size));
        return;
    }
    resize(request.size);
    CenterWindow(this);
}

bool LayoutDialogWindow::DeliverMessage(const Message& message)
{
    if (CanvasWidget::DeliverMessage(message))
        return true;
    if (message.kind == MessageKind::LButtonDown && m_drag_by_client && windowHandle()) {
        windowHandle()->startSystemMove();
        return true;
    }
    return false;
}

// The close box ends the dialog like "Cancel"; the dialog's runner takes the window down.
void LayoutDialogWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (m_dialog)
        m_dialog->Close();
}

void LayoutDialogWindow::changeEvent(QEvent* event)
{
    CanvasWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !m_close_on_focus_loss || !m_dialog || isActiveWindow())
        return;
    if (!isVisible() || m_dialog->HasEnded() || frameGeometry().contains(QCursor::pos()))
        return;
    m_closed_by_focus_loss = true;
    m_dialog->Close();
}
