#pragma once

#include "platform/UserPrompt.h"

#include <memory>

class QMenu;
class QWidget;

// The prompt of the running program: Qt's message boxes, file and colour dialogs and menus.
class QtUserPrompt : public UserPrompt {
public:
    // The folders a file dialog may open in besides the one its request names.
    struct DialogFolders {
        QString working; // relative names resolve here: the note's folder while a note is open
        QString program; // the program's own folder, no place for the user's files
        QString pictures;
        QString home;
    };

    // "JPEG|*.jpg|GIF|*.gif||" becomes "JPEG (*.jpg);;GIF (*.gif)". A description that already
    // shows its pattern in parentheses keeps its text and gets the pattern added.
    static QString ConvertFilter(const QString& filter);
    // The extension a filter of a save dialog stands for, without its dot: "png" for
    // "PNG (*.png)"; empty when its first pattern names no single extension ("*.*").
    static QString FilterExtension(const QString& qt_filter);
    // The folder a file dialog opens in: the existing folder of the request's path (relative
    // paths against the working folder) unless that is the program's folder, else the
    // pictures folder when it exists, else the home folder.
    static QString StartFolder(const QString& initial_path, const DialogFolders& folders);
    // The folders of this user and process.
    static DialogFolders CurrentDialogFolders();
    // Builds the menu of a popup; each action carries its entry's id as data.
    static std::unique_ptr<QMenu> BuildMenu(const PopupMenu& menu, QWidget* parent);

protected:
    void DoShowMessage(const QString& text, const QString& caption, MessageIcon icon) override;
    bool DoAskYesNo(const QString& text, const QString& caption) override;
    Answer DoAskYesNoCancel(const QString& text, const QString& caption) override;
    int DoAskChoice(const ChoiceQuestion& question) override;
    std::optional<QString> DoAskOpenFile(const FileDialogRequest& request) override;
    std::optional<QString> DoAskSaveFile(const FileDialogRequest& request) override;
    std::optional<quint32> DoAskColor(quint32 initial_argb) override;
    std::optional<int> DoShowPopupMenu(const PopupMenu& menu, QPoint screen_position) override;
};
