// What a dialog of the program tells an X11 window manager, and how it keeps the activation
// it takes back. Nothing happens on other platforms.
#pragma once

class QWidget;

namespace tavix::ui::x11 {

// Marks the top-level `dialog`, not shown yet, as a dialog of the top-level `owner` (when
// not null) for the window manager: WM_TRANSIENT_FOR names the owner, so that the manager
// keeps the dialog in front of it and off the task bar (GNOME's mutter lists a dialog with
// no transient parent of its own in the task bar whatever the program asks), and
// _NET_WM_STATE_SKIP_TASKBAR asks the same of every other manager and task bar. The widget
// keeps no owner: it stays modeless, and the owner can be activated and closed.
void makeDialogOf(QWidget* dialog, const QWidget* owner);

// The program is about to ask the window manager to activate `window`, which a moment ago
// lost the activation to another window of the program. Until `window` has had the keyboard
// focus back for 0.15 s (or half a second has passed without it), the WM_TAKE_FOCUS messages
// that the manager sends the program's other windows are dropped: they answer the click that
// started it all, and Qt would answer them by setting the focus back on that other window,
// which the manager (mutter) would then activate again. Should the manager leave the focus in
// another window of the program, the program moves it to `window` itself.
void expectActivation(const QWidget* window);

// Whether `window` is in that time: another deactivation then belongs to the same one.
bool activationExpected(const QWidget* window);

}  // namespace tavix::ui::x11
