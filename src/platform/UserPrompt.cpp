#include "platform/UserPrompt.h"

#include "platform/ModalScope.h"
#include "platform/QtUserPrompt.h"

namespace {

std::unique_ptr<UserPrompt>& CurrentPrompt()
{
    static std::unique_ptr<UserPrompt> prompt;
    return prompt;
}

}

UserPrompt& Prompt()
{
    auto& prompt = CurrentPrompt();
    if (!prompt)
        prompt = std::make_unique<QtUserPrompt>();
    return *prompt;
}

void SetPrompt(std::unique_ptr<UserPrompt> prompt)
{
    CurrentPrompt() = std::move(prompt);
}

void UserPrompt::ShowMessage(const QString& text, const QString& caption, MessageIcon icon)
{
    ModalScope modal;
    DoShowMessage(text, caption, icon);
}

bool UserPrompt::AskYesNo(const QString& text, const QString& caption)
{
    ModalScope modal;
    return DoAskYesNo(text, caption);
}

Answer UserPrompt::AskYesNoCancel(const QString& text, const QString& caption)
{
    ModalScope modal;
    return DoAskYesNoCancel(text, caption);
}

int UserPrompt::AskChoice(const ChoiceQuestion& question)
{
    ModalScope modal;
    return DoAskChoice(question);
}

std::optional<QString> UserPrompt::AskOpenFile(const FileDialogRequest& request)
{
    ModalScope modal;
    return DoAskOpenFile(request);
}

std::optional<QString> UserPrompt::AskSaveFile(const FileDialogRequest& request)
{
    ModalScope modal;
    return DoAskSaveFile(request);
}

std::optional<quint32> UserPrompt::AskColor(quint32 initial_argb)
{
    ModalScope modal;
    return DoAskColor(initial_argb);
}

std::optional<int> UserPrompt::ShowPopupMenu(const PopupMenu& menu, QPoint screen_position)
{
    ModalScope modal;
    return DoShowPopupMenu(menu, screen_position);
}
