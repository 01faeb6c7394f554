#pragma once

#include <map>

class MainWindow;
class QAction;
class QKeyEvent;
class QMenuBar;
class QObject;
class QWheelEvent;
struct ItemEvent;

// The main window's commands and the roads they arrive by: the menu bar (command numbers,
// captions, shortcut texts and the states computed as a menu opens), the keyboard shortcuts
// and the mouse wheel seen before dispatch, and the notifications of the tool bar, the page bar
// and the page's items.
class CommandTable {
public:
    // Menu command numbers.
    enum Command : int {
        kExit = 2,
        kNewNote = 32777,
        kOpenNote = 32788,
        kSaveNote = 32789,
        kSaveNoteAs = 32831,
        kInsertPage = 32801,
        kDeletePage = 32802,
        kClearPage = 32792,
        kAbout = 32793,
        kUndo = 32794,
        kRedo = 32795,
        kPublish = 32798,
        kGrid = 32805,
        kSnap = 32807,
        kMakerSite = 32812,
        kProductPage = 32811,
        kLock = 32814,
        kFullScreen = 32816,
        kBringToFront = 32819,
        kBottomMost = 32820,
        kTransparentBackground = 32823,
        kTransparentWindow = 32825,
        kExportPdf = 32830,
        kOpenImage = 32840,
        kSavePageImage = 32841,
    };

    explicit CommandTable(MainWindow& window);

    // Fills the menu bar; each menu refreshes its states as it opens.
    void BuildMenu(QMenuBar& bar);
    void RefreshMenuStates();
    // Whether a command is enabled now, as the menu shows it.
    bool IsEnabled(int command) const;
    // Runs a command whatever its menu state; false when it is unknown.
    bool Run(int command);

    // Keys and wheel turns seen before dispatch; true when one was used up here.
    bool HandleKeyDown(const QObject* receiver, QKeyEvent* event);
    bool HandleKeyUp(const QObject* receiver, QKeyEvent* event);
    bool HandleWheel(QWheelEvent* event);

    // Notifications of the tool bar's and page bar's widgets, matched by name.
    bool HandleBarEvent(const ItemEvent& event);
    // Notifications of the page's items.
    bool HandlePageEvent(const ItemEvent& event);

private:
    bool HandleBarClick(const ItemEvent& event);
    bool HandleBarCommit(const ItemEvent& event);
    bool HandleShortcut(int key, bool shift);
    void SendKeyToCanvases(QKeyEvent* event);

    MainWindow& m_window;
    std::map<int, QAction*> m_actions;
};
