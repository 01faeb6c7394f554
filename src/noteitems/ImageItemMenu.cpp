#include "noteitems/ImageItemMenu.h"

#include "items/Canvas.h"
#include "items/ImageFileWriter.h"
#include "items/ImageSaveTarget.h"
#include "items/OffscreenCanvas.h"
#include "items/SaveQualityDialog.h"
#include "noteitems/FolderScan.h"
#include "noteitems/ImageItem.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "text/ValueForms.h"

#include <QDir>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {

struct Entry {
    ImageItemMenu::Command command;
    const char16_t* text;
};

// Separators stand before these entries.
bool StartsGroup(int command)
{
    return command == ImageItemMenu::kRotateRight || command == ImageItemMenu::kOpenFolder
        || command == ImageItemMenu::kZoomHalf || command == ImageItemMenu::kFitToScreen
        || command == ImageItemMenu::kDeleteFile;
}

constexpr Entry kEntries[] = {
    { ImageItemMenu::kDuplicate, u"複製(&C)" },
    { ImageItemMenu::kDelete, u"削除(&D)" },
    { ImageItemMenu::kClearTrim, u"トリム消去(&T)" },
    { ImageItemMenu::kRotateRight, u"右に回転(&R)" },
    { ImageItemMenu::kRotateLeft, u"左に回転(&L)" },
    { ImageItemMenu::kRepeat, u"リピート(&P)" },
    { ImageItemMenu::kOpenFolder, u"フォルダを開く(&O)" },
    { ImageItemMenu::kScatter, u"画像を散らかす(&A)" },
    { ImageItemMenu::kSaveImage, u"画像を保存(&S)" },
    { ImageItemMenu::kZoomHalf, u"x0.&5" },
    { ImageItemMenu::kZoomOne, u"x&1" },
    { ImageItemMenu::kZoomTwo, u"x&2" },
    { ImageItemMenu::kFitToScreen, u"画面に合わせる(&M)" },
    { ImageItemMenu::kFit320, u"&320に合わせる" },
    { ImageItemMenu::kFit640, u"&640に合わせる" },
    { ImageItemMenu::kDeleteFile, u"ファイルを削除(&E)" },
};

QString Fixed(QChar form, float value)
{
    return form + FormatFixed(value);
}

}

PopupMenu ImageItemMenu::Build(const ImageItem& item)
{
    PopupMenu menu;
    for (const Entry& entry : kEntries) {
        if (StartsGroup(entry.command))
            menu.entries.push_back({ .separator = true });
        PopupMenuEntry shown { QString::fromUtf16(entry.text), entry.command };
        shown.checked = entry.command == kRepeat && item.GetPicture().Repeat();
        menu.entries.push_back(std::move(shown));
    }
    return menu;
}

bool ImageItemMenu::Show(ImageItem& item, QPoint screen_position)
{
    const std::optional<int> chosen = Prompt().ShowPopupMenu(Build(item), screen_position);
    if (!chosen)
        return false;
    Run(item, *chosen);
    return true;
}

void ImageItemMenu::Run(ImageItem& item, int command)
{
    switch (command) {
    case kDuplicate:
        Duplicate(item);
        return;
    case kDelete:
        item.RemoveFromPage();
        return;
    case kDeleteFile:
        DeleteFile(item);
        return;
    default:
        break;
    }
    const QRectF before = item.PictureRect();
    const bool changed = RunInPlace(item, command);
    // A failed turn has taken the item off the page and reported nothing.
    if (!changed)
        return;
    item.PrefetchPixels();
    item.Repaint(before.united(item.PictureRect()));
    item.SendItemEvent(ItemEvent::kChangeFinished);
}

void ImageItemMenu::DeleteFile(ImageItem& item)
{
    const QString file = item.GetPicture().FileName();
    if (!Prompt().AskYesNo(QStringLiteral("ファイルをごみ箱に移動しますか?"), kPromptCaption.toString()))
        return;
    // The file goes before the item, so that the change the item reports, and undo with it,
    // knows where the trash keeps the file.
    const bool trashed = file.isEmpty() || MoveToTrash(file);
    item.RemoveFromPage();
    if (!trashed)
        Prompt().ShowMessage(QStringLiteral("ファイルをごみ箱に移動できませんでした。\n") + file, kPromptCaption.toString(),
                             MessageIcon::Warning);
}

