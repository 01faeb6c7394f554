#pragma once

#include "widgets/Edge.h"
#include "widgets/Edit.h"
#include "widgets/Text.h"
#include "widgets/WindowedItem.h"

// A short text field: it shows its text as a `Text`, and only while the user edits it puts
// an `Edit` with its native window over itself. A click inside begins editing; Return in a
// single-line field, a click elsewhere or the loss of the keyboard focus commit it.
class EditableText : public WindowedItem {
public:
    ItemDescription Describe() const override;
    // The option bits.
    static constexpr int kWhiteBackground = 1;
    static constexpr int kFrame = 2;
    static constexpr int kNumbersOnly = 4;

    explicit EditableText(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;
    void Synchronise() override;
    bool AcceptsFocus() const override { return true; }
    void TakeFocus() override;
    void LoseFocus(FocusEnd end) override;
    bool IsKeySource(const Message& message) const override { return m_editor.IsFromWindow(message); }
    bool TypesNewLines() const override { return !m_display.NoWrap(); }

    bool BeginEditing();
    bool EndEditing();
    bool IsEditing() const { return m_editor.IsVisible(); }
    bool SetText(const QString& text);
    // The editor's text: the native window's while editing.
    QString CurrentText() const { return m_editor.Text(); }
    int Options() const { return m_options; }
    bool HasReturned() const { return m_returned; }

    const Text& Display() const { return m_display; }
    const Edit& Editor() const { return m_editor; }

    // An optional leading "-", then decimal digits with at most one "." ("", "-" and "."
    // pass).
    static bool IsNumberText(const QString& text);

private:
    void PlaceParts();

    Text m_display;
    Edit m_editor;
    Edge m_frame;
    int m_options { 0 };
    bool m_password { false };
    bool m_returned { false };
    bool m_ending { false };
};
