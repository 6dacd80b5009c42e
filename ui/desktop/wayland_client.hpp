// The program's own part of the Wayland connection that Qt opened: the few things it asks of
// the compositor that Qt 6.4 does not (GNOME's bell, an activation the compositor grants).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QWindow;
struct gtk_shell1;
struct wl_display;
struct wl_event_queue;
struct wl_keyboard;
struct wl_registry;
struct wl_seat;
struct wl_surface;
struct xdg_activation_v1;

namespace tavix::ui::desktop {

// Its objects live on an event queue of their own, which Qt never dispatches: Qt's objects
// and this program's do not meet. Among them a keyboard of the seat, which is told, like
// Qt's, which surface holds the keyboard focus and the serial of the moment it got it: what
// the compositor asks to see before it activates a window on a program's request.
class WaylandClient {
  public:
    // The program's client, made on first use; nullptr when the program does not run on Qt's
    // Wayland platform. It lasts as long as the connection, to the end of the program.
    static WaylandClient* get();

    WaylandClient(const WaylandClient&) = delete;
    WaylandClient& operator=(const WaylandClient&) = delete;

    // Whether the compositor offers the global interface named `name` (one of the registry).
    bool offers(const char* name) const;

    // GNOME's shell extension, whose bell the desktop rings as the user has set it; nullptr
    // where the compositor has none.
    gtk_shell1* gtkShell() const { return gtkShell_; }

    // Asks the compositor to activate `target` with an activation token asked for the
    // program's window that holds the keyboard focus, with the serial of the moment it got
    // it. True when asked (the compositor decides), or when `target` holds the focus already;
    // false when it cannot be asked: no activation protocol, or no window of the program
    // holds the keyboard focus.
    bool activate(QWindow* target);

    // Sends what is waiting to be sent.
    void flush();

    // What the keyboard was last told: the surface with the focus (nullptr: none of the
    // program's) and the serial of its entering.
    struct Focus {
        wl_surface* surface = nullptr;
        std::uint32_t serial = 0;
    };

  private:
    friend struct WaylandClientListeners;

    explicit WaylandClient(wl_display* display);
    void global(wl_registry* registry, std::uint32_t name, const char* interface,
                std::uint32_t version);
    void seatCapabilities(std::uint32_t capabilities);
    // The program's window whose surface holds the keyboard focus, if any.
    QWindow* focusWindow();

    wl_display* display_;
    wl_event_queue* queue_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    xdg_activation_v1* activation_ = nullptr;
    gtk_shell1* gtkShell_ = nullptr;
    std::vector<std::string> globals_;
    Focus focus_;
};

}  // namespace tavix::ui::desktop