bool ImageItemMenu::RunInPlace(ImageItem& item, int command)
{
    switch (command) {
    case kClearTrim:
        return ClearTrim(item);
    case kRotateRight:
        return item.RotateRight();
    case kRotateLeft:
        return item.RotateLeft();
    case kRepeat:
        return item.GetPicture().SetRepeat(!item.GetPicture().Repeat());
    case kOpenFolder:
        if (!item.GetPicture().FileName().isEmpty())
            OpenFolder(FolderOf(item.GetPicture().FileName()));
        return false;
    case kScatter:
        return Scatter(item) > 0;
    case kSaveImage:
        return SaveImage(item);
    case kZoomHalf:
        return item.SetZoom(0.5f);
    case kZoomOne:
        return item.SetZoom(1);
    case kZoomTwo:
        return item.SetZoom(2);
    case kFitToScreen:
        return item.FitToPage();
    case kFit320:
        return FitLongestSide(item, 320);
    case kFit640:
        return FitLongestSide(item, 640);
    default:
        return false;
    }
}

bool ImageItemMenu::FitLongestSide(ImageItem& item, float side)
{
    const QSize natural = item.GetPicture().NaturalSize();
    const int longest = std::max(natural.width(), natural.height());
    return longest > 0 && item.SetZoom(side / float(longest));
}

ImageItem* ImageItemMenu::Duplicate(ImageItem& item)
{
    Canvas& canvas = item.GetCanvas();
    std::unique_ptr<ImageItem> copy = item.Duplicate(canvas);
    copy->SetAnchor(Item::kLeft, Fixed(u'L', item.Left() + kDuplicateOffset));
    copy->SetAnchor(Item::kTop, Fixed(u'T', item.Top() + kDuplicateOffset));
    ImageItem* added = copy.get();
    canvas.AddItem(std::move(copy));
    added->SendItemEvent(ItemEvent::kChangeFinished);
    added->SendItemEvent(ItemEvent::kTakeFocus);
    added->Repaint(item.GetBounds().united(added->GetBounds()));
    return added;
}

bool ImageItemMenu::ClearTrim(ImageItem& item)
{
    const ImageItem::Trims trims = item.GetTrims();
    if (trims == ImageItem::Trims {})
        return false;
    const float zoom = item.ZoomFactor();
    const float left = item.Left();
    const float top = item.Top();
    item.SetAnchor(Item::kLeft, Fixed(u'L', left - trims.left));
    item.SetAnchor(Item::kTop, Fixed(u'T', top - trims.top));
    item.SetTrims({});
    item.SetZoom(zoom);
    return true;
}

int ImageItemMenu::NextRandom(std::uint32_t& state)
{
    state = state * 214013u + 2531011u;
    return int((state >> 16) & 0x7FFF);
}

int ImageItemMenu::Scatter(ImageItem& item)
{
    const QString own = item.GetPicture().FileName();
    QStringList paths;
    // Listed in their real case, so a case-sensitive file system finds them.
    if (own.isEmpty() || !FolderScan::ListImages(FolderOf(own), paths))
        return 0;
    Canvas& canvas = item.GetCanvas();
    const float size_sum = item.Width() + item.Height();
    const float page_width = canvas.ReferenceWidth();
    const float page_height = canvas.ReferenceHeight();
    const QString own_clean = QDir::cleanPath(own);
    int added = 0;
    for (const QString& path : paths) {
        if (QDir::cleanPath(path) == own_clean)
            continue;
        auto scattered = std::make_unique<ImageItem>(canvas);
        if (!scattered->Load(path, {}, FolderListingCache::Rescan::No))
            continue;
        const QSize natural = scattered->GetPicture().NaturalSize();
        const float aspect = natural.height() != 0 ? float(natural.width()) / float(natural.height()) : 0;
        const float height = size_sum / (aspect + 1);
        if (item.FitMode()) {
            scattered->FitToPage();
        } else {
            scattered->SetAnchor(Item::kRight, Fixed(u'W', aspect * height));
            scattered->SetAnchor(Item::kBottom, Fixed(u'H', height));
        }
        const int range_x = int(page_width - scattered->Width());
        const int range_y = int(page_height - scattered->Height());
        static std::uint32_t random_state = 1;
        const int random_x = NextRandom(random_state);
        const int random_y = NextRandom(random_state);
        scattered->SetAnchor(Item::kLeft, range_x > 0 ? Fixed(u'L', float(random_x % range_x)) : QStringLiteral("L0"));
        scattered->SetAnchor(Item::kTop, range_y > 0 ? Fixed(u'T', float(random_y % range_y)) : QStringLiteral("T0"));
        canvas.AddItem(std::move(scattered));
        ++added;
    }
    if (added > 0) {
        canvas.RenderVisibleArea(OpaqueShortcut::On);
        canvas.Present(PresentScope::Dirty, UpdateTiming::Now);
    }
    return added;
}

