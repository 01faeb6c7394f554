#pragma once

#include "items/CanvasHost.h"
#include "items/Item.h"
#include "items/ItemEvent.h"
#include "items/PictureDecoding.h"
#include "text/PositionAnchors.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class KeyValueStore;
class QPainter;
struct Message;

// The kinds of canvas. The kind decides only which section names its factory accepts.
enum class CanvasKind {
    Page,
    Panel,
    Dialog,
    QualityDialog,
    PropertyDialog,
};

// The lines the page's edges are drawn to while an item is dragged: the grid divisions the
// window sets, in page units. With snapping off no line attracts.
struct SnapGrid {
    bool on { true };
    std::vector<float> x;
    std::vector<float> y;
};

enum class PresentScope {
    Dirty, // the rectangle rendered since the last present
    All,   // the whole window
};

// Whether painting draws opaque items first and clips away what they cover below them.
enum class OpaqueShortcut {
    Off,
    On,
};

// Owns an item list, a back buffer and the view values (scroll, origin, layout size, zoom,
// dpi, current group), renders items into the back buffer and routes input to them.
//
// Page coordinates are what anchors resolve to; device coordinates are client pixels of the
// host window. With s the effective scale:
//   page = (device - origin) / s + scroll,   device = s * (page - scroll) + origin.
class Canvas {
public:
    using ItemList = std::vector<std::unique_ptr<Item>>;
    // Makes an item for a section name, or nothing for a name the canvas kind does not accept.
    using ItemFactory = std::function<std::unique_ptr<Item>(Canvas&, const QString& section_name)>;
    // Receives the item events that the canvas passes on; returns whether it handled one.
    using EventHandler = std::function<bool(const ItemEvent&)>;
    // Sees every key press after the items had it, with whether one of them used it up;
    // returns whether the key is used up now.
    using KeyHandler = std::function<bool(const Message& message, bool consumed)>;
    // What a file is to the document the canvas shows, so that items ask before they write
    // over one it uses.
    enum class FileUse { None, Document, Image };
    using FileUseCheck = std::function<FileUse(const QString& path)>;

    static constexpr float kMinZoom = 0.1f;
    static constexpr float kMaxZoom = 8.0f;
    static constexpr float kDefaultScreenDpi = 96.0f;

    explicit Canvas(CanvasKind kind = CanvasKind::Panel, CanvasHost* host = nullptr);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    virtual ~Canvas();

    CanvasKind Kind() const { return m_kind; }
    CanvasHost* Host() const { return m_host; }
    void SetHost(CanvasHost* host) { m_host = host; }
    void SetEventHandler(EventHandler handler) { m_event_handler = std::move(handler); }
    void SetKeyHandler(KeyHandler handler) { m_key_handler = std::move(handler); }
    void SetFileUseCheck(FileUseCheck check) { m_file_use_check = std::move(check); }
    // What the path is to the document shown; None for a canvas that shows no document.
    FileUse UseOfFile(const QString& path) const { return m_file_use_check ? m_file_use_check(path) : FileUse::None; }
    // Whether the active item shows that it has the keyboard focus (in dialogs).
    void SetShowsFocus(bool shows) { m_shows_focus = shows; }
    bool ShowsFocus() const { return m_shows_focus; }
    void SetFactory(ItemFactory factory) { m_factory = std::move(factory); }
    // The folder against which the file names in the sections the canvas reads resolve when
    // they are relative: the note's folder for a page, the program's for a layout. Whoever
    // loads sections onto the canvas sets it first; until then it is the program's folder.
    void SetBaseFolder(const QString& folder);
    // Ends in "/".
    QString BaseFolder() const;
    // The factory every canvas of a kind uses unless it has its own.
    static void RegisterFactory(CanvasKind kind, ItemFactory factory);

