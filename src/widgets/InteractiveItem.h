#pragma once

#include "items/ItemEvent.h"
#include "items/PlacedItem.h"

#include <functional>

// Whether a widget is an item of its canvas or a part embedded in another widget.
enum class Hosting { Canvas, Part };

// The base of the widgets that take input. A widget hosted by the canvas is one of the
// canvas's input items. A part (the field and the drop-down button of a choice field, the
// editor of an editable text) is unknown to the canvas: its owner hands it the messages, it
// follows the owner's visibility and group, and its item events go to the owner.
class InteractiveItem : public PlacedItem {
public:
    using EventOwner = std::function<void(const ItemEvent&)>;

    explicit InteractiveItem(Canvas& canvas, Hosting hosting = Hosting::Canvas);

    Hosting GetHosting() const { return m_hosting; }
    // For parts: the widget they belong to, and where their events go.
    void SetOwner(const InteractiveItem* owner, EventOwner events);

    // Enabled, visible and in the canvas's current group; for a part, its owner too.
    bool IsShownWithOwner() const;
    // Visible and in the canvas's current group; for a part, its owner too.
    bool IsVisibleInGroup() const;

protected:
    // Sends an item event under the item's name, to the canvas or to the owner.
    void Notify(int code);
    // Renders the item's bounds into the back buffer and presents them at once.
    void Repaint();

private:
    Hosting m_hosting;
    const InteractiveItem* m_owner { nullptr };
    EventOwner m_events;
};
