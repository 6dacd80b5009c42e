// Where a window first appears: centred on the screen with the frame that the window
// manager will put around it.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace tavix::ui {

// The client rectangle that centres a window of `client` size, framed by `frame`, in
// `area`. A framed window larger than the area starts at its top-left corner, so that its
// title bar stays on the screen.
QRect centredClientRect(const QRect& area, const QSize& client, const QMargins& frame);

// The frame the window manager gives `window` (a top-level widget), in the widget's own
// pixels, asked for before the window is shown, where the desktop can tell: an X11 window
// manager that answers _NET_REQUEST_FRAME_EXTENTS. Empty margins where it cannot (Wayland,
// where the compositor places windows itself, or no window manager).
QMargins frameMarginsBeforeShowing(QWidget* window);

// Places the top-level `window` centred on `screenOf`'s screen (the primary screen when
// null) with its frame. `fallbackFrame` stands in when the desktop cannot tell the frame.
void placeAtScreenCentre(QWidget* window, const QWidget* screenOf,
                         const QMargins& fallbackFrame = {});

}  // namespace tavix::ui
