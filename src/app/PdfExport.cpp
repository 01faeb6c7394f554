#include "app/PdfExport.h"

#include "app/ExportArguments.h"
#include "app/ImageWarnings.h"
#include "app/PageExport.h"
#include "document/NoteDocument.h"
#include "document/NoteFileReader.h"
#include "document/OutputGuard.h"
#include "items/Canvas.h"
#include "noteitems/ItemFactories.h"
#include "platform/Paths.h"
#include "platform/SafeFileWriter.h"
#include "platform/TextFile.h"
#include "platform/UserPrompt.h"

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

// Shows a failure to the user; answers false.
bool Tell(const QString& text)
{
    Prompt().ShowMessage(text, kPromptCaption.toString(), MessageIcon::Warning);
    return false;
}

bool IsBlankPage(const QString& page)
{
    return page.trimmed().isEmpty();
}

QString BackBrushSection(quint32 colour)
{
    return QStringLiteral("[BackBrush]\r\nPos=L0,T0,R0,B0\r\nColor=0x%1\r\n").arg(colour, 0, 16);
}

}

bool PdfExport::Write(const QString& pdf_path, const QStringList& pages, const QString& page_folder,
    const PageSetup& setup, QString& error, ImageWarnings* unread)
{
    const QSizeF size = setup.viewer_size;
    if (!(size.width() >= 1 && size.height() >= 1 && setup.dpi > 0)) {
        error = QStringLiteral("cannot make pages of %1x%2 at %3 dpi").arg(size.width()).arg(size.height()).arg(setup.dpi);
        return false;
    }
    SafeFileWriter file(pdf_path);
    if (!file.Open()) {
        error = QStringLiteral("cannot write %1: %2").arg(pdf_path, file.ErrorText());
        return false;
    }
    QPdfWriter writer(&file.Device());
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
    const QRectF page_rect(QPointF(0, 0), size);
    qsizetype broken_page = -1;
    // A note ends with its last page that holds something (older versions wrote a separator
    // after it, which reads as one more empty page); a note of nothing still makes one page.
    qsizetype count = pages.size();
    while (count > 1 && IsBlankPage(pages[count - 1]))
        --count;
    for (qsizetype index = 0; index < count && broken_page < 0; ++index) {
        if (index > 0)
            writer.newPage();
        Canvas canvas(CanvasKind::Page);
        canvas.SetLayoutSize(float(size.width()), float(size.height()));
        canvas.SetDpi(setup.dpi);
        NoteDocument::LoadPageText(canvas, BackBrushSection(setup.back_colour), page_folder);
        // Relative image paths of a page resolve against the note's folder.
        if (!NoteDocument::LoadPageText(canvas, pages[index], page_folder))
            broken_page = index;
        else if (unread)
            unread->AddUnloaded(canvas, page_folder);
        painter.save();
        painter.scale(resolution / setup.dpi, resolution / setup.dpi);
        DrawItems(painter, canvas, page_rect);
        painter.restore();
    }
    const bool ended = painter.end();
    // A PDF left unfinished is dropped, and a PDF that was there before stays.
    if (broken_page >= 0) {
        error = QStringLiteral("cannot read page %1 of the note").arg(broken_page + 1);
        return false;
    }
    if (!ended || !file.Commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(pdf_path, file.ErrorText());
        return false;
    }
    return true;
}

bool PdfExport::HasPdfName(const QString& path)
{
    return ExtensionOf(path) == u".pdf";
}

bool PdfExport::WriteWithDialog(const QString& path, const QStringList& pages, const QString& page_folder,
    const QString& note_path, const PageSetup& setup)
{
    QString target = path;
    if (target.isEmpty()) {
        FileDialogRequest request;
        request.filter = QStringLiteral("PDF (*.pdf)|*.pdf||");
        request.default_extension = QStringLiteral("pdf");
        // In the note's folder; the program's folder, which the dialog passes over, without one.
        request.initial_path = page_folder + QStringLiteral("NewFile");
        target = Prompt().AskSaveFile(request).value_or(QString());
        if (target.isEmpty())
            return false;
    }
    if (const auto verdict = OutputGuard::Check(target, note_path, pages, page_folder); verdict.IsRefused())
        return Tell(OutputGuard::WindowText(verdict, target));
    if (!HasPdfName(target))
        return Tell(QStringLiteral("PDFの書き出し先には、名前が .pdf で終わるファイルを指定してください。\n%1").arg(target));
    QString error;
    if (Write(target, pages, page_folder, setup, error))
        return true;
    return Tell(QStringLiteral("PDFの書き出しに失敗しました。\n%1").arg(error));
}

