#pragma once

#include "items/LayoutDialog.h"
#include "platform/Message.h"

#include <QString>
#include <deque>
#include <functional>
#include <vector>

// A dialog shown without a window: the layout is built on a window-less canvas of the
// request's size and a script drives its widgets as a user would.
class ScriptedDialog {
public:
    explicit ScriptedDialog(LayoutDialog& dialog)
        : m_dialog(dialog)
    {
    }

    Canvas& GetCanvas() { return m_dialog.GetCanvas(); }
    LayoutDialog& Dialog() { return m_dialog; }
    // Sets a widget's property and reports the change as the widget itself would (code 1).
    bool Change(const QString& name, const QString& key, const QString& value);
    // A widget's event, as if the widget had sent it.
    bool Send(const QString& name, int code);
    // Presses a button: sends its code-1 event.
    bool Press(const QString& name) { return Send(name, 1); }
    // A key pressed in the dialog's window.
    bool PressKey(Key key, bool shift = false);
    // The widget that has the keyboard focus, by name; empty when none has it.
    QString Focused() const;
    // The window's close box.
    void Close() { m_dialog.Close(); }
    QString Property(const QString& name, const QString& key) const;

private:
    LayoutDialog& m_dialog;
};

// Answers dialogs from a queue of scripts and records every request. A dialog whose script
// leaves it open, or that finds the queue empty, ends as with the close box.
class ScriptedLayoutDialogs final : public LayoutDialogRunner {
public:
    using Script = std::function<void(ScriptedDialog& dialog)>;

    void Queue(Script script) { m_scripts.push_back(std::move(script)); }

    const std::vector<LayoutDialogRequest>& Requests() const { return m_requests; }
    // Messages the runner would have shown (a layout that could not be loaded).
    const std::vector<QString>& Failures() const { return m_failures; }
    int PendingScripts() const { return static_cast<int>(m_scripts.size()); }

protected:
    bool RunModal(const LayoutDialogRequest& request) override;

private:
    std::deque<Script> m_scripts;
    std::vector<LayoutDialogRequest> m_requests;
    std::vector<QString> m_failures;
};
