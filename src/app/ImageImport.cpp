#include "app/ImageImport.h"

#include "app/ImageWarnings.h"
#include "app/PageCanvasWidget.h"
#include "app/PageWindow.h"
#include "document/Pages.h"
#include "items/ImageFileWriter.h"
#include "items/Canvas.h"
#include "items/ImageFileReader.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "platform/Paths.h"
#include "platform/UserPrompt.h"
#include "text/ValueForms.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextStream>
#include <QUrl>

#include <algorithm>

namespace {

// Placed images cascade by this many window pixels per file.
constexpr int kCascadeStep = 30;

// The dialog opens in the note's folder (the program's folder, which it passes over, for a
// note never opened).
FileDialogRequest ImageDialog(const QString& note_folder)
{
    QStringList patterns;
    for (const QString& extension : ImageFileExtensions())
        patterns << u'*' + extension;
    const QString joined = patterns.join(u';');
    FileDialogRequest request;
    request.filter = QStringLiteral("画像ファイル (%1)|%1;|すべてのファイル (*.*)|*.*||").arg(joined);
    request.initial_path = note_folder + QStringLiteral("NewFile");
    return request;
}

// Why placing a file failed, for the user; the plain failure when the file itself is fine.
QString PlacingFailure(const QString& path)
{
    const ImageReadFailure failure = ImageFileReader::CheckRemembered(path);
    if (failure == ImageReadFailure::None)
        return QStringLiteral("ファイルオープンに失敗しました。");
    return ImageFileReader::FailureMessage(NameOf(path), failure);
}

bool IsNoteFileName(const QString& path)
{
    return ExtensionOf(path) == QLatin1String(".tsy");
}

// The same file, compared in the long form and without case.
bool IsSameFile(const QString& a, const QString& b)
{
    auto normal = [](const QString& path) {
        QString text = LongPath(QFileInfo(path).absoluteFilePath()).toLower();
        if (text.endsWith(QLatin1Char('/')))
            text.chop(1);
        return text;
    };
    return normal(a) == normal(b);
}

// The local files of a drag, in drag order.
QStringList LocalFiles(const QMimeData& data)
{
    QStringList paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

}

ImageImport::ImageImport(PageWindow& window)
    : m_window(window)
{
}

void ImageImport::ProcessCommandLine(const QStringList& arguments)
{
    const QString program = QCoreApplication::applicationFilePath();
    int image_page = 0;
    for (const QString& argument : arguments) {
        if (IsSameFile(argument, program))
            continue;
        if (!QFileInfo::exists(argument)) {
            ReportUnreadable(argument);
            continue;
        }
        if (m_window.GetPages().Document().OpenNote(argument))
            break;
        // A note file that did not open has been told about; it is no picture to place.
        if (IsNoteFileName(argument))
            continue;
        if (PlaceImage(argument, {}, Placement::FitToPage, 0, image_page))
            ++image_page;
        else
            ReportUnreadable(argument);
    }
    m_window.GetPages().GoTo(0);
}

bool ImageImport::PlaceImage(const QString& path, QPoint window_point, Placement placement, int sequence,
                             int target_page)
{
    Pages& pages = m_window.GetPages();
    if (target_page >= 0 && !pages.GoTo(target_page))
        return false;
    Canvas& canvas = m_window.PageCanvas();
    auto item = NewImageItem(canvas, path);
    if (!item)
        return false;
    if (placement == Placement::FitToPage) {
        item->FitToPage();
    } else {
        const QPoint cascaded = window_point + QPoint(kCascadeStep, kCascadeStep) * sequence;
        const QPointF page = canvas.ToPage(QPointF(m_window.PageWidget().mapFrom(&m_window.Widget(), cascaded)));
        // A cascade that runs off the page comes back on its other side.
        const int width = std::max(1, static_cast<int>(canvas.LayoutWidth()));
        const int height = std::max(1, static_cast<int>(canvas.LayoutHeight()));
        item->SetAnchor(Item::kLeft, QStringLiteral("L") + FormatFixed(static_cast<int>(page.x()) % width));
        item->SetAnchor(Item::kTop, QStringLiteral("T") + FormatFixed(static_cast<int>(page.y()) % height));
    }
    if (canvas.AddItem(std::move(item)))
        m_window.RepaintPageCanvas();
    pages.RecordChanges();
    return true;
}

std::unique_ptr<ImageItem> ImageImport::NewImageItem(Canvas& canvas, const QString& path)
{
    auto item = std::make_unique<ImageItem>(canvas);
    if (!item->Load(QFileInfo(path).absoluteFilePath(), {}, FolderListingCache::Rescan::Yes))
        return nullptr;
    // The header was enough to place it; a file whose pixels do not come would stay blank.
    if (ImageFileReader::CheckRemembered(item->GetPicture().FileName()) != ImageReadFailure::None)
        return nullptr;
    return item;
}

void ImageImport::OpenWithDialog()
{
    OpenAndPlace(Placement::FitToPage, {});
}

void ImageImport::OpenWithDialogAt(QPoint window_point)
{
    OpenAndPlace(Placement::AtPoint, window_point);
}

void ImageImport::OpenAndPlace(Placement placement, QPoint window_point)
{
    const auto chosen = Prompt().AskOpenFile(ImageDialog(m_window.GetPages().Document().PageFolder()));
    if (!chosen)
        return;
    if (!PlaceImage(*chosen, window_point, placement, 0, -1))
        Prompt().ShowMessage(PlacingFailure(*chosen), kPromptCaption.toString(), MessageIcon::Error);
}

void ImageImport::ReportUnreadable(const QString& argument)
{
    QTextStream(stderr) << ImageWarnings::Line(argument) << Qt::endl;
}

bool ImageImport::PasteAt(QPoint window_point)
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !CanPaste(*data))
        return false;
    // Files copied in a file manager are placed as the files themselves, like a drop.
    const QStringList files = LocalFiles(*data);
    if (!files.isEmpty()) {
        const QStringList failures = DropFiles(files, window_point, Placement::AtPoint);
        ShowFailures(failures);
        return failures.size() < files.size();
    }
    return PlaceBitmap(clipboard->image(), window_point);
}

