#pragma once

#include "app/CanvasWidget.h"

#include <QImage>
#include <optional>

// The page canvas's window: takes no input while the note is locked, and shows the pixels of
// the colour key see-through while the background is transparent.
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

signals:
    // The page canvas has its new size (and, the first time, its resolution).
    void Resized();
    // The right button came up over the page and no item showed a menu of its own; also
    // while the note is locked.
    void ContextMenuRequested(QPoint position);
    // A message the window passed to the page has been dealt with, whatever came of it; not
    // sent for messages that arrive while an earlier one is still being dealt with.
    void MessageHandled(MessageKind kind);

protected:
    bool DeliverMessage(const Message& message) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_input_blocked { false };
    int m_delivering { 0 };
    std::optional<quint32> m_colour_key;
};
