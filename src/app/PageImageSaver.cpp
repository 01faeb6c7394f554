#include "app/PageImageSaver.h"

#include "app/MainWindow.h"
#include "app/PageExport.h"
#include "document/NoteDocument.h"
#include "document/OutputGuard.h"
#include "items/Canvas.h"
#include "items/ImageFileWriter.h"
#include "items/SaveQualityDialog.h"
#include "platform/UserPrompt.h"

#include <QFileInfo>

PageImageSaver::PageImageSaver(MainWindow& window)
    : m_window(window)
{
}

bool PageImageSaver::SaveWithDialog()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("JPEG|*.jpg|GIF|*.gif|PNG|*.png|BMP|*.bmp|TIFF|*.tif||");
    request.default_extension = QStringLiteral("jpg");
    request.initial_path = QStringLiteral("NewFile");
    const auto chosen = Prompt().AskSaveFile(request);
    if (!chosen)
        return false;
    return ExportPage(*chosen);
}

bool PageImageSaver::ExportPage(const QString& path)
{
    const QString format = ImageFileWriter::FormatForPath(path);
    if (format.isEmpty())
        return ReportFailure(path, QStringLiteral("この拡張子の画像は保存できません。"));
    const QString target = QFileInfo(path).absoluteFilePath();
    const NoteDocument& note = m_window.GetPages().Document();
    const QString page_text = NoteDocument::PageTextOf(m_window.PageCanvas());
    // The page shown may hold images that its stored text does not have yet.
    const auto verdict = OutputGuard::Check(target, note.NotePath(), note.Pages() + QStringList { page_text }, note.PageFolder());
    if (verdict.IsRefused()) {
        Prompt().ShowMessage(OutputGuard::WindowText(verdict, target), kPromptCaption.toString(), MessageIcon::Warning);
        return false;
    }
    int quality = ImageFileWriter::kDefaultJpegQuality;
    if (format == QLatin1String("jpg")) {
        const auto asked = AskSaveQuality();
        if (!asked)
            return false;
        quality = *asked;
    }
    const Canvas& canvas = m_window.PageCanvas();
    const QSize size(static_cast<int>(canvas.LayoutWidth()), static_cast<int>(canvas.LayoutHeight()));
    const QImage picture = PageExport::RenderPage(page_text, size, m_window.BackgroundLevel(), note.PageFolder());
    if (picture.isNull())
        return ReportFailure(target, QStringLiteral("ページを描けません。"));
    QString reason;
    if (ImageFileWriter::Write(picture, target, quality, &reason) == ImageFileWriter::Result::Written)
        return true;
    return ReportFailure(target, reason);
}

bool PageImageSaver::ReportFailure(const QString& path, const QString& reason)
{
    // The user chose where the page goes and would otherwise believe it is there.
    Prompt().ShowMessage(QStringLiteral("ページ画像の保存に失敗しました。\n%1\n%2").arg(path, reason), kPromptCaption.toString(),
                         MessageIcon::Warning);
    return false;
}
