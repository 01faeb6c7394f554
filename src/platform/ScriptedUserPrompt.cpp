#include "platform/ScriptedUserPrompt.h"

#include "platform/Paths.h"
#include "platform/QtUserPrompt.h"

#include <QDir>
#include <QFileInfo>

ScriptedUserPrompt& ScriptedUserPrompt::Install()
{
    auto prompt = std::make_unique<ScriptedUserPrompt>();
    ScriptedUserPrompt& installed = *prompt;
    SetPrompt(std::move(prompt));
    return installed;
}

template <typename T>
T ScriptedUserPrompt::TakeFront(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    // The answer is copied out before the front is dropped.
    struct PopFront {
        std::deque<T>& queue;
        ~PopFront() { queue.pop_front(); }
    } pop { queue };
    return queue.front();
}

ScriptedUserPrompt::Request& ScriptedUserPrompt::Record(Kind kind)
{
    Request& request = m_requests.emplace_back();
    request.kind = kind;
    return request;
}

void ScriptedUserPrompt::DoShowMessage(const QString& text, const QString& caption, MessageIcon icon)
{
    Request& request = Record(Kind::Message);
    request.text = text;
    request.caption = caption;
    request.icon = icon;
}

bool ScriptedUserPrompt::DoAskYesNo(const QString& text, const QString& caption)
{
    Request& request = Record(Kind::YesNo);
    request.text = text;
    request.caption = caption;
    return TakeFront(m_yes_no, false);
}

Answer ScriptedUserPrompt::DoAskYesNoCancel(const QString& text, const QString& caption)
{
    Request& request = Record(Kind::YesNoCancel);
    request.text = text;
    request.caption = caption;
    return TakeFront(m_answers, Answer::Cancel);
}

int ScriptedUserPrompt::DoAskChoice(const ChoiceQuestion& question)
{
    Request& request = Record(Kind::Choice);
    request.text = question.text;
    request.caption = question.caption;
    request.buttons = question.buttons;
    return TakeFront(m_choices, int(question.buttons.size()) - 1);
}

std::optional<QString> ScriptedUserPrompt::DoAskOpenFile(const FileDialogRequest& request)
{
    Record(Kind::OpenFile).file = request;
    return TakeFront<std::optional<QString>>(m_open_files, std::nullopt);
}

std::optional<QString> ScriptedUserPrompt::DoAskSaveFile(const FileDialogRequest& request)
{
    Record(Kind::SaveFile).file = request;
    const std::optional<QString> answer = TakeFront<std::optional<QString>>(m_save_files, std::nullopt);
    if (answer != kAsProposed)
        return answer;
    const QString folder = QtUserPrompt::StartFolder(request.initial_path, QtUserPrompt::CurrentDialogFolders());
    QString proposed = QDir(folder).filePath(NameOf(NormalizeSeparators(request.initial_path)));
    if (QFileInfo(proposed).suffix().isEmpty() && !request.default_extension.isEmpty())
        proposed += u'.' + request.default_extension;
    return proposed;
}

std::optional<quint32> ScriptedUserPrompt::DoAskColor(quint32 initial_argb)
{
    Record(Kind::Color).initial_color = initial_argb;
    return TakeFront<std::optional<quint32>>(m_colors, std::nullopt);
}

std::optional<int> ScriptedUserPrompt::DoShowPopupMenu(const PopupMenu& menu, QPoint screen_position)
{
    Request& request = Record(Kind::PopupMenu);
    request.menu = menu;
    request.position = screen_position;
    return TakeFront<std::optional<int>>(m_menu_choices, std::nullopt);
}
