#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// Makes a note of images from the command line, without a window:
//
//   tessary --new-note OUT.tsy [--size WxH] IMAGE...
//
// Each image that loads gets a page of its own and is fitted to a page of W x H (default: the
// page size the window last used, else 800 x 600) exactly as the editor places the images it
// is started with, so the note is the one the editor would save. An image that does not load
// is named on stderr and uses up no page.
class NewNoteCommand {
public:
    static constexpr char kOption[] = "--new-note";

    struct Options {
        QString output_path;
        QSize page_size;
        QStringList image_paths;
    };

    // Parses the arguments that follow the program name. On failure answers nothing and sets
    // error to one line for the user.
    static std::optional<Options> ParseArguments(const QStringList& arguments, QString& error);

    // The page texts of the images that load, one per page; every image that does not load
    // is added to unread.
    static QStringList PlacePages(const QStringList& image_paths, QSize page_size, QStringList& unread);

    // The whole command: parse, place, write the note, report on stderr. Answers the exit
    // code: failed when an image was not placed (the others were, and the note was written
    // when any was) or the note could not be written. Needs a QGuiApplication.
    static int Run(const QStringList& arguments);
};