bool ImageImport::CanPaste(const QMimeData& data)
{
    return !LocalFiles(data).isEmpty() || data.hasImage();
}

void ImageImport::ShowFailures(const QStringList& failures)
{
    if (!failures.isEmpty())
        Prompt().ShowMessage(failures.join(u'\n'), kPromptCaption.toString(), MessageIcon::Error);
}

bool ImageImport::PlaceBitmap(const QImage& image, QPoint window_point)
{
    Canvas& canvas = m_window.PageCanvas();
    auto owned = std::make_unique<ImageItem>(canvas);
    ImageItem* item = owned.get();
    if (!item->TakeImage(image))
        return false;
    const QPointF page = canvas.ToPage(QPointF(m_window.PageWidget().mapFrom(&m_window.Widget(), window_point)));
    item->SetAnchor(Item::kLeft, QStringLiteral("L") + FormatFixed(page.x()));
    item->SetAnchor(Item::kTop, QStringLiteral("T") + FormatFixed(page.y()));
    if (!canvas.AddItem(std::move(owned)))
        return false;
    m_window.RepaintPageCanvas();
    // The pixels become a file the note can refer to; the item keeps its size and place.
    const QString path = PastedImagePath(QDate::currentDate());
    if (ImageFileWriter::Write(image, path) == ImageFileWriter::Result::Written)
        item->Load(path, {}, FolderListingCache::Rescan::Yes);
    else
        // Without a file the picture would silently be missing from the saved note.
        Prompt().ShowMessage(QStringLiteral("画像ファイルの保存に失敗しました。この画像はノートに保存されません。"),
                             kPromptCaption.toString(), MessageIcon::Warning);
    m_window.RepaintPageCanvas();
    m_window.GetPages().RecordChanges();
    return true;
}

bool ImageImport::AcceptsDrag(const QMimeData& data)
{
    return !LocalFiles(data).isEmpty() || data.hasImage();
}

bool ImageImport::Drop(const QMimeData& data, QPoint window_point, Qt::KeyboardModifiers modifiers)
{
    const QStringList files = LocalFiles(data);
    if (!files.isEmpty()) {
        const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
        const QStringList failures = DropFiles(files, window_point, ctrl ? Placement::FitToPage : Placement::AtPoint);
        // Shown once the drop has ended, so that the program the files came from is not kept
        // waiting for its drop to finish while the message is open.
        if (!failures.isEmpty())
            QMetaObject::invokeMethod(&m_window.Widget(), [this, failures] { ShowFailures(failures); }, Qt::QueuedConnection);
        return true;
    }
    if (!data.hasImage())
        return false;
    const QImage image = qvariant_cast<QImage>(data.imageData());
    if (image.isNull())
        return false;
    PlaceBitmap(image, window_point);
    return true;
}

QStringList ImageImport::DropFiles(const QStringList& paths, QPoint window_point, Placement placement)
{
    if (paths.size() == 1 && IsNoteFileName(paths.first())) {
        m_window.GetPages().Document().OpenNote(paths.first());
        return {};
    }
    if (m_window.IsLocked())
        return {};
    Pages& pages = m_window.GetPages();
    const int start_page = pages.Current();
    QStringList failures;
    for (int index = 0; index < paths.size(); ++index) {
        const bool placed = PlaceImage(paths[index], window_point, placement, index, -1);
        if (!placed)
            failures << PlacingFailure(paths[index]);
        // The next file goes on the next page; no empty page is made after the last one.
        if (placed && placement == Placement::FitToPage && index + 1 < paths.size())
            pages.Next();
    }
    if (placement == Placement::FitToPage)
        pages.GoTo(start_page);
    return failures;
}
