#include "ui/desktop/bell.hpp"

#include <QApplication>

#include <canberra.h>
#include <system_error>
#include <thread>

#include "gtk-shell-bell-client.h"
#include "ui/desktop/wayland_client.hpp"

namespace tavix::ui::desktop {

namespace {

// Qt's bell: on X11, the X server's (xcb_bell); elsewhere whatever Qt's platform has.
class ToolkitBell : public Bell {
  public:
    void ring() override { QApplication::beep(); }
};

// GNOME's: mutter rings it with the user's settings (sound, visual flash, off).
class ShellBell : public Bell {
  public:
    explicit ShellBell(WaylandClient& client) : client_(client) {}
    void ring() override {
        gtk_shell1_system_bell(client_.gtkShell(), nullptr);
        client_.flush();
    }

  private:
    WaylandClient& client_;
};

// The sound theme's bell, as GTK programs ring it where the compositor has none.
class SoundThemeBell : public Bell {
  public:
    void ring() override {
        // Made once and kept to the end of the program, which may end while a bell sounds.
        static ca_context* const context = [] {
            ca_context* made = nullptr;
            return ca_context_create(&made) == CA_SUCCESS ? made : nullptr;
        }();
        if (context == nullptr) {
            return;
        }
        // Without a sound server the sound is played on the caller's thread, to its end:
        // not on the window's.
        // With no thread to be had (little memory) the bell stays silent; the hold goes on.
        try {
            std::thread([] {
                ca_context_play(context, 0, CA_PROP_EVENT_ID, "bell-window-system",
                                CA_PROP_EVENT_DESCRIPTION, "Sinal sonoro", nullptr);
            }).detach();
        } catch (const std::system_error&) {
        }
    }
};

}  // namespace

std::unique_ptr<Bell> makeBell() {
    if (WaylandClient* client = WaylandClient::get()) {
        if (client->gtkShell() != nullptr) {
            return std::make_unique<ShellBell>(*client);
        }
        return std::make_unique<SoundThemeBell>();
    }
    return std::make_unique<ToolkitBell>();
}

}  // namespace tavix::ui::desktop
