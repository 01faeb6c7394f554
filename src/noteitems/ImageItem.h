#pragma once

#include "document/NoteSchema.h"
#include "items/NoteItem.h"
#include "items/Picture.h"
#include "items/PlacedItem.h"
#include "noteitems/FolderListingCache.h"
#include "noteitems/ImageItemDrag.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <vector>

// The image of a page: one image file shown in a rectangle, whole or trimmed, scaled, turned
// by quarter turns or tiled. The item knows the folder its file came from and steps through
// that folder's images (the folder listing cache keeps the listings).
//
// The item's bounds are the part that shows. The picture rectangle is the item rectangle
// grown by the trims, and the whole image is always scaled into the picture rectangle; the
// canvas clips drawing to the item's bounds. Trims are in page units, so they scale with the
// item.
class ImageItem : public PlacedItem, public NoteItem {
public:
    // A screen reader hears the picture by its file's name.
    ItemDescription Describe() const override;
    static constexpr QStringView kSectionName = NoteSchema::kImageSection;
    // How many images beyond the shown one stepping decodes in advance.
    static constexpr int kReadAhead = 2;
    // How much larger than shown a scaling drag has the pixels decoded.
    static constexpr double kScalingHeadroom = 1.25;
    static constexpr QStringView kTurnFailedMessage = u"回転操作中にエラーが発生しました。\r\nメモリーエラー回避のため画像が削除されます。";

    using Trims = NoteSchema::ImageTrims;

    // The drag rectangle relative to the item's top left corner: a corner (x0, y0) and the
    // drag (dx, dy) from it, which may be negative.
    struct DragRectangle {
        float x0 { 0 };
        float y0 { 0 };
        float dx { 0 };
        float dy { 0 };
        bool IsEmpty() const { return x0 == 0 && y0 == 0 && dx == 0 && dy == 0; }
        bool operator==(const DragRectangle&) const = default;
    };

    explicit ImageItem(Canvas& canvas);
    ~ImageItem() override;

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    // Only "Status", and only with an image.
    bool GetProperty(const QString& key, QString& value) const override;
    bool Save(QString& section, QString& options, SaveMode mode) const override;
    bool IsOpaque() const override;
    // The mouse, the keys and the wheel: see ImageItemInput.
    bool HandleMessage(const Message& message, QPointF page_point) override;
    NoteItem* AsNoteItem() override { return this; }

    // Loads a file, or with a folder as file name the first image of that folder that loads
    // (folder mode). Files are read with the item's read options. Relative names resolve against
    // the canvas's base folder. The folder path names
    // the folder whose images the item steps through; when it is not an existing folder the
    // file's own folder is used. Empty right and bottom anchors take the image's natural size.
    bool Load(const QString& file_name, const QString& folder_path, FolderListingCache::Rescan rescan);

    // Scales the item to fill the page along one axis, centred along the other, keeping its
    // proportions. The item then counts as fitted until its bounds change by other means; a
    // fitted item is saved with the option word "Fit" and fitted again when it is loaded onto
    // a page of another size, or when the page size changes (Refit).
    bool FitToPage();
    bool IsFitted() const;
    // Fits a fitted item again when it no longer fits its page; whether anything changed.
    bool Refit();
    // Refits every fitted image on the canvas; whether any changed.
    static bool RefitAll(Canvas& canvas);
    // Scales the image to zoom times its natural size; the trims scale with it.
    bool SetZoom(float zoom);
    // The shown size of one image pixel: picture width over natural width; 0 without image.
    float ZoomFactor() const;

    // Quarter turns. A failed turn shows its message through the canvas and removes the item
    // from its canvas; when the canvas is not routing a message the item is then already
    // destroyed, so the caller must not touch it after a false answer.
    bool RotateRight();
    bool RotateLeft();

    // Steps count places through the folder listing, wrapping at either end, and shows the
    // first image from there that loads. The item keeps the sum of its width and height.
    bool NextImage(int count);
    bool PreviousImage(int count);

    // Shows an image that has no file (pasted or dropped). Such an item is not saved until it
    // has been written to a file.
    bool TakeImageFromClipboard();
    bool TakeImage(const QImage& image);

