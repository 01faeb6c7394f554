#pragma once

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

class ImageWarnings;

// The whole note as one PDF: one PDF page per note page, as large as the viewer at the page
// resolution (800 x 600 at 96 dpi is 8.33 x 6.25 inches; PDF pages are whole points), over the
// page's background colour.
// Items are drawn into the PDF itself, not through a picture of the screen, and pictures are
// decoded for a page sixteen times finer than the viewer's pixels, so a picture goes in at its
// full resolution unless it is shown at less than a sixteenth of its size.
//
// From the command line, without a window:
//
//   tessary --export-pdf OUT.pdf [--size WxH] [--dpi D] [--back V] NOTE
//
// with the viewer size W x H (default: the page size the window last used, else 800x600), the
// resolution D (default 96) and the grey level V of the background (default 255). The exit
// codes are those of the page export; images that do not load are named on stderr. An output
// that is not named ".pdf", or that is the note or one of its images, is refused like a bad
// argument.
class PdfExport {
public:
    static constexpr char kOption[] = "--export-pdf";
    // How many times finer than the viewer's pixels pictures are decoded for.
    static constexpr int kDetail = 16;

    struct PageSetup {
        QSizeF viewer_size { 800, 600 };
        float dpi { 96 };
        quint32 back_colour { 0xFFFFFFFFu };
    };

    // Writes the page texts into a PDF file; relative image paths resolve against
    // page_folder. Images that do not load are added to unread when given. On failure sets
    // error to one line for the user.
    static bool Write(const QString& pdf_path, const QStringList& pages, const QString& page_folder,
        const PageSetup& setup, QString& error, ImageWarnings* unread = nullptr);

    // Writes with the save dialog's path when the path is empty. Refuses a name that does not
    // end in ".pdf", the note file (note_path, empty for a note never saved) and the images of
    // its pages; tells the user of a refusal or a failure. False when cancelled, refused or
    // failed.
    static bool WriteWithDialog(const QString& path, const QStringList& pages, const QString& page_folder,
        const QString& note_path, const PageSetup& setup);
    // Whether the path's extension is ".pdf", in any case.
    static bool HasPdfName(const QString& path);

    struct Options {
        QString output_path;
        QString note_path;
        PageSetup setup;
        // Whether the size and the resolution were given; otherwise the note's own go first.
        bool size_given { false };
        bool dpi_given { false };
    };

    static std::optional<Options> ParseArguments(const QStringList& arguments, QString& error);
    // Whether the output may be written: a PDF's name, neither the note nor one of its images.
    // On refusal sets error to one line for the user.
    static bool IsAllowedOutput(const Options& options, QString& error);
    // Reads the note and writes the PDF.
    static bool Export(const Options& options, QString& error, ImageWarnings* unread = nullptr);
    // The whole command: parse, export, report a failure on stderr; answers the exit code.
    // Needs a QGuiApplication.
    static int Run(const QStringList& arguments);
};
