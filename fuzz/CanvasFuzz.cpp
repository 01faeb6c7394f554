#include "items/Canvas.h"
#include "items/CanvasHost.h"
#include "items/PlacedItem.h"
#include "platform/Message.h"
#include "text/SectionDocument.h"

#include <QGuiApplication>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

class Fill : public PlacedItem {
public:
    Fill(Canvas& canvas, bool opaque)
        : PlacedItem(canvas)
        , m_opaque(opaque)
    {
        canvas.AddInputItem(this);
    }
    bool Draw(QPainter& painter, const QRectF& clip) override
    {
        painter.fillRect(clip, m_opaque ? QColor(10, 20, 30) : QColor(10, 20, 30, 100));
        return true;
    }
    bool IsOpaque() const override { return m_opaque; }
    bool HandleMessage(const Message& message, QPointF page_point) override
    {
        if (message.kind == MessageKind::LButtonDown && HitTest(page_point)) {
            SendItemEvent(ItemEvent::kStartCapture);
            SendItemEvent(ItemEvent::kTakeFocus);
            GetCanvas().ShowToolTip(Name(), this);
            return true;
        }
        if (message.kind == MessageKind::RButtonDown && HitTest(page_point)) {
            GetCanvas().RemoveItem(this);
            return true;
        }
        return false;
    }

private:
    bool m_opaque;
};

class Host : public CanvasHost {
public:
    bool IsShowing() const override { return true; }
    void Invalidate(const QRect& device_rect, UpdateTiming) override
    {
        if (!device_rect.isEmpty() && !QRect(-100, -100, 500, 400).contains(device_rect))
            std::abort();
    }
    QSize ClientSize() const override { return QSize(200, 100); }
    float ScreenDpi() const override { return 120; }
    QPoint MapToScreen(QPoint client_point) const override { return client_point; }
    bool AnyWindowHoldsMouse() const override { return m_holds; }
    bool HoldsMouse() const override { return m_holds; }
    void CaptureMouse() override { m_holds = true; }
    void ReleaseMouse() override { m_holds = false; }
    void SetCursorShape(Qt::CursorShape) override { }
    void ShowToolTip(QPoint, const QString&) override { }
    void HideToolTip() override { }

private:
    bool m_holds { false };
};

QGuiApplication& Application()
{
    static int argc = 1;
    static char name[] = "CanvasFuzz";
    static char* argv[] = { name, nullptr };
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
    return application;
}

}

// Any layout text builds, paints, presents, routes clicks and saves without fault, and every
// invalidated rectangle stays within the window's back buffer.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Application();
    SectionDocument document;
    ParseSectionText(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), document);
    Host host;
    Canvas canvas(CanvasKind::Panel, &host);
    canvas.SetFactory([](Canvas& owner, const QString& name) -> std::unique_ptr<Item> {
        if (name == QLatin1String("Opaque") || name == QLatin1String("Clear"))
            return std::make_unique<Fill>(owner, name == QLatin1String("Opaque"));
        return nullptr;
    });
    canvas.SetOrigin(10, 5);
    canvas.ResizeBackBuffer(200, 100);
    for (int index = 0; index < document.Count() && index < 64; ++index)
        canvas.AddFromSection(document.Name(index), document.Store(index));
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    canvas.Present(PresentScope::Dirty, UpdateTiming::Now);
    for (int y = 0; y < 100; y += 25) {
        for (int x = 0; x < 200; x += 40) {
            Message message;
            message.kind = (x + y) % 3 ? MessageKind::LButtonDown : MessageKind::RButtonDown;
            message.position = QPoint(x, y);
            canvas.RouteMessage(message);
        }
    }
    if (canvas.ItemCount() > 0)
        canvas.UpdateItemProperty(canvas.ItemAt(0)->Name(), QStringLiteral("LPos"), QStringLiteral("L-1e39"));
    canvas.Present(PresentScope::Dirty, UpdateTiming::Now);
    QString saved;
    canvas.SaveItems(saved);
    return 0;
}
