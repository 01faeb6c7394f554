#include "noteitems/ImageItem.h"

#include "items/Canvas.h"
#include "noteitems/FolderScan.h"
#include "noteitems/ImageItemInput.h"
#include "noteitems/ImageItemMenu.h"
#include "noteitems/SelectionFrame.h"
#include "platform/Message.h"
#include "platform/Paths.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const QString kFileNameKey = NoteSchema::kFileNameKey.toString();
const QString kFolderPathKey = NoteSchema::kFolderPathKey.toString();
const QString kRotateKey = QStringLiteral("Rotate");
const QString kExifOrientationKey = QStringLiteral("ExifOrientation");
const QString kTrueWord = QStringLiteral("true");
const QString kOptionKey = QStringLiteral("Option");
const QString kRepeatWord = QStringLiteral("Repeat");
const QString kFitWord = QStringLiteral("Fit");
// How far, in page pixels, bounds may stray from a fit through the number forms of a note and
// still count as that fit.
constexpr double kFitTolerance = 0.01;

bool NearlyEqual(const QRectF& a, const QRectF& b)
{
    return std::abs(a.left() - b.left()) <= kFitTolerance && std::abs(a.top() - b.top()) <= kFitTolerance
        && std::abs(a.right() - b.right()) <= kFitTolerance && std::abs(a.bottom() - b.bottom()) <= kFitTolerance;
}

// The largest rectangle of the proportions of a size that the page holds, centred on it.
QRectF FittedRect(QSizeF size, QSizeF page)
{
    const double scale = std::min(page.width() / size.width(), page.height() / size.height());
    const QSizeF fitted = size * scale;
    return QRectF(QPointF((page.width() - fitted.width()) * 0.5, (page.height() - fitted.height()) * 0.5), fitted);
}
const QString kStatusKey = QStringLiteral("Status");

bool IsFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString WithTrailingSeparator(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

float NotNegative(float value)
{
    return value < 0 || std::isnan(value) ? 0 : value;
}

}

ImageItem::ImageItem(Canvas& canvas)
    : PlacedItem(canvas)
{
    canvas.AddInputItem(this);
    m_picture.SetArrivalHandler([this] { PixelsArrived(); });
}

ImageItem::~ImageItem() = default;

bool ImageItem::ReadSection(const KeyValueStore& store)
{
    bool changed = false;
    const bool has_file_name = store.Contains(kFileNameKey);
    const NoteSchema::FileNameValue file_name = NoteSchema::ParseFileName(store.GetText(kFileNameKey));
    // Items written before the key existed show their files as stored, as they always did.
    m_read_options.orientation = store.GetText(kExifOrientationKey) == kTrueWord ? ExifOrientation::Apply : ExifOrientation::Ignore;
    if (has_file_name)
        changed |= Load(file_name.path, store.GetText(kFolderPathKey), FolderListingCache::Rescan::No);
    // A file that did not load leaves nothing to turn; that is not a failed turn.
    if (store.Contains(kRotateKey) && m_picture.IsLoaded()) {
        const qint64 turns = store.GetInt(kRotateKey);
        const bool right = turns > 0;
        for (qint64 index = 0; index < (right ? turns : -turns) % 4; ++index) {
            if (!TurnQuarter(right ? Turn::Right : Turn::Left))
                break;
            changed = true;
        }
    }
    if (has_file_name)
        changed |= SetTrims(file_name.trims);
    if (store.Contains(kOptionKey))
        changed |= m_picture.SetRepeat(store.ListContains(kOptionKey, kRepeatWord));
    changed |= PlacedItem::ReadSection(store);
    // A picture fitted to the page it was saved on is fitted to the page it is loaded onto.
    if (store.Contains(kOptionKey)) {
        m_fitted_bounds.reset();
        if (store.ListContains(kOptionKey, kFitWord) && m_picture.IsLoaded() && Width() > 0 && Height() > 0) {
            m_fitted_bounds = GetBounds();
            changed |= Refit();
        }
    }
    // Image items are never named, so their notifications carry an empty name.
    SetName({});
    PrefetchPixels();
    return changed;
}

