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
// lost the activation to another window of the program. Until `window` has the keyboard focus
// again (half a second at most), a WM_TAKE_FOCUS that the manager sent that other window
// before is dropped: Qt would answer it by setting the focus back on the other window, and
// the manager (mutter) would follow, once or twice, each time deactivating `window` again.
void expectActivation(const QWidget* window);

// Whether `window` has been asked to take the activation back and has not had it yet.
bool activationExpected(const QWidget* window);

}  // namespace tavix::ui::x11
