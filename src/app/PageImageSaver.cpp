#include "app/PageImageSaver.h"

#include "app/PageWindow.h"
#include "document/Pages.h"
#include "app/PageExport.h"
#include "document/NoteDocument.h"
#include "items/Canvas.h"
#include "items/ImageFileWriter.h"
#include "items/ImageSaveTarget.h"
#include "items/SaveQualityDialog.h"
#include "platform/Paths.h"
#include "platform/QtUserPrompt.h"
#include "platform/UserPrompt.h"

#include <QFileInfo>

PageImageSaver::PageImageSaver(PageWindow& window)
    : m_window(window)
{
}

bool PageImageSaver::SaveWithDialog()
{
    FileDialogRequest request;
    request.filter = QStringLiteral("JPEG|*.jpg|GIF|*.gif|PNG|*.png|BMP|*.bmp|TIFF|*.tif||");
    request.default_extension = kProposedExtension.mid(1).toString();
    request.initial_path = ProposedName();
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
    if (!ImageSaveTarget::MayWrite(m_window.PageCanvas(), target))
        return false;
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

QString PageImageSaver::ProposedName() const
{
    // The dialog opens where a relative name lies, and adds the extension of its first format.
    // A saved note's page picture is proposed beside the note.
    const QString& note = m_window.GetPages().Document().NotePath();
    const QString folder = note.isEmpty() ? QString() : FolderOf(QFileInfo(note).absoluteFilePath());
    const QString name = kProposedName.toString();
    const QString extension = kProposedExtension.toString();
    const QString stem = QtUserPrompt::StartFolder(folder + name, QtUserPrompt::CurrentDialogFolders()) + u'/' + name;
    const Canvas& page = m_window.PageCanvas();
    if (page.UseOfFile(stem + extension) == Canvas::FileUse::None)
        return folder + name;
    const QString free = ImageSaveTarget::FreePath(stem, extension,
        [&page](const QString& path) { return page.UseOfFile(path) != Canvas::FileUse::None; });
    return folder + NameOf(free).chopped(kProposedExtension.size());
}

bool PageImageSaver::ReportFailure(const QString& path, const QString& reason)
{
    // The user chose where the page goes and would otherwise believe it is there.
    Prompt().ShowMessage(QStringLiteral("ページ画像の保存に失敗しました。\n%1\n%2").arg(path, reason), kPromptCaption.toString(),
                         MessageIcon::Warning);
    return false;
}
