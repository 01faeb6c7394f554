#include "items/NoteItem.h"

#include "items/Canvas.h"

std::vector<Item*> NoteItemsOf(const Canvas& canvas)
{
    std::vector<Item*> items;
    for (const auto& item : canvas.Items())
        if (item->AsNoteItem())
            items.push_back(item.get());
    return items;
}
