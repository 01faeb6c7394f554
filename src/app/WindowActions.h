#pragma once

#include "app/ActionRegistry.h"

#include <QObject>

class MainWindow;
class QKeyEvent;
class QMenuBar;
class QWheelEvent;
struct ItemEvent;

// The main window's commands and the roads they arrive by: the menu bar, the keys and the
// wheel with Shift or Ctrl. Each command is an action of the registry with its one rule.
class WindowActions final : public QObject {
    Q_OBJECT
public:
    explicit WindowActions(MainWindow& window);
    ~WindowActions() override;

    ActionRegistry& Registry() { return m_registry; }

    // Fills the menu bar; each menu shows its states as it opens.
    void BuildMenu(QMenuBar& bar);
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
    bool HandleKeyUp(const QObject* receiver, const QKeyEvent& event);

    MainWindow& m_window;
    ActionRegistry m_registry;
};
