#pragma once

#include "widgets/Button.h"
#include "widgets/EditableText.h"
#include "widgets/WindowedItem.h"

#include <QStringList>

// An editable field with a drop-down button at its right end that opens a popup menu of
// choices. With the option "NoEditable" only the listed choices can be taken.
class EditableTextWithMenu : public WindowedItem {
public:
    explicit EditableTextWithMenu(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;
    void Synchronise() override;
    bool AcceptsFocus() const override { return true; }
    void TakeFocus() override;
    void LoseFocus(FocusEnd end) override { m_field.LoseFocus(end); }
    bool IsKeySource(const Message& message) const override { return m_field.IsKeySource(message); }
    bool TypesNewLines() const override { return m_field.TypesNewLines(); }
    ItemDescription Describe() const override;

    const QStringList& Choices() const { return m_choices; }
    bool SetChoices(const QStringList& choices);
    // Refused (false) when the control is not editable and the text is not a choice.
    bool SetText(const QString& text);
    QString CurrentText() const { return m_field.CurrentText(); }
    bool IsEditable() const { return m_editable; }

    const EditableText& Field() const { return m_field; }
    const Button& DropDownButton() const { return m_button; }

private:
    void PlaceParts();
    void OnFieldEvent(const ItemEvent& event);
    void OnButtonEvent(const ItemEvent& event);
    void ShowChoices();
    bool HandleKey(const Message& message);
    // Shows a choice and reports it as a pick from the list.
    void TakeChoice(const QString& choice);
    QString NextText() const;
    QString PrevText() const;

    QStringList m_choices;
    EditableText m_field;
    Button m_button;
    bool m_editable { true };
};
