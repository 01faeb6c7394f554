#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringView>

#include <array>

// The quantities an anchor is resolved against, all in page coordinates: the layout size of
// the canvas and its visible area.
struct AnchorReference {
    float layout_width { 0 };
    float layout_height { 0 };
    float visible_left { 0 };
    float visible_top { 0 };
    float visible_right { 0 };
    float visible_bottom { 0 };
};

// An anchor is a letter naming the reference line and a number, in pixels or, when it ends in
// "%", in percent of the layout size. item_left / item_top is the item's own resolved left or
// top edge, the reference of the "W" and "H" letters.
float ResolveAnchorX(QStringView anchor, const AnchorReference& reference, float item_left);
float ResolveAnchorY(QStringView anchor, const AnchorReference& reference, float item_top);

// The item placed before the one being read: its bounds and its primary anchors.
struct RelativeReference {
    QRectF bounds;
    std::array<QString, 4> anchors;
};

// Turns one RelPos field for edge (0 left, 1 top, 2 right, 3 bottom) into an anchor. A null
// reference means the canvas holds no item yet; the field is then kept as it is.
QString ConvertRelativeAnchor(int edge, const QString& field, const RelativeReference* reference);

// Primary left, top, right, bottom, then the secondary four.
using Anchors = std::array<QString, 8>;

// Anchors the primary edges to the canvas's top left corner at the given rectangle. Returns
// whether any anchor text changed.
bool SetBoundsAsAnchors(Anchors& anchors, const QRectF& bounds);

// Fills an empty primary right anchor with the image's width and an empty primary bottom
// anchor with its height. Returns whether any anchor was filled.
bool ApplyNaturalSize(Anchors& anchors, const QSizeF& image_size);

enum class Alignment { Near = 0, Centre = 1, Far = 2 };

// "R" and "B" are far, "C" is centre, anything else near.
Alignment AlignmentFromWord(QStringView word);

// The letter and number text of one anchor, as the position fields of a dialog edit them.
struct AnchorParts {
    QChar letter;
    QString number;
};
AnchorParts SplitAnchor(int edge, QStringView anchor);
