// A title bar of the program's own, for a window on a desktop that leaves the title bars to
// the programs (see titleBarsLeftToPrograms()).
#pragma once

class QWidget;

namespace tavix::ui::desktop {

// The bar's height in pixels: that of the title bars of GNOME's own dialogs.
inline constexpr int kTitleBarHeight = 38;

// Gives the top-level `window`, of a fixed size, a title bar of its own in place of the
// desktop's: the window becomes frameless and grows by the bar's height, its controls move
// down by as much, and the bar above them shows the window's title and a close box named
// "Fechar", both out of the tab order, in the desktop's colours. Dragging the bar moves the
// window; a thin edge in the same colours outlines it. Call once the window's controls are
// made, before it is first shown.
void addTitleBar(QWidget* window);

}  // namespace tavix::ui::desktop
