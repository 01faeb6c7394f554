#include "widgets/Placement.h"

#include "items/Item.h"
#include "text/ValueForms.h"

bool PlaceItem(Item& item, const QRectF& rect)
{
    bool changed = item.SetAnchor(Item::kLeft, QLatin1Char('L') + FormatFixed(rect.left()));
    changed |= item.SetAnchor(Item::kTop, QLatin1Char('T') + FormatFixed(rect.top()));
    changed |= item.SetAnchor(Item::kRight, QLatin1Char('W') + FormatFixed(rect.width()));
    changed |= item.SetAnchor(Item::kBottom, QLatin1Char('H') + FormatFixed(rect.height()));
    return changed;
}
