#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// The command line the exports share:
//
//   tessary OPTION OUT [--NAME VALUE]... NOTE
//
// with the named values and the note in any order. Splitting checks only this shape; each
// export checks the names and values it knows.
struct ExportArguments {
    QString output_path;
    QString note_path;
    // The named values in the order given, names with their "--".
    std::vector<std::pair<QString, QString>> values;

    // Whether the arguments (without the program name) start with the option.
    static bool AreFor(const QStringList& arguments, const QString& option);
    // Takes the named values of the names given. On failure answers nothing and sets error to
    // one line for the user.
    static std::optional<ExportArguments> Split(const QStringList& arguments, const QString& option,
        const QStringList& names, QString& error);
    // The output that must follow the option: on failure answers nothing and sets error.
    static std::optional<QString> OutputPath(const QStringList& arguments, const QString& option, QString& error);

    // The page size the commands use when none is given: the one the window last used, so
    // that a note made in the window comes out as it looked there; else (or when a side of it
    // is beyond max_side) 800 x 600.
    static QSize DefaultPageSize(int max_side);

    // The whole text as a decimal number from minimum to maximum.
    static std::optional<int> IntIn(const QString& text, int minimum, int maximum);
    // "WIDTHxHEIGHT", each side from 1 to max_side.
    static std::optional<QSize> SizeUpTo(const QString& text, int max_side);
};
