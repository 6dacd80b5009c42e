#include "ui/desktop/wayland_client.hpp"

#include <QGuiApplication>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <algorithm>
#include <cstring>
#include <unistd.h>
#include <wayland-client.h>

#include "gtk-shell-bell-client.h"
#include "xdg-activation-v1-client.h"

namespace tavix::ui::desktop {

namespace {

// Nothing of the program's uses these versions' later additions.
constexpr std::uint32_t kSeatVersion = 5;

wl_surface* surfaceOf(QWindow* window) {
    if (window == nullptr || window->handle() == nullptr) {
        return nullptr;
    }
    return static_cast<wl_surface*>(
        QGuiApplication::platformNativeInterface()->nativeResourceForWindow("surface", window));
}

WaylandClient* self(void* data) {
    return static_cast<WaylandClient*>(data);
}

}  // namespace

// The listeners reach the client's private members through these friends' tables.
struct WaylandClientListeners {
    static constexpr wl_registry_listener registry{
        .global =
            [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) { self(data)->global(registry, name, interface, version); },
        .global_remove = [](void*, wl_registry*, std::uint32_t) {},
    };

    static constexpr wl_seat_listener seat{
        .capabilities =
            [](void* data, wl_seat*, std::uint32_t capabilities) {
                self(data)->seatCapabilities(capabilities);
            },
        .name = [](void*, wl_seat*, const char*) {},
    };

    static constexpr wl_keyboard_listener keyboard{
        .keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd,
                     std::uint32_t) { close(fd); },
        .enter =
            [](void* data, wl_keyboard*, std::uint32_t serial, wl_surface* surface, wl_array*) {
                self(data)->focus_ = {surface, serial};
            },
        .leave =
            [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
                if (self(data)->focus_.surface == surface || surface == nullptr) {
                    self(data)->focus_ = {};
                }
            },
        .key = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                  std::uint32_t) {},
        .modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                        std::uint32_t, std::uint32_t) {},
        .repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {},
    };

    static constexpr xdg_activation_token_v1_listener token{
        .done = [](void* data, xdg_activation_token_v1*,
                   const char* token) { *static_cast<std::string*>(data) = token; },
    };
};

WaylandClient* WaylandClient::get() {
    // Made once and kept: its objects end with the connection, when the program ends.
    static WaylandClient* const client = []() -> WaylandClient* {
        if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
            return nullptr;
        }
        auto* display = static_cast<wl_display*>(
            QGuiApplication::platformNativeInterface()->nativeResourceForIntegration("wl_display"));
        return display != nullptr ? new WaylandClient(display) : nullptr;
    }();
    return client;
}

WaylandClient::WaylandClient(wl_display* display)
    : display_(display), queue_(wl_display_create_queue(display)) {
    // The registry is made through a wrapper of the display on this queue, so that its events,
    // and those of every object bound from it, come to this queue alone.
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue_);
    registry_ = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry_, &WaylandClientListeners::registry, this);
    // The globals; the seat's capabilities, which bring its keyboard; then the keyboard's
    // word of which surface has its focus now.
    for (int round = 0; round < 3; ++round) {
        wl_display_roundtrip_queue(display_, queue_);
    }
}

void WaylandClient::global(wl_registry* registry, std::uint32_t name, const char* interface,
                           std::uint32_t version) {
    globals_.emplace_back(interface);
    const std::string_view named(interface);
    if (named == wl_seat_interface.name && seat_ == nullptr) {
        seat_ = static_cast<wl_seat*>(
            wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, kSeatVersion)));
        wl_seat_add_listener(seat_, &WaylandClientListeners::seat, this);
    } else if (named == xdg_activation_v1_interface.name) {
        activation_ = static_cast<xdg_activation_v1*>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
    } else if (named == gtk_shell1_interface.name) {
        gtkShell_ =
            static_cast<gtk_shell1*>(wl_registry_bind(registry, name, &gtk_shell1_interface, 1));
    }
}

void WaylandClient::seatCapabilities(std::uint32_t capabilities) {
    const bool hasKeyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (hasKeyboard && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &WaylandClientListeners::keyboard, this);
    } else if (!hasKeyboard && keyboard_ != nullptr) {
        if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
            wl_keyboard_release(keyboard_);
        } else {
            wl_keyboard_destroy(keyboard_);
        }
        keyboard_ = nullptr;
        focus_ = {};
    }
}

bool WaylandClient::offers(const char* name) const {
    return std::find(globals_.begin(), globals_.end(), name) != globals_.end();
}

void WaylandClient::flush() {
    wl_display_flush(display_);
}

QWindow* WaylandClient::focusWindow() {
    if (focus_.surface == nullptr) {
        return nullptr;
    }
    // Only a surface that is still one of the program's windows: one that was just hidden may
    // be gone before the compositor's word of its leaving has come.
    const QWindowList windows = QGuiApplication::topLevelWindows();
    const auto found = std::find_if(windows.begin(), windows.end(), [this](QWindow* window) {
        return window->isVisible() && surfaceOf(window) == focus_.surface;
    });
    return found != windows.end() ? *found : nullptr;
}

bool WaylandClient::activate(QWindow* target) {
    // The word of the focus sent to Qt's keyboard may have been read without that sent to this
    // one: a round trip brings everything the compositor has sent so far.
    if (wl_display_roundtrip_queue(display_, queue_) < 0) {
        return false;
    }
    wl_surface* surface = surfaceOf(target);
    QWindow* focused = focusWindow();
    if (surface == nullptr || focused == nullptr) {
        return false;
    }
    if (focused == target) {
        return true;
    }
    if (activation_ == nullptr || seat_ == nullptr) {
        return false;
    }
    // mutter grants a token asked for the surface with the keyboard focus with the serial of
    // its entering, for as long as that surface keeps the focus; kwin, one asked for the
    // active window's surface.
    std::string token;
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(activation_);
    xdg_activation_token_v1_add_listener(request, &WaylandClientListeners::token, &token);
    xdg_activation_token_v1_set_serial(request, focus_.serial, seat_);
    xdg_activation_token_v1_set_surface(request, focus_.surface);
    xdg_activation_token_v1_commit(request);
    // The compositor answers a commit at once: a round trip brings the token.
    for (int round = 0; round < 3 && token.empty(); ++round) {
        if (wl_display_roundtrip_queue(display_, queue_) < 0) {
            break;
        }
    }
    xdg_activation_token_v1_destroy(request);
    if (token.empty()) {
        return false;
    }
    xdg_activation_v1_activate(activation_, token.c_str(), surface);
    flush();
    return true;
}

}  // namespace tavix::ui::desktop