    // Stacking and the input lists.
    virtual void BringToFront(Item* item);
    virtual void SendToBack(Item* item);
    virtual bool Present(PresentScope scope, UpdateTiming timing);
    // The item of the previous section while a layout is read; null when the list is empty.
    virtual Item* LastItem() const;
    virtual void AddInputItem(Item* item);
    virtual void RemoveInputItem(Item* item);
    void AddWindowedItem(Item* item);
    void RemoveWindowedItem(Item* item);

    // Items.
    bool AddItem(std::unique_ptr<Item> item);
    // Makes an item through the factory, lets it read the section and adds it on top. The
    // pseudo-section "Viewer" configures the canvas instead. Returns whether an item was added.
    bool AddFromSection(const QString& section_name, const KeyValueStore& store);
    // Removes and destroys the item, re-renders the visible area and presents. While the canvas
    // is dispatching (DispatchGuard) the item leaves the lists at once and is destroyed after.
    bool RemoveItem(Item* item);
    // Removes an item the user took off the page and then reports the change (code 2) from no
    // item, so that what is recorded no longer holds it. The item is destroyed only after the
    // report, so that a caller inside the item's own handler may still return through it.
    void RemoveAsChange(Item* item);
    void Clear();
    // While a guard lives, removed items leave every list at once but are destroyed only when
    // the last guard goes, so that no handler runs on a destroyed item. Routing and item events
    // hold one; other entry points into items (a native edit's notification) take their own.
    class DispatchGuard {
    public:
        explicit DispatchGuard(Canvas& canvas);
        ~DispatchGuard();
        DispatchGuard(const DispatchGuard&) = delete;
        DispatchGuard& operator=(const DispatchGuard&) = delete;

    private:
        Canvas& m_canvas;
    };
    // Called by an item as it is destroyed: forgets every non-owning reference to it.
    void ForgetItem(const Item* item);

    const ItemList& Items() const { return m_items; }
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    Item* ItemAt(int index) const;
    int IndexOf(const Item* item) const;
    // The first item whose name equals the name, in painting order.
    Item* FindItem(const QString& name) const;
    // Indexes of the items whose name contains the text.
    std::vector<int> FindItems(const QString& text) const;
    const std::vector<Item*>& InputItems() const { return m_input_items; }
    const std::vector<Item*>& WindowedItems() const { return m_windowed_items; }
    Item* ActiveItem() const { return m_active_item; }
    void SetActiveItem(Item* item) { m_active_item = item; }

    // Property access by item name. Unknown names return false and change nothing.
    bool GetItemProperty(const QString& name, const QString& key, QString& value) const;
    bool GetItemPropertyInt(const QString& name, const QString& key, int& value) const;
    bool GetItemPropertyFloat(const QString& name, const QString& key, float& value) const;
    bool GetItemPropertyBool(const QString& name, const QString& key, bool& value) const;
    // Sets without repainting.
    bool SetItemProperty(const QString& name, const QString& key, const QString& value);
    // Set, and when the item reports a change re-render its bounds and present them at once.
    bool UpdateItemProperty(const QString& name, const QString& key, const QString& value);
    bool UpdateItemPropertyInt(const QString& name, const QString& key, int value);
    bool UpdateItemPropertyFloat(const QString& name, const QString& key, float value);

    // Appends the note page text of the items that save themselves.
    void SaveItems(QString& out) const;

    // View values. Setters return whether the value changed and never repaint.
    bool SetZoom(float zoom);
    bool SetScroll(float x, float y);
    bool SetOrigin(float x, float y);
    bool SetLayoutSize(float width, float height);
    bool SetDpi(float dpi);
    bool SetCurrentGroup(const QString& group);
    // The screen resolution used while there is a back buffer; the host's at each resize.
    bool SetScreenDpi(float dpi);

