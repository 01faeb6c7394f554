#pragma once

#include "MainWindowFixture.h"

#include "app/LayoutDialogWindow.h"

#include <QApplication>
#include <QTimer>

#include <functional>

// The main window with dialogs in real windows, and the means to act in a dialog once its
// window shows, as a user at the screen would.
namespace {

LayoutDialogWindow* ShownDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<LayoutDialogWindow*>(widget); dialog && dialog->isVisible())
            return dialog;
    return nullptr;
}

QString Property(CanvasWidget& widget, const QString& name, const QString& key)
{
    QString value;
    widget.GetCanvas().GetItemProperty(name, key, value);
    return value;
}

class ShownDialogTest : public MainWindowTest {
protected:
    // Runs the steps once the dialog's window shows, as a user at the screen would. Input sent
    // before the dialog opens may run the event loop, so the check repeats for a while.
    void WhenShown(std::function<void(LayoutDialogWindow& dialog)> steps, int tries_left = 100)
    {
        // Tied to the fixture, so that a check still waiting when the test ends goes with it.
        QTimer::singleShot(tries_left == 100 ? 0 : 10, &m_timers, [this, steps, tries_left] {
            LayoutDialogWindow* dialog = ShownDialog();
            if (!dialog) {
                if (tries_left > 0)
                    WhenShown(steps, tries_left - 1);
                else
                    ADD_FAILURE() << "no dialog window shows";
                return;
            }
            EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog));
            m_owner_enabled_meanwhile = m_window->isEnabled();
            steps(*dialog);
        });
    }

    bool m_owner_enabled_meanwhile { true };
    QObject m_timers;
};

}

