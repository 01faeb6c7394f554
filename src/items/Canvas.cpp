#include "items/Canvas.h"
#include "items/NestedEventScope.h"

#include "items/DevicePixels.h"
#include "items/FocusFrame.h"
#include "platform/ModalScope.h"
#include "platform/Message.h"
#include "platform/Paths.h"
#include "text/KeyValueStore.h"
#include "text/ValueForms.h"

#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Process-wide state: one canvas holds the mouse capture, one tooltip exists, and one flag
// tells whether an owner's item event handler is running.
Canvas* s_capturing_canvas = nullptr;
bool s_handler_running = false;

struct ToolTipState {
    Canvas* canvas { nullptr };
    const Item* item { nullptr };
    QString text;
};
ToolTipState s_tooltip;

std::array<Canvas::ItemFactory, 5> s_factories;

// The messages from a pointer move up to a right-button press.
bool IsPointerMessage(MessageKind kind)
{
    switch (kind) {
    case MessageKind::MouseMove:
    case MessageKind::LButtonDown:
    case MessageKind::LButtonUp:
    case MessageKind::LButtonDblClk:
    case MessageKind::RButtonDown:
        return true;
    default:
        return false;
    }
}

template <typename T>
void MoveToEnd(std::vector<T*>& list, const T* value)
{
    const auto found = std::find(list.begin(), list.end(), value);
    if (found != list.end())
        std::rotate(found, found + 1, list.end());
}

template <typename T>
void MoveToStart(std::vector<T*>& list, const T* value)
{
    const auto found = std::find(list.begin(), list.end(), value);
    if (found != list.end())
        std::rotate(list.begin(), found, found + 1);
}

