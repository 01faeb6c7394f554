#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <optional>

// What the program keeps between runs, in the user's configuration folder
// ($XDG_CONFIG_HOME/Tessary/Tessary.ini). The window and the command-line commands read the
// same values, so a note exported without a window looks as it did in the window.
namespace Settings {

// The page size the window last used, when one was kept and it is a sane size.
std::optional<QSize> PageSize();
void SetPageSize(QSize size);

// The main window's place, size and maximized state, as the window saves them
// (QWidget::saveGeometry), when they were kept.
std::optional<QByteArray> WindowGeometry();
void SetWindowGeometry(const QByteArray& geometry);

// The folder that holds the settings file, ending in "/".
QString Folder();

}
