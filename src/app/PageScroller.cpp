#include "app/PageScroller.h"

#include "app/PageCanvasWidget.h"
#include "items/Canvas.h"

#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace {

// A page that is larger than its view by less than this (view pixels) still fits: the scale
// that fits a page to its view does not always give back the view's length exactly.
constexpr float kFitTolerance = 0.5f;
// View pixels the page moves for one step of a bar's arrows.
constexpr int kBarStep = 20;

}

PageScroller::PageScroller(PageCanvasWidget& view, QWidget& parent)
    : QObject(&view)
    , m_view(view)
    , m_horizontal(new QScrollBar(Qt::Horizontal, &parent))
    , m_vertical(new QScrollBar(Qt::Vertical, &parent))
    , m_corner(new QWidget(&parent))
{
    for (QScrollBar* bar : { m_horizontal, m_vertical }) {
        bar->hide();
        bar->setSingleStep(kBarStep);
        // The bars are for the mouse; the keyboard stays with the page.
        bar->setFocusPolicy(Qt::NoFocus);
    }
    m_horizontal->setObjectName(QStringLiteral("PageHorizontalBar"));
    m_vertical->setObjectName(QStringLiteral("PageVerticalBar"));
    m_corner->setAutoFillBackground(true);
    m_corner->hide();
    connect(m_horizontal, &QScrollBar::valueChanged, this, [this](int value) { BarMoved(Qt::Horizontal, value); });
    connect(m_vertical, &QScrollBar::valueChanged, this, [this](int value) { BarMoved(Qt::Vertical, value); });
    // Drags that move the page and wheel turns no item took.
    connect(&view, &PageCanvasWidget::ScrollRequested, this, [this](QPointF delta) { ScrollBy(delta); });
}

Canvas& PageScroller::PageCanvas() const
{
    return m_view.GetCanvas();
}

QSizeF PageScroller::PageSize() const
{
    const Canvas& canvas = PageCanvas();
    return QSizeF(canvas.ReferenceWidth(), canvas.ReferenceHeight());
}

bool PageScroller::NeedsBar(float page, float view, float scale)
{
    return page * scale > view + kFitTolerance;
}

float PageScroller::ScrollInRange(float scroll, float page, float view, float scale)
{
    if (!(scale > 0))
        return scroll;
    const float shown = view / scale;
    if (!NeedsBar(page, view, scale))
        return (page - shown) / 2;
    return std::clamp(scroll, 0.0f, page - shown);
}

bool PageScroller::Place(const QRect& area)
{
    m_area = area;
    const float scale = PageCanvas().EffectiveScale();
    const QSizeF page = PageSize();
    const int bar_width = m_vertical->sizeHint().width();
    const int bar_height = m_horizontal->sizeHint().height();
    // Each bar takes room from the other direction, so a second look may need the other bar.
    bool horizontal = false;
    bool vertical = false;
    for (int pass = 0; pass < 3; ++pass) {
        const float width = static_cast<float>(area.width() - (vertical ? bar_width : 0));
        const float height = static_cast<float>(area.height() - (horizontal ? bar_height : 0));
        horizontal = NeedsBar(static_cast<float>(page.width()), width, scale);
        vertical = NeedsBar(static_cast<float>(page.height()), height, scale);
    }
    // A view too small for its bars shows none.
    if (area.width() <= bar_width || area.height() <= bar_height)
        horizontal = vertical = false;
    const QRect view(area.topLeft(),
        QSize(area.width() - (vertical ? bar_width : 0), area.height() - (horizontal ? bar_height : 0)));
    m_view.setGeometry(view);
    m_horizontal->setGeometry(view.left(), view.bottom() + 1, view.width(), bar_height);
    m_vertical->setGeometry(view.right() + 1, view.top(), bar_width, view.height());
    m_corner->setGeometry(view.right() + 1, view.bottom() + 1, bar_width, bar_height);
    m_horizontal->setVisible(horizontal);
    m_vertical->setVisible(vertical);
    m_corner->setVisible(horizontal && vertical);
    const bool changed = KeepInRange();
    SyncBars();
    return changed;
}

bool PageScroller::KeepInRange()
{
    Canvas& canvas = PageCanvas();
    const float scale = canvas.EffectiveScale();
    const QSizeF page = PageSize();
    const float x = ScrollInRange(canvas.ScrollX(), static_cast<float>(page.width()), static_cast<float>(m_view.width()), scale);
    const float y = ScrollInRange(canvas.ScrollY(), static_cast<float>(page.height()), static_cast<float>(m_view.height()), scale);
    return canvas.SetScroll(x, y);
}