bool ImageItem::Load(const QString& file_name, const QString& folder_path, FolderListingCache::Rescan rescan)
{
    const QString base_folder = GetCanvas().BaseFolder();
    const QString path = ResolveWrittenPath(file_name, base_folder);
    QString folder = folder_path.isEmpty() ? QString() : ResolveWrittenPath(folder_path, base_folder);
    if (!IsFolder(folder))
        folder = path;
    const bool folder_mode = IsFolder(path);
    if (!folder_mode)
        folder = FolderOf(path);
    m_folder_path = WithTrailingSeparator(folder);
    if (!IsFolder(m_folder_path))
        return false;
    // A page prepared ahead only decodes its pictures; its folders are listed when it shows.
    if (GetCanvas().GetPictureDecoding() != PictureDecoding::Ahead)
        FolderListingCache::Instance().Open(m_folder_path, rescan);
    m_folder_index = -1;

    if (folder_mode) {
        if (!LoadFolderMode(m_folder_path))
            return false;
    } else {
        if (!LoadPicture(m_picture, path))
            return false;
        m_folder_index = ListedIndexOf(path);
    }
    ApplyNaturalSize(QSizeF(m_picture.NaturalSize()));
    return true;
}

bool ImageItem::LoadFolderMode(const QString& folder)
{
    // The listing starts with the folder's own images, in name order. Those are
    // read here at once, so a folder with images shows its first one without waiting for the
    // background scan of a large tree of sub-folders.
    QStringList own_images;
    FolderScan::ListImages(folder, own_images);
    for (const QString& path : own_images) {
        if (LoadPicture(m_picture, path)) {
            m_folder_index = ListedIndexOf(path);
            return true;
        }
    }
    // Otherwise the first entry of the folder tree that loads, in listing order.
    m_folder_index = FolderListingCache::Instance().FirstAccepted(
        folder, [this](const QString& listed) { return LoadPicture(m_picture, listed); });
    return m_folder_index >= 0;
}

bool ImageItem::LoadPicture(Picture& picture, const QString& path) const
{
    return picture.Load(ImageDecoder::Open(path, m_read_options));
}

int ImageItem::ListedIndexOf(const QString& path) const
{
    return FolderListingCache::Instance().FindIndex(m_folder_path, path);
}

QRectF ImageItem::PictureRect() const
{
    const QRectF bounds = GetBounds();
    return QRectF(bounds.left() - m_trims.left, bounds.top() - m_trims.top,
        bounds.width() + m_trims.left + m_trims.right, bounds.height() + m_trims.top + m_trims.bottom);
}

bool ImageItem::SetTrims(const Trims& trims)
{
    const Trims kept { NotNegative(trims.left), NotNegative(trims.top), NotNegative(trims.right), NotNegative(trims.bottom) };
    if (m_trims == kept)
        return false;
    m_trims = kept;
    return true;
}

bool ImageItem::SetReadOptions(const ImageReadOptions& options)
{
    if (m_read_options == options)
        return false;
    m_read_options = options;
    return true;
}

bool ImageItem::SetFitMode(bool fit)
{
    if (m_fit_mode == fit)
        return false;
    m_fit_mode = fit;
    // Leaving fit mode is the user's word that the picture is no longer kept fitted, also
    // where its bounds happen to stay those of the fit.
    if (!fit)
        m_fitted_bounds.reset();
    return true;
}

bool ImageItem::SetDragRectangle(const DragRectangle& rectangle)
{
    if (m_drag_rectangle == rectangle)
        return false;
    m_drag_rectangle = rectangle;
    return true;
}

QSizeF ImageItem::DeviceSize(QSizeF page_size) const
{
    // Back-buffer pixels, which a high-density screen has more of than logical ones.
    const Canvas& canvas = GetCanvas();
    return page_size * canvas.EffectiveScale() * canvas.BackBuffer().devicePixelRatio();
}

void ImageItem::PrefetchPixels()
{
    const Canvas& canvas = GetCanvas();
    if (!m_picture.IsLoaded() || canvas.EffectiveScale() <= 0 || !canvas.HasBackBuffer())
        return;
    const bool ahead = canvas.GetPictureDecoding() == PictureDecoding::Ahead;
    m_picture.Prefetch(DeviceSize(PictureRect().size()), ahead ? DecodePriority::Ahead : DecodePriority::Shown);
}

