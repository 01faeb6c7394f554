#pragma once

#include "platform/UserPrompt.h"

#include <QPoint>
#include <QString>

class ActionRegistry;
class ImageImport;
class Item;
class PageWindow;
class WindowModes;

// The page's own context menu, shown where a right click on the page falls on no item that
// shows a menu of its own: opening or pasting an image at the pointer, adding a text or a
// Mandelbrot picture there, and the window commands of the view menu. While the note is
// locked the entries that change the page are disabled.
class PageContextMenu {
public:
    // Entry numbers. The entries from kTransparentBackground on run the window's commands.
    enum Entry : int {
        kOpenFile = 1,
        kPaste = 2,
        kAddText = 3,
        kAddMandelbrot = 4,
        kFullScreen = 5,
        kTransparentBackground = 6,
        kBringToFront = 7,
        kBottomMost = 8,
        kAbout = 9,
    };

    PageContextMenu(PageWindow& window, ImageImport& import, const WindowModes& modes, ActionRegistry& actions);

    // The menu with the states of this moment.
    PopupMenu Build() const;
    // Shows the menu at a point of the page canvas's window and carries out the choice.
    void Show(QPoint page_widget_point);
    // The menu key and Shift+F10: the active item's own menu at its middle, else this menu at
    // the middle of the page as the window shows it.
    void ShowFromKeyboard();
    // Carries out an entry for a point of the page canvas's window; false when it did nothing.
    bool Run(int entry, QPoint page_widget_point);

    // Adds a text at the point and opens its properties dialog: OK keeps it and records an
    // undo step, Cancel takes it away again.
    bool AddText(QPoint page_widget_point);
    // Adds a Mandelbrot picture at the point and records an undo step.
    bool AddMandelbrot(QPoint page_widget_point);

private:
    // Makes the page item of a section kind with its top left corner at the point and the
    // size given, and puts it on top of the page. Null when the kind makes no item.
    Item* AddItem(const QString& section_name, QPoint page_widget_point, float width, float height);
    static bool ClipboardHoldsPicture();

    PageWindow& m_window;
    ImageImport& m_import;
    const WindowModes& m_modes;
    ActionRegistry& m_actions;
};