std::optional<PdfExport::Options> PdfExport::ParseArguments(const QStringList& arguments, QString& error)
{
    const auto split = ExportArguments::Split(arguments, QLatin1String(kOption),
        { QStringLiteral("--size"), QStringLiteral("--dpi"), QStringLiteral("--back") }, error);
    if (!split)
        return std::nullopt;
    Options options;
    options.setup.viewer_size = QSizeF(ExportArguments::DefaultPageSize(kMaxViewerSide));
    options.output_path = split->output_path;
    options.note_path = split->note_path;
    for (const auto& [name, value] : split->values) {
        if (name == u"--size") {
            const auto size = ExportArguments::SizeUpTo(value, kMaxViewerSide);
            if (!size) {
                error = QStringLiteral("--size needs WIDTHxHEIGHT from 1 to %1: %2").arg(kMaxViewerSide).arg(value);
                return std::nullopt;
            }
            options.setup.viewer_size = QSizeF(*size);
            options.size_given = true;
        } else if (name == u"--dpi") {
            const auto dpi = ExportArguments::IntIn(value, kMinDpi, kMaxDpi);
            if (!dpi) {
                error = QStringLiteral("--dpi needs a resolution from %1 to %2: %3").arg(kMinDpi).arg(kMaxDpi).arg(value);
                return std::nullopt;
            }
            options.setup.dpi = float(*dpi);
            options.dpi_given = true;
        } else {
            const auto level = ExportArguments::IntIn(value, 0, 255);
            if (!level) {
                error = QStringLiteral("--back needs a grey level from 0 to 255: %1").arg(value);
                return std::nullopt;
            }
            options.setup.back_colour = 0xFF000000u + quint32(*level) * 0x010101u;
        }
    }
    return options;
}

bool PdfExport::Export(const Options& options, QString& error, ImageWarnings* unread)
{
    const QString note_path = QFileInfo(options.note_path).absoluteFilePath();
    const NoteFileReader::Result note = NoteFileReader::Read(note_path);
    if (!note.IsRead()) {
        error = note.CommandLineText(options.note_path);
        return false;
    }
    const std::optional<NotePageSize>& note_size = note.page_size;
    PageSetup setup = options.setup;
    if (note_size && !options.size_given)
        setup.viewer_size = QSizeF(note_size->size);
    if (note_size && note_size->dpi > 0 && !options.dpi_given)
        setup.dpi = float(note_size->dpi);
    QString page_error;
    if (!Write(options.output_path, note.pages, NoteFileReader::PageFolderOf(note_path), setup, page_error, unread)) {
        error = page_error;
        return false;
    }
    return true;
}

bool PdfExport::IsAllowedOutput(const Options& options, QString& error)
{
    const auto verdict = OutputGuard::CheckNoteFile(options.output_path, options.note_path);
    if (verdict.IsRefused()) {
        error = OutputGuard::CommandLineText(verdict, options.output_path);
        return false;
    }
    if (!HasPdfName(options.output_path)) {
        error = QStringLiteral("will not write %1: the name of a PDF ends in .pdf").arg(options.output_path);
        return false;
    }
    return true;
}

int PdfExport::Run(const QStringList& arguments)
{
    QString error;
    const auto options = ParseArguments(arguments, error);
    ImageWarnings unread;
    int code = PageExport::kSucceeded;
    if (!options || !IsAllowedOutput(*options, error))
        code = PageExport::kBadArguments;
    else if (!Export(*options, error, &unread))
        code = PageExport::kFailed;
    // A failure is told in one line; the images that did not load explain a picture made.
    if (code == PageExport::kSucceeded)
        unread.Print();
    if (code != PageExport::kSucceeded)
        QTextStream(stderr) << "tessary: " << error << '\n';
    return code;
}
