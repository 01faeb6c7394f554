#pragma once

#include "items/Canvas.h"
#include "items/CanvasHost.h"
#include "platform/Message.h"

#include <QWidget>
#include <optional>

// The window of a canvas: draws the back buffer, resizes it with the client area and turns
// mouse, wheel and key events into messages that the canvas routes to its items.
class CanvasWidget : public QWidget, public CanvasHost {
    Q_OBJECT
public:
    explicit CanvasWidget(CanvasKind kind = CanvasKind::Panel, QWidget* parent = nullptr);
    ~CanvasWidget() override;

    Canvas& GetCanvas() { return m_canvas; }

    // Screen resolution override for a canvas whose screen is not the one to scale for; 0 reads
    // the screen.
    void SetScreenDpiOverride(float dpi) { m_screen_dpi_override = dpi; }

    // The message translation, for owners that build messages of their own.
    static std::optional<Key> KeyFromQt(int qt_key, Qt::KeyboardModifiers modifiers);

    // CanvasHost
    bool IsShowing() const override;
    void Invalidate(const QRect& device_rect, UpdateTiming timing) override;
    QSize ClientSize() const override;
    float ScreenDpi() const override;
    QPoint MapToScreen(QPoint client_point) const override;
    bool AnyWindowHoldsMouse() const override;
    bool HoldsMouse() const override;
    void CaptureMouse() override;
    void ReleaseMouse() override;
    void TakeKeyboardFocus() override;
    void FocusMoved(const Item* item) override;
    void SetCursorShape(Qt::CursorShape shape) override;
    void ShowToolTip(QPoint screen_point, const QString& text) override;
    void HideToolTip() override;
    QObject* NativeParent() override { return this; }

protected:
    // Every message goes here; the canvas routes it. Owners override to handle what the items
    // leave. Returns whether the message was consumed.
    virtual bool DeliverMessage(const Message& message);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void DeliverMouse(QMouseEvent* event, MessageKind left, MessageKind middle, MessageKind right);
    void DeliverKey(QKeyEvent* event, MessageKind kind);
    void DeliverPlain(MessageKind kind);

    Canvas m_canvas;
    float m_screen_dpi_override { 0 };
    QMetaObject::Connection m_screen_watch;
};
