#pragma once

#include <QRectF>

class Item;

// Positions a widget that another widget draws (a caption, a bevel, a part) on a rectangle in
// page coordinates, by overwriting its four primary anchors. Returns whether they changed.
bool PlaceItem(Item& item, const QRectF& rect);
