#include "app/WindowedLayoutDialogs.h"

#include "app/LayoutDialogWindow.h"
#include "platform/UserPrompt.h"

#include <QApplication>
#include <QEventLoop>

#include <QScopeGuard>

namespace {

// A dialog window destroyed from outside (its owner went) ends the loop.
void QuitWhenDestroyed(QEventLoop& loop, QWidget* window)
{
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
}

}

QWidget* WindowedLayoutDialogs::OwnerWindow() const
{
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible())
        return active;
    return m_main_window.data();
}

bool WindowedLayoutDialogs::RunModal(const LayoutDialogRequest& request)
{
    QPointer<QWidget> owner = OwnerWindow();
    // The window is a child of its owner and goes with it should the owner go first.
    QPointer<LayoutDialogWindow> window = new LayoutDialogWindow(request, owner.data());
    const auto destroy_window = qScopeGuard([&] {
        // The dialog has gone by now; items that report as the window takes them down find
        // nobody to report to.
        if (window) {
            window->SetDialog(nullptr);
            window->GetCanvas().SetEventHandler({});
            window->GetCanvas().SetKeyHandler({});
        }
        delete window.data();
    });
    LayoutDialog dialog(request, window->GetCanvas());
    window->SetDialog(&dialog);
    if (!dialog.Load()) {
        Prompt().ShowMessage(LayoutDialog::FailureMessage(), kPromptCaption.toString(), MessageIcon::Error);
        return false;
    }
    window->Place(request);
    dialog.Opened();

    QEventLoop loop;
    dialog.SetEndHandler([&] {
        // The owner is enabled before the dialog window goes, so it is the one activated next.
        if (owner) {
            owner->setEnabled(true);
            owner->activateWindow();
        }
        if (window)
            window->hide();
        loop.quit();
    });
    if (owner) {
        owner->setEnabled(false);
        // Disabling the owner disables its child windows too; the dialog stays usable.
        window->setEnabled(true);
    }
    window->show();
    window->raise();
    window->activateWindow();
    QuitWhenDestroyed(loop, window);
    if (!dialog.HasEnded())
        loop.exec();
    if (owner)
        owner->setEnabled(true);
    if (window)
        dialog.ReadResults();
    dialog.SetEndHandler({});
    const bool result = dialog.Result();
    return result;
}

void WindowedLayoutDialogs::Install(QWidget* main_window)
{
    SetDialogs(std::make_unique<WindowedLayoutDialogs>(main_window));
}
