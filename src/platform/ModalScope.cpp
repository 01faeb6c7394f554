#include "platform/ModalScope.h"

#include <QApplication>

#include <vector>

namespace {

int s_depth = 0;

std::vector<std::function<void()>>& OpenHandlers()
{
    static std::vector<std::function<void()>> handlers;
    return handlers;
}

}

ModalScope::ModalScope()
    : m_active_window(QApplication::activeWindow())
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    if (QWidget* grabber = QWidget::keyboardGrabber())
        grabber->releaseKeyboard();
    ++s_depth;
    for (const auto& handler : OpenHandlers())
        handler();
}

ModalScope::~ModalScope()
{
    --s_depth;
    if (m_active_window && m_active_window->isVisible() && !m_active_window->isActiveWindow())
        m_active_window->activateWindow();
}

bool ModalScope::IsOpen()
{
    return s_depth > 0;
}

void ModalScope::AddOpenHandler(std::function<void()> handler)
{
    OpenHandlers().push_back(std::move(handler));
}
