#include "platform/SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QPalette::ColorRole RoleOf(SystemColor color)
{
    switch (color) {
    case SystemColor::ButtonFace:
        return QPalette::Button;
    case SystemColor::ButtonShadow:
        return QPalette::Dark;
    case SystemColor::Light3D:
        return QPalette::Midlight;
    case SystemColor::ButtonHighlight:
        return QPalette::Light;
    case SystemColor::Highlight:
        return QPalette::Highlight;
    }
    return QPalette::Button;
}

// The classic desktop colours, used when no GUI application (and so no palette) exists.
quint32 FallbackArgb(SystemColor color)
{
    switch (color) {
    case SystemColor::ButtonFace:
        return 0xfff0f0f0;
    case SystemColor::ButtonShadow:
        return 0xffa0a0a0;
    case SystemColor::Light3D:
        return 0xffe3e3e3;
    case SystemColor::ButtonHighlight:
        return 0xffffffff;
    case SystemColor::Highlight:
        return 0xff0078d7;
    }
    return 0xff000000;
}

}

quint32 SystemColorArgb(SystemColor color)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return FallbackArgb(color);
    return QGuiApplication::palette().color(QPalette::Active, RoleOf(color)).rgb() | 0xff000000u;
}
