#pragma once

#include "items/PlacedItem.h"

class QPainterPath;

// A bevelled frame along the inside of the item's rectangle, each side in its own colour,
// with optionally rounded corners. Each rounded corner is drawn as two halves, each in the
// colour of its side. Buttons, check boxes, sliders and progress bars recolour it by style.
class Edge : public PlacedItem {
public:
    enum class Style { None = 0, Light = 1, Dark = 2, Raised = 3, Sunken = 4 };

    explicit Edge(Canvas& canvas);

    bool Draw(QPainter& painter, const QRectF& clip) override;
    bool ReadSection(const KeyValueStore& store) override;
    // Appends the rounded rectangle the frame encloses, for owners that fill or clip a face.
    virtual void AddShapePath(QPainterPath& path) const;

    bool SetStyle(Style style);
    bool SetColors(quint32 top, quint32 left, quint32 bottom, quint32 right);
    bool SetAllColors(quint32 argb);
    bool SetRadii(float top_left, float top_right, float bottom_left, float bottom_right);
    bool SetPenWidth(float width);

    quint32 TopColor() const { return m_top_color; }
    quint32 LeftColor() const { return m_left_color; }
    quint32 BottomColor() const { return m_bottom_color; }
    quint32 RightColor() const { return m_right_color; }
    float PenWidth() const { return m_width; }

private:
    quint32 m_top_color { 0 };
    quint32 m_left_color { 0 };
    quint32 m_bottom_color { 0 };
    quint32 m_right_color { 0 };
    float m_radius_top_left { 0 };
    float m_radius_bottom_left { 0 };
    float m_radius_top_right { 0 };
    float m_radius_bottom_right { 0 };
    float m_width { 1 };
};
