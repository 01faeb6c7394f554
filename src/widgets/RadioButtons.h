#pragma once

#include "widgets/InteractiveItem.h"
#include "widgets/RadioButton.h"

#include <memory>
#include <vector>

// A group of radio buttons of which a click selects one. The owner reads "SelectedIndex".
class RadioButtons : public InteractiveItem {
public:
    explicit RadioButtons(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    bool SetProperty(const QString& key, const QString& value) override;
    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    bool GetProperty(const QString& key, QString& value) const override;
    bool HandleMessage(const Message& message, QPointF page_point) override;
    bool AcceptsFocus() const override { return true; }

    int Count() const { return int(m_buttons.size()); }
    const RadioButton& ButtonAt(int index) const { return *m_buttons[size_t(index)]; }
    // The first selected button, or -1.
    int SelectedIndex() const;
    // Selects the button at index and deselects the others; an index outside the list
    // deselects all. Returns whether any button changed.
    bool Select(int index);

private:
    bool HandleClick(QPointF page_point);
    bool HandleKey(const Message& message);
    void AddButton(const QString& name, const KeyValueStore& store);

    std::vector<std::unique_ptr<RadioButton>> m_buttons;
};
