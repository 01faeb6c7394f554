#pragma once

#include "widgets/InteractiveItem.h"

// An interactive widget that owns a native child window. Hosted by the canvas it is also one
// of the canvas's windowed items, whose Synchronise the canvas calls when it presents.
class WindowedItem : public InteractiveItem {
public:
    explicit WindowedItem(Canvas& canvas, Hosting hosting = Hosting::Canvas);
};
