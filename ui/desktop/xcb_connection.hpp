// The few calls on Qt's X11 connection that the desktop layer makes in more than one place.
#pragma once

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace tavix::ui::x11 {

// A reply of the X server, freed as XCB asks.
template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

// Qt's connection to the X server; nullptr when the program does not run on X11.
inline xcb_connection_t* connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The atom named `name`, made if need be; XCB_ATOM_NONE when the server does not answer.
inline xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const Owned<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace tavix::ui::x11