// The bars count view pixels from the page's left or top end.
void PageScroller::SyncBars()
{
    const Canvas& canvas = PageCanvas();
    const float scale = canvas.EffectiveScale();
    if (!(scale > 0))
        return;
    const QSizeF page = PageSize();
    const auto sync = [scale](QScrollBar* bar, double length, int view, float scroll) {
        const QSignalBlocker blocker(bar);
        bar->setRange(0, std::max(0, static_cast<int>(std::ceil(length * scale - view))));
        bar->setPageStep(std::max(1, view));
        bar->setValue(static_cast<int>(std::lround(scroll * scale)));
    };
    sync(m_horizontal, page.width(), m_view.width(), canvas.ScrollX());
    sync(m_vertical, page.height(), m_view.height(), canvas.ScrollY());
}

void PageScroller::BarMoved(Qt::Orientation orientation, int value)
{
    Canvas& canvas = PageCanvas();
    const float scale = canvas.EffectiveScale();
    if (!(scale > 0))
        return;
    const QScrollBar* bar = orientation == Qt::Horizontal ? m_horizontal : m_vertical;
    const QSizeF page = PageSize();
    const float length = static_cast<float>(orientation == Qt::Horizontal ? page.width() : page.height());
    const float view = static_cast<float>(orientation == Qt::Horizontal ? m_view.width() : m_view.height());
    // The bar's ends are the page's ends exactly, whatever the rounding of the pixels between.
    float scroll = static_cast<float>(value) / scale;
    if (value >= bar->maximum())
        scroll = length - view / scale;
    if (orientation == Qt::Horizontal)
        canvas.SetScroll(scroll, canvas.ScrollY());
    else
        canvas.SetScroll(canvas.ScrollX(), scroll);
    KeepInRange();
    Repaint();
}

bool PageScroller::ScrollBy(QPointF view_delta)
{
    Canvas& canvas = PageCanvas();
    const float scale = canvas.EffectiveScale();
    if (!(scale > 0))
        return false;
    return ScrollTo(QPointF(canvas.ScrollX() - view_delta.x() / scale, canvas.ScrollY() - view_delta.y() / scale));
}

bool PageScroller::ScrollTo(QPointF page_point)
{
    Canvas& canvas = PageCanvas();
    const float before_x = canvas.ScrollX();
    const float before_y = canvas.ScrollY();
    canvas.SetScroll(static_cast<float>(page_point.x()), static_cast<float>(page_point.y()));
    KeepInRange();
    if (canvas.ScrollX() == before_x && canvas.ScrollY() == before_y)
        return false;
    SyncBars();
    Repaint();
    return true;
}

bool PageScroller::ZoomAbout(float zoom, QPointF view_point)
{
    Canvas& canvas = PageCanvas();
    const QPointF page_point = canvas.ToPage(view_point);
    const float before_x = canvas.ScrollX();
    const float before_y = canvas.ScrollY();
    const bool zoomed = canvas.SetZoom(zoom);
    // The bars the new scale needs change the view's size, not its top left corner, so the view
    // point stays where it is.
    Place(m_area);
    const float scale = canvas.EffectiveScale();
    if (scale > 0) {
        canvas.SetScroll(static_cast<float>(page_point.x() - (view_point.x() - canvas.OriginX()) / scale),
            static_cast<float>(page_point.y() - (view_point.y() - canvas.OriginY()) / scale));
        KeepInRange();
        SyncBars();
    }
    const bool changed = zoomed || canvas.ScrollX() != before_x || canvas.ScrollY() != before_y;
    if (changed)
        Repaint();
    return changed;
}

float PageScroller::FitZoom(const QRect& area) const
{
    const Canvas& canvas = PageCanvas();
    const QSizeF page = PageSize();
    if (!(page.width() > 0) || !(page.height() > 0) || area.isEmpty())
        return canvas.Zoom();
    const double fit = std::min(area.width() / page.width(), area.height() / page.height());
    // The zoom is a factor on the scale the page's resolution gives.
    const double per_zoom = canvas.Dpi() > 0 ? canvas.ScreenDpi() / canvas.Dpi() : 1.0;
    return static_cast<float>(std::clamp(fit / per_zoom, double(Canvas::kMinZoom), double(Canvas::kMaxZoom)));
}

void PageScroller::Repaint()
{
    Canvas& canvas = PageCanvas();
    canvas.RenderVisibleArea(OpaqueShortcut::On);
    canvas.Present(PresentScope::All, UpdateTiming::Now);
}
