#include "app/PageExport.h"

#include "document/NoteDocument.h"
#include "document/NoteFileText.h"
#include "items/ImageFileWriter.h"
#include "items/OffscreenCanvas.h"
#include "noteitems/ItemFactories.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QFileInfo>
#include <algorithm>
#include <QTextStream>

namespace {

std::optional<int> StrictInt(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<QSize> StrictSize(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return std::nullopt;
    const auto width = StrictInt(parts[0]);
    const auto height = StrictInt(parts[1]);
    if (!width || !height)
        return std::nullopt;
    return QSize(*width, *height);
}

}

bool PageExport::IsRequested(const QStringList& arguments)
{
    return !arguments.isEmpty() && arguments.first() == QLatin1String(kOption);
}

std::optional<PageExport::Options> PageExport::ParseArguments(const QStringList& arguments, QString& error)
{
    Options options;
    if (!IsRequested(arguments) || arguments.size() < 2 || arguments[1].isEmpty()) {
        error = QStringLiteral("usage: tessary --export OUT [--page N] [--size WxH] [--back V] [--quality Q] NOTE");
        return std::nullopt;
    }
    options.output_path = arguments[1];
    for (int index = 2; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        if (!argument.startsWith(QLatin1String("--"))) {
            if (!options.note_path.isEmpty()) {
                error = QStringLiteral("more than one note given: %1").arg(argument);
                return std::nullopt;
            }
            options.note_path = argument;
            continue;
        }
        if (index + 1 >= arguments.size()) {
            error = QStringLiteral("%1 needs a value").arg(argument);
            return std::nullopt;
        }
        const QString value = arguments[++index];
        if (argument == u"--page") {
            const auto page = StrictInt(value);
            if (!page || *page < 1) {
                error = QStringLiteral("--page needs a page number from 1: %1").arg(value);
                return std::nullopt;
            }
            options.page = *page;
        } else if (argument == u"--size") {
            const auto size = StrictSize(value);
            if (!size || size->width() < 1 || size->height() < 1 || size->width() > kMaxSide || size->height() > kMaxSide) {
                error = QStringLiteral("--size needs WIDTHxHEIGHT from 1 to %1: %2").arg(kMaxSide).arg(value);
                return std::nullopt;
            }
            options.size = *size;
        } else if (argument == u"--back") {
            const auto level = StrictInt(value);
            if (!level || *level < 0 || *level > 255) {
                error = QStringLiteral("--back needs a grey level from 0 to 255: %1").arg(value);
                return std::nullopt;
            }
            options.back_level = *level;
        } else if (argument == u"--quality") {
            const auto quality = StrictInt(value);
            if (!quality || *quality < 0 || *quality > 100) {
                error = QStringLiteral("--quality needs a value from 0 to 100: %1").arg(value);
                return std::nullopt;
            }
            options.quality = *quality;
        } else {
            error = QStringLiteral("unknown option: %1").arg(argument);
            return std::nullopt;
        }
    }
    if (options.note_path.isEmpty()) {
        error = QStringLiteral("no note given to export");
        return std::nullopt;
    }
    return options;
}

bool PageExport::Export(const Options& options, QString& error)
{
    if (ImageFileWriter::FormatForPath(options.output_path).isEmpty()) {
        error = QStringLiteral("cannot write %1: the extension must be .jpg, .gif, .png, .bmp or .tif").arg(options.output_path);
        return false;
    }
    const QString note_path = QFileInfo(options.note_path).absoluteFilePath();
    QString note_text;
    if (QFileInfo(note_path).isDir() || !ReadTextFile(note_path, note_text)) {
        error = QStringLiteral("cannot read the note %1").arg(options.note_path);
        return false;
    }
    const QStringList pages = CutNotePages(note_text);
    if (options.page > pages.size()) {
        error = QStringLiteral("the note %1 has no page %2 (it has %3)").arg(options.note_path).arg(options.page).arg(pages.size());
        return false;
    }

    if (options.size.width() < 1 || options.size.height() < 1) {
        error = QStringLiteral("cannot make a page of %1x%2 pixels").arg(options.size.width()).arg(options.size.height());
        return false;
    }
    const QImage picture = RenderPage(pages[options.page - 1], options.size, options.back_level, FolderOf(note_path));
    if (picture.isNull()) {
        error = QStringLiteral("cannot render page %1 of the note %2").arg(options.page).arg(options.note_path);
        return false;
    }
    if (ImageFileWriter::Write(picture, options.output_path, options.quality) != ImageFileWriter::Result::Written) {
        error = QStringLiteral("cannot write %1").arg(options.output_path);
        return false;
    }
    return true;
}

QImage PageExport::RenderPage(const QString& page_text, QSize size, int back_level, const QString& folder)
{
    OffscreenCanvas page(size, CanvasKind::Page);
    if (!page.IsValid())
        return {};
    ItemFactories::RegisterAll();
    const quint32 back_colour = 0xFF000000u + quint32(std::clamp(back_level, 0, 255)) * 0x010101u;
    NoteDocument::LoadPageText(page.GetCanvas(),
        QStringLiteral("[BackBrush]\r\nPos=L0,T0,R0,B0\r\nColor=0x%1\r\n").arg(back_colour, 0, 16));
    // Relative image paths of a page resolve against the note's folder.
    const QString saved_folder = CurrentFolder();
    SetCurrentFolder(folder);
    const bool loaded = NoteDocument::LoadPageText(page.GetCanvas(), page_text);
    SetCurrentFolder(saved_folder);
    if (!loaded)
        return {};
    return page.Render();
}

int PageExport::Run(const QStringList& arguments)
{
    QString error;
    const auto options = ParseArguments(arguments, error);
    int code = kSucceeded;
    if (!options)
        code = kBadArguments;
    else if (!Export(*options, error))
        code = kFailed;
    if (code != kSucceeded)
        QTextStream(stderr) << "tessary: " << error << '\n';
    return code;
}