    // A copy on another canvas (or the same): the picture, repeat, trims, folder, quarter
    // turns and the four primary anchors. Not added to the canvas.
    std::unique_ptr<ImageItem> Duplicate(Canvas& canvas) const;
    void RemoveFromPage() override;
    // The image item's menu (ImageItemMenu) at the message's point.
    bool ShowContextMenu(const Message& message) override;
    // The picture's file.
    QString ImageFile() const override;
    // Shows a file that was rendered from this item: it holds the item as it looks, trims and
    // quarter turns included, so those start again from nothing. The folder is listed anew.
    bool ShowBakedFile(const QString& path);

    // Renders the area of the page into the back buffer and presents it at once.
    void Repaint(const QRectF& area);
    // Decodes the pixels ahead for a scaling drag, so that its steps do not decode again
    // each time the picture grows on screen.
    void PrepareForScaling();
    const ImageItemDrag& Drag() const { return m_drag; }

    // "位置: ...", "ファイル名: ..." and "フォルダパス: ..." lines; empty without image.
    QString StatusText() const override;

    QRectF PictureRect() const;
    Picture& GetPicture() { return m_picture; }
    const Picture& GetPicture() const { return m_picture; }
    const QString& FolderPath() const { return m_folder_path; }
    int FolderIndex() const { return m_folder_index; }
    const Trims& GetTrims() const { return m_trims; }
    bool SetTrims(const Trims& trims);
    int QuarterTurns() const { return m_quarter_turns; }
    // Items placed by this program show photographs upright (their EXIF orientation applied)
    // and say so in their section; items read from a section without that key show their
    // files as stored, as the versions that wrote them did. Stepping to other files keeps the
    // item's rule. Set before loading.
    const ImageReadOptions& ReadOptions() const { return m_read_options; }
    bool SetReadOptions(const ImageReadOptions& options);
    bool FitMode() const { return m_fit_mode; }
    bool SetFitMode(bool fit);
    const DragRectangle& GetDragRectangle() const { return m_drag_rectangle; }
    bool SetDragRectangle(const DragRectangle& rectangle);

    // Starts decoding the pixels for the size the picture has on the canvas now, so that
    // drawing finds them ready; at idle priority on a page prepared ahead.
    void PrefetchPixels();

private:
    enum class Step { Forward, Backward };

    bool TurnQuarter(Turn turn);
    void TurnFailed();
    void PixelsArrived();
    // A size on the page in back-buffer pixels.
    QSizeF DeviceSize(QSizeF page_size) const;
    bool StepImage(int count, Step step);
    static qint64 WrappedIndex(qint64 index, int listed, Step step);
    // The size a step gives the item for an image of the natural size: its width plus height
    // stay, the aspect ratio becomes the image's.
    QSizeF SteppedSize(QSize natural) const;
    void PrefetchAhead(int count, Step step);
    std::shared_ptr<ImageDecoder> TakeAhead(const QString& path);
    QSize AheadDeviceSize(QSize natural) const;
    bool LoadFolderMode(const QString& folder);
    bool LoadPicture(Picture& picture, const QString& path) const;
    int ListedIndexOf(const QString& path) const;
    void DrawHatch(QPainter& painter, const std::vector<QRectF>& area) const;
    void DrawSelectionFrame(QPainter& painter) const;
    void DrawDragRectangle(QPainter& painter) const;

    Picture m_picture;
    QString m_folder_path;
    int m_folder_index { -1 };
    Trims m_trims;
    int m_quarter_turns { 0 };
    ImageReadOptions m_read_options { ExifOrientation::Apply };
    DragRectangle m_drag_rectangle;
    bool m_fit_mode { false };
    // The bounds the last fit gave; none when the item was never fitted.
    std::optional<QRectF> m_fitted_bounds;
    ImageItemDrag m_drag { *this };
    // The images the next steps would show, decoding in the background for as long as their
    // tickets are held.
    struct AheadFile {
        std::shared_ptr<ImageDecoder> pixels;
        std::shared_ptr<DecodeTicket> ticket;
    };
    std::vector<AheadFile> m_ahead;
};
