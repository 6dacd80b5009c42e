// What the windows ask of the desktop about themselves: to be activated, whose window they
// are, and whether the desktop draws their title bars.
#pragma once

class QWidget;

namespace tavix::ui::desktop {

// Makes the top-level `window` the active window, in front. On X11 the program does it; on
// Wayland it asks the compositor (xdg-activation) on the authority of the program's window
// that holds the keyboard focus, and the compositor decides.
void activate(QWidget* window);

// Tells the desktop that the top-level `window`, not shown yet, belongs to `owner`: on X11 as
// a dialog of it (x11::makeDialogOf), on Wayland as its child (xdg_toplevel.set_parent). The
// desktop then keeps it in front of the owner, with no entry of its own in its task bar. The
// widget itself keeps no Qt parent: it stays modeless, and the owner can be activated and
// closed.
void setOwner(QWidget* window, QWidget* owner);

// Whether the desktop leaves the title bars to the programs: a Wayland compositor that does
// not offer to draw them (no xdg-decoration), where Qt draws its own, with a minimize, a
// maximize and a close box whatever a window asks for.
bool titleBarsLeftToPrograms();

}  // namespace tavix::ui::desktop