void ImageItem::PixelsArrived()
{
    // Only the page on screen draws before its pixels are there; it draws the picture again
    // as it now is, with whatever lies above and below it.
    Canvas& canvas = GetCanvas();
    if (canvas.GetPictureDecoding() != PictureDecoding::Background || canvas.IndexOf(this) < 0 || !IsShown())
        return;
    if (canvas.RenderItems(GetBounds(), OpaqueShortcut::On))
        canvas.Present(PresentScope::Dirty, UpdateTiming::Later);
}

bool ImageItem::Draw(QPainter& painter, const QRectF& clip)
{
    bool drawn = m_picture.Draw(painter, PictureRect(), clip, GetCanvas().GetPictureDecoding());
    if (!m_drag_rectangle.IsEmpty()) {
        DrawDragRectangle(painter);
        drawn = true;
    }
    if (GetCanvas().ActiveItem() == this && GetCanvas().EffectiveScale() > 0) {
        DrawSelectionFrame(painter);
        drawn = true;
    }
    return drawn;
}

void ImageItem::DrawHatch(QPainter& painter, const std::vector<QRectF>& area) const
{
    SelectionFrame::DrawHatch(painter, area);
}

void ImageItem::DrawDragRectangle(QPainter& painter) const
{
    const DragRectangle& drag = m_drag_rectangle;
    DrawHatch(painter, { QRectF(Left() + std::min(drag.x0, drag.x0 + drag.dx), Top() + std::min(drag.y0, drag.y0 + drag.dy),
                           std::abs(drag.dx), std::abs(drag.dy)) });
}

void ImageItem::DrawSelectionFrame(QPainter& painter) const
{
    SelectionFrame::Draw(painter, GetBounds(), GetCanvas().EffectiveScale());
}

bool ImageItem::GetProperty(const QString& key, QString& value) const
{
    if (key != kStatusKey || !m_picture.IsLoaded())
        return false;
    value = StatusText();
    return true;
}

QString ImageItem::StatusText() const
{
    if (!m_picture.IsLoaded())
        return {};
    const QRectF bounds = GetBounds();
    const QSize natural = m_picture.NaturalSize();
    const QString file = m_picture.FileName();
    return QStringLiteral("位置: %1,%2-%3x%4, 倍率: %5%, 元サイズ: %6x%7\nファイル名: %8\nフォルダパス: %9")
        .arg(int(bounds.left()))
        .arg(int(bounds.top()))
        .arg(int(bounds.width()))
        .arg(int(bounds.height()))
        .arg(int(ZoomFactor() * 100))
        .arg(natural.width())
        .arg(natural.height())
        .arg(file.isEmpty() ? QString() : NameOf(file), file.isEmpty() ? QString() : FolderOf(file));
}

bool ImageItem::Save(QString& section, QString& options, SaveMode mode) const
{
    if (mode != SaveMode::Persistent || m_picture.FileName().isEmpty())
        return false;
    section += u'[' + kSectionName.toString() + QStringLiteral("]\r\n");
    section += kFileNameKey + u'=' + m_picture.FileName() + u',' + FormatFixed(m_trims.left) + u','
        + FormatFixed(m_trims.top) + u',' + FormatFixed(m_trims.right) + u',' + FormatFixed(m_trims.bottom)
        + QStringLiteral("\r\n");
    section += kFolderPathKey + u'=' + m_folder_path + QStringLiteral("\r\n");
    section += kRotateKey + u'=' + QString::number(m_quarter_turns) + QStringLiteral("\r\n");
    if (m_read_options.orientation == ExifOrientation::Apply)
        section += kExifOrientationKey + u'=' + kTrueWord + QStringLiteral("\r\n");
    for (const auto& [word, set] : { std::pair { kRepeatWord, m_picture.Repeat() }, std::pair { kFitWord, IsFitted() } }) {
        if (!set)
            continue;
        if (!options.isEmpty())
            options += u',';
        options += word;
    }
    return PlacedItem::Save(section, options, SaveMode::Plain);
}

bool ImageItem::IsOpaque() const
{
    return m_picture.IsOpaque();
}

float ImageItem::ZoomFactor() const
{
    const int natural_width = m_picture.NaturalSize().width();
    if (!m_picture.IsLoaded() || natural_width <= 0)
        return 0;
    return (Width() + m_trims.left + m_trims.right) / natural_width;
}

