#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class ImageWarnings;

// The command-line export: renders one page of a note into an image file without showing any
// window.
//
//   tessary --export OUT [--page N] [--size WxH] [--back V] [--quality Q] NOTE
//
// The page (1-based) is rendered at W x H pixels over a background of grey level V, with the
// note's folder as the working folder so that relative image paths resolve, and written in the
// format of OUT's extension (JPEG at quality Q). W x H is by default the page size the window
// last used. An image that does not load leaves a gap and is named on stderr. An OUT that is
// the note or one of its images is refused like a bad argument.
class PageExport {
public:
    static constexpr char kOption[] = "--export";

    // Process exit codes.
    static constexpr int kSucceeded = 0;
    static constexpr int kFailed = 1;
    static constexpr int kBadArguments = 2;

    // Beyond this side an off-screen page would take gigabytes.
    static constexpr int kMaxSide = 16384;

    struct Options {
        QString output_path;
        QString note_path;
        int page { 1 };
        QSize size { 800, 600 };
        int back_level { 255 };
        int quality { 90 };
        // Whether size was given; otherwise the note's own page size goes before it.
        bool size_given { false };
    };

    // Parses the arguments that follow the program name. On failure answers nothing and sets
    // error to one line for the user.
    static std::optional<Options> ParseArguments(const QStringList& arguments, QString& error);

    // Renders a page text at the size over a background of the grey level, as a page is
    // exported: the page's items only, without the window's frame. Relative image paths
    // resolve against the folder. Images that do not load are added to unread when given.
    // Null when the page cannot be made or read.
    static QImage RenderPage(const QString& page_text, QSize size, int back_level, const QString& folder,
        ImageWarnings* unread = nullptr);

    // Renders and writes the page. On failure sets error to one line for the user.
    static bool Export(const Options& options, QString& error, ImageWarnings* unread = nullptr);

    // The whole command: parse, export, report a failure and the images that did not load on
    // stderr; answers the exit code.
    // Needs a QGuiApplication.
    static int Run(const QStringList& arguments);
};
