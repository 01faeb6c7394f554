#pragma once

class QPainter;
class QRectF;

// The dotted frame inside the bounds of the widget that has the keyboard focus in a dialog.
class FocusFrame {
public:
    // How far inside the bounds the frame runs, in page units.
    static constexpr double kInset = 2;

    static void Draw(QPainter& painter, const QRectF& bounds);
};
