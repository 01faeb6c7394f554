#include "app/PageImageSaver.h"

#include "app/MainWindow.h"
#include "app/PageExport.h"
#include "document/NoteDocument.h"
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
        return ReportFailure();
    int quality = ImageFileWriter::kDefaultJpegQuality;
    if (format == QLatin1String("jpg")) {
        const auto asked = AskSaveQuality();
        if (!asked)
            return false;
        quality = *asked;
    }
    const Canvas& canvas = m_window.PageCanvas();
    const QSize size(static_cast<int>(canvas.LayoutWidth()), static_cast<int>(canvas.LayoutHeight()));
    const QImage picture = PageExport::RenderPage(NoteDocument::PageTextOf(canvas), size, m_window.BackgroundLevel(),
                                                  m_window.GetPages().Document().PageFolder());
    if (!picture.isNull()
        && ImageFileWriter::Write(picture, QFileInfo(path).absoluteFilePath(), quality) == ImageFileWriter::Result::Written)
        return true;
    return ReportFailure();
}

bool PageImageSaver::ReportFailure()
{
    // The user chose where the page goes and would otherwise believe it is there.
    Prompt().ShowMessage(QStringLiteral("ページ画像の保存に失敗しました。"), kPromptCaption.toString(), MessageIcon::Warning);
    return false;
}