bool ImageItem::SetZoom(float zoom)
{
    if (!m_picture.IsLoaded() || !(zoom > 0))
        return false;
    const float current = ZoomFactor();
    // An item without width has no zoom to scale the trims from: they are dropped.
    const float factor = current > 0 ? zoom / current : 0;
    m_trims = { m_trims.left * factor, m_trims.top * factor, m_trims.right * factor, m_trims.bottom * factor };
    const QSize natural = m_picture.NaturalSize();
    SetAnchor(kRight, u'W' + FormatFixed(zoom * natural.width() - m_trims.left - m_trims.right));
    SetAnchor(kBottom, u'H' + FormatFixed(zoom * natural.height() - m_trims.top - m_trims.bottom));
    return true;
}

bool ImageItem::FitToPage()
{
    const float width = Width();
    const float height = Height();
    if (width == 0 || height == 0 || !m_picture.IsLoaded())
        return false;
    const float page_width = GetCanvas().ReferenceWidth();
    const float page_height = GetCanvas().ReferenceHeight();
    const float ratio_x = page_width / width;
    const float ratio_y = page_height / height;
    // Every anchor is absolute: a page of another size must not stretch the picture, also in
    // versions that do not fit it again.
    if (ratio_y > ratio_x) {
        SetZoom(ratio_x * ZoomFactor());
        SetAnchor(kLeft, u'L' + FormatFixed(0));
        SetAnchor(kTop, u'T' + FormatFixed((page_height - Height()) * 0.5));
        SetAnchor(kRight, u'W' + FormatFixed(page_width));
    } else {
        SetZoom(ratio_y * ZoomFactor());
        SetAnchor(kLeft, u'L' + FormatFixed((page_width - Width()) * 0.5));
        SetAnchor(kTop, u'T' + FormatFixed(0));
        SetAnchor(kBottom, u'H' + FormatFixed(page_height));
    }
    m_fitted_bounds = GetBounds();
    PrefetchPixels();
    return true;
}

bool ImageItem::IsFitted() const
{
    return m_fitted_bounds && m_picture.IsLoaded() && NearlyEqual(GetBounds(), *m_fitted_bounds);
}

bool ImageItem::Refit()
{
    const QSizeF page(GetCanvas().ReferenceWidth(), GetCanvas().ReferenceHeight());
    if (!IsFitted() || !(page.width() > 0 && page.height() > 0))
        return false;
    const QRectF bounds = GetBounds();
    if (NearlyEqual(bounds, FittedRect(bounds.size(), page)))
        return false;
    return FitToPage();
}

bool ImageItem::RefitAll(Canvas& canvas)
{
    bool changed = false;
    for (int index = 0; index < canvas.ItemCount(); ++index)
        if (auto* image = dynamic_cast<ImageItem*>(canvas.ItemAt(index)))
            changed |= image->Refit();
    return changed;
}

bool ImageItem::RotateRight()
{
    return TurnQuarter(Turn::Right);
}

bool ImageItem::RotateLeft()
{
    return TurnQuarter(Turn::Left);
}

bool ImageItem::TurnQuarter(Turn turn)
{
    const QRectF bounds = GetBounds();
    if (!m_picture.TurnQuarter(turn)) {
        TurnFailed();
        return false;
    }
    const QPointF centre = bounds.center();
    const float new_width = bounds.height();
    const float new_height = bounds.width();
    SetAnchor(kLeft, u'L' + FormatFixed(centre.x() - new_width / 2));
    SetAnchor(kRight, u'W' + FormatFixed(new_width));
    SetAnchor(kTop, u'T' + FormatFixed(centre.y() - new_height / 2));
    SetAnchor(kBottom, u'H' + FormatFixed(new_height));
    const Trims old = m_trims;
    if (turn == Turn::Right) {
        m_trims = { old.bottom, old.left, old.top, old.right };
        ++m_quarter_turns;
    } else {
        m_trims = { old.top, old.right, old.bottom, old.left };
        --m_quarter_turns;
    }
    if (m_fit_mode)
        FitToPage();
    return true;
}

