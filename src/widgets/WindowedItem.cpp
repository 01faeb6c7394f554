#include "widgets/WindowedItem.h"

#include "items/Canvas.h"

WindowedItem::WindowedItem(Canvas& canvas, Hosting hosting)
    : InteractiveItem(canvas, hosting)
{
    if (hosting == Hosting::Canvas)
        canvas.AddWindowedItem(this);
}
