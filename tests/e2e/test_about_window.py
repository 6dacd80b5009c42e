"""The about window in the real program under a window manager: "?" opens it, it keeps the
activation against the main window with one beep each time, its links reach the desktop's
default handler, and every way of closing it returns to the main window without a beep.

Beeps are observed as the X server sees them: the XKB bell notifications of the display."""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import (ABOUT_DESCRIPTION, BellCounter, Program, active_window,  # noqa: E402
                       artifacts_dir, click, click_at, client_geometry, close_window,
                       frame_extents, link_opener, opened, offset_from_screen_centre, wait_active,
                       wait_for, window_manager_running, xdotool, xprop)

ABOUT = "Sobre o Tavix"
CONTROL_NAMES = {  # every label named by its text, the empty disclaimer included
    "Ícone do Tavix", "Ok", "www.tavix.example", "docs.tavix.example", "forum.tavix.example",
    "Meus Sites:", "Contato:", "contato@tavix.example", "Separador, linha cinza",
    "Separador, linha branca", ABOUT_DESCRIPTION, "Tavix", "v1.0, versão do programa", "",
}


def open_about(tavix):
    """Presses "?" with the mouse and waits for the about window to be active."""
    click(tavix.find("?", "push button"))
    about_id = wait_active(ABOUT, "the about window active after ?")
    about = tavix.window(ABOUT)
    tavix.focus_in("Ok", "push button", root=about, what="the focus on Ok")
    return about_id, about


def about_gone(tavix):
    return not any(tavix.app.getChildAtIndex(i) is not None and
                   tavix.app.getChildAtIndex(i).name == ABOUT
                   for i in range(tavix.app.childCount))


def expect_back_in_main(tavix, main_id):
    wait_for(lambda: about_gone(tavix), what="the about window destroyed")
    wait_for(lambda: active_window() == main_id, what="the main window active again")
    tavix.focus_in("De:")


def window_and_its_hold(display, record):
    with Program() as tavix:
        main_id = tavix.activate("Tavix")
        # "?" from the number box moves the focus to De: first.
        tavix.key("Tab", "Tab", "Tab", "Tab")
        tavix.focus_in("Número")
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
        off_x, off_y = offset_from_screen_centre(about_id)
        assert abs(off_x) <= 3 and abs(off_y) <= 3, (off_x, off_y)
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
            tavix.focus_in("Ok", "push button", root=about, what="the focus on Ok again")

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
                tavix.focus_in("Ícone do Tavix", None, about, "the focus on the icon")
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


def main():
    # Activation, frames and the close box are the window manager's: without one, nothing here
    # would mean anything.
    wait_for(window_manager_running, what="a window manager on the display")
    display = BellCounter()
    with tempfile.TemporaryDirectory() as directory:
        record = link_opener(directory)
        window_and_its_hold(display, record)
        closing_keys(display)
        program_ends_with_the_about_window_open(display)
    print("ok")


if __name__ == "__main__":
    main()
