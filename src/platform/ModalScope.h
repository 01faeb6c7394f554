#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

// Every nested event loop that waits for the user (a message box, a question, a file or
// colour dialog, a popup menu, a layout dialog) runs inside one of these. Opening it lets go
// of any mouse or keyboard grab first: on X11 a grab stays with its window while another
// window shows, so the press on a button that opened a dialog would keep every click from the
// dialog. While a scope is open the windows behind the dialog take no input; when it closes,
// the window that was active before is activated again (a window manager may leave the
// activation nowhere when a dialog and its own question close together).
class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Whether a modal loop is running.
    static bool IsOpen();
    // Runs as every scope opens, after the grabs have gone: the canvases forget the pointer
    // there, so that a hovered or pressed button is drawn normal while the dialog shows.
    static void AddOpenHandler(std::function<void()> handler);

private:
    QPointer<QWidget> m_active_window;
};
