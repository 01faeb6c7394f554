#pragma once

#include "items/LayoutDialog.h"
#include "items/NoteItem.h"
#include "items/PlacedItem.h"
#include "noteitems/FreeDrag.h"
#include "noteitems/MandelbrotPicture.h"

#include <QPoint>
#include <QString>
#include <QStringView>
#include <array>

// A picture of the Mandelbrot set on a page. The item moves and resizes itself, snapping, like
// the other page items and stretches over the whole page by a double click; the embedded
// picture computes and draws the set, zooms by the wheel and by a rectangle dragged with Shift
// held, and is recoloured in a properties dialog of knobs and sliders.
//
// An empty `Mandelbrot` section gives the widest view with the default colours; a new item
// takes its place on the page from its anchors (SetBoundsAsAnchors).
class MandelbrotItem : public PlacedItem, public NoteItem, private LayoutDialogOwner {
public:
    ItemDescription Describe() const override;
    static constexpr QStringView kSectionName = MandelbrotPicture::kSectionName;
    static constexpr QStringView kDialogCaption = u"マンデルブロ集合プロパティ";
    static constexpr int kDialogSide = 320;

    // Context menu entries.
    enum MenuCommand { kProperties = 0, kReset = 1, kDelete = 2 };

    explicit MandelbrotItem(Canvas& canvas);
    ~MandelbrotItem() override;

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool Save(QString& section, QString& options, SaveMode mode) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;
    NoteItem* AsNoteItem() override { return this; }

    // Properties, reset and delete.
    bool ShowContextMenu(const Message& message) override;
    void RemoveFromPage() override;
    QString StatusText() const override { return {}; }
    QString ImageFile() const override { return {}; }

    MandelbrotPicture& GetPicture() { return m_picture; }
    const MandelbrotPicture& GetPicture() const { return m_picture; }
    const FreeDrag& Drag() const { return m_drag; }

    // The item fills the page when its right anchor is "W100%" and its bottom one "H100%".
    bool IsFillingPage() const;
    // Fills the page, or goes back to the place it had before. Repaints both places.
    void TogglePageFilling();

    // Shows the properties dialog with its left edge at the screen point and centred on it
    // vertically. Every change applies at once; Cancel puts the old values back. Returns
    // whether the dialog ended with OK.
    bool OpenProperties(QPoint screen_point);
    // The dialog's notifications: "OK", the knobs "Knob" + channel (A, R, G, B) + table (R rate,
    // S shift, I infinity colour), and the sliders "Min" and "Max".
    bool DialogNotification(Canvas& dialog, const QString& name, int code);

private:
    // The dialog's owner side.
    void DialogOpened(Canvas& canvas) override;
    bool DialogEvent(Canvas& canvas, const ItemEvent& event) override;

    bool Press(QPointF page_point);
    bool DragStep(QPointF page_point);
    bool RightPress(QPointF page_point);
    bool Release();
    QPoint ScreenPoint(const Message& message) const;
    void RepaintUnion(const QRectF& before);
    // Puts the picture on the item's bounds, as every draw does.
    void PlacePicture() const;

    std::array<QString, 4> m_saved_anchors;
    mutable MandelbrotPicture m_picture;
    FreeDrag m_drag;
};
