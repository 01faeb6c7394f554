#include "app/ViewState.h"

#include <algorithm>

namespace {

int GreyLevel(int level)
{
    return std::clamp(level, 0, 255);
}

}

template <typename Value>
bool ViewState::Change(Value& member, Value value, void (ViewState::*changed)())
{
    if (member == value)
        return false;
    member = value;
    emit(this->*changed)();
    return true;
}

bool ViewState::SetZoomMode(ZoomMode mode) { return Change(m_zoom_mode, mode, &ViewState::ZoomChanged); }
bool ViewState::SetZoom(float zoom) { return Change(m_zoom, zoom, &ViewState::ZoomChanged); }
bool ViewState::SetDpi(int dpi) { return Change(m_dpi, dpi, &ViewState::DpiChanged); }
bool ViewState::SetPageSize(QSize size) { return Change(m_page_size, size, &ViewState::PageSizeChanged); }
bool ViewState::SetGridVisible(bool visible) { return Change(m_grid_visible, visible, &ViewState::GridChanged); }
bool ViewState::SetGridDivisions(int divisions) { return Change(m_grid_divisions, std::max(divisions, 0), &ViewState::GridChanged); }
bool ViewState::SetSnap(bool on) { return Change(m_snap, on, &ViewState::SnapChanged); }
bool ViewState::SetLocked(bool locked) { return Change(m_locked, locked, &ViewState::LockChanged); }
bool ViewState::SetBackgroundLevel(int level) { return Change(m_background_level, GreyLevel(level), &ViewState::ColoursChanged); }
bool ViewState::SetFrameLevel(int level) { return Change(m_frame_level, GreyLevel(level), &ViewState::ColoursChanged); }
