"""One keyboard-and-mouse session of a user on GNOME's or KDE Plasma's Wayland (argument:
gnome or kde), with the program as a native Wayland client of the real compositor nested in
the test's X display (nested_wayland.py): start, a listing and the table of 360, the about
window from the keyboard and its hold on a click on the main window (one bell, the about
window active again within half a second), Esc, "Verificar", Ctrl+S, Esc, Alt+F4. Every
check reads what the desktop did: the active window and the focus from AT-SPI, what was
asked of the compositor from the program's protocol log, the bells from that log and from
the sound theme's bell file."""

import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import SKIP, Program, _walk, artifacts_dir, temporary_home, wait_for  # noqa: E402
from nested_wayland import BellSound, NestedDesktop, ProtocolLog  # noqa: E402
from test_desktops import fill_in  # noqa: E402
from wayland_session import native_wayland  # noqa: E402

import pyatspi  # noqa: E402

ABOUT_GREY = (240, 240, 240)


def main():
    desktop = sys.argv[1]
    started = time.monotonic()
    nested = NestedDesktop(desktop)
    if not os.environ.get("DISPLAY") or not nested.available():
        print(f"needs an X display and the {desktop} compositor: skipped")
        sys.exit(SKIP)
    with temporary_home() as documents, nested, BellSound(nested.directory) as sound:
        log_path = os.path.join(nested.directory, "tavix-protocol.log")
        env = dict(nested.client_env(), HOME=os.path.dirname(documents),
                   XDG_DATA_DIRS=sound.data_dirs)
        try:
            session(desktop, nested, sound, log_path, env)
        finally:
            shutil.copy(log_path, os.path.join(artifacts_dir(), f"{desktop}_wayland_protocol.log"))
    print(f"{desktop}: ok in {time.monotonic() - started:.1f} s")


