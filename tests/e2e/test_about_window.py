"""The about window in the real program under a window manager: "?" opens it, it keeps the
activation against the main window with one beep each time, its links reach the desktop's
default handler, and every way of closing it returns to the main window without a beep.

Beeps are observed as the X server sees them: the XKB bell notifications of the display."""

import ctypes
import ctypes.util
import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import (ABOUT_DESCRIPTION, Program, artifacts_dir, close_window, pyatspi,  # noqa: E402
                       wait_for, xdotool)

ABOUT = "Sobre o Tavix"
CONTROL_NAMES = {  # every label named by its text, the empty disclaimer included
    "Ícone do Tavix", "Ok", "www.tavix.example", "docs.tavix.example", "forum.tavix.example",
    "Meus Sites:", "Contato:", "contato@tavix.example", "Separador, linha cinza",
    "Separador, linha branca", ABOUT_DESCRIPTION, "Tavix", "v1.0, versão do programa", "",
}


class XDisplay:
    """A connection of our own to the display, counting the bells rung on it."""

    XkbUseCoreKbd = 0x100
    XkbBellNotify = 8
    XkbBellNotifyMask = 1 << 8

    def __init__(self):
        x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong,
                                      ctypes.c_ulong]
        for name in ("XPending", "XFlush", "XNextEvent", "XkbQueryExtension"):
            getattr(x, name).argtypes = None
        self.x = x
        self.dpy = x.XOpenDisplay(None)
        assert self.dpy, "cannot open the display"
        opcode, event, error = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        major, minor = ctypes.c_int(1), ctypes.c_int(0)
        assert x.XkbQueryExtension(ctypes.c_void_p(self.dpy), ctypes.byref(opcode),
                                   ctypes.byref(event), ctypes.byref(error),
                                   ctypes.byref(major), ctypes.byref(minor)), "no XKB"
        self.xkb_event = event.value
        x.XkbSelectEvents(self.dpy, self.XkbUseCoreKbd, self.XkbBellNotifyMask,
                          self.XkbBellNotifyMask)
        x.XFlush(ctypes.c_void_p(self.dpy))
        self.bells = 0

    def bell_count(self):
        """Bells rung on the display since this connection was made."""
        event = (ctypes.c_long * 24)()
        while self.x.XPending(ctypes.c_void_p(self.dpy)):
            self.x.XNextEvent(ctypes.c_void_p(self.dpy), event)
            raw = bytes(event)
            kind = int.from_bytes(raw[0:4], "little")
            xkb_kind = int.from_bytes(raw[40:44], "little")  # XkbAnyEvent.xkb_type
            if kind == self.xkb_event and xkb_kind == self.XkbBellNotify:
                self.bells += 1
        return self.bells

    def bells_after(self, action, settle=0.8):
        """Runs action() and returns how many bells rang by the time things settled."""
        before = self.bell_count()
        action()
        time.sleep(settle)
        return self.bell_count() - before


def active_window():
    done = subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else None


def window_title(window_id):
    return xdotool("getwindowname", window_id).strip()


def xprop(window_id, *names):
    return subprocess.run(["xprop", "-id", str(window_id), *names], capture_output=True,
                          text=True).stdout


