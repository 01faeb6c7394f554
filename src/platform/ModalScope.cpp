#include "platform/ModalScope.h"

#include <QWidget>

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
}

bool ModalScope::IsOpen()
{
    return s_depth > 0;
}

void ModalScope::AddOpenHandler(std::function<void()> handler)
{
    OpenHandlers().push_back(std::move(handler));
}
