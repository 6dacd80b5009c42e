"""The main window as a user drives it: a listing, a factorization and a verdict typed from
the keyboard, read back through the accessibility bus, then the window closed."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, close_window, pyatspi, wait_for  # noqa: E402


def is_default(button):
    return button.getState().contains(pyatspi.STATE_IS_DEFAULT)


def main():
    with Program() as tavix:
        window = tavix.window("Tavix")
        window_id = tavix.activate("Tavix")
        first = tavix.focus_in("De:")
        calcular = tavix.find("Calcular", "push button")
        assert is_default(calcular), "Calcular is the default button from the start"

        # A listing: 10, Tab, 30, Enter.
        result = tavix.list_interval(10, 30)
        expected = "Total de 6 números primos: 11, 13, 17, 19, 23, 29"
        wait_for(lambda: tavix.text(result) == expected, what="the listing in Resultado")
        wait_for(lambda: tavix.has_focus(first), what="the focus back in De:")
        assert tavix.text(tavix.find("Até:", "text")) == "30"

        # A factorization: on to the number box (Até:, Calcular, Resultado, Número), 360, Enter.
        tavix.key("Tab", "Tab", "Tab", "Tab")
        tavix.focus_in("Número")
        assert is_default(tavix.find("Fatorar", "push button")), "Fatorar is the default in Número"
        assert not is_default(calcular)
        tavix.type_text("3a6.0")  # the letter and the full stop are not typed
        tavix.key("Return")
        wait_for(lambda: tavix.factor_rows() == tavix.FACTORS_OF_360, what="the table of 360")
        tavix.screenshot("main_window.png", window_id)
        tavix.screenshot("main_window_screen.png")

        # A verdict: Tab to Verificar, Space; the message box says it and closes with Enter.
        tavix.key("Tab", "space")
        box = tavix.find("Tavix", ("dialog", "alert"), timeout=10)
        tavix.find("360 não é um número primo", root=box)  # the verdict, word for word
        assert box.description == "exclamação", box.description
        tavix.key("Return")
        wait_for(lambda: not tavix.find_all("Tavix", ("dialog", "alert")), what="the box closed")
        assert tavix.running()

        # Closing the window ends the program.
        tavix.activate("Tavix")
        wait_for(lambda: window.getState().contains(pyatspi.STATE_ACTIVE),
                 what="the main window active")
        tavix.key("alt+F4")
        status = tavix.wait_exit(10)
        assert status == 0, f"exit status {status}"

    # The close box ends the program too, after "?" as well.
    with Program() as tavix:
        window_id = tavix.activate("Tavix")
        tavix.key("shift+Tab", "space")
        tavix.window("Sobre o Tavix")
        tavix.key("Escape")
        tavix.focus_in("De:")
        close_window(window_id)
        status = tavix.wait_exit(10)
        assert status == 0, f"exit status {status}"
    print("ok")


if __name__ == "__main__":
    main()
