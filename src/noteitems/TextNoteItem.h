#pragma once

#include "document/NoteSchema.h"
#include "items/NoteItem.h"
#include "noteitems/FreeDrag.h"
#include "widgets/InteractiveItem.h"
#include "widgets/Text.h"

#include <QPoint>
#include <QRectF>
#include <QString>
#include <QStringView>

// A block of formatted text on a page. The embedded text widget reads, draws and saves the
// text; the item adds what a page item needs: moving and resizing with the mouse, the
// selection frame, the font size on the wheel, a context menu and a properties dialog.
//
// A new text sizes itself: it grows to show its text whole whenever the text or its font
// changes, until the user sizes it by hand (an edge or corner dragged, or an edge set in the
// dialog). The page file keeps that with the option word "AutoSize".
class TextNoteItem : public InteractiveItem, public NoteItem {
public:
    ItemDescription Describe() const override;
    static constexpr QStringView kSectionName = NoteSchema::kTextSection;
    static constexpr QStringView kPropertiesCaption = u"テキストプロパティ";

    explicit TextNoteItem(Canvas& canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool Save(QString& section, QString& options, SaveMode mode) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;
    NoteItem* AsNoteItem() override { return this; }

    // Properties and delete.
    bool ShowContextMenu(const Message& message) override;
    void RemoveFromPage() override;
    QString StatusText() const override { return {}; }
    QString ImageFile() const override { return {}; }

    Text& Widget() { return m_text; }
    const Text& Widget() const { return m_text; }
    const FreeDrag& Drag() const { return m_drag; }

    // The size the wheel steps from: the font size, or the points of a relative size.
    int CurrentFontSize() const;
    // n = delta ÷ 120: away from the user the size shrinks by 2n², toward the user it grows
    // by 2n². A size that would be 0 or less is not taken. Returns whether the size changed.
    bool StepFontSize(int wheel_delta);

    // Shows the properties dialog over the item. Every change shows at once; Cancel gives the
    // item back as it was. Returns whether the dialog ended with OK.
    bool OpenProperties();
    // Renders an area of the page and presents it at once.
    void RepaintArea(const QRectF& area);

    bool IsAutoSized() const { return m_auto_size; }
    void SetAutoSize(bool on) { m_auto_size = on; }
    // While the item sizes itself, makes it large enough for its text; returns whether its
    // bounds changed. A text whose size follows the item's height is left as it is.
    bool GrowToText();

private:
    bool IsActive() const;
    bool Press(QPointF page_point);
    bool DragStep(QPointF page_point);
    bool Release(QPointF page_point);
    bool RightPress(QPointF page_point);
    QPoint ScreenPoint(QPoint client_point) const;

    // Places the widget on the item's bounds, as every draw does; saving places it too, so
    // that the saved text does not depend on whether the page was drawn.
    void PlaceWidget(const QRectF& bounds) const;

    mutable Text m_text;
    FreeDrag m_drag;
    // Texts made on the page size themselves; those read from a page do when it says so.
    bool m_auto_size { true };
};
