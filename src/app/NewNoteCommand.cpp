#include "app/NewNoteCommand.h"

#include "app/Application.h"
#include "app/ApplicationOptions.h"
#include "app/ExportArguments.h"
#include "app/ImageImport.h"
#include "app/ImageWarnings.h"
#include "app/MainWindow.h"
#include "document/NoteDocument.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "noteitems/ImageItem.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {

constexpr char kNoteExtension[] = ".tsy";

// Whether both paths name one existing file, links followed.
bool IsSameFile(const QString& a, const QString& b)
{
    const QString real = QFileInfo(a).canonicalFilePath();
    return !real.isEmpty() && real == QFileInfo(b).canonicalFilePath();
}

}

std::optional<NewNoteCommand::Options> NewNoteCommand::ParseArguments(const QStringList& arguments, QString& error)
{
    const auto output_path = ExportArguments::OutputPath(arguments, QLatin1String(kOption), error);
    if (!output_path)
        return std::nullopt;
    // The window opens notes by this extension only.
    if (ExtensionOf(*output_path) != QLatin1String(kNoteExtension)) {
        error = QStringLiteral("the note must be a .tsy file: %1").arg(*output_path);
        return std::nullopt;
    }
    Options options { *output_path, ExportArguments::DefaultPageSize(MainWindow::kMaxViewerSide), {} };
    for (qsizetype index = 2; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (argument != u"--size") {
            if (argument.startsWith(u"--")) {
                error = QStringLiteral("unknown option: %1").arg(argument);
                return std::nullopt;
            }
            options.image_paths << argument;
            continue;
        }
        const QString value = index + 1 < arguments.size() ? arguments[++index] : QString();
        const auto size = ExportArguments::SizeUpTo(value, MainWindow::kMaxViewerSide);
        if (!size) {
            error = QStringLiteral("--size needs WIDTHxHEIGHT from 1 to %1: %2").arg(MainWindow::kMaxViewerSide).arg(value);
            return std::nullopt;
        }
        options.page_size = *size;
    }
    if (options.image_paths.isEmpty()) {
        error = QStringLiteral("no images given");
        return std::nullopt;
    }
    // Writing the note over one of its images would destroy the image.
    for (const QString& image : options.image_paths) {
        if (IsSameFile(image, options.output_path)) {
            error = QStringLiteral("the note would replace its image %1").arg(image);
            return std::nullopt;
        }
    }
    return options;
}

QStringList NewNoteCommand::PlacePages(const QStringList& image_paths, QSize page_size, QStringList& unread)
{
    QStringList pages;
    for (const QString& path : AbsoluteArguments(image_paths, QDir::current())) {
        Canvas page(CanvasKind::Page);
        page.SetLayoutSize(float(page_size.width()), float(page_size.height()));
        auto item = ImageImport::NewImageItem(page, path);
        if (!item) {
            unread << path;
            continue;
        }
        item->FitToPage();
        page.AddItem(std::move(item));
        pages << NoteDocument::PageTextOf(page);
    }
    return pages;
}

int NewNoteCommand::Run(const QStringList& arguments)
{
    QTextStream err(stderr);
    QString error;
    const auto options = ParseArguments(arguments, error);
    if (!options) {
        err << "tessary: " << error << '\n';
        return ApplicationOptions::kBadArguments;
    }
    QStringList unread;
    const QStringList pages = PlacePages(options->image_paths, options->page_size, unread);
    for (const QString& path : unread)
        err << ImageWarnings::Line(path) << '\n';
    if (pages.isEmpty()) {
        err << "tessary: no image could be read; the note " << options->output_path << " was not written\n";
        return ApplicationOptions::kFailed;
    }
    // The note keeps the page size its pictures were fitted to.
    if (!WriteTextFileSafely(options->output_path, JoinNotePages(pages, NotePageSize { options->page_size }))) {
        err << "tessary: cannot write the note " << options->output_path << '\n';
        return ApplicationOptions::kFailed;
    }
    return unread.isEmpty() ? ApplicationOptions::kSucceeded : ApplicationOptions::kFailed;
}
