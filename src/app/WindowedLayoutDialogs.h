#pragma once

#include "items/LayoutDialog.h"

#include <QPointer>
#include <QWidget>

// Shows layout dialogs in real windows, modally: the owner window (the active window, or the
// main window when none is active) is disabled while the dialog's own event loop runs, and
// enabled again before the dialog window goes, so that it gets the activation back.
class WindowedLayoutDialogs final : public LayoutDialogRunner {
public:
    explicit WindowedLayoutDialogs(QWidget* main_window = nullptr)
        : m_main_window(main_window)
    {
    }

    // Installs a runner with real windows for the given main window.
    static void Install(QWidget* main_window);

protected:
    bool RunModal(const LayoutDialogRequest& request) override;

private:
    QWidget* OwnerWindow() const;

    QPointer<QWidget> m_main_window;
};