    float Zoom() const { return m_zoom; }
    float ScrollX() const { return m_scroll_x; }
    float ScrollY() const { return m_scroll_y; }
    float OriginX() const { return m_origin_x; }
    float OriginY() const { return m_origin_y; }
    float LayoutWidth() const { return m_layout_width; }
    float LayoutHeight() const { return m_layout_height; }
    float Dpi() const { return m_dpi; }
    const QString& CurrentGroup() const { return m_current_group; }
    QRectF DirtyRect() const { return m_dirty; }
    void SetSnapGrid(SnapGrid grid) { m_snap_grid = std::move(grid); }
    // How the canvas's pictures get their pixels; a canvas waits for them unless told not to.
    void SetPictureDecoding(PictureDecoding decoding) { m_picture_decoding = decoding; }
    PictureDecoding GetPictureDecoding() const { return m_picture_decoding; }
    const SnapGrid& GetSnapGrid() const { return m_snap_grid; }

    // Geometry that anchors resolve against.
    float EffectiveScale() const;
    float ScreenDpi() const;
    // The fixed layout size when set, else the back buffer's size in logical pixels.
    float ReferenceWidth() const;
    float ReferenceHeight() const;
    AnchorReference GetAnchorReference() const;
    // The part of the page the back buffer shows, in page coordinates.
    QRectF VisibleArea() const;
    QPointF ToPage(QPointF device) const;
    QPointF ToDevice(QPointF page) const;
    QRectF ToDevice(const QRectF& page) const;

    // Painting.
    bool RenderItems(const QRectF& area, OpaqueShortcut shortcut);
    bool RenderVisibleArea(OpaqueShortcut shortcut);
    // Renders the item's bounds with the opaque shortcut and presents them.
    bool Refresh(const Item& item, UpdateTiming timing = UpdateTiming::Now);
    // Draws the back buffer at the origin; `device_clip` limits the copy.
    void Paint(QPainter& painter, const QRect& device_clip) const;
    // Replaces the back buffer by one of the given client size (a negative size frees it),
    // renders the visible area and presents.
    void ResizeBackBuffer(int width, int height, qreal device_pixel_ratio = 1.0);
    const QImage& BackBuffer() const { return m_back_buffer; }
    bool HasBackBuffer() const { return !m_back_buffer.isNull(); }

    // Input.
    bool RouteMessage(const Message& message);
    // Takes an event from one of the canvas's items; returns whether it was handled.
    bool TakeItemEvent(const ItemEvent& event);
    // Shows a tooltip below the item, or hides it when the text is empty.
    void ShowToolTip(const QString& text, const Item* item);
    void SetCursorShape(Qt::CursorShape shape);
    // The canvas that holds the mouse capture, if any (one for the whole process).
    static Canvas* CapturingCanvas();

private:
    void CaptureMouse();
    void ReleaseMouse();
    // A modal loop begins: the pointer is no longer this canvas's.
    void ForgetPointer();
    bool RouteToItems(const Message& message, QPointF page);
    bool PassOn(const ItemEvent& event);
    void ActivateItem(Item* item);
    ItemFactory FactoryForKind() const;
    void ForgetToolTip();

    CanvasKind m_kind;
    CanvasHost* m_host { nullptr };
    ItemList m_items;
    QImage m_back_buffer;
    QSize m_buffer_size { 0, 0 }; // client size of the back buffer in logical pixels
    QRectF m_dirty;
    QString m_current_group;
    float m_scroll_x { 0 };
    float m_scroll_y { 0 };
    float m_origin_x { 0 };
    float m_origin_y { 0 };
    float m_layout_width { 0 };
    float m_layout_height { 0 };
    float m_zoom { 1.0f };
    float m_dpi { 0 };
    float m_screen_dpi { kDefaultScreenDpi };
    SnapGrid m_snap_grid;
    PictureDecoding m_picture_decoding { PictureDecoding::Wait };
    std::vector<Item*> m_input_items;
    Item* m_active_item { nullptr };
    std::vector<Item*> m_windowed_items;
    ItemFactory m_factory;
    QString m_base_folder;
    EventHandler m_event_handler;
    KeyHandler m_key_handler;
    FileUseCheck m_file_use_check;
    bool m_shows_focus { false };
    int m_dispatch_depth { 0 };
    ItemList m_pending_removal;
};
