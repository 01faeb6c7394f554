#pragma once

#include <QtGlobal>

// The desktop colours the interface borrows.
enum class SystemColor { ButtonFace, ButtonShadow, Light3D, ButtonHighlight, Highlight };

// The colour as opaque ARGB, taken from the application palette. Without a running
// QGuiApplication fixed greys stand in.
quint32 SystemColorArgb(SystemColor color);
