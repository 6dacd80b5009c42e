// The desktop's bell.
#pragma once

#include <memory>

namespace tavix::ui::desktop {

// Rings the bell of the desktop the program runs on, once, as its user has set it up.
class Bell {
  public:
    virtual ~Bell() = default;
    virtual void ring() = 0;
};

// The bell of the desktop the program runs on: on X11 the X server's bell; on GNOME's
// Wayland the shell's bell (gtk_shell1.system_bell), which the desktop sounds, flashes or
// leaves silent as set; on other Wayland desktops the sound theme's window-system bell
// (libcanberra), which no compositor there rings for a program.
std::unique_ptr<Bell> makeBell();

}  // namespace tavix::ui::desktop
