#include "platform/QtUserPrompt.h"

#include "platform/Paths.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QStringList>

#include <algorithm>
#include <array>

namespace {

constexpr int kCustomColorCount = 16;

// The colour dialog's custom colours belong to the process and are kept between calls.
std::array<QRgb, kCustomColorCount>& CustomColors()
{
    static std::array<QRgb, kCustomColorCount> colors = [] {
        std::array<QRgb, kCustomColorCount> white {};
        white.fill(qRgb(255, 255, 255));
        return white;
    }();
    return colors;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QWidget* DialogOwner()
{
    return QApplication::activeWindow();
}

void AddEntries(QMenu& menu, const std::vector<PopupMenuEntry>& entries)
{
    for (const PopupMenuEntry& entry : entries) {
        if (entry.separator) {
            menu.addSeparator();
            continue;
        }
        if (!entry.submenu.empty()) {
            QMenu* submenu = menu.addMenu(entry.text);
            submenu->setEnabled(!entry.disabled);
            AddEntries(*submenu, entry.submenu);
            continue;
        }
        QAction* action = menu.addAction(entry.text);
        action->setData(entry.id);
        action->setEnabled(!entry.disabled);
        // Only checked entries are checkable, so unchecked ones show no empty box.
        if (entry.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
    }
}

std::optional<QString> RunFileDialog(const FileDialogRequest& request, QFileDialog::AcceptMode mode)
{
    const QString initial_path = NormalizeSeparators(request.initial_path);
    QFileDialog dialog(DialogOwner(), request.title);
    dialog.setAcceptMode(mode);
    dialog.setNameFilter(QtUserPrompt::ConvertFilter(request.filter));
    if (!request.default_extension.isEmpty())
        dialog.setDefaultSuffix(request.default_extension);
    // A name typed without an extension gets the one of the format the user chose.
    if (mode == QFileDialog::AcceptSave) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
            if (const QString extension = QtUserPrompt::FilterExtension(filter); !extension.isEmpty())
                dialog.setDefaultSuffix(extension);
        });
    }
    // A dialog given no folder, or one that does not exist, opens on the list of drives.
    dialog.setDirectory(QtUserPrompt::StartFolder(initial_path, QtUserPrompt::CurrentDialogFolders()));
    if (mode == QFileDialog::AcceptOpen) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!initial_path.isEmpty())
            dialog.selectFile(NameOf(initial_path));
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return std::nullopt;
    return chosen.front();
}

}

void QtUserPrompt::DoShowMessage(const QString& text, const QString& caption, MessageIcon icon)
{
    QMessageBox box(ToQtIcon(icon), caption, text, QMessageBox::Ok, DialogOwner());
    box.exec();
}

bool QtUserPrompt::DoAskYesNo(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, DialogOwner());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

Answer QtUserPrompt::DoAskYesNoCancel(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        DialogOwner());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

int QtUserPrompt::DoAskChoice(const ChoiceQuestion& question)
{
    QMessageBox box(QMessageBox::Question, question.caption, question.text, QMessageBox::NoButton, DialogOwner());
    std::array<QPushButton*, 3> buttons {};
    // The roles only place the buttons as the desktop orders them; the answer is the button.
    constexpr std::array roles { QMessageBox::AcceptRole, QMessageBox::ActionRole, QMessageBox::RejectRole };
    for (size_t index = 0; index < buttons.size(); ++index)
        buttons[index] = box.addButton(question.buttons[index], roles[index]);
    box.setEscapeButton(buttons.back());
    box.setDefaultButton(buttons[size_t(std::clamp(question.default_button, 0, int(buttons.size()) - 1))]);
    box.exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? int(buttons.size()) - 1 : int(chosen - buttons.begin());
}

std::optional<QString> QtUserPrompt::DoAskOpenFile(const FileDialogRequest& request)
{
    return RunFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtUserPrompt::DoAskSaveFile(const FileDialogRequest& request)
{
    return RunFileDialog(request, QFileDialog::AcceptSave);
}

std::optional<quint32> QtUserPrompt::DoAskColor(quint32 initial_argb)
{
    auto& custom = CustomColors();
    for (int i = 0; i < kCustomColorCount; ++i)
        QColorDialog::setCustomColor(i, QColor::fromRgb(custom[i]));
    const QColor chosen = QColorDialog::getColor(QColor::fromRgb(initial_argb | 0xFF000000u), DialogOwner());
    for (int i = 0; i < kCustomColorCount; ++i)
        custom[i] = QColorDialog::customColor(i).rgb();
    if (!chosen.isValid())
        return std::nullopt;
    return chosen.rgb() | 0xFF000000u;
}

std::optional<int> QtUserPrompt::DoShowPopupMenu(const PopupMenu& menu, QPoint screen_position)
{
    std::unique_ptr<QMenu> popup = BuildMenu(menu, DialogOwner());
    QAction* chosen = popup->exec(screen_position);
    if (!chosen)
        return std::nullopt;
    return chosen->data().toInt();
}

QString QtUserPrompt::ConvertFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    // Pairs of description and pattern until the empty part that ends the list; a description
    // left without its pattern (a filter not ended by "||") is dropped.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        if (description.isEmpty())
            break;
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
        if (description.endsWith(shown))
            filters.append(description);
        else
            filters.append(description + QLatin1Char(' ') + shown);
    }
    return filters.join(QLatin1String(";;"));
}

QString QtUserPrompt::FilterExtension(const QString& qt_filter)
{
    const qsizetype open = qt_filter.lastIndexOf(u'(');
    const QString patterns = open < 0 ? qt_filter : qt_filter.mid(open + 1).chopped(qt_filter.endsWith(u')') ? 1 : 0);
    const QString first = patterns.simplified().section(u' ', 0, 0);
    if (!first.startsWith(QStringLiteral("*.")))
        return {};
    const QString extension = first.mid(2);
    if (extension.isEmpty() || extension.contains(u'*') || extension.contains(u'?'))
        return {};
    return extension;
}

QString QtUserPrompt::StartFolder(const QString& initial_path, const DialogFolders& folders)
{
    const auto same_folder = [](const QString& a, const QString& b) {
        return !a.isEmpty() && !b.isEmpty() && QDir::cleanPath(a) == QDir::cleanPath(b);
    };
    const QString path = NormalizeSeparators(initial_path);
    if (!path.isEmpty()) {
        const QString absolute = QDir(folders.working).absoluteFilePath(path);
        const QString folder = path.endsWith(QLatin1Char('/')) ? absolute : FolderOf(absolute);
        if (QFileInfo(folder).isDir() && !same_folder(folder, folders.program))
            return QDir::cleanPath(folder);
    }
    if (QFileInfo(folders.pictures).isDir())
        return QDir::cleanPath(folders.pictures);
    return QDir::cleanPath(folders.home);
}

QtUserPrompt::DialogFolders QtUserPrompt::CurrentDialogFolders()
{
    return DialogFolders {
        .working = CurrentFolder(),
        .program = ProgramFolder(),
        .pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
        .home = QDir::homePath(),
    };
}

std::unique_ptr<QMenu> QtUserPrompt::BuildMenu(const PopupMenu& menu, QWidget* parent)
{
    auto popup = std::make_unique<QMenu>(parent);
    AddEntries(*popup, menu.entries);
    return popup;
}
