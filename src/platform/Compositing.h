#pragma once

// Whether the desktop draws windows through a compositor, so that a translucent window lets
// what lies behind it show through. On X11 that is when a compositing manager owns the
// screen's "_NET_WM_CM_Sn" selection; Wayland and the off-screen platform always composite.
bool DesktopComposites();
