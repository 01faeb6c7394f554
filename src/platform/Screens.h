#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class QWidget;

struct MonitorInfo {
    QRect monitor {};
    QRect work_area {};
    QString device_name {};
    QString description {}; // manufacturer and model, where the system tells them
    bool primary { false };
};

// The monitors in the system's order.
std::vector<MonitorInfo> Monitors();

// The screen's logical dots per inch; 96 when there is no screen.
int ScreenDpi();

// Where a window of the given size goes when centred on the reference rectangle: centred
// (halves rounded down), then moved left and up so it does not stick out past the right and
// bottom of the work area, then right and down so it starts inside its left and top.
QPoint CenteredPosition(QSize size, const QRect& reference, const QRect& work_area);

// Centres a window without resizing or activating it: a child in its parent's client area;
// a top-level window over its owner when the owner is shown and not minimised, otherwise in
// the work area of its screen.
void CenterWindow(QWidget* window);
