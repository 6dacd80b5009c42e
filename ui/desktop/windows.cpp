#include "ui/desktop/windows.hpp"

#include <QWidget>
#include <QWindow>

#include "ui/desktop/wayland_client.hpp"
#include "ui/desktop/x11_window_hints.hpp"

namespace tavix::ui::desktop {

void activate(QWidget* window) {
    window->raise();
    WaylandClient* client = WaylandClient::get();
    if (client != nullptr && window->windowHandle() != nullptr &&
        client->activate(window->windowHandle())) {
        return;
    }
    window->activateWindow();
}

void setOwner(QWidget* window, QWidget* owner) {
    x11::makeDialogOf(window, owner);
    if (WaylandClient::get() == nullptr || owner == nullptr || owner->windowHandle() == nullptr) {
        return;
    }
    // Qt's Wayland platform names the transient parent of a window as its parent when it
    // makes its toplevel, as it is first shown.
    window->winId();
    window->windowHandle()->setTransientParent(owner->windowHandle());
}

bool titleBarsLeftToPrograms() {
    const WaylandClient* client = WaylandClient::get();
    return client != nullptr && !client->offers("zxdg_decoration_manager_v1");
}

}  // namespace tavix::ui::desktop
