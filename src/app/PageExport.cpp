#include "app/PageExport.h"

#include "app/ExportArguments.h"
#include "app/ImageWarnings.h"

#include "document/NoteDocument.h"
#include "document/NoteFileReader.h"
#include "document/OutputGuard.h"
#include "items/ImageFileWriter.h"
#include "items/OffscreenCanvas.h"
#include "noteitems/ItemFactories.h"
#include "platform/Paths.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <QTextStream>

std::optional<PageExport::Options> PageExport::ParseArguments(const QStringList& arguments, QString& error)
{
    const auto split = ExportArguments::Split(arguments, QLatin1String(kOption),
        { QStringLiteral("--page"), QStringLiteral("--size"), QStringLiteral("--back"), QStringLiteral("--quality") }, error);
    if (!split)
        return std::nullopt;
    Options options;
    options.size = ExportArguments::DefaultPageSize(kMaxSide);
    options.output_path = split->output_path;
    options.note_path = split->note_path;
    for (const auto& [name, value] : split->values) {
        if (name == u"--page") {
            const auto page = ExportArguments::IntIn(value, 1, std::numeric_limits<int>::max());
            if (!page) {
                error = QStringLiteral("--page needs a page number from 1: %1").arg(value);
                return std::nullopt;
            }
            options.page = *page;
        } else if (name == u"--size") {
            const auto size = ExportArguments::SizeUpTo(value, kMaxSide);
            if (!size) {
                error = QStringLiteral("--size needs WIDTHxHEIGHT from 1 to %1: %2").arg(kMaxSide).arg(value);
                return std::nullopt;
            }
            options.size = *size;
            options.size_given = true;
        } else if (name == u"--back") {
            const auto level = ExportArguments::IntIn(value, 0, 255);
            if (!level) {
                error = QStringLiteral("--back needs a grey level from 0 to 255: %1").arg(value);
                return std::nullopt;
            }
            options.back_level = *level;
        } else {
            const auto quality = ExportArguments::IntIn(value, 0, 100);
            if (!quality) {
                error = QStringLiteral("--quality needs a value from 0 to 100: %1").arg(value);
                return std::nullopt;
            }
            options.quality = *quality;
        }
    }
    return options;
}

bool PageExport::Export(const Options& options, QString& error, ImageWarnings* unread)
{
    if (ImageFileWriter::FormatForPath(options.output_path).isEmpty()) {
        error = QStringLiteral("cannot write %1: the extension must be .jpg, .gif, .png, .bmp or .tif").arg(options.output_path);
        return false;
    }
    const QString note_path = QFileInfo(options.note_path).absoluteFilePath();
    const NoteFileReader::Result note = NoteFileReader::Read(note_path);
    if (!note.IsRead()) {
        error = note.CommandLineText(options.note_path);
        return false;
    }
    const std::optional<NotePageSize>& note_size = note.page_size;
    const QStringList& pages = note.pages;
    const QSize size = note_size && !options.size_given ? note_size->size : options.size;
    if (options.page > pages.size()) {
        error = QStringLiteral("the note %1 has no page %2 (it has %3)").arg(options.note_path).arg(options.page).arg(pages.size());
        return false;
    }

    if (size.width() < 1 || size.height() < 1) {
        error = QStringLiteral("cannot make a page of %1x%2 pixels").arg(size.width()).arg(size.height());
        return false;
    }
    const QImage picture = RenderPage(pages[options.page - 1], size, options.back_level, NoteFileReader::PageFolderOf(note_path), unread);
    if (picture.isNull()) {
        error = QStringLiteral("cannot render page %1 of the note %2").arg(options.page).arg(options.note_path);
        return false;
    }
    if (QString reason; ImageFileWriter::Write(picture, options.output_path, options.quality, &reason) != ImageFileWriter::Result::Written) {
        error = QStringLiteral("cannot write %1: %2").arg(options.output_path, reason);
        return false;
    }
    return true;
}

QImage PageExport::RenderPage(const QString& page_text, QSize size, int back_level, const QString& folder,
    ImageWarnings* unread)
{
    OffscreenCanvas page(size, CanvasKind::Page);
    if (!page.IsValid())
        return {};
    ItemFactories::RegisterAll();
    const quint32 back_colour = 0xFF000000u + quint32(std::clamp(back_level, 0, 255)) * 0x010101u;
    NoteDocument::LoadPageText(page.GetCanvas(),
        QStringLiteral("[BackBrush]\r\nPos=L0,T0,R0,B0\r\nColor=0x%1\r\n").arg(back_colour, 0, 16), folder);
    // Relative image paths of a page resolve against the note's folder.
    if (!NoteDocument::LoadPageText(page.GetCanvas(), page_text, folder))
        return {};
    if (unread)
        unread->AddUnloaded(page.GetCanvas(), folder);
    return page.Render();
}

int PageExport::Run(const QStringList& arguments)
{
    QString error;
    const auto options = ParseArguments(arguments, error);
    ImageWarnings unread;
    int code = kSucceeded;
    if (!options) {
        code = kBadArguments;
    } else if (const auto verdict = OutputGuard::CheckNoteFile(options->output_path, options->note_path); verdict.IsRefused()) {
        error = OutputGuard::CommandLineText(verdict, options->output_path);
        code = kBadArguments;
    } else if (!Export(*options, error, &unread)) {
        code = kFailed;
    }
    // A failure is told in one line; the images that did not load explain a picture made.
    if (code == kSucceeded)
        unread.Print();
    if (code != kSucceeded)
        QTextStream(stderr) << "tessary: " << error << '\n';
    return code;
}