void ImageItem::TurnFailed()
{
    // The image is deleted so that a failure for want of memory cannot repeat, and the item
    // leaves the page. The canvas destroys it once the message being handled is done.
    m_picture.Clear();
    SendItemEvent(ItemEvent::kShowMessage, {}, kTurnFailedMessage.toString());
    GetCanvas().RemoveItem(this);
}

bool ImageItem::NextImage(int count)
{
    return StepImage(count, Step::Forward);
}

bool ImageItem::PreviousImage(int count)
{
    return StepImage(count, Step::Backward);
}

qint64 ImageItem::WrappedIndex(qint64 index, int listed, Step step)
{
    // Stepping off either end goes to the first (forward) or last (backward) file, not round
    // by the remainder.
    if (index < 0 || index >= listed)
        return step == Step::Forward ? 0 : listed - 1;
    return index;
}

QSizeF ImageItem::SteppedSize(QSize natural) const
{
    const float aspect = natural.height() == 0 ? 0 : float(natural.width()) / natural.height();
    const float height = (Width() + Height()) / (aspect + 1);
    return QSizeF(aspect * height, height);
}

bool ImageItem::StepImage(int count, Step step)
{
    if (m_folder_index < 0)
        m_folder_index = ListedIndexOf(m_picture.FileName());
    const QRectF before = PictureRect();
    const int direction = step == Step::Forward ? 1 : -1;
    qint64 index = qint64(m_folder_index) + qint64(direction) * count;

    FolderListingCache& cache = FolderListingCache::Instance();
    const int listed = cache.Count(m_folder_path);
    bool loaded = false;
    for (int tries = 0; tries < listed && !loaded; ++tries, index += direction) {
        index = WrappedIndex(index, listed, step);
        // The old image stays until a new one has loaded, so a folder whose files all fail
        // leaves the item as it was.
        QString path;
        Picture candidate = m_picture;
        if (!cache.Get(m_folder_path, int(index), path))
            continue;
        const std::shared_ptr<ImageDecoder> ahead = TakeAhead(path);
        if (!(ahead ? candidate.Load(ahead) : LoadPicture(candidate, path)))
            continue;
        m_picture = std::move(candidate);
        m_folder_index = int(index);
        loaded = true;
    }
    if (!loaded) {
        m_ahead.clear();
        m_folder_index = -1;
        return false;
    }
    const QSizeF size = SteppedSize(m_picture.NaturalSize());
    SetAnchor(kBottom, u'H' + FormatFixed(size.height()));
    SetAnchor(kRight, u'W' + FormatFixed(size.width()));
    m_trims = {};
    // The new image shows upright, so it is saved upright too: a turn count kept from the
    // image before would turn it on the next load.
    m_quarter_turns = 0;
    if (m_fit_mode)
        FitToPage();
    PrefetchPixels();
    PrefetchAhead(count, step);
    Repaint(before.united(PictureRect()));
    return true;
}

std::shared_ptr<ImageDecoder> ImageItem::TakeAhead(const QString& path)
{
    for (AheadFile& ahead : m_ahead) {
        // A file removed since its header was read is stepped over like any that fails.
        if (ahead.pixels && ahead.pixels->Path() == path)
            return QFileInfo::exists(path) ? std::exchange(ahead.pixels, nullptr) : nullptr;
    }
    return nullptr;
}

void ImageItem::PrefetchAhead(int count, Step step)
{
    // Users step through a folder one photograph after another: the ones the next steps in the
    // same direction would show are decoded in the background meanwhile, at idle priority, at
    // the size they would get, so that those steps find them ready. A step the other way lets
    // go of them, and what has not started decoding yet is dropped.
    const Canvas& canvas = GetCanvas();
    FolderListingCache& cache = FolderListingCache::Instance();
    const int listed = cache.Count(m_folder_path);
    std::vector<AheadFile> ahead;
    if (canvas.EffectiveScale() > 0 && canvas.HasBackBuffer() && listed > 1) {
        const int direction = step == Step::Forward ? 1 : -1;
        qint64 index = m_folder_index;
        for (int steps = 0; steps < kReadAhead; ++steps) {
            index = WrappedIndex(index + qint64(direction) * count, listed, step);
            QString path;
            if (index == m_folder_index || !cache.Get(m_folder_path, int(index), path))
                break;
            AheadFile file { TakeAhead(path), std::make_shared<DecodeTicket>() };
            if (!file.pixels)
                file.pixels = ImageDecoder::Open(path, m_read_options);
            if (!file.pixels)
                continue;
            file.pixels->Prefetch(AheadDeviceSize(file.pixels->NaturalSize()), DecodePriority::Ahead, file.ticket);
            ahead.push_back(std::move(file));
        }
    }
    m_ahead = std::move(ahead);
}

