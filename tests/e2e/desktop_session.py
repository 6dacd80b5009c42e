"""One session of a keyboard-and-mouse user on the X11 desktop that tools/with-display.sh
started (TAVIX_WM: openbox, GNOME's mutter or KDE's kwin_x11): the start, a listing and a
factorization, the about window opened from the keyboard and its hold on the activation, the
message box of "Verificar", the save dialog, and Alt+F4. Every answer is read from what the
window manager did: the frames, the actions it allows, the active window, the bells."""

import ctypes
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import (BellCounter, Program, active_window, artifacts_dir,  # noqa: E402
                       click_at, client_geometry, frame_extents,
                       offset_from_screen_centre, temporary_home, wait_active, wait_for,
                       window_manager_running, window_title, xdotool, xprop)
from test_desktops import fill_in  # noqa: E402

DESKTOP = os.environ.get("TAVIX_WM", "openbox")
ABOUT = "Sobre o Tavix"
# What the about window must not offer, unless the desktop offers it to any window with the
# same hints (the README names these exceptions).
UNWANTED = ("_NET_WM_ACTION_MINIMIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ",
            "_NET_WM_ACTION_MAXIMIZE_VERT", "_NET_WM_ACTION_RESIZE")
# The hints a bare window copies from the about window.
HINTS = ("_NET_WM_WINDOW_TYPE", "_MOTIF_WM_HINTS", "WM_NORMAL_HINTS", "WM_TRANSIENT_FOR",
         "_NET_WM_STATE")


def centred(window_id, what):
    assert frame_extents(window_id)[2] > 0, f"{DESKTOP}: no title bar on {what}"
    off_x, off_y = offset_from_screen_centre(window_id)
    assert abs(off_x) <= 3 and abs(off_y) <= 3, f"{DESKTOP}: {what} off centre by {off_x, off_y}"
    return off_x, off_y


def allowed_actions(window_id):
    return set(xprop(window_id, "_NET_WM_ALLOWED_ACTIONS").split("=")[-1].replace(",", " ")
               .split())


def bare_window_actions(model_id):
    """The actions the window manager allows a bare X window (no toolkit) that carries the
    same hints as the window `model_id`."""
    x = ctypes.CDLL("libX11.so.6")
    p, u, i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
    x.XDefaultRootWindow.restype = x.XCreateSimpleWindow.restype = x.XInternAtom.restype = u
    x.XOpenDisplay.restype = p
    x.XInternAtom.argtypes = [p, ctypes.c_char_p, i]
    x.XDefaultRootWindow.argtypes = [p]
    x.XCreateSimpleWindow.argtypes = [p, u, i, i, u, u, u, u, u]
    x.XGetWindowProperty.argtypes = [p, u, u, ctypes.c_long, ctypes.c_long, i, u] + \
        [ctypes.POINTER(t) for t in (u, i, u, u, p)]
    x.XChangeProperty.argtypes = [p, u, u, u, i, i, p, i]
    x.XMapWindow.argtypes = x.XDestroyWindow.argtypes = [p, u]
    x.XFlush.argtypes = x.XCloseDisplay.argtypes = x.XFree.argtypes = [p]
    display = x.XOpenDisplay(None)
    try:
        window = x.XCreateSimpleWindow(display, x.XDefaultRootWindow(display), 0, 0, 200, 100,
                                       0, 0, 0xffffff)
        for name in HINTS:
            atom = x.XInternAtom(display, name.encode(), 0)
            kind, form, count, left, data = u(), i(), u(), u(), p()
            x.XGetWindowProperty(display, int(model_id, 0), atom, 0, 1024, 0, 0,  # any type
                                 *(ctypes.byref(v) for v in (kind, form, count, left, data)))
            if kind.value:
                x.XChangeProperty(display, window, atom, kind, form, 0, data, count.value)
                x.XFree(data)
        x.XMapWindow(display, window)
        x.XFlush(display)
        actions = stable(lambda: allowed_actions(window), "the bare window managed")
        # (its title bar on the screen, for the README's word on each desktop's boxes)
        subprocess.run(["import", "-silent", "-window", "root",
                        os.path.join(artifacts_dir(), f"bare_{DESKTOP}.png")], check=True)
        x.XDestroyWindow(display, window)
        x.XFlush(display)
        return actions
    finally:
        x.XCloseDisplay(display)