QString ImageItemMenu::SaveFilter(const QString& extension)
{
    const QString format = ImageFileWriter::FormatForPath(QStringLiteral("x") + extension);
    if (format == u"gif")
        return QStringLiteral("GIF|*.gif|JPEG|*.jpg|PNG|*.png|BMP|*.bmp|TIFF|*.tif||");
    if (format == u"bmp")
        return QStringLiteral("BMP|*.bmp|JPEG|*.jpg|GIF|*.gif|PNG|*.png|TIFF|*.tif||");
    if (format == u"tif")
        return QStringLiteral("TIFF|*.tif|JPEG|*.jpg|GIF|*.gif|PNG|*.png|BMP|*.bmp||");
    if (format == u"jpg")
        return QStringLiteral("JPEG|*.jpg|GIF|*.gif|PNG|*.png|BMP|*.bmp|TIFF|*.tif||");
    // PNG also for pictures in a format the program reads but does not write (WebP, ...): it
    // keeps every pixel and the transparency.
    return QStringLiteral("PNG|*.png|JPEG|*.jpg|GIF|*.gif|BMP|*.bmp|TIFF|*.tif||");
}

QString ImageItemMenu::SaveExtension(const QString& extension)
{
    if (ImageFileWriter::FormatForPath(QStringLiteral("x") + extension).isEmpty())
        return QStringLiteral("png");
    return extension.mid(1);
}

QString ImageItemMenu::ProposedSavePath(const ImageItem& item)
{
    const PathParts parts = SplitPath(item.GetPicture().FileName());
    const QString extension = ImageFileWriter::FormatForPath(parts.name + parts.extension).isEmpty() ? QStringLiteral(".png") : parts.extension;
    const Canvas& canvas = item.GetCanvas();
    return ImageSaveTarget::FreePath(parts.folder + parts.name, extension,
        [&canvas](const QString& path) { return canvas.UseOfFile(path) != Canvas::FileUse::None; });
}

bool ImageItemMenu::SaveImage(ImageItem& item)
{
    const QString file = item.GetPicture().FileName();
    const PathParts parts = SplitPath(file);
    FileDialogRequest request;
    request.filter = SaveFilter(parts.extension);
    request.default_extension = SaveExtension(parts.extension);
    request.initial_path = file.isEmpty() ? QString() : ProposedSavePath(item);
    const std::optional<QString> chosen = Prompt().AskSaveFile(request);
    if (!chosen || !ImageSaveTarget::MayWrite(item.GetCanvas(), *chosen, file))
        return false;
    QString reason;
    if (Bake(item, *chosen, QualityQuestion::Ask, &reason))
        return true;
    // A cancelled quality question gives no reason: the user knows nothing was saved.
    if (!reason.isEmpty())
        Prompt().ShowMessage(QStringLiteral("画像の保存に失敗しました。\n%1\n%2").arg(*chosen, reason), kPromptCaption.toString(),
            MessageIcon::Warning);
    return false;
}

bool ImageItemMenu::Bake(ImageItem& item, const QString& path, QualityQuestion question, QString* reason)
{
    QString failure;
    const bool baked = TryBake(item, path, question, failure);
    if (reason)
        *reason = failure;
    return baked;
}

bool ImageItemMenu::TryBake(ImageItem& item, const QString& path, QualityQuestion question, QString& reason)
{
    const QString format = ImageFileWriter::FormatForPath(path);
    if (format.isEmpty()) {
        reason = QStringLiteral("画像は .jpg .jpeg .gif .png .bmp .tif .tiff のどれかの名前で保存してください。");
        return false;
    }
    if (!item.GetPicture().IsLoaded()) {
        reason = QStringLiteral("画像が読み込まれていません。");
        return false;
    }
    const float width = item.Width();
    const float height = item.Height();
    OffscreenCanvas offscreen(QSize(int(width), int(height)), CanvasKind::Page);
    if (!offscreen.IsValid()) {
        reason = QStringLiteral("この大きさの画像は作れません。");
        return false;
    }
    int quality = ImageFileWriter::kDefaultJpegQuality;
    if (format == u"jpg" && question == QualityQuestion::Ask) {
        const std::optional<int> asked = AskSaveQuality();
        if (!asked)
            return false;
        quality = *asked;
    }
    std::unique_ptr<ImageItem> copy = item.Duplicate(offscreen.GetCanvas());
    copy->SetAnchor(Item::kLeft, QStringLiteral("L0"));
    copy->SetAnchor(Item::kTop, QStringLiteral("T0"));
    copy->SetAnchor(Item::kRight, Fixed(u'W', width));
    copy->SetAnchor(Item::kBottom, Fixed(u'H', height));
    copy->GetPicture().SetCacheEnabled(false);
    offscreen.GetCanvas().AddItem(std::move(copy));
    const QImage image = offscreen.Render(OpaqueShortcut::Off);
    if (ImageFileWriter::Write(image, path, quality, &reason) != ImageFileWriter::Result::Written)
        return false;
    if (item.ShowBakedFile(path))
        return true;
    reason = QStringLiteral("保存した画像を読み込めません。");
    return false;
}
