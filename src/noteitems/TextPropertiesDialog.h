#pragma once

#include "items/Item.h"
#include "items/LayoutDialog.h"
#include "text/PositionAnchors.h"

#include <QString>

class TextNoteItem;

// The properties dialog of a text note item: the four edges as a letter and a number each,
// the text, font name, size and colour, no-wrap and the two alignments. Every change is
// applied to the item at once, so the page shows it while the dialog is open; Cancel and the
// close box give the item back as it was when the dialog opened.
class TextPropertiesDialog final : public LayoutDialogOwner {
public:
    static constexpr QSize kSize { 380, 350 };

    explicit TextPropertiesDialog(TextNoteItem& item);

    // Shows the dialog modally over the item. Returns whether it ended with OK.
    bool Run();

    // LayoutDialogOwner
    void DialogOpened(Canvas& canvas) override;
    bool DialogEvent(Canvas& canvas, const ItemEvent& event) override;

private:
    // What the dialog can change, to give back on Cancel.
    struct Snapshot {
        Item::Anchors anchors;
        QString text;
        QString font_name;
        int font_size { 0 };
        float relative_size { 0 };
        quint32 color { 0 };
        Alignment horizontal { Alignment::Near };
        Alignment vertical { Alignment::Near };
        bool no_wrap { false };
        bool auto_size { false };
    };
    Snapshot Take() const;
    void Restore(const Snapshot& snapshot);

    bool ChooseColor(Canvas& canvas);
    // Repaints the item after a change of its text or font, grown to its text when it sizes
    // itself.
    void TextChanged(const QRectF& before);
    bool ApplySide(Canvas& canvas, const QString& name);
    LayoutDialogRequest Request();

    TextNoteItem& m_item;
};
