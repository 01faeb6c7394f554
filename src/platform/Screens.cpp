#include "platform/Screens.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <QWidget>

namespace {

constexpr int kDefaultDpi = 96;

// The rectangle's centre as integer pixels, with an exclusive right and bottom edge.
QPoint CentreOf(const QRect& rect)
{
    return QPoint((2 * rect.left() + rect.width()) / 2, (2 * rect.top() + rect.height()) / 2);
}

int Clamp(int start, int length, int area_start, int area_length)
{
    if (start + length > area_start + area_length)
        start = area_start + area_length - length;
    if (start < area_start)
        start = area_start;
    return start;
}

QScreen* ScreenOf(const QWidget* widget)
{
    QScreen* screen = widget->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

}

std::vector<MonitorInfo> Monitors()
{
    std::vector<MonitorInfo> monitors;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        MonitorInfo info;
        info.monitor = screen->geometry();
        info.work_area = screen->availableGeometry();
        info.device_name = screen->name();
        info.description = QStringList { screen->manufacturer(), screen->model() }.join(QLatin1Char(' ')).trimmed();
        info.primary = screen == primary;
        monitors.push_back(info);
    }
    return monitors;
}

int ScreenDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return kDefaultDpi;
    return qRound(screen->logicalDotsPerInchX());
}

QPoint CenteredPosition(QSize size, const QRect& reference, const QRect& work_area)
{
    const QPoint centre = CentreOf(reference);
    const int x = Clamp(centre.x() - size.width() / 2, size.width(), work_area.left(), work_area.width());
    const int y = Clamp(centre.y() - size.height() / 2, size.height(), work_area.top(), work_area.height());
    return QPoint(x, y);
}

void CenterWindow(QWidget* window)
{
    if (!window)
        return;
    const QSize size = window->frameGeometry().size();
    QWidget* parent = window->parentWidget();
    if (parent && !window->isWindow()) {
        window->move(CenteredPosition(size, parent->rect(), parent->rect()));
        return;
    }
    const bool over_owner = parent && parent->isVisible() && !parent->isMinimized();
    QScreen* screen = ScreenOf(over_owner ? parent->window() : window);
    const QRect work_area = screen ? screen->availableGeometry() : QRect();
    const QRect reference = over_owner ? parent->window()->frameGeometry() : work_area;
    window->move(CenteredPosition(size, reference, work_area));
}
