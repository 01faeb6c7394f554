#pragma once

#include "items/Canvas.h"

#include <QString>
#include <memory>
#include <span>

class KeyValueStore;

// The tables that turn a section name of a layout or a note page into an item. Each canvas
// kind accepts its own set of names; a widget behaves the same whatever canvas hosts it.
// Names are compared exactly.
class ItemFactories {
public:
    // Makes an item for a canvas; nothing when the name is not in the table.
    using Maker = std::unique_ptr<Item> (*)(Canvas& canvas);

    struct Entry {
        const char* section_name;
        // Null while the kind is not built yet: the name is known and creates nothing.
        Maker make;
    };

    // The table of a canvas kind, in its documented order.
    static std::span<const Entry> Table(CanvasKind kind);
    static std::unique_ptr<Item> MakeItem(CanvasKind kind, Canvas& canvas, const QString& section_name);
    // Installs the tables as the canvases' factories, once for the process.
    static void RegisterAll();

    // The canvas's add-from-section with the tables installed: makes the item a section names,
    // lets it read the section and adds it on top of the canvas; the pseudo-section "Viewer"
    // sets the canvas's group and dpi instead. Returns whether an item was added.
    static bool AddFromSection(Canvas& canvas, const QString& section_name, const KeyValueStore& store);
};
