#pragma once

#include <QWidget>

class QCheckBox;

// The small always-on-top window that stays clickable while the main window lets the mouse
// through: one check box, checked from the start, whose click turns click-through off again.
class SwitchWindow : public QWidget {
    Q_OBJECT
public:
    SwitchWindow();

    // Places the window at the bottom-right corner of the work area of the screen.
    void PlaceAtCorner(const QScreen* screen);

signals:
    void TurnedOff();

private:
    QCheckBox* m_check { nullptr };
};
