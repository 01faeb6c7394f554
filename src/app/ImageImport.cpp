#include "app/ImageImport.h"

#include "app/MainWindow.h"
#include "items/Canvas.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItem.h"
#include "platform/Paths.h"
#include "platform/UserPrompt.h"
#include "text/ValueForms.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace {

// Placed images cascade by this many window pixels per file.
constexpr int kCascadeStep = 30;

FileDialogRequest ImageDialog()
{
    FileDialogRequest request;
    request.filter = QStringLiteral(
        "画像ファイル (*.jpg;*.gif;*.png;*.bmp;*.tif)|*.jpg;*.gif;*.png;*.bmp;*.tif;|すべてのファイル (*.*)|*.*||");
    request.initial_path = QStringLiteral("NewFile");
    return request;
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

}

ImageImport::ImageImport(MainWindow& window)
    : m_window(window)
{
}

void ImageImport::ProcessCommandLine(const QStringList& arguments)
{
    const QString program = QCoreApplication::applicationFilePath();
    int image_page = 0;
    for (const QString& argument : arguments) {
        if (IsSameFile(argument, program) || !QFileInfo::exists(argument))
            continue;
        if (m_window.OpenNote(argument))
            break;
        if (PlaceImage(argument, {}, Placement::FitToPage, 0, image_page))
            ++image_page;
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
    auto item = std::make_unique<ImageItem>(canvas);
    if (!item->Load(QFileInfo(path).absoluteFilePath(), {}, FolderListingCache::Rescan::Yes))
        return false;
    if (placement == Placement::FitToPage) {
        item->FitToPage();
    } else {
        const QPoint cascaded = window_point + QPoint(kCascadeStep, kCascadeStep) * sequence;
        const QPointF page = canvas.ToPage(QPointF(m_window.PageWidget().mapFrom(&m_window, cascaded)));
        // A cascade that runs off the page comes back on its other side.
        const int width = std::max(1, static_cast<int>(canvas.LayoutWidth()));
        const int height = std::max(1, static_cast<int>(canvas.LayoutHeight()));
        item->SetAnchor(Item::kLeft, QStringLiteral("L") + FormatFixed(static_cast<int>(page.x()) % width));
        item->SetAnchor(Item::kTop, QStringLiteral("T") + FormatFixed(static_cast<int>(page.y()) % height));
    }
    if (canvas.AddItem(std::move(item)))
        m_window.RepaintPageCanvas();
    pages.RecordStep();
    return true;
}

void ImageImport::OpenWithDialog()
{
    const auto chosen = Prompt().AskOpenFile(ImageDialog());
    if (!chosen)
        return;
    if (!PlaceImage(*chosen, {}, Placement::FitToPage, 0, -1))
        Prompt().ShowMessage(QStringLiteral("ファイルオープンに失敗しました。"), kPromptCaption.toString(),
                             MessageIcon::Error);
}
