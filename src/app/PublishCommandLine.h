#pragma once

#include "document/Publisher.h"

#include <QString>
#include <QStringList>

#include <optional>

class ImageWarnings;

// The command-line publish: publishes a note file as the publish dialog does, without any
// window.
//
//   tessary --publish OUT.tsy [--image-folder NAME] [--serial] [--yes] NOTE.tsy
//
// The copies go into the folder NAME (default "images") beside OUT.tsy, named after their
// sources or, with --serial, by serial number. An existing image folder is emptied only with
// --yes. An image that does not load is named on stderr; it is copied when it exists.
class PublishCommandLine {
public:
    static constexpr char kOption[] = "--publish";

    // Process exit codes.
    static constexpr int kSucceeded = 0;
    static constexpr int kFailed = 1;
    static constexpr int kBadArguments = 2;

    struct Options {
        QString note_path;
        PublishSettings settings;
        bool empty_existing_folder { false };
    };

    // Parses the arguments that follow the program name. On failure answers nothing and sets
    // error to one line for the user.
    static std::optional<Options> ParseArguments(const QStringList& arguments, QString& error);
    // Publishes; on failure fills errors with one line per problem. The images that do not
    // load are added to unread when given; a missing one is not a failure.
    static bool Publish(const Options& options, QStringList& errors, ImageWarnings* unread = nullptr);
    // The whole command: parse, publish, report on stderr; answers the exit code.
    static int Run(const QStringList& arguments);
};
