#pragma once

#include <QDir>
#include <QStringList>

// Process exit codes of the editor.
inline constexpr int kExitWindowClosed = 0; // the editor window was closed
inline constexpr int kExitWindowFailed = 1; // the editor window could not be built

// Runs the program with its command line; returns the process exit code.
int RunApplication(int argc, char** argv);

// The editor moves its working folder to the program's folder while it builds its windows,
// so notes and images named relative to the folder the user started it from are made
// absolute against that folder first.
QStringList AbsoluteArguments(const QStringList& arguments, const QDir& start_folder);
