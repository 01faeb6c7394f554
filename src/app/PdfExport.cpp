#include "app/PdfExport.h"

#include "app/PageExport.h"
#include "document/NoteDocument.h"
#include "document/NoteFileText.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextStream>

#include <cmath>

namespace {

constexpr int kMaxViewerSide = 4800;
constexpr int kMinDpi = 72;
constexpr int kMaxDpi = 4800;
constexpr double kPointsPerInch = 72.0;

std::optional<int> StrictInt(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// Draws the items of a page canvas, bottom to top, as the screen shows them.
void DrawItems(QPainter& painter, const Canvas& canvas, const QRectF& page)
{
    for (const auto& item : canvas.Items()) {
        if (!item->IsVisible() || !item->IsInGroup(canvas.CurrentGroup()))
            continue;
        painter.save();
        painter.setClipRect(page);
        item->Draw(painter, page);
        painter.restore();
    }
}

QString BackBrushSection(quint32 colour)
{
    return QStringLiteral("[BackBrush]\r\nPos=L0,T0,R0,B0\r\nColor=0x%1\r\n").arg(colour, 0, 16);
}

}

bool PdfExport::Write(const QString& pdf_path, const QStringList& pages, const QString& page_folder,
    const PageSetup& setup, QString& error)
{
    const QSizeF size = setup.viewer_size;
    if (!(size.width() >= 1 && size.height() >= 1 && setup.dpi > 0)) {
        error = QStringLiteral("cannot make pages of %1x%2 at %3 dpi").arg(size.width()).arg(size.height()).arg(setup.dpi);
        return false;
    }
    QPdfWriter writer(pdf_path);
    writer.setCreator(QStringLiteral("Tessary"));
    const double points = kPointsPerInch / setup.dpi;
    writer.setPageSize(QPageSize(size * points, QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    const int resolution = int(std::lround(setup.dpi * kDetail));
    writer.setResolution(resolution);

    QPainter painter;
    if (!painter.begin(&writer)) {
        error = QStringLiteral("cannot write %1").arg(pdf_path);
        return false;
    }
    ItemFactories::RegisterAll();
    const QString saved_folder = CurrentFolder();
    const QRectF page_rect(QPointF(0, 0), size);
    qsizetype broken_page = -1;
    for (qsizetype index = 0; index < pages.size() && broken_page < 0; ++index) {
        if (index > 0)
            writer.newPage();
        Canvas canvas(CanvasKind::Page);
        canvas.SetLayoutSize(float(size.width()), float(size.height()));
        canvas.SetDpi(setup.dpi);
        NoteDocument::LoadPageText(canvas, BackBrushSection(setup.back_colour));
        // Relative image paths of a page resolve against the note's folder.
        SetCurrentFolder(page_folder);
        if (!NoteDocument::LoadPageText(canvas, pages[index]))
            broken_page = index;
        painter.save();
        painter.scale(resolution / setup.dpi, resolution / setup.dpi);
        DrawItems(painter, canvas, page_rect);
        painter.restore();
    }
    SetCurrentFolder(saved_folder);
    const bool written = painter.end();
    if (broken_page >= 0) {
        QFile::remove(pdf_path);
        error = QStringLiteral("cannot read page %1 of the note").arg(broken_page + 1);
        return false;
    }
    if (!written) {
        error = QStringLiteral("cannot write %1").arg(pdf_path);
        return false;
    }
    return true;
}

bool PdfExport::IsRequested(const QStringList& arguments)
{
    return !arguments.isEmpty() && arguments.first() == QLatin1String(kOption);
}

std::optional<PdfExport::Options> PdfExport::ParseArguments(const QStringList& arguments, QString& error)
{
    Options options;
    if (!IsRequested(arguments) || arguments.size() < 2 || arguments[1].isEmpty()) {
        error = QStringLiteral("usage: tessary --export-pdf OUT.pdf [--size WxH] [--dpi D] [--back V] NOTE");
        return std::nullopt;
    }
    options.output_path = arguments[1];
    for (qsizetype index = 2; index < arguments.size(); ++index) {
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
        if (argument == u"--size") {
            const QStringList sides = value.split(QLatin1Char('x'));
            const auto width = sides.size() == 2 ? StrictInt(sides[0]) : std::nullopt;
            const auto height = sides.size() == 2 ? StrictInt(sides[1]) : std::nullopt;
            if (!width || !height || *width < 1 || *height < 1 || *width > kMaxViewerSide || *height > kMaxViewerSide) {
                error = QStringLiteral("--size needs WIDTHxHEIGHT from 1 to %1: %2").arg(kMaxViewerSide).arg(value);
                return std::nullopt;
            }
            options.setup.viewer_size = QSizeF(*width, *height);
        } else if (argument == u"--dpi") {
            const auto dpi = StrictInt(value);
            if (!dpi || *dpi < kMinDpi || *dpi > kMaxDpi) {
                error = QStringLiteral("--dpi needs a resolution from %1 to %2: %3").arg(kMinDpi).arg(kMaxDpi).arg(value);
                return std::nullopt;
            }
            options.setup.dpi = float(*dpi);
        } else if (argument == u"--back") {
            const auto level = StrictInt(value);
            if (!level || *level < 0 || *level > 255) {
                error = QStringLiteral("--back needs a grey level from 0 to 255: %1").arg(value);
                return std::nullopt;
            }
            options.setup.back_colour = 0xFF000000u + quint32(*level) * 0x010101u;
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

bool PdfExport::Export(const Options& options, QString& error)
{
    const QString note_path = QFileInfo(options.note_path).absoluteFilePath();
    QString note_text;
    if (QFileInfo(note_path).isDir() || !ReadTextFile(note_path, note_text)) {
        error = QStringLiteral("cannot read the note %1").arg(options.note_path);
        return false;
    }
    QString page_error;
    if (!Write(options.output_path, CutNotePages(note_text), FolderOf(note_path), options.setup, page_error)) {
        error = page_error;
        return false;
    }
    return true;
}

int PdfExport::Run(const QStringList& arguments)
{
    QString error;
    const auto options = ParseArguments(arguments, error);
    int code = PageExport::kSucceeded;
    if (!options)
        code = PageExport::kBadArguments;
    else if (!Export(*options, error))
        code = PageExport::kFailed;
    if (code != PageExport::kSucceeded)
        QTextStream(stderr) << "tessary: " << error << '\n';
    return code;
}
