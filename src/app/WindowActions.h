#pragma once

#include "app/ActionRegistry.h"

#include <QObject>

class MainWindow;
class QKeyEvent;
class QMenuBar;
class QWheelEvent;
struct ItemEvent;

// The main window's commands and the roads they arrive by: the menu bar, the keys, the
// buttons of the tool bar and the page bar, and the wheel with Shift or Ctrl. Each command is
// an action of the registry with its one rule; the bars' buttons show that rule too.
class WindowActions final : public QObject {
    Q_OBJECT
public:
    explicit WindowActions(MainWindow& window);
    ~WindowActions() override;

    ActionRegistry& Registry() { return m_registry; }

    // Fills the menu bar; each menu shows its states as it opens.
    void BuildMenu(QMenuBar& bar);
    // Shows the commands' states on the bars' buttons.
    void ShowBarStates();

    // Notifications of the tool bar's and page bar's widgets.
    bool HandleBarEvent(const ItemEvent& event);
    // Notifications of the page's items.
    bool HandlePageEvent(const ItemEvent& event);
    // The wheel with Shift turns pages, with Ctrl zooms; true when it was used up here.
    bool HandleWheel(const QWheelEvent& event);

protected:
    // The keys held down (Space to pan, F3 to peek, Shift) also act when they come up, which
    // no shortcut sees.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DefineFileCommands();
    void DefineEditCommands();
    void DefineViewCommands();
    void DefinePageCommands();
    void DefineKeyCommands();
    void DefineItemKeys();
    bool HandleBarClick(const QString& name);
    bool HandleBarCommit(const QString& name);
    bool HandleKeyUp(const QObject* receiver, const QKeyEvent& event);

    MainWindow& m_window;
    ActionRegistry m_registry;
};
