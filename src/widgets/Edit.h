#pragma once

#include "widgets/NativeEdit.h"
#include "widgets/WindowedItem.h"

#include <QFont>

#include <memory>

// An item that owns a native edit window placed over its bounds whenever it is shown. While
// the window exists its text is the current text; otherwise the item keeps the text.
class Edit : public WindowedItem, private NativeEdit::Listener {
public:
    ItemDescription Describe() const override;
    explicit Edit(Canvas& canvas, Hosting hosting = Hosting::Canvas);
    ~Edit() override;

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;
    void Synchronise() override;
    bool AcceptsFocus() const override { return true; }
    void TakeFocus() override;
    bool IsKeySource(const Message& message) const override { return IsFromWindow(message); }
    bool TypesNewLines() const override { return IsMultiLine(); }

    QString Text() const;
    bool SetText(const QString& text);
    // Face name and size in tenths of a point.
    bool SetFont(const QString& face, int tenths_of_point);
    const QFont& Font() const { return m_font; }

    bool HasWindow() const { return m_window != nullptr; }
    NativeEdit* Window() const { return m_window.get(); }
    bool IsFromWindow(const Message& message) const;

    // 0 left, 1 centre, 2 right.
    int Alignment() const { return m_alignment; }
    bool IsMultiLine() const { return m_style.multi_line; }
    bool IsPassword() const { return m_style.password; }
    bool SetPassword(bool password);
    bool SetClientEdge(bool client_edge);

    // Takes the window away, keeping its text.
    void DestroyWindow();
    // Hands a left click at a page point to the window so the caret lands there.
    void ClickAt(QPointF page_point);

private:
    bool RouteNativeMessage(const Message& message) override;
    void NativeEditDestroyed(const QString& text) override;
    bool CreateWindow();
    QRect WindowRect() const;

    std::unique_ptr<NativeEdit> m_window;
    QString m_text;
    QFont m_font;
    int m_alignment { 0 };
    NativeEdit::Style m_style;
    bool m_scroll_last { false };
};
