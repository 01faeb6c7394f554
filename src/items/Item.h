#pragma once

#include "items/ItemEvent.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <utility>

class Canvas;
class KeyValueStore;
class NoteItem;
class QPainter;
struct Message;

// Whether a save is for a note file. Only note items write themselves into a note file; the
// common part of a section is written only when the mode is Plain.
enum class SaveMode {
    Plain,
    Persistent,
};

// How an item gives up the keyboard focus: a text field keeps or throws away what was typed.
enum class FocusEnd {
    Commit,
    Cancel,
};

// What assistive technology (a screen reader) is told about an item. An item without a role is
// decoration and is not shown to it.
struct ItemDescription {
    enum class Role { None, Button, CheckBox, RadioButton, StaticText, EditableText, Slider, Dial, ProgressBar, Picture };
    ItemDescription(Role role = Role::None, QString name = {}, QString value = {})
        : role(role)
        , name(std::move(name))
        , value(std::move(value))
    {
    }
    Role role;
    QString name;
    QString value;
    bool checkable { false };
    bool checked { false };
    bool password { false };
};

// The base of every element a canvas holds: layout widgets and note page items. It keeps the
// name, the id, the groups, the eight edge anchors (primary left, top, right, bottom, then the
// secondary ones) and the visible and enabled flags. Geometry is never cached: every query
// resolves the anchors against the canvas as it is now.
class Item {
public:
    using Anchors = std::array<QString, 8>;

    static constexpr int kLeft = 0;
    static constexpr int kTop = 1;
    static constexpr int kRight = 2;
    static constexpr int kBottom = 3;
    static constexpr int kSecondary = 4; // add to an edge index for its secondary anchor

    Item() = default;
    Item(const Item&) = delete;
    Item& operator=(const Item&) = delete;

    // The virtual operations, in the order every kind overrides them.
    virtual bool SetProperty(const QString& key, const QString& value);
    virtual ~Item();
    virtual bool Draw(QPainter& painter, const QRectF& clip);
    virtual bool ReadSection(const KeyValueStore& store);
    virtual QString ConvertRelativeAnchor(int edge, const QString& field) const = 0;
    virtual QRectF GetInsetBounds(float dl, float dt, float dr, float db) const = 0;
    virtual QRectF GetBounds() const = 0;
    virtual bool GetProperty(const QString& key, QString& value) const;
    virtual bool Save(QString& section, QString& options, SaveMode mode) const;
    virtual float ResolveX(QStringView anchor) const = 0;
    virtual float ResolveY(QStringView anchor) const = 0;
    virtual bool IsOpaque() const;

    // Interactive items. `page_point` is the pointer in page coordinates; the result tells
    // whether the item consumed the message, which ends routing.
    virtual bool HandleMessage(const Message& message, QPointF page_point);
    virtual bool HitTest(QPointF page_point) const;
    // Items that own a native child window make it match their bounds, state and text here;
    // the canvas calls it when it presents.
    virtual void Synchronise();

    // The canvas that hosts the item, if it is placed in one.
    virtual Canvas* HostCanvas() const;

    // The item as a page item of a note; null for the items of layouts and of the page frame.
    virtual NoteItem* AsNoteItem() { return nullptr; }
    const NoteItem* AsNoteItem() const { return const_cast<Item*>(this)->AsNoteItem(); }

    // The keyboard focus, which keys move through the widgets that take input: whether the
    // item takes it, and what taking and losing it does (a text field begins editing with its
    // text selected, and commits or throws away what was typed).
    virtual bool AcceptsFocus() const;
    virtual void TakeFocus();
    virtual void LoseFocus(FocusEnd end);
    // Whether a key message came from the item's native edit window, and whether that window
    // types a new line on Return.
    virtual bool IsKeySource(const Message& message) const;
    virtual bool TypesNewLines() const;
    // What a screen reader is told of the item; by default nothing.
    virtual ItemDescription Describe() const;

    float Left() const;
    float Top() const;
    float Right() const;
    float Bottom() const;
    float Width() const;
    float Height() const;

    const QString& Name() const { return m_name; }
    const QString& Id() const { return m_id; }
    const QStringList& Groups() const { return m_groups; }
    const Anchors& GetAnchors() const { return m_anchors; }
    bool IsVisible() const { return m_visible; }
    bool IsEnabled() const { return m_enabled; }

    bool SetName(const QString& name);
    bool SetId(const QString& id);
    bool SetGroups(const QStringList& groups);
    bool SetAnchor(int index, const QString& anchor);
    // Anchors the primary edges to the canvas's top left corner at the page rectangle, as a
    // user's move or resize writes them.
    bool SetBoundsAsAnchors(const QRectF& bounds);
    // Fills empty primary right and bottom anchors with an image's size.
    bool ApplyNaturalSize(const QSizeF& image_size);
    bool SetVisible(bool visible);
    bool SetEnabled(bool enabled);

    // The group rule: an empty canvas group, an item without groups, or an item listing the
    // canvas group exactly.
    bool IsInGroup(const QString& canvas_group) const;
    // Enabled, visible and in the given canvas group.
    bool IsShownIn(const QString& canvas_group) const;
    // Enabled, visible and in the host canvas's current group (false without a canvas).
    bool IsShown() const;

    // The id, or the item's address when it has none: unique while the item lives.
    QString Key() const;

    // Builds an item event (the text defaults to the name) and hands it to the host canvas.
    // Returns whether the canvas or its owner handled it.
    bool SendItemEvent(int code, const QString& text = {}, const QString& extra = {});

private:
    QString m_name;
    QString m_id;
    QStringList m_groups;
    Anchors m_anchors;
    bool m_visible { true };
    bool m_enabled { true };
};
