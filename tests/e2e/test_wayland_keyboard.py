"""The program natively on Wayland with a real keyboard: weston runs as a window of an X
display (its X11 backend, nested_wayland.py), so that keys sent to that window reach its
Wayland clients as a seat's keyboard. After every way out of the save's dialogs (saved,
saved over a file after "Sim", cancelled with Esc, failed) the main window is active again
with the focus in the result area, and the next Ctrl+S opens the dialog again."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, temporary_home, wait_for  # noqa: E402
from nested_wayland import NestedDesktop  # noqa: E402
from wayland_session import native_wayland  # noqa: E402

import pyatspi  # noqa: E402

SMALL = "Total de 6 números primos: 11, 13, 17, 19, 23, 29"


def main():
    with temporary_home() as documents, NestedDesktop("weston") as weston:
        env = dict(weston.client_env(protocol_log=False), HOME=os.path.dirname(documents))
        with Program(env=env) as tavix:
            assert native_wayland(tavix.process.pid), "not on Qt's Wayland platform"
            window = tavix.window("Tavix", timeout=10)
            result = tavix.find("Resultado", "text")

            def keyboard_back(after):
                def back():
                    active = window.getState().contains(pyatspi.STATE_ACTIVE)
                    return active and tavix.has_focus(result)

                wait_for(back, 5, what=f"the keyboard back in Resultado after {after}")

            def save_as(name):
                tavix.key("ctrl+s")
                dialog = tavix.window("Salvar como", timeout=10)
                tavix.focus_in("Nome do arquivo:", root=dialog)
                tavix.key("ctrl+a")
                tavix.type_text(name)
                tavix.key("Return")

            tavix.focus_in("De:")
            tavix.type_text("10")
            tavix.key("Tab")
            tavix.type_text("30")
            tavix.key("Return", "Tab", "Tab", "Tab")
            wait_for(lambda: tavix.text(result) == SMALL, what="the listing")
            tavix.focus_in("Resultado")

            saved = os.path.join(documents, "lista.txt")
            save_as("lista.txt")
            wait_for(lambda: os.path.exists(saved), 10, what="the file saved")
            keyboard_back("a save")

            os.truncate(saved, 0)
            save_as("lista.txt")
            tavix.answer_yes()
            wait_for(lambda: os.path.getsize(saved) == len(SMALL.encode()), 10,
                     what="saved again")
            keyboard_back("Sim")

            tavix.key("ctrl+s")
            tavix.window("Salvar como", timeout=10)
            tavix.key("Escape")
            keyboard_back("Esc")

            save_as(os.path.join(documents, "nada", "lista.txt"))
            tavix.find("Tavix", "alert", timeout=10)
            tavix.key("Return")
            keyboard_back("a failure")

            # The keyboard still reaches the window: Ctrl+S opens the dialog once more.
            tavix.key("ctrl+s")
            tavix.window("Salvar como", timeout=10)
            tavix.screenshot("wayland_keyboard.png")
            tavix.key("Escape")
            keyboard_back("Esc")
            assert os.listdir(documents) == ["lista.txt"], os.listdir(documents)
    print("ok")


if __name__ == "__main__":
    main()