def session(desktop, nested, sound, log_path, env):
    with open(log_path, "w") as log, Program(env=env, stderr=log) as tavix:
        protocol = ProtocolLog(log_path)
        assert native_wayland(tavix.process.pid), "not on Qt's Wayland platform"

        def active(title, role=None):
            def is_active():
                for i in range(tavix.app.childCount):
                    child = tavix.app.getChildAtIndex(i)
                    if child is not None and child.name == title and (
                            role is None or child.getRoleName() == role):
                        return child.getState().contains(pyatspi.STATE_ACTIVE) and child
                return None
            return is_active

        shell_bell = protocol.offers("gtk_shell1")

        def bells():
            """The program's bells: asked of GNOME's shell (gtk_shell1.system_bell), which
            rings them as the user has set it, or played from the sound theme."""
            return protocol.bells() + sound.count()

        # Start: the main window active, the caret in "De:".
        main = wait_for(active("Tavix", "frame"), 15, what="the main window active")
        tavix.focus_in("De:")

        # A typed listing, then the table of 360.
        fill_in(tavix, activate=False)

        # "?" from the keyboard: the about window active, "Ok" focused.
        tavix.tab_to("?", "push button")
        tavix.key("space")
        about = wait_for(active("Sobre o Tavix"), 10, what="the about window active")
        ok = tavix.focus_in("Ok", "push button", root=about)
        main_toplevel = protocol.toplevel("Tavix")
        about_toplevel = protocol.toplevel("Sobre o Tavix")
        # Its size fixed, the main window its parent.
        sizes = [protocol.requests(rf"xdg_toplevel@{about_toplevel}\.set_{bound}_size\((.*)\)")
                 for bound in ("min", "max")]
        assert sizes[0] and sizes[0][-1] == sizes[1][-1] != "0, 0", sizes
        assert protocol.requests(rf"xdg_toplevel@{about_toplevel}\.set_parent\("
                                 rf"xdg_toplevel@{main_toplevel}\)"), "no parent"
        # Its boxes: where the compositor draws no title bars, the program's own, with a
        # close box only; where it does, what the compositor says it allows.
        buttons = sorted(n.name for n in _walk(about) if n.getRoleName() == "push button")
        kwin = nested.kwin_windows()
        if protocol.offers("zxdg_decoration_manager_v1"):
            assert buttons == ["Ok"], buttons
            if kwin is not None:
                frame = next(w for w in kwin if w["caption"] == "Sobre o Tavix")
                assert not frame["maximizable"] and frame["transient"], frame
                print(f"{desktop}: the about window as kwin has it: {frame}")
        else:
            assert buttons == ["Fechar", "Ok"], buttons
            # Qt draws no title bar of its own round it: the window is its content alone.
            geometry = protocol.requests(rf"xdg_surface@{protocol.xdg_surface(about_toplevel)}"
                                         r"\.set_window_geometry\((.*)\)")
            assert geometry[-1] == "0, 0, " + sizes[0][-1], geometry
            # Its title bar moves it.
            left, top, _, _ = wait_for(lambda: nested.area(ABOUT_GREY), 5, what="the about")
            nested.drag((left + 150, top - 20), (200, 100))
            moved = wait_for(lambda: (nested.area(ABOUT_GREY) or (0, 0))[:2] != (left, top)
                             and nested.area(ABOUT_GREY), 5, what="the about window moved")
            assert abs(moved[0] - left - 200) <= 3 and abs(moved[1] - top - 100) <= 3, moved
            wait_for(active("Sobre o Tavix"), 5, what="the about window active after the drag")
        wait_for(lambda: nested.area(ABOUT_GREY), 5, what="the about window on the screen")
        tavix.screenshot(f"{desktop}_wayland_about.png")

        # A real click on the main window's grey: one bell, and within half a second the
        # about window active again with "Ok" focused.
        before = bells()
        left, top, width, height = nested.area(ABOUT_GREY)
        area = (left, top - 50, width, height + 50)  # its title bar too
        nested.click_main_background(avoid=area)
        clicked = time.monotonic()
        wait_for(lambda: bells() > before, 5, interval=0.01, what="the bell")
        back = wait_for(lambda: active("Sobre o Tavix")() and tavix.has_focus(ok)
                        and time.monotonic(), 5, interval=0.01, what="the about window back")
        # AT-SPI may not have seen the main window's moment of activation: the program's
        # keyboard entering the about window again after the press tells the hold.
        held = protocol.refocused_after_click(about_toplevel)
        assert held is not None and held < 0.5, f"the keyboard back in the about after {held}"
        # AT-SPI's own word, read by polling over D-Bus, within a looser bound.
        assert back - clicked < 1, f"the about window active again after {back - clicked:.2f} s"
        time.sleep(1)
        rung = bells() - before
        heard = sound.count(desktop=shell_bell)
        assert rung == 1, f"{rung} bells"
        # It sounded: the theme's bell was opened (with the shell's bell, by GNOME's shell).
        assert heard > 0, "no bell heard"
        print(f"{desktop}: one bell ({'gtk_shell1' if shell_bell else 'libcanberra'}, the bell "
              f"file opened {heard} times), the about window active again {held:.3f} s after "
              "the press")

        # Esc: closed without a bell; the main window active, the caret in "De:".
        tavix.key("Escape")
        wait_for(lambda: all(tavix.app.getChildAtIndex(i).name != "Sobre o Tavix"
                             for i in range(tavix.app.childCount)), what="the about closed")
        wait_for(active("Tavix", "frame"), 5, what="the main window active after Esc")
        tavix.focus_in("De:")
        time.sleep(0.5)
        assert bells() == before + 1, "a bell on closing the about window"

        # "Verificar" on 7 and its message box, then Ctrl+S and Esc in the result area.
        def box_active():
            box = active("Tavix", "alert")()
            if box and kwin is not None and frame["minimizable"]:
                # kwin's minimize box is its own: a plain Qt message box has one too.
                # (kwin tells windows of the same title apart by a number: "Tavix <2>".)
                windows = nested.kwin_windows()
                assert any(w["caption"].startswith("Tavix") and w["transient"] and
                           w["minimizable"] for w in windows), windows
            return box

        tavix.verify_and_save(active("Tavix", "frame"), box_active, active("Salvar como"))
        tavix.screenshot(f"{desktop}_wayland.png")

        # Alt+F4 ends the program.
        tavix.key("alt+F4")
        status = tavix.wait_exit(10)
        assert nested.process.poll() is None, f"{desktop}'s compositor ended"
        assert status == 0, f"ended with {status}"
        assert bells() == before + 1, "a bell at the end"


if __name__ == "__main__":
    main()
