#pragma once

#include "widgets/NativeEdit.h"

#include <QObject>
#include <QPointer>

class QKeyEvent;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// The native edit window of an `Edit`: a QLineEdit, or a QPlainTextEdit for multi-line text,
// made a child of the canvas's window. An event filter on it hands key presses and releases
// and the loss of focus to the item first, and its text-changed signal becomes the
// edit-changed message. Destroying this object takes the window away.
class QtNativeEdit final : public QObject, public NativeEdit {
    Q_OBJECT
public:
    QtNativeEdit(QWidget* parent, const Style& style, Listener& listener);
    ~QtNativeEdit() override;

    QString Text() const override;
    void SetText(const QString& text) override;
    void SetFont(const QFont& font) override;
    QRect Geometry() const override;
    void SetGeometry(const QRect& rect) override;
    void Focus() override;
    void Select(int start, int end) override;
    std::pair<int, int> Selection() const override;
    void ScrollToLastLine() override;
    void ClickAt(QPoint client_point) override;

    QWidget* Widget() const;

    // Makes the edits of every canvas shown in a window native windows of this kind.
    static void Install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool KeepsKey(const QKeyEvent& event);
    bool Route(MessageKind kind, const class QKeyEvent* key_event);
    void TextChanged();
    void WidgetDestroyed();

    QPointer<QWidget> m_widget;
    QLineEdit* m_line { nullptr };
    QPlainTextEdit* m_plain { nullptr };
    Listener* m_listener { nullptr };
    QString m_last_text;
};
