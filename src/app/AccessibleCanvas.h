#pragma once

class CanvasWidget;
class Item;
class QString;

// The program draws its windows' widgets and the page's items itself; this shows them to
// assistive technology (screen readers over AT-SPI) as Qt accessible objects: every canvas
// window is a pane whose children are the items that describe themselves (buttons, check
// boxes, texts, fields, sliders, pictures), with their names, values, states and places on
// the screen, and buttons that can be pressed.
namespace AccessibleCanvas {

// Installs the accessible objects for canvas windows; later calls do nothing.
void Install();

// Tells assistive technology that the item of the window that takes keys changed; nothing when
// none listens.
void AnnounceFocus(CanvasWidget& widget, const Item* item);

// The name a window or a bar's widget is known by when it shows no text of its own.
QString NameOf(const QString& object_or_item_name);

}
