#pragma once

#include "items/Canvas.h"
#include "items/CanvasHost.h"
#include "items/PlacedItem.h"
#include "platform/Message.h"
#include "text/KeyValueStore.h"

#include <QColor>
#include <QPainter>
#include <functional>
#include <memory>
#include <vector>

// Small item kinds and a recording window for the canvas tests.
namespace TestItems {

inline KeyValueStore Store(std::initializer_list<std::pair<const char*, const char*>> pairs)
{
    KeyValueStore store;
    for (const auto& [key, value] : pairs)
        store.Set(QString::fromUtf8(key), QString::fromUtf8(value));
    return store;
}

// Fills its bounds with one colour and counts its Draw calls.
class FillItem : public PlacedItem {
public:
    FillItem(Canvas& canvas, QColor color, bool opaque)
        : PlacedItem(canvas)
        , m_color(color)
        , m_opaque(opaque)
    {
    }

    bool Draw(QPainter& painter, const QRectF&) override
    {
        ++draw_count;
        painter.fillRect(GetBounds(), m_color);
        return true;
    }
    bool IsOpaque() const override { return m_opaque; }

    int draw_count { 0 };

private:
    QColor m_color;
    bool m_opaque;
};

// Records the messages it gets and answers with a scripted result; optionally runs an action
// inside its handler.
class InputItem : public PlacedItem {
public:
    explicit InputItem(Canvas& canvas, bool consume = true)
        : PlacedItem(canvas)
        , m_consume(consume)
    {
        canvas.AddInputItem(this);
    }

    bool HandleMessage(const Message& message, QPointF page_point) override
    {
        received.push_back(message.kind);
        last_point = page_point;
        if (on_message)
            on_message(message);
        return m_consume && (!hit_only || HitTest(page_point));
    }

    std::vector<MessageKind> received;
    QPointF last_point;
    std::function<void(const Message&)> on_message;
    bool hit_only { false };

private:
    bool m_consume;
};

// A saved note item kind: writes a header and one key of its own in a persistent save.
class SavingItem : public PlacedItem {
public:
    using PlacedItem::PlacedItem;

    bool Save(QString& section, QString& options, SaveMode mode) const override
    {
        if (mode != SaveMode::Persistent)
            return false;
        section += QStringLiteral("[Note]\r\nColor=0xff00ff00\r\n");
        options += QStringLiteral("Repeat");
        return PlacedItem::Save(section, options, SaveMode::Plain);
    }
};

template <typename T, typename... Args>
T* Add(Canvas& canvas, std::initializer_list<std::pair<const char*, const char*>> keys, Args&&... args)
{
    auto item = std::make_unique<T>(canvas, std::forward<Args>(args)...);
    item->ReadSection(Store(keys));
    T* raw = item.get();
    canvas.AddItem(std::move(item));
    return raw;
}

// A window that records what the canvas asks of it.
class RecordingHost : public CanvasHost {
public:
    bool IsShowing() const override { return showing; }
    void Invalidate(const QRect& device_rect, UpdateTiming timing) override
    {
        invalidated.push_back(device_rect);
        last_timing = timing;
    }
    QSize ClientSize() const override { return client_size; }
    float ScreenDpi() const override { return screen_dpi; }
    QPoint MapToScreen(QPoint client_point) const override { return client_point + QPoint(1000, 2000); }
    bool AnyWindowHoldsMouse() const override { return *grabber != nullptr; }
    bool HoldsMouse() const override { return *grabber == this; }
    void CaptureMouse() override { *grabber = this; }
    void ReleaseMouse() override { *grabber = nullptr; }
    void SetCursorShape(Qt::CursorShape shape) override { cursor = shape; }
    void ShowToolTip(QPoint screen_point, const QString& text) override
    {
        tooltip_point = screen_point;
        tooltip_text = text;
    }
    void HideToolTip() override { tooltip_text.clear(); }

    // The process's grabbing window, shared by the hosts of one test.
    static inline const CanvasHost* s_grabber = nullptr;
    const CanvasHost** grabber { &s_grabber };
    bool showing { true };
    QSize client_size { 200, 100 };
    float screen_dpi { 96 };
    std::vector<QRect> invalidated;
    UpdateTiming last_timing { UpdateTiming::Later };
    Qt::CursorShape cursor { Qt::ArrowCursor };
    QPoint tooltip_point;
    QString tooltip_text;
};

inline Message MouseAt(MessageKind kind, int x, int y)
{
    Message message;
    message.kind = kind;
    message.position = QPoint(x, y);
    return message;
}

}
