#include "app/SwitchWindow.h"

#include <QCheckBox>
#include <QScreen>
#include <QVBoxLayout>

SwitchWindow::SwitchWindow()
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint)
    , m_check(new QCheckBox(QStringLiteral("透過ウィンドウ"), this))
{
    // Frameless, so the title shows nowhere but in window lists.
    setWindowTitle(QStringLiteral("Tessary"));
    m_check->setObjectName(QStringLiteral("SwitchCheck"));
    m_check->setChecked(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_check);
    connect(m_check, &QCheckBox::clicked, this, &SwitchWindow::TurnedOff);
    adjustSize();
}

void SwitchWindow::PlaceAtCorner(const QScreen* screen)
{
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.bottomRight() - QPoint(width(), height()));
}
