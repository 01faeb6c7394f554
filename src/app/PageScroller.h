#pragma once

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QSizeF>

class Canvas;
class PageCanvasWidget;
class QScrollBar;
class QWidget;

// How the page sits in its view. Along an axis where the page is larger than the view it
// scrolls, with a scroll bar beside the view; along an axis where it fits it is centred. The
// canvas's scroll (the page point at the view's top left corner) is the one place the position
// is kept, to a fraction of a pixel; the bars follow it in whole view pixels.
class PageScroller : public QObject {
    Q_OBJECT
public:
    // The bars are made as children of the parent, beside the view.
    PageScroller(PageCanvasWidget& view, QWidget& parent);

    // Places the view in the area (parent coordinates) with the bars the page needs at the
    // canvas's scale, and brings the scroll into range. Returns whether the scroll changed.
    bool Place(const QRect& area);
    // Moves the page with the pointer by a distance in view pixels, as far as it can go.
    bool ScrollBy(QPointF view_delta);
    // Shows the page point at the view's top left corner, as far as the page allows.
    bool ScrollTo(QPointF page_point);
    // Sets the zoom, keeping the page point under the view point where it is (as far as the
    // page allows). Returns whether the zoom or the scroll changed.
    bool ZoomAbout(float zoom, QPointF view_point);
    // The zoom at which the whole page fits the area without bars, within the canvas's limits.
    float FitZoom(const QRect& area) const;

    const QRect& Area() const { return m_area; }
    QScrollBar& HorizontalBar() const { return *m_horizontal; }
    QScrollBar& VerticalBar() const { return *m_vertical; }

    // Where the page is along one axis: centred when the page (page units) fits the view
    // (view pixels) at the scale, else the scroll kept between the page's two ends.
    static float ScrollInRange(float scroll, float page, float view, float scale);
    // Whether a page length needs a bar in a view length at the scale.
    static bool NeedsBar(float page, float view, float scale);

private:
    Canvas& PageCanvas() const;
    QSizeF PageSize() const;
    bool KeepInRange();
    void SyncBars();
    void BarMoved(Qt::Orientation orientation, int value);
    void Repaint();

    PageCanvasWidget& m_view;
    QScrollBar* m_horizontal { nullptr };
    QScrollBar* m_vertical { nullptr };
    QWidget* m_corner { nullptr };
    QRect m_area;
};
