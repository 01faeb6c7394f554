#pragma once

#include "platform/UserPrompt.h"


#include <memory>

class QMenu;
class QWidget;

// The prompt of the running program: Qt's message boxes, file and colour dialogs and menus.
class QtUserPrompt : public UserPrompt {
public:
    void ShowMessage(const QString& text, const QString& caption, MessageIcon icon) override;
    bool AskYesNo(const QString& text, const QString& caption) override;
    Answer AskYesNoCancel(const QString& text, const QString& caption) override;
    std::optional<QString> AskOpenFile(const FileDialogRequest& request) override;
    std::optional<QString> AskSaveFile(const FileDialogRequest& request) override;
    std::optional<quint32> AskColor(quint32 initial_argb) override;
    std::optional<int> ShowPopupMenu(const PopupMenu& menu, QPoint screen_position) override;

    // "JPEG|*.jpg|GIF|*.gif||" becomes "JPEG (*.jpg);;GIF (*.gif)". A description that already
    // shows its pattern in parentheses keeps its text and gets the pattern added.
    static QString ConvertFilter(const QString& filter);
    // Builds the menu of a popup; each action carries its entry's id as data.
    static std::unique_ptr<QMenu> BuildMenu(const PopupMenu& menu, QWidget* parent);
};