def stable(read, what):
    """What read() gives once it has given the same, non-empty, three times in a row: a window
    manager may revise a window's actions as it finishes managing it."""
    seen = []

    def settled():
        seen.append(read())
        return seen[-1] if seen[-1] and seen[-3:] == [seen[-1]] * 3 else None

    return wait_for(settled, interval=0.1, what=what)


def about_window(tavix, bells, main_id):
    tavix.tab_to("?", "push button")
    tavix.key("space")
    about_id = wait_active(ABOUT, "the about window active after ?")
    about = tavix.window(ABOUT)
    tavix.focus_in("Ok", "push button", root=about, what="the focus on Ok")

    # Its frame: a fixed size, no box beyond what the desktop puts on every such window, and
    # no task-bar entry of its own.
    assert client_geometry(about_id)[2:] == (407, 257)
    hints = xprop(about_id, "WM_NORMAL_HINTS")
    assert "minimum size: 407 by 257" in hints and "maximum size: 407 by 257" in hints, hints
    offered = stable(lambda: allowed_actions(about_id), "the about window's actions") & set(UNWANTED)
    exceptions = offered - bare_window_actions(about_id)
    assert not exceptions, f"{DESKTOP}: the about window offers {exceptions}"
    assert not {a for a in offered if "MINIMIZE" not in a}, f"{DESKTOP}: {offered}"
    assert "_NET_WM_STATE_SKIP_TASKBAR" in xprop(about_id, "_NET_WM_STATE")
    assert int(xprop(about_id, "WM_TRANSIENT_FOR").split("#")[-1], 0) == int(main_id)
    offset = centred(about_id, "the about window")
    time.sleep(0.3)
    tavix.screenshot(f"about_{DESKTOP}.png")

    # Activating the main window, by a click on its grey background (right of the about
    # window), from the keyboard (the desktop's Alt+Tab) or as a task bar does: one bell each
    # time, and the about window active again, in front, with "Ok" focused within half a
    # second.
    left, top, width, height = client_geometry(main_id)
    backs = []
    for activate in [lambda: click_at(left + width - 40, top + height // 2)] * 3 + \
            [lambda: xdotool("key", "alt+Tab"), lambda: xdotool("windowactivate", main_id)]:
        before = bells.bell_count()
        started = time.monotonic()
        activate()
        wait_for(lambda: active_window() == about_id, 2, 0.01, "the about window active again")
        backs.append(round(time.monotonic() - started, 2))
        tavix.focus_in("Ok", "push button", root=about, what="the focus on Ok again")
        time.sleep(0.8)
        rung = bells.bell_count() - before
        assert rung == 1, f"{DESKTOP}: {rung} bells for one activation"
        assert backs[-1] <= 0.5, f"{DESKTOP}: the about window active again after {backs}"
        stacking = subprocess.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"],
                                  capture_output=True, text=True).stdout
        assert stacking.index(hex(int(about_id))) > stacking.index(hex(int(main_id))), stacking

    # Esc closes it without a bell, and the main window has the keyboard in De:.
    before = bells.bell_count()
    tavix.key("Escape")
    wait_for(lambda: active_window() == main_id, what="the main window active after Esc")
    tavix.focus_in("De:")
    time.sleep(0.3)
    assert bells.bell_count() == before, f"{DESKTOP}: a bell on closing the about window"
    return offset, backs


def main():
    started = time.monotonic()
    wait_for(window_manager_running, what="a window manager on the display")
    bells = BellCounter()
    with temporary_home() as documents, Program(env={"HOME": os.path.dirname(documents)}) as tavix:
        main_id = wait_active("Tavix", "the main window active at the start")
        tavix.focus_in("De:")
        main_offset = centred(main_id, "the main window")
        fill_in(tavix)
        about_offset, backs = about_window(tavix, bells, main_id)
        tavix.verify_and_save(
            lambda: active_window() == main_id,
            lambda: active_window() not in (None, main_id) and window_title(active_window()) == "Tavix",
            lambda: window_title(active_window()) == "Salvar como")
        tavix.key("alt+F4")
        assert tavix.wait_exit(10) == 0
    print(f"{DESKTOP}: main window off centre {main_offset}, about window {about_offset}, "
          f"about window active again after {backs} s; session {time.monotonic() - started:.1f} s")
    print("ok")


if __name__ == "__main__":
    main()