QSize ImageItem::AheadDeviceSize(QSize natural) const
{
    const Canvas& canvas = GetCanvas();
    QSizeF size = SteppedSize(natural);
    if (m_fit_mode && size.width() > 0 && size.height() > 0) {
        const qreal ratio_x = canvas.ReferenceWidth() / size.width();
        const qreal ratio_y = canvas.ReferenceHeight() / size.height();
        size *= ratio_y > ratio_x ? ratio_x : ratio_y;
    }
    const QSizeF device = DeviceSize(size);
    return QSize(int(std::ceil(device.width())), int(std::ceil(device.height())));
}

void ImageItem::Repaint(const QRectF& area)
{
    Canvas& canvas = GetCanvas();
    canvas.RenderItems(area, OpaqueShortcut::On);
    canvas.Present(PresentScope::Dirty, UpdateTiming::Now);
}

void ImageItem::PrepareForScaling()
{
    // Pixels decoded for a quarter more than the size on screen serve every step of a drag
    // that grows the picture by up to that much, and cost little more to draw reduced than
    // pixels of the very size; a larger growth decodes again once.
    const Canvas& canvas = GetCanvas();
    if (!m_picture.IsLoaded() || canvas.EffectiveScale() <= 0 || !canvas.HasBackBuffer())
        return;
    m_picture.Prefetch(DeviceSize(PictureRect().size()) * kScalingHeadroom);
}

std::unique_ptr<ImageItem> ImageItem::Duplicate(Canvas& canvas) const
{
    auto copy = std::make_unique<ImageItem>(canvas);
    copy->m_picture = m_picture;
    copy->m_folder_path = m_folder_path;
    copy->m_folder_index = m_folder_index;
    copy->m_trims = m_trims;
    copy->m_quarter_turns = m_quarter_turns;
    copy->m_read_options = m_read_options;
    for (int edge = kLeft; edge <= kBottom; ++edge)
        copy->SetAnchor(edge, GetAnchors()[size_t(edge)]);
    return copy;
}

void ImageItem::RemoveFromPage()
{
    Canvas& canvas = GetCanvas();
    // Keeps the item alive until its change has been reported.
    Canvas::DispatchGuard guard(canvas);
    canvas.RemoveItem(this);
    SendItemEvent(ItemEvent::kChangeFinished);
}

bool ImageItem::ShowContextMenu(const Message& message)
{
    const CanvasHost* host = GetCanvas().Host();
    ImageItemMenu::Show(*this, host ? host->MapToScreen(message.position) : message.position);
    return true;
}

QString ImageItem::ImageFile() const
{
    return m_picture.FileName();
}

bool ImageItem::ShowBakedFile(const QString& path)
{
    m_picture.Clear();
    m_folder_index = -1;
    m_trims = {};
    m_quarter_turns = 0;
    const bool loaded = Load(path, {}, FolderListingCache::Rescan::Yes);
    PrefetchPixels();
    return loaded;
}

bool ImageItem::HandleMessage(const Message& message, QPointF page_point)
{
    return ImageItemInput(*this, m_drag).Handle(message, page_point);
}

bool ImageItem::TakeImageFromClipboard()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data || !data->hasImage())
        return false;
    return TakeImage(clipboard->image());
}

bool ImageItem::TakeImage(const QImage& image)
{
    if (!m_picture.SetImage(image))
        return false;
    const QSize natural = m_picture.NaturalSize();
    SetAnchor(kRight, u'W' + FormatFixed(natural.width()));
    SetAnchor(kBottom, u'H' + FormatFixed(natural.height()));
    return true;
}

ItemDescription ImageItem::Describe() const
{
    return { ItemDescription::Role::Picture, QFileInfo(m_picture.FileName()).fileName() };
}
