#pragma once

#include "items/Canvas.h"
#include "items/CanvasHost.h"
#include "platform/Message.h"
#include "text/SectionDocument.h"

#include <QImage>
#include <memory>
#include <vector>

// A canvas in a pretend window for the tests of interactive widgets: messages go in as the
// window would send them, and the item events that reach the owner are recorded.
namespace InputTest {

class FakeHost : public CanvasHost {
public:
    bool IsShowing() const override { return true; }
    void Invalidate(const QRect& rect, UpdateTiming) override { invalidated.push_back(rect); }
    QSize ClientSize() const override { return size; }
    float ScreenDpi() const override { return 96; }
    QPoint MapToScreen(QPoint client_point) const override { return client_point + screen_offset; }
    bool AnyWindowHoldsMouse() const override { return holds_mouse; }
    bool HoldsMouse() const override { return holds_mouse; }
    void CaptureMouse() override { holds_mouse = true; }
    void ReleaseMouse() override { holds_mouse = false; }
    void SetCursorShape(Qt::CursorShape) override {}
    void ShowToolTip(QPoint, const QString& text) override { tooltip = text; }
    void HideToolTip() override { tooltip.clear(); }

    QSize size { 400, 300 };
    QPoint screen_offset { 1000, 500 };
    bool holds_mouse { false };
    QString tooltip;
    std::vector<QRect> invalidated;
};

// The first section of a text such as "[Knob]\nPos=L0,T0,W45,H45" (lines end in CR LF in
// section text; the tests write LF).
inline KeyValueStore StoreOf(const QString& section_text)
{
    QString text = section_text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    SectionDocument document;
    ParseSectionText(text, document);
    return document.Count() > 0 ? document.Store(0) : KeyValueStore();
}

// A property read by name, or an empty text when the item does not answer the key.
inline QString PropertyOf(const Item& item, const char* key)
{
    QString value;
    item.GetProperty(QLatin1String(key), value);
    return value;
}

inline Message Mouse(MessageKind kind, QPoint point, bool ctrl = false, bool shift = false)
{
    Message message;
    message.kind = kind;
    message.position = point;
    message.ctrl = ctrl;
    message.shift = shift;
    message.left_button = kind == MessageKind::LButtonDown || kind == MessageKind::MouseMove;
    return message;
}

inline Message Wheel(QPoint point, int delta, bool ctrl = false, bool shift = false)
{
    Message message = Mouse(MessageKind::MouseWheel, point, ctrl, shift);
    message.wheel_delta = delta;
    return message;
}

inline Message KeyMessage(MessageKind kind, Key key, bool ctrl = false, const void* source = nullptr)
{
    Message message;
    message.kind = kind;
    message.key = key;
    message.ctrl = ctrl;
    message.source = source;
    return message;
}

class Harness {
public:
    explicit Harness(QSize size = { 400, 300 })
    {
        host.size = size;
        canvas.ResizeBackBuffer(size.width(), size.height());
        canvas.SetEventHandler([this](const ItemEvent& event) {
            events.push_back(event);
            if (on_event)
                on_event(event);
            return true;
        });
    }

    // Makes a widget of kind T, lets it read the section and adds it on top of the canvas.
    template <typename T>
    T& Add(const QString& section_text)
    {
        auto item = std::make_unique<T>(canvas);
        T& widget = *item;
        widget.ReadSection(StoreOf(section_text));
        canvas.AddItem(std::move(item));
        return widget;
    }

    bool Send(const Message& message) { return canvas.RouteMessage(message); }
    bool Send(MessageKind kind, QPoint point, bool ctrl = false, bool shift = false)
    {
        return Send(Mouse(kind, point, ctrl, shift));
    }
    // Press and release at one point.
    void Click(QPoint point)
    {
        Send(MessageKind::LButtonDown, point);
        Send(MessageKind::LButtonUp, point);
    }

    // The codes of the recorded events, then forgets them.
    std::vector<int> TakeCodes()
    {
        std::vector<int> codes;
        for (const ItemEvent& event : events)
            codes.push_back(event.code);
        events.clear();
        return codes;
    }

    QImage Render()
    {
        canvas.RenderVisibleArea(OpaqueShortcut::Off);
        return canvas.BackBuffer();
    }

    FakeHost host;
    Canvas canvas { CanvasKind::Dialog, &host };
    std::vector<ItemEvent> events;
    std::function<void(const ItemEvent&)> on_event;
};

using Codes = std::vector<int>;

}
