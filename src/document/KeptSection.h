#pragma once

#include "items/NoteItem.h"
#include "items/PlacedItem.h"

#include <QString>
#include <QStringView>

class KeyValueStore;

// A section of a note page that this program makes no item for: a kind from a newer version,
// a misspelt name, a kind whose item is not built here, or an image whose file could not be
// read. It stands in the page's item list where the section stood, takes no input, and writes
// the section back into the page text exactly as it was read, so that saving a note never
// drops what it cannot show. On screen an unread image is drawn as a crossed frame with the
// file's name where its section places it, so that the gap on the page is seen and explained;
// pictures written to files leave the gap, and any other kept section draws nothing.
class KeptSection : public PlacedItem, public NoteItem {
public:
    // The size of the frame of an unread image whose section gives no width or height.
    static constexpr float kPlaceholderWidth = 200;
    static constexpr float kPlaceholderHeight = 150;

    // `source` is the section's text from its header line up to the next header.
    KeptSection(Canvas& canvas, QStringView source);

    // Marks the section as an image whose file could not be read and places its frame as the
    // section's keys place the image.
    void ShowAsUnreadImage(const KeyValueStore& store);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool Save(QString& section, QString& options, SaveMode mode) const override;
    NoteItem* AsNoteItem() override { return this; }

    // A kept section takes no input: it has no menu and no status, and it leaves the page
    // only with the page.
    void RemoveFromPage() override;
    QString StatusText() const override { return {}; }
    bool ShowContextMenu(const Message&) override { return false; }
    QString ImageFile() const override { return {}; }

    const QString& Source() const { return m_source; }
    // The image file the section names, as written; empty unless it is an unread image.
    const QString& UnreadImagePath() const { return m_image_path; }

private:
    void DrawPlaceholder(QPainter& painter) const;

    QString m_source;
    QString m_image_path;
    bool m_unread_image { false };
};
