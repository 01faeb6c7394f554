#pragma once

#include "platform/UserPrompt.h"

#include <deque>
#include <vector>

// A prompt for tests: answers from queues filled beforehand and records every request in
// order. With an empty queue a Yes/No question is answered No, a Yes/No/Cancel question
// Cancel, a question of three buttons with its last one, and a dialog or menu is cancelled.
class ScriptedUserPrompt : public UserPrompt {
public:
    enum class Kind {
        Message,
        YesNo,
        YesNoCancel,
        Choice,
        OpenFile,
        SaveFile,
        Color,
        PopupMenu,
    };

    struct Request {
        Kind kind { Kind::Message };
        QString text;
        QString caption;
        MessageIcon icon { MessageIcon::None };
        std::array<QString, 3> buttons {};
        FileDialogRequest file;
        quint32 initial_color { 0 };
        PopupMenu menu;
        QPoint position;
    };

    // Creates a scripted prompt, installs it as the program's prompt and returns it. It stays
    // installed until another is set.
    static ScriptedUserPrompt& Install();

    void QueueYesNo(bool answer) { m_yes_no.push_back(answer); }
    void QueueAnswer(Answer answer) { m_answers.push_back(answer); }
    // The index of the button of a question of three buttons.
    void QueueChoice(int button) { m_choices.push_back(button); }
    void QueueOpenFile(std::optional<QString> answer) { m_open_files.push_back(std::move(answer)); }
    void QueueSaveFile(std::optional<QString> answer) { m_save_files.push_back(std::move(answer)); }
    // The save dialog is accepted with the name it proposes, as Return would: a relative name
    // lies in the folder the dialog opens in, and a name without an extension gets the
    // default one.
    void QueueSaveFileAsProposed() { m_save_files.push_back(kAsProposed.toString()); }
    void QueueColor(std::optional<quint32> answer) { m_colors.push_back(answer); }
    void QueueMenuChoice(std::optional<int> answer) { m_menu_choices.push_back(answer); }

    const std::vector<Request>& Requests() const { return m_requests; }
    void ClearRequests() { m_requests.clear(); }


protected:
    void DoShowMessage(const QString& text, const QString& caption, MessageIcon icon) override;
    bool DoAskYesNo(const QString& text, const QString& caption) override;
    Answer DoAskYesNoCancel(const QString& text, const QString& caption) override;
    int DoAskChoice(const ChoiceQuestion& question) override;
    std::optional<QString> DoAskOpenFile(const FileDialogRequest& request) override;
    std::optional<QString> DoAskSaveFile(const FileDialogRequest& request) override;
    std::optional<quint32> DoAskColor(quint32 initial_argb) override;
    std::optional<int> DoShowPopupMenu(const PopupMenu& menu, QPoint screen_position) override;

private:
    static constexpr QStringView kAsProposed = u"\u0001as proposed";

    Request& Record(Kind kind);
    template <typename T>
    static T TakeFront(std::deque<T>& queue, T fallback);

    std::deque<bool> m_yes_no;
    std::deque<Answer> m_answers;
    std::deque<int> m_choices;
    std::deque<std::optional<QString>> m_open_files;
    std::deque<std::optional<QString>> m_save_files;
    std::deque<std::optional<quint32>> m_colors;
    std::deque<std::optional<int>> m_menu_choices;
    std::vector<Request> m_requests;
};
