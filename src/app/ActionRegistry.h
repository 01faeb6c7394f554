#pragma once

#include "app/ActionId.h"

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <map>

class QAction;
class QWidget;

// The window's commands as data: each has an id, a caption, its keys, one rule that says
// whether it may run now, what it does, and for a switch whether it is on. Every road to a
// command (menu, button, key, page menu, switch window) goes through Trigger, so a command
// that is disabled in the menu does nothing from a key either.
// Runs on the user-interface thread only.
class ActionRegistry final : public QObject {
    Q_OBJECT
public:
    struct Definition {
        ActionId id;
        // The menu caption, with its mnemonic and, after a tab, the key it shows.
        QString caption;
        QList<QKeySequence> keys {};
        std::function<void()> run;
        std::function<bool()> enabled {};
        // Set for a switch: whether it is on now.
        std::function<bool()> checked {};
        // False for a key that acts once per press, not again while it is held.
        bool repeats { true };
    };

    // Key actions are added to the window, where their keys work as long as it is active.
    explicit ActionRegistry(QWidget& window);
    ~ActionRegistry() override;

    void Add(Definition definition);
    // Called before a command's rule is asked, so that it sees the note as it is now.
    void SetBeforeTrigger(std::function<void()> before) { m_before = std::move(before); }
    // Called after a command ran.
    void SetAfterTrigger(std::function<void()> after) { m_after = std::move(after); }

    // Runs the command when its rule allows it; false when it did not run.
    bool Trigger(ActionId id);
    bool IsEnabled(ActionId id) const;
    bool IsChecked(ActionId id) const;
    // The Qt action of a command, for menus; null for an unknown id.
    QAction* Action(ActionId id) const;
    // Brings every action's enabled and checked state in line with the rules.
    void Refresh();

private:
    struct Entry {
        Definition definition;
        QAction* action { nullptr };
    };
    const Entry* Find(ActionId id) const;

    QWidget& m_window;
    std::map<ActionId, Entry> m_entries;
    std::function<void()> m_before;
    std::function<void()> m_after;
};
