#pragma once

#include <QPoint>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <memory>
#include <optional>
#include <vector>

// The caption of every message box and question of the program.
inline constexpr QStringView kPromptCaption = u"Tessary";

// The answer to a question that can also be called off.
enum class Answer {
    Yes,
    No,
    Cancel,
};

enum class MessageIcon {
    None,
    Information,
    Warning,
    Error,
    Question,
};

struct FileDialogRequest {
    // Pairs of description and pattern separated by "|", ended by "||", for example
    // "JPEG|*.jpg|GIF|*.gif||".
    QString filter {};
    QString default_extension {}; // without the dot, added when the user types none
    QString initial_path {};      // the dialog opens in its folder; a save dialog presets its name
    QString title {};
};

// A question answered by one of three buttons with words of their own. The last button is the
// way out: Escape and closing the box choose it.
struct ChoiceQuestion {
    QString text {};
    QString caption {};
    std::array<QString, 3> buttons {};
    int default_button { 0 }; // the one Return presses
};

struct PopupMenuEntry {
    QString text {};
    int id { 0 };
    bool separator { false };
    bool checked { false };
    bool disabled { false };
    std::vector<PopupMenuEntry> submenu {};
};

struct PopupMenu {
    std::vector<PopupMenuEntry> entries {};
};

// The one seam through which the program talks to the user: message boxes, questions, file
// dialogs, the colour picker and popup menus. The program uses the Qt implementation; tests
// install a scripted one that answers from a queue and records what was asked. Every call
// runs inside a modal scope, whatever the implementation.
class UserPrompt {
public:
    virtual ~UserPrompt() = default;

    void ShowMessage(const QString& text, const QString& caption, MessageIcon icon);
    // Yes answers true, No false.
    bool AskYesNo(const QString& text, const QString& caption);
    // Yes, No or Cancel; closing the box answers Cancel.
    Answer AskYesNoCancel(const QString& text, const QString& caption);
    // The index of the button chosen, from 0.
    int AskChoice(const ChoiceQuestion& question);
    // The chosen path, or none when the user cancelled.
    std::optional<QString> AskOpenFile(const FileDialogRequest& request);
    std::optional<QString> AskSaveFile(const FileDialogRequest& request);
    // The chosen colour as opaque ARGB, or none when cancelled.
    std::optional<quint32> AskColor(quint32 initial_argb);
    // The id of the chosen entry, or none when the menu was dismissed.
    std::optional<int> ShowPopupMenu(const PopupMenu& menu, QPoint screen_position);

protected:
    // What each kind of prompt does; called with the modal scope open.
    virtual void DoShowMessage(const QString& text, const QString& caption, MessageIcon icon) = 0;
    virtual bool DoAskYesNo(const QString& text, const QString& caption) = 0;
    virtual Answer DoAskYesNoCancel(const QString& text, const QString& caption) = 0;
    virtual int DoAskChoice(const ChoiceQuestion& question) = 0;
    virtual std::optional<QString> DoAskOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> DoAskSaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<quint32> DoAskColor(quint32 initial_argb) = 0;
    virtual std::optional<int> DoShowPopupMenu(const PopupMenu& menu, QPoint screen_position) = 0;
};

// The prompt in use; the Qt one unless a test installed another. Only the user-interface
// thread asks; workers queue their reports to it.
UserPrompt& Prompt();
// Installs a prompt; null brings back the Qt one.
void SetPrompt(std::unique_ptr<UserPrompt> prompt);
