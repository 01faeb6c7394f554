#include "platform/Compositing.h"

#include <QByteArray>
#include <QGuiApplication>

#if __has_include(<xcb/xcb.h>) && QT_CONFIG(xcb)
#define TESSARY_HAS_XCB 1
#include <xcb/xcb.h>
#endif

namespace {

#ifdef TESSARY_HAS_XCB
// The screen number of the X display name ("host:display.screen"), 0 when it has none.
int ScreenNumber()
{
    const QByteArray display = qgetenv("DISPLAY");
    const int colon = display.lastIndexOf(':');
    const int dot = display.indexOf('.', colon + 1);
    return colon >= 0 && dot > colon ? display.mid(dot + 1).toInt() : 0;
}

bool X11Composites(xcb_connection_t* connection)
{
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(ScreenNumber());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t* owner
        = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (!owner)
        return false;
    const bool owned = owner->owner != XCB_NONE;
    free(owner);
    return owned;
}
#endif

}

bool DesktopComposites()
{
#ifdef TESSARY_HAS_XCB
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        if (xcb_connection_t* connection = x11->connection())
            return X11Composites(connection);
#endif
    return true;
}
