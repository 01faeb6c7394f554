#pragma once

#include <QString>

#include <vector>

class Canvas;
class Item;
struct Message;

// What the note asks of an item that belongs to a page rather than to the page's frame or to
// a layout: an image, a text, a Mandelbrot picture, or a section kept as it was read. Every
// item saves its own section through Item::Save; this adds what the note and the window need
// beyond that, so that neither has to know which kind of page item it holds. An item answers
// to it through Item::AsNoteItem.
class NoteItem {
public:
    virtual ~NoteItem() = default;

    // Takes the item off its page and reports the change, which makes one undo step. When the
    // canvas is not routing a message the item is destroyed on return.
    virtual void RemoveFromPage() = 0;
    // The lines the window's status field shows for the item; empty when it has none.
    virtual QString StatusText() const = 0;
    // Shows the item's context menu for a right click (the message's point, in the canvas
    // window) and runs the chosen entry. False when the item has no menu. The item may be
    // gone afterwards.
    virtual bool ShowContextMenu(const Message& message) = 0;
    // The image file the item shows, as loaded (absolute); empty when it shows none.
    virtual QString ImageFile() const = 0;
};

// The note items of a canvas in painting order, bottom first. On a page canvas these are the
// page's own items; the page frame below them (background, grid, margins) is not among them,
// however many items it has.
std::vector<Item*> NoteItemsOf(const Canvas& canvas);