def client_geometry(window_id):
    """Left, top, width, height of a window's client area on the screen."""
    info = subprocess.run(["xwininfo", "-id", str(window_id)], capture_output=True,
                          text=True).stdout
    values = [int(re.search(pattern + r":\s+(-?\d+)", info).group(1)) for pattern in
              ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
    return tuple(values)


def frame_extents(window_id):
    match = re.search(r"= (\d+), (\d+), (\d+), (\d+)", xprop(window_id, "_NET_FRAME_EXTENTS"))
    return tuple(int(v) for v in match.groups()) if match else (0, 0, 0, 0)


def click_at(x, y):
    xdotool("mousemove", x, y, "click", "1")


def click(node):
    """A real mouse click on the middle of a control."""
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    click_at(extents.x + extents.width // 2, extents.y + extents.height // 2)


def wait_active(title, what=None):
    return wait_for(lambda: (active_window() if active_window() and
                             window_title(active_window()) == title else None),
                    what=what or f"{title!r} active")


def open_about(tavix):
    """Presses "?" with the mouse and waits for the about window to be active."""
    click(tavix.find("?", "push button"))
    about_id = wait_active(ABOUT, "the about window active after ?")
    about = tavix.window(ABOUT)
    ok = tavix.find("Ok", "push button", root=about)
    wait_for(lambda: tavix.has_focus(ok), what="the focus on Ok")
    return about_id, about


def about_gone(tavix):
    return not any(tavix.app.getChildAtIndex(i) is not None and
                   tavix.app.getChildAtIndex(i).name == ABOUT
                   for i in range(tavix.app.childCount))


def expect_back_in_main(tavix, main_id):
    wait_for(lambda: about_gone(tavix), what="the about window destroyed")
    wait_for(lambda: active_window() == main_id, what="the main window active again")
    first = tavix.find("De:", "text")
    wait_for(lambda: tavix.has_focus(first), what="the focus in De:")


def link_opener(directory):
    """A desktop whose default handler for web and mailto targets writes them to a file."""
    record = os.path.join(directory, "opened.txt")
    script = os.path.join(directory, "opener.sh")
    with open(script, "w") as f:
        f.write(f"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '{record}'\n")
    os.chmod(script, 0o755)
    applications = os.path.join(directory, "data", "applications")
    os.makedirs(applications)
    os.makedirs(os.path.join(directory, "config"))
    with open(os.path.join(applications, "tavix-test-opener.desktop"), "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=Opener\nNoDisplay=true\n"
                f"Exec={script} %u\n"
                "MimeType=x-scheme-handler/https;x-scheme-handler/mailto;\n")
    with open(os.path.join(directory, "config", "mimeapps.list"), "w") as f:
        f.write("[Default Applications]\n"
                "x-scheme-handler/https=tavix-test-opener.desktop\n"
                "x-scheme-handler/mailto=tavix-test-opener.desktop\n")
    # The program started next inherits these, and so does the desktop's opener (xdg-open).
    os.environ["XDG_DATA_HOME"] = os.path.join(directory, "data")
    os.environ["XDG_CONFIG_HOME"] = os.path.join(directory, "config")
    return record


def opened(record):
    if not os.path.exists(record):
        return []
    with open(record) as f:
        return f.read().split()


def window_and_its_hold(display, record):
    with Program() as tavix:
        main_id = tavix.activate("Tavix")
        # "?" from the number box moves the focus to De: first.
        tavix.key("Tab", "Tab", "Tab", "Tab")
        wait_for(lambda: tavix.has_focus(tavix.find("Número", "text")), what="focus in Número")
        bells = display.bell_count()
        about_id, about = open_about(tavix)

        # What the window is.
        names = {node.name for node in about}
        assert names == CONTROL_NAMES, names ^ CONTROL_NAMES
        properties = xprop(about_id)
        assert "_NET_WM_WINDOW_TYPE_DIALOG" in properties
        assert "WM_TRANSIENT_FOR" in properties, "a transient dialog has no task-bar entry"
        actions = xprop(about_id, "_NET_WM_ALLOWED_ACTIONS")
        assert "_NET_WM_ACTION_CLOSE" in actions
        assert "_NET_WM_ACTION_RESIZE" not in actions and "MAXIMIZE" not in actions, actions
        assert "Icon (100 x 100)" in xprop(about_id, "_NET_WM_ICON")
        left, top, width, height = client_geometry(about_id)
        assert (width, height) == (407, 257), (width, height)
        frame_left, frame_right, frame_top, frame_bottom = frame_extents(about_id)
        screen_width, screen_height = (int(v) for v in xdotool("getdisplaygeometry").split())
        centre_x = left - frame_left + (width + frame_left + frame_right) / 2
        centre_y = top - frame_top + (height + frame_top + frame_bottom) / 2
        assert abs(centre_x - screen_width / 2) <= 3 and abs(centre_y - screen_height / 2) <= 3, (
            centre_x, centre_y)
        shot = os.path.join(artifacts_dir(), "about.png")
        # (import rings the bell when not told to be silent)
        subprocess.run(["import", "-silent", "-frame", "-window", about_id, shot], check=True)

        # Activating the main window: one beep, and the about window takes the activation
        # back with its last focused control.
        for activate in (lambda: xdotool("windowactivate", main_id),
                         lambda: click(tavix.find("De:", "text"))):  # not under the about window
            rung = display.bells_after(activate)
            wait_active(ABOUT, "the about window active again")
            assert rung == 1, f"{rung} beeps"
            ok = tavix.find("Ok", "push button", root=about)
            wait_for(lambda: tavix.has_focus(ok), what="the focus on Ok again")

        # Another program's window is let be; coming back to the main window from it beeps.
        other = subprocess.Popen(["xmessage", "-name", "tavix-other", "outro programa"])
        try:
            other_id = wait_for(lambda: subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--classname", "tavix-other"],
                capture_output=True, text=True).stdout.split()[-1:], what="xmessage")[0]
            rung = display.bells_after(
                lambda: subprocess.run(["xdotool", "windowactivate", "--sync", other_id],
                                       check=True, timeout=5))
            assert rung == 0, f"{rung} beeps on switching to another program"
            assert active_window() == other_id
            rung = display.bells_after(lambda: xdotool("windowactivate", main_id))
            wait_active(ABOUT, "the about window active again")
            assert rung == 1, f"{rung} beeps on coming back to the main window"
        finally:
            other.kill()
            other.wait()
        wait_active(ABOUT)

        # The links hand their targets to the desktop; the window stays open and active.
        for name, target in (("contato@tavix.example", "mailto:contato@tavix.example"),
                             ("www.tavix.example", "https://www.tavix.example/"),
                             ("docs.tavix.example", "https://docs.tavix.example/"),
                             ("forum.tavix.example", "https://forum.tavix.example/")):
            rung = display.bells_after(lambda: click(tavix.find(name, root=about)), settle=0.2)
            wait_for(lambda: opened(record)[-1:] == [target], what=f"{target} opened")
            assert rung == 0
            assert active_window() == about_id
        # Labels that are no links do nothing.
        rung = display.bells_after(lambda: [click(tavix.find(name, root=about)) for name in
                                            ("Meus Sites:", "Contato:", "Tavix")])
        assert rung == 0 and len(opened(record)) == 4 and active_window() == about_id

        # The close box: the window goes, the main window is active again, focus in De:.
        left, top, width, height = client_geometry(about_id)
        frame_left, frame_right, frame_top, frame_bottom = frame_extents(about_id)
        rung = display.bells_after(
            lambda: click_at(left + width + frame_right - 11, top - frame_top + 10))
        expect_back_in_main(tavix, main_id)
        assert rung == 0, f"{rung} beeps on closing"
        assert display.bell_count() - bells == 3, "three beeps in all"
        assert tavix.running()


def closing_keys(display):
    with Program() as tavix:
        main_id = tavix.activate("Tavix")
        for keys in (["Return"], ["Escape"], ["space"], ["alt+F4"], ["Tab", "Return"],
                     ["Tab", "Escape"], ["KP_Enter"]):
            about_id, about = open_about(tavix)
            if keys[0] == "Tab":  # onto the icon
                tavix.key("Tab")
                wait_for(lambda: tavix.has_focus(tavix.find("Ícone do Tavix", root=about)),
                         what="the focus on the icon")
            rung = display.bells_after(lambda: tavix.key(keys[-1]), settle=0.3)
            expect_back_in_main(tavix, main_id)
            assert rung == 0, f"{rung} beeps on closing with {keys}"
            assert active_window() == main_id, keys
        # "?" clicked while the about window is open: one beep, still one about window.
        open_about(tavix)
        rung = display.bells_after(lambda: click(tavix.find("?", "push button")))
        wait_active(ABOUT, "the about window active again")
        assert rung == 1, f"{rung} beeps on clicking ? again"
        assert sum(1 for i in range(tavix.app.childCount)
                   if tavix.app.getChildAtIndex(i).name == ABOUT) == 1


def program_ends_with_the_about_window_open(display):
    with Program() as tavix:
        main_id = tavix.activate("Tavix")
        open_about(tavix)
        bells = display.bell_count()
        close_window(main_id)  # as a task bar's close command does
        status = tavix.wait_exit(10)
        time.sleep(0.5)
        assert status == 0, f"exit status {status}"
        assert display.bell_count() == bells, "beeps on ending the program"


def window_manager_running():
    check = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True,
                           text=True).stdout
    return "window id" in check


def main():
    # Activation, frames and the close box are the window manager's: without one, nothing here
    # would mean anything.
    wait_for(window_manager_running, what="a window manager on the display")
    display = XDisplay()
    with tempfile.TemporaryDirectory() as directory:
        record = link_opener(directory)
        window_and_its_hold(display, record)
        closing_keys(display)
        program_ends_with_the_about_window_open(display)
    print("ok")


if __name__ == "__main__":
    main()
