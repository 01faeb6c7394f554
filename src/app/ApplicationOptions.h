#pragma once

#include <QString>
#include <QStringList>

#include <span>

// The program's options, in one table. Without an option the program is the editor and its
// arguments are notes and images; an option as the first argument runs a command instead,
// which never opens a window. Any other argument that starts with "--" is refused with the
// usage, as is a named value a command does not take.
namespace ApplicationOptions {

// Process exit codes of the commands.
inline constexpr int kSucceeded = 0;
inline constexpr int kFailed = 1;
inline constexpr int kBadArguments = 2;

// What a command needs from Qt before it runs.
enum class Needs {
    Nothing,
    // Images and drawing: a GUI application on the off-screen platform, so that no display
    // is needed.
    Images,
};

struct Command {
    const char* option;   // "--export"
    const char* synopsis; // what follows the option in the usage
    const char* summary;  // one line that says what it does
    Needs needs;
    // Takes the arguments after the program name, option included; answers the exit code.
    int (*run)(const QStringList& arguments);
};

std::span<const Command> Commands();
// The command of an option; null when the program has no such option.
const Command* Find(const QString& option);

// The usage of the whole program: the editor's line and one per command.
QString Usage();
// The usage line of one command.
QString UsageOf(const Command& command);

}
