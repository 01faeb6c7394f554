#pragma once

#include "app/CanvasWidget.h"

#include <QImage>
#include <optional>

// The page canvas's window: takes no input while the note is locked, and shows the pixels of
// the colour key see-through while the background is transparent. The page moves under a
// drag with the middle button where no item takes it, or with the left button while Space is
// held; a wheel turn no item takes scrolls it.
class PageCanvasWidget : public CanvasWidget {
    Q_OBJECT
public:
    explicit PageCanvasWidget(QWidget* parent = nullptr);

    void SetInputBlocked(bool blocked) { m_input_blocked = blocked; }
    // Pixels of the colour (0xRRGGBB) are shown fully transparent; none shows everything.
    bool SetColourKey(std::optional<quint32> key);
    // The back buffer's pixels with those of the colour key made transparent.
    static QImage KeyedOut(const QImage& image, quint32 key);
    // Hands a message to the page's items, as the window does with keys it does not handle.
    bool Route(const Message& message) { return DeliverMessage(message); }

    // While the pan key (Space) is held, a left drag moves the page and the items see no
    // pointer. Letting it go answers whether it moved the page meanwhile.
    void HoldPanKey();
    bool ReleasePanKey();
    bool IsPanning() const { return m_pan_end.has_value(); }

    // View pixels the page moves for a wheel turn of the given delta (120 a notch).
    static double WheelScrollPixels(int wheel_delta);

signals:
    // The page canvas has its new size (and, the first time, its resolution).
    void Resized();
    // The right button came up over the page and no item showed a menu of its own; also
    // while the note is locked.
    void ContextMenuRequested(QPoint position);
    // The page is to move with the pointer by this distance in view pixels.
    void ScrollRequested(QPointF view_delta);
    // A message the window passed to the page has been dealt with, whatever came of it; not
    // sent for messages that arrive while an earlier one is still being dealt with.
    void MessageHandled(MessageKind kind);

protected:
    bool DeliverMessage(const Message& message) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool Deliver(const Message& message);
    bool PanKeyMessage(const Message& message);
    bool PanStep(const Message& message);
    void BeginPan(const Message& message, MessageKind end);
    bool Unused(const Message& message);

    bool m_input_blocked { false };
    int m_delivering { 0 };
    std::optional<quint32> m_colour_key;
    bool m_pan_key_held { false };
    bool m_panned_with_key { false };
    // The release that ends the drag moving the page, while one runs.
    std::optional<MessageKind> m_pan_end;
    QPoint m_pan_last;
};