template <typename T>
void Erase(std::vector<T*>& list, const T* value)
{
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

template <typename T>
bool Contains(const std::vector<T*>& list, const T* value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

// A device coordinate as a whole pixel within [low, high]. Anchors may resolve to huge or
// undefined values (an overflowing number, infinity minus infinity); those end at the limits.
int ClampedPixel(double value, double low, double high, double (*round)(double))
{
    if (!(value > low))
        return static_cast<int>(low);
    if (!(value < high))
        return static_cast<int>(high);
    return static_cast<int>(round(value));
}

double RoundHalfAway(double value)
{
    return std::round(value);
}

double NearestEdge(double value)
{
    return DevicePixels::Edge(value);
}

// The back-buffer pixels a device rectangle covers by the pixel-centre rule (DevicePixels),
// within the back buffer.
QRect PixelRect(const QRectF& device, QSize buffer)
{
    const int left = ClampedPixel(device.left(), 0, buffer.width(), NearestEdge);
    const int top = ClampedPixel(device.top(), 0, buffer.height(), NearestEdge);
    const int right = ClampedPixel(device.right(), 0, buffer.width(), NearestEdge);
    const int bottom = ClampedPixel(device.bottom(), 0, buffer.height(), NearestEdge);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

}

Canvas::DispatchGuard::DispatchGuard(Canvas& canvas)
    : m_canvas(canvas)
{
    ++m_canvas.m_dispatch_depth;
}

Canvas::DispatchGuard::~DispatchGuard()
{
    if (--m_canvas.m_dispatch_depth == 0) {
        ItemList doomed;
        doomed.swap(m_canvas.m_pending_removal);
    }
}

Canvas::Canvas(CanvasKind kind, CanvasHost* host)
    : m_kind(kind)
    , m_host(host)
{
    // A dialog, question or menu that opens finds no canvas holding the pointer: the capturing
    // canvas lets it go, and the tooltip goes too.
    [[maybe_unused]] static const bool watching = [] {
        ModalScope::AddOpenHandler([] {
            if (s_capturing_canvas)
                s_capturing_canvas->ForgetPointer();
            if (s_tooltip.canvas)
                s_tooltip.canvas->ForgetToolTip();
        });
        return true;
    }();
}

Canvas::~Canvas()
{
    Clear();
    m_pending_removal.clear();
    if (s_capturing_canvas == this)
        s_capturing_canvas = nullptr;
    if (s_tooltip.canvas == this)
        s_tooltip = ToolTipState {};
}

void Canvas::RegisterFactory(CanvasKind kind, ItemFactory factory)
{
    s_factories[static_cast<size_t>(kind)] = std::move(factory);
}

void Canvas::SetBaseFolder(const QString& folder)
{
    m_base_folder = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

QString Canvas::BaseFolder() const
{
    return m_base_folder.isEmpty() ? ProgramFolder() : m_base_folder;
}

Canvas::ItemFactory Canvas::FactoryForKind() const
{
    return m_factory ? m_factory : s_factories[static_cast<size_t>(m_kind)];
}

void Canvas::BringToFront(Item* item)
{
    if (Contains(m_input_items, item)) {
        MoveToEnd(m_input_items, item);
        if (m_active_item != item && m_host)
            m_host->FocusMoved(item);
        m_active_item = item;
    }
    MoveToEnd(m_windowed_items, item);
    const int index = IndexOf(item);
    if (index >= 0)
        std::rotate(m_items.begin() + index, m_items.begin() + index + 1, m_items.end());
}

void Canvas::SendToBack(Item* item)
{
    MoveToStart(m_input_items, item);
    if (m_active_item == item)
        m_active_item = nullptr;
    MoveToStart(m_windowed_items, item);
    const int index = IndexOf(item);
    if (index >= 0)
        std::rotate(m_items.begin(), m_items.begin() + index, m_items.begin() + index + 1);
}

bool Canvas::Present(PresentScope scope, UpdateTiming timing)
{
    if (!m_host)
        return false;
    if (scope == PresentScope::All) {
        m_host->Invalidate(QRect(QPoint(0, 0), m_host->ClientSize()), timing);
        m_dirty = QRectF();
        const std::vector<Item*> windowed = m_windowed_items;
        for (Item* item : windowed)
            if (Contains(m_windowed_items, item))
                item->Synchronise();
        return true;
    }
    if (m_dirty.isEmpty())
        return false;
    // Left and top are truncated, right and bottom rounded up, all within the back buffer.
    const QRectF device = ToDevice(m_dirty);
    const double left_limit = std::floor(m_origin_x);
    const double top_limit = std::floor(m_origin_y);
    const double right_limit = std::ceil(double(m_origin_x) + m_buffer_size.width());
    const double bottom_limit = std::ceil(double(m_origin_y) + m_buffer_size.height());
    const QPoint top_left(ClampedPixel(device.left(), left_limit, right_limit, std::floor),
        ClampedPixel(device.top(), top_limit, bottom_limit, std::floor));
    const QPoint bottom_right(ClampedPixel(device.right(), left_limit, right_limit, std::ceil),
        ClampedPixel(device.bottom(), top_limit, bottom_limit, std::ceil));
    const QRect invalid(top_left, bottom_right - QPoint(1, 1));
    if (!invalid.isEmpty())
        m_host->Invalidate(invalid, timing);
    const QRectF dirty = m_dirty;
    m_dirty = QRectF();
    const std::vector<Item*> windowed = m_windowed_items;
    for (Item* item : windowed)
        if (Contains(m_windowed_items, item) && item->GetBounds().intersects(dirty))
            item->Synchronise();
    return true;
}

Item* Canvas::LastItem() const
{
    return m_items.empty() ? nullptr : m_items.back().get();
}

void Canvas::AddInputItem(Item* item)
{
    if (item && !Contains(m_input_items, item))
        m_input_items.push_back(item);
}

void Canvas::RemoveInputItem(Item* item)
{
    Erase(m_input_items, item);
    if (m_active_item == item)
        m_active_item = nullptr;
}

void Canvas::AddWindowedItem(Item* item)
{
    if (item && !Contains(m_windowed_items, item))
        m_windowed_items.push_back(item);
}

void Canvas::RemoveWindowedItem(Item* item)
{
    Erase(m_windowed_items, item);
}

bool Canvas::AddItem(std::unique_ptr<Item> item)
{
    if (!item)
        return false;
    m_items.push_back(std::move(item));
    return true;
}

bool Canvas::RemoveItem(Item* item)
{
    const int index = IndexOf(item);
    if (index < 0)
        return false;
    std::unique_ptr<Item> owned = std::move(m_items[index]);
    m_items.erase(m_items.begin() + index);
    // The active item may be dragging: with it gone nothing would ever let the mouse go.
    if (item == m_active_item) {
        ReleaseMouse();
        SetCursorShape(Qt::ArrowCursor);
    }
    ForgetItem(item);
    if (m_dispatch_depth > 0)
        m_pending_removal.push_back(std::move(owned));
    else
        owned.reset();
    RenderVisibleArea(OpaqueShortcut::On);
    Present(PresentScope::Dirty, UpdateTiming::Now);
    return true;
}

void Canvas::Clear()
{
    ReleaseMouse();
    m_active_item = nullptr;
    m_windowed_items.clear();
    m_input_items.clear();
    ItemList items;
    items.swap(m_items);
    if (m_dispatch_depth > 0) {
        for (auto& item : items)
            m_pending_removal.push_back(std::move(item));
    }
}

void Canvas::ForgetItem(const Item* item)
{
    Erase(m_input_items, item);
    Erase(m_windowed_items, item);
    if (m_active_item == item)
        m_active_item = nullptr;
    if (s_tooltip.item == item && s_tooltip.canvas == this)
        ForgetToolTip();
}

Item* Canvas::ItemAt(int index) const
{
    if (index < 0 || index >= ItemCount())
        return nullptr;
    return m_items[index].get();
}

int Canvas::IndexOf(const Item* item) const
{
    for (int index = 0; index < ItemCount(); ++index)
        if (m_items[index].get() == item)
            return index;
    return -1;
}

Item* Canvas::FindItem(const QString& name) const
{
    for (const auto& item : m_items)
        if (item->Name() == name)
            return item.get();
    return nullptr;
}

std::vector<int> Canvas::FindItems(const QString& text) const
{
    std::vector<int> found;
    for (int index = 0; index < ItemCount(); ++index)
        if (m_items[index]->Name().contains(text))
            found.push_back(index);
    return found;
}

bool Canvas::GetItemProperty(const QString& name, const QString& key, QString& value) const
{
    const Item* item = FindItem(name);
    return item && item->GetProperty(key, value);
}

bool Canvas::SetItemProperty(const QString& name, const QString& key, const QString& value)
{
    Item* item = FindItem(name);
    return item && item->SetProperty(key, value);
}

bool Canvas::UpdateItemProperty(const QString& name, const QString& key, const QString& value)
{
    Item* item = FindItem(name);
    if (!item)
        return false;
    // The area the item covered before the change is rendered too, so a property that moves or
    // shrinks the item leaves nothing of it behind.
    const QRectF before = item->GetBounds();
    if (!item->SetProperty(key, value))
        return false;
    if (HasBackBuffer()) {
        RenderItems(before.normalized().united(item->GetBounds().normalized()), OpaqueShortcut::On);
        Present(PresentScope::Dirty, UpdateTiming::Now);
    }
    return true;
}

bool Canvas::Refresh(const Item& item, UpdateTiming timing)
{
    if (!RenderItems(item.GetBounds(), OpaqueShortcut::On))
        return false;
    return Present(PresentScope::Dirty, timing);
}

void Canvas::SaveItems(QString& out) const
{
    for (const auto& item : m_items) {
        QString section;
        QString options;
        if (!item->Save(section, options, SaveMode::Persistent))
            continue;
        out += section;
        if (!options.isEmpty())
            out += QStringLiteral("Option=") + options + QStringLiteral("\r\n");
        out += QStringLiteral("\r\n");
    }
}

bool Canvas::SetZoom(float zoom)
{
    if (!(zoom >= kMinZoom && zoom <= kMaxZoom) || zoom == m_zoom)
        return false;
    m_zoom = zoom;
    return true;
}

bool Canvas::SetScroll(float x, float y)
{
    if (x == m_scroll_x && y == m_scroll_y)
        return false;
    m_scroll_x = x;
    m_scroll_y = y;
    return true;
}

bool Canvas::SetOrigin(float x, float y)
{
    if (x == m_origin_x && y == m_origin_y)
        return false;
    m_origin_x = x;
    m_origin_y = y;
    return true;
}

bool Canvas::SetLayoutSize(float width, float height)
{
    if (!(width >= 0 && height >= 0) || (width == m_layout_width && height == m_layout_height))
        return false;
    m_layout_width = width;
    m_layout_height = height;
    return true;
}

bool Canvas::SetDpi(float dpi)
{
    if (!std::isfinite(dpi) || dpi == m_dpi)
        return false;
    m_dpi = dpi;
    return true;
}

bool Canvas::SetCurrentGroup(const QString& group)
{
    if (group == m_current_group)
        return false;
    m_current_group = group;
    return true;
}

bool Canvas::SetScreenDpi(float dpi)
{
    if (!(dpi > 0) || !std::isfinite(dpi) || dpi == m_screen_dpi)
        return false;
    m_screen_dpi = dpi;
    return true;
}

float Canvas::ScreenDpi() const
{
    return HasBackBuffer() ? m_screen_dpi : kDefaultScreenDpi;
}

float Canvas::EffectiveScale() const
{
    if (m_dpi <= 0)
        return 1.0f;
    const float screen_dpi = ScreenDpi();
    return m_dpi == screen_dpi ? m_zoom : m_zoom * screen_dpi / m_dpi;
}

float Canvas::ReferenceWidth() const
{
    return m_layout_width > 0 ? m_layout_width : static_cast<float>(m_buffer_size.width());
}

float Canvas::ReferenceHeight() const
{
    return m_layout_height > 0 ? m_layout_height : static_cast<float>(m_buffer_size.height());
}

AnchorReference Canvas::GetAnchorReference() const
{
    const QRectF visible = VisibleArea();
    return AnchorReference { ReferenceWidth(), ReferenceHeight(), static_cast<float>(visible.left()),
        static_cast<float>(visible.top()), static_cast<float>(visible.right()), static_cast<float>(visible.bottom()) };
}

QRectF Canvas::VisibleArea() const
{
    const float scale = EffectiveScale();
    if (!(scale > 0))
        return QRectF();
    return QRectF(m_scroll_x, m_scroll_y, m_buffer_size.width() / scale, m_buffer_size.height() / scale);
}

QPointF Canvas::ToPage(QPointF device) const
{
    const float scale = EffectiveScale();
    if (!(scale > 0))
        return QPointF();
    return QPointF((device.x() - m_origin_x) / scale + m_scroll_x, (device.y() - m_origin_y) / scale + m_scroll_y);
}

QPointF Canvas::ToDevice(QPointF page) const
{
    const float scale = EffectiveScale();
    return QPointF(scale * (page.x() - m_scroll_x) + m_origin_x, scale * (page.y() - m_scroll_y) + m_origin_y);
}

QRectF Canvas::ToDevice(const QRectF& page) const
{
    return QRectF(ToDevice(page.topLeft()), ToDevice(page.bottomRight()));
}

bool Canvas::RenderItems(const QRectF& area, OpaqueShortcut shortcut)
{
    const float scale = EffectiveScale();
    if (!HasBackBuffer() || !(scale > 0))
        return false;

    // Items draw in page coordinates. Clip regions and the coverage of opaque items are kept
    // in back-buffer pixels, which are finer than logical pixels on a high-density screen.
    const qreal ratio = m_back_buffer.devicePixelRatio();
    QTransform page_transform;
    page_transform.scale(scale, scale);
    page_transform.translate(-m_scroll_x, -m_scroll_y);
    const QTransform to_pixels = page_transform * QTransform::fromScale(ratio, ratio);
    const QTransform pixels_to_page = to_pixels.inverted();
    const QTransform pixels_to_logical = QTransform::fromScale(1 / ratio, 1 / ratio);

    struct Entry {
        Item* item;
        bool opaque;
    };
    std::vector<Entry> drawable;
    drawable.reserve(m_items.size());
    for (const auto& item : m_items)
        if (item->IsVisible() && item->IsInGroup(m_current_group))
            drawable.push_back({ item.get(), shortcut == OpaqueShortcut::On && item->IsOpaque() });

    QPainter painter(&m_back_buffer);
    const auto draw_clipped = [&](Item* item, const QRegion& covered) -> QRect {
        if (item->Right() < item->Left() || item->Bottom() < item->Top())
            return QRect();
        const QRect pixels = PixelRect(to_pixels.mapRect(item->GetBounds().intersected(area)), m_back_buffer.size());
        const QRegion clip = QRegion(pixels).subtracted(covered);
        if (clip.isEmpty())
            return QRect();
        painter.save();
        painter.setTransform(pixels_to_logical);
        painter.setClipRegion(clip);
        painter.setTransform(page_transform);
        item->Draw(painter, pixels_to_page.mapRect(QRectF(clip.boundingRect())));
        if (item == m_active_item && m_shows_focus && item->AcceptsFocus())
            FocusFrame::Draw(painter, item->GetBounds());
        painter.restore();
        return pixels;
    };

    // Pass one, top down: opaque items, each clipped away from what the opaque items above it
    // cover. Every opaque item pushes the coverage down to and including itself. An item that
    // finds while drawing that it cannot paint its bounds (an image whose pixels do not decode)
    // stops being opaque: it covers nothing and is drawn again in pass two over what lies
    // under it.
    std::vector<QRegion> coverage;
    for (auto entry = drawable.rbegin(); entry != drawable.rend(); ++entry) {
        if (!entry->opaque)
            continue;
        coverage.push_back(coverage.empty() ? QRegion() : coverage.back());
        const QRect drawn = draw_clipped(entry->item, coverage.back());
        if (!entry->item->IsOpaque()) {
            entry->opaque = false;
            coverage.pop_back();
        } else if (!drawn.isEmpty()) {
            coverage.back() += drawn;
        }
    }
    // Pass two, bottom up: the other items, clipped away from the opaque items above them.
    for (const Entry& entry : drawable) {
        if (entry.opaque) {
            coverage.pop_back();
            continue;
        }
        draw_clipped(entry.item, coverage.empty() ? QRegion() : coverage.back());
    }
    painter.end();

    m_dirty = m_dirty.isEmpty() ? area : m_dirty.united(area);
    return true;
}

bool Canvas::RenderVisibleArea(OpaqueShortcut shortcut)
{
    return RenderItems(VisibleArea(), shortcut);
}

void Canvas::Paint(QPainter& painter, const QRect& device_clip) const
{
    if (!HasBackBuffer())
        return;
    painter.save();
    painter.setClipRect(device_clip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(m_origin_x, m_origin_y), m_back_buffer);
    painter.restore();
}

void Canvas::ResizeBackBuffer(int width, int height, qreal device_pixel_ratio)
{
    m_back_buffer = QImage();
    m_buffer_size = QSize(0, 0);
    if (width <= 0 || height <= 0)
        return;
    if (!(device_pixel_ratio > 0))
        device_pixel_ratio = 1.0;
    // Sizes beyond what an image can hold leave the canvas without a back buffer.
    constexpr double kMaxSide = 1 << 20;
    if (width * device_pixel_ratio > kMaxSide || height * device_pixel_ratio > kMaxSide)
        return;
    QImage buffer(static_cast<int>(std::ceil(width * device_pixel_ratio)), static_cast<int>(std::ceil(height * device_pixel_ratio)),
        QImage::Format_ARGB32_Premultiplied);
    if (buffer.isNull())
        return;
    buffer.fill(0);
    buffer.setDevicePixelRatio(device_pixel_ratio);
    m_back_buffer = std::move(buffer);
    m_buffer_size = QSize(width, height);
    if (m_host)
        SetScreenDpi(m_host->ScreenDpi());
    if (m_dpi == 0)
        m_dpi = m_screen_dpi;
    RenderVisibleArea(OpaqueShortcut::On);
    Present(PresentScope::Dirty, UpdateTiming::Now);
}

bool Canvas::RouteMessage(const Message& message)
{
    if (m_host && !m_host->IsShowing())
        return false;
    if (!(EffectiveScale() > 0))
        return false;
    const QPointF page = ToPage(QPointF(message.position));
    if (IsPointerMessage(message.kind) && s_tooltip.canvas && s_tooltip.canvas != this)
        s_tooltip.canvas->ForgetToolTip();

    DispatchGuard guard(*this);
    const bool consumed = RouteToItems(message, page);
    if (message.kind != MessageKind::KeyDown || !m_key_handler)
        return consumed;
    const KeyHandler handler = m_key_handler;
    return handler(message, consumed);
}

bool Canvas::RouteToItems(const Message& message, QPointF page)
{
    if (m_active_item && m_active_item->IsShownIn(m_current_group)) {
        switch (message.kind) {
        case MessageKind::KeyDown:
        case MessageKind::KeyUp:
        case MessageKind::MouseMove:
        case MessageKind::LButtonUp:
            if (m_active_item->HandleMessage(message, page))
                return true;
            break;
        case MessageKind::LButtonDown:
        case MessageKind::LButtonDblClk:
        case MessageKind::RButtonDown:
            // A press outside the visible area goes to the active item alone, so that it can
            // finish or cancel what it was doing; the window then handles the press itself.
            if (!VisibleArea().contains(page)) {
                m_active_item->HandleMessage(message, page);
                return false;
            }
            if (m_active_item->HandleMessage(message, page))
                return true;
            break;
        default:
            break;
        }
    }
    const std::vector<Item*> input_items = m_input_items;
    for (auto item = input_items.rbegin(); item != input_items.rend(); ++item) {
        if (!Contains(m_input_items, *item) || !(*item)->IsShownIn(m_current_group))
            continue;
        if ((*item)->HandleMessage(message, page))
            return true;
    }
    return false;
}

bool Canvas::TakeItemEvent(const ItemEvent& event)
{
    DispatchGuard guard(*this);
    switch (event.code) {
    case ItemEvent::kStartCapture:
        CaptureMouse();
        return PassOn(event);
    case ItemEvent::kReleaseCapture:
        ReleaseMouse();
        return PassOn(event);
    case ItemEvent::kTakeFocus: {
        const auto found = std::find_if(m_input_items.begin(), m_input_items.end(),
            [&](const Item* item) { return item->Key() == event.key; });
        if (found == m_input_items.end())
            return false;
        ActivateItem(*found);
        return PassOn(event);
    }
    case ItemEvent::kDropFocus:
        if (m_active_item && m_active_item->Key() == event.key)
            ActivateItem(nullptr);
        return true;
    default:
        // An event raised while an owner's handler runs is dropped, and counts as handled.
        if (s_handler_running)
            return true;
        return PassOn(event);
    }
}

// The scope lives here because the flag it suspends belongs to the canvases.
NestedEventScope::NestedEventScope()
    : m_saved(s_handler_running)
{
    s_handler_running = false;
}

NestedEventScope::~NestedEventScope()
{
    s_handler_running = m_saved;
}

// Where the focus shows, the widget that loses it and the one that takes it are drawn again.
void Canvas::ActivateItem(Item* item)
{
    Item* before = m_active_item;
    m_active_item = item;
    if (before != item && m_host)
        m_host->FocusMoved(item);
    if (!m_shows_focus || before == item)
        return;
    if (before)
        Refresh(*before);
    if (item)
        Refresh(*item);
}

bool Canvas::PassOn(const ItemEvent& event)
{
    if (!m_event_handler)
        return false;
    const bool was_running = s_handler_running;
    s_handler_running = true;
    const bool handled = m_event_handler(event);
    s_handler_running = was_running;
    return handled;
}

void Canvas::CaptureMouse()
{
    if (!m_host || m_host->AnyWindowHoldsMouse())
        return;
    m_host->CaptureMouse();
    s_capturing_canvas = this;
}

void Canvas::ReleaseMouse()
{
    if (s_capturing_canvas != this)
        return;
    if (m_host && m_host->HoldsMouse())
        m_host->ReleaseMouse();
    s_capturing_canvas = nullptr;
}

// Its items hear that the pointer left, so that a hovered button is drawn normal, and the
// capture goes.
void Canvas::ForgetPointer()
{
    Message leave;
    leave.kind = MessageKind::MouseLeave;
    RouteMessage(leave);
    ReleaseMouse();
}

Canvas* Canvas::CapturingCanvas()
{
    return s_capturing_canvas;
}

void Canvas::ShowToolTip(const QString& text, const Item* item)
{
    if (!m_host || !item)
        return;
    if (text.isEmpty()) {
        if (s_tooltip.canvas == this && s_tooltip.item == item)
            ForgetToolTip();
        return;
    }
    if (s_tooltip.canvas == this && s_tooltip.item == item && s_tooltip.text == text)
        return;
    if (s_tooltip.canvas && s_tooltip.canvas != this)
        s_tooltip.canvas->ForgetToolTip();
    const QPointF below = ToDevice(QPointF(item->Left(), item->Bottom())) + QPointF(0, 8);
    constexpr double kFar = 1 << 24;
    const QPoint point(ClampedPixel(below.x(), -kFar, kFar, RoundHalfAway), ClampedPixel(below.y(), -kFar, kFar, RoundHalfAway));
    m_host->ShowToolTip(m_host->MapToScreen(point), text);
    s_tooltip = ToolTipState { this, item, text };
}

void Canvas::ForgetToolTip()
{
    if (s_tooltip.canvas != this)
        return;
    if (m_host)
        m_host->HideToolTip();
    s_tooltip = ToolTipState {};
}

void Canvas::SetCursorShape(Qt::CursorShape shape)
{
    if (m_host)
        m_host->SetCursorShape(shape);
}

void Canvas::RemoveAsChange(Item* item)
{
    DispatchGuard guard(*this);
    RemoveItem(item);
    TakeItemEvent(ItemEvent { {}, {}, ItemEvent::kChangeFinished, {} });
}

bool Canvas::AddFromSection(const QString& section_name, const KeyValueStore& store)
{
    const ItemFactory factory = FactoryForKind();
    std::unique_ptr<Item> item = factory ? factory(*this, section_name) : nullptr;
    if (item) {
        item->ReadSection(store);
        return AddItem(std::move(item));
    }
    // The pseudo-section that configures the canvas itself.
    if (section_name == QLatin1String("Viewer")) {
        if (store.Contains(QStringLiteral("Group")))
            SetCurrentGroup(store.GetText(QStringLiteral("Group")));
        if (store.Contains(QStringLiteral("Dpi")))
            SetDpi(store.GetFloat(QStringLiteral("Dpi")));
    }
    return false;
}

bool Canvas::GetItemPropertyInt(const QString& name, const QString& key, int& value) const
{
    QString text;
    if (!GetItemProperty(name, key, text))
        return false;
    value = ToInt(text);
    return true;
}

bool Canvas::GetItemPropertyFloat(const QString& name, const QString& key, float& value) const
{
    QString text;
    if (!GetItemProperty(name, key, text))
        return false;
    value = ToFloat(text);
    return true;
}

bool Canvas::GetItemPropertyBool(const QString& name, const QString& key, bool& value) const
{
    QString text;
    if (!GetItemProperty(name, key, text))
        return false;
    value = text == QLatin1String("true");
    return true;
}

bool Canvas::UpdateItemPropertyInt(const QString& name, const QString& key, int value)
{
    return UpdateItemProperty(name, key, QString::number(value));
}

bool Canvas::UpdateItemPropertyFloat(const QString& name, const QString& key, float value)
{
    return UpdateItemProperty(name, key, FormatGeneral(value));
}
