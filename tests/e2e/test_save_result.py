"""The whole range read far into through the accessibility bus, then a result saved with
Ctrl+S through the Portuguese save dialog, as a user would, into the documents folder; after
every way out of the save's dialogs (saved, saved over a file after "Sim", cancelled, failed)
the keyboard is back in the result area of the active main window."""

import glob
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, save_as, wait_for, whole_range_shown, xdotool  # noqa: E402

SAVED_HEAD = b"Total de 664579 n\xc3\xbameros primos: 2, 3, 5, 7, 11, "
SAVED_TAIL = b", 9999971, 9999973, 9999991"
SAVED_SIZE = 5891726
SMALL = "Total de 6 números primos: 11, 13, 17, 19, 23, 29"


def is_prime(n):
    if n < 2:
        return False
    d = 2
    while d * d <= n:
        if n % d == 0:
            return False
        d += 1
    return True


def keyboard_back(tavix, window_id, result, after):
    """The main window active and the focus in the result area, a moment after `after`."""

    def back():
        return xdotool("getactivewindow").strip() == window_id and tavix.has_focus(result)

    wait_for(back, 3, what=f"the keyboard back in Resultado after {after}")


def main():
    home = tempfile.mkdtemp(prefix="tavix-home-")
    documents = os.path.join(home, "Documents")
    os.makedirs(documents)
    os.environ["HOME"] = home
    os.environ.pop("XDG_CONFIG_HOME", None)

    with Program() as tavix:
        result = tavix.list_interval(0, 2147483647)
        wait_for(lambda: whole_range_shown(result), 30,
                 what="the whole range in Resultado")
        text = result.queryText()
        assert text.characterCount == 1203807729, text.characterCount
        # Forty characters at the 600,000,000th: consecutive primes.
        far = text.getText(600000000, 600000040)
        numbers = [int(item) for item in far.split(", ")[1:-1]]
        assert len(numbers) >= 2 and all(is_prime(n) for n in numbers), far
        assert not any(is_prime(n) for n in range(numbers[0] + 1, numbers[1])), far
        assert text.getText(1203807729 - 12, 1203807729) == ", 2147483647"

        # A smaller listing, saved: Ctrl+S in the result area.
        tavix.key("Tab", "ctrl+a")  # from De: to Até:
        tavix.type_text("10000000")
        tavix.key("Return")
        wait_for(lambda: result.queryText().characterCount == SAVED_SIZE - 1, 30,
                 what="0 to 10000000 in Resultado")
        tavix.key("Tab", "Tab", "Tab")
        wait_for(lambda: tavix.has_focus(result), what="the focus in Resultado")
        tavix.key("ctrl+s")
        dialog = tavix.window("Salvar como", timeout=10)
        # The dialog offers primos.txt in the documents folder.
        name = tavix.find("Nome do arquivo:", "text", dialog)
        assert tavix.text(name) == "primos.txt", tavix.text(name)
        folder = tavix.find(documents, "combo box", dialog)
        assert folder is not None
        wait_for(lambda: tavix.x_window("Salvar como"), what="the dialog on the screen")
        tavix.screenshot("save_dialog.png")
        tavix.key("ctrl+a")
        tavix.type_text("lista.txt")
        tavix.key("Return")
        saved = os.path.join(documents, "lista.txt")

        def written():
            left = glob.glob(os.path.join(documents, "*.tmp"))
            return os.path.exists(saved) and os.path.getsize(saved) == SAVED_SIZE and not left

        wait_for(written, 30, what="the file saved whole")
        with open(saved, "rb") as f:
            data = f.read()
        assert data.startswith(SAVED_HEAD) and data.endswith(SAVED_TAIL), data[:60]
        assert os.listdir(documents) == ["lista.txt"], os.listdir(documents)
        window_id = tavix.x_window("Tavix")
        keyboard_back(tavix, window_id, result, "a save")

        # A short listing saved over it, done at once: "lista.txt já existe. Deseja
        # substituí-la?", Alt+S ("Sim").
        tavix.key("shift+Tab", "shift+Tab", "shift+Tab", "ctrl+a")
        tavix.type_text("10")
        tavix.key("Tab", "ctrl+a")
        tavix.type_text("30")
        tavix.key("Return", "Tab", "Tab", "Tab")
        wait_for(lambda: tavix.has_focus(result), what="the focus in Resultado")
        save_as(tavix, "lista.txt")
        tavix.answer_yes()
        wait_for(lambda: os.path.getsize(saved) == len(SMALL.encode()), 30, what="saved again")
        keyboard_back(tavix, window_id, result, "Sim")

        # Cancelled with Esc; then a folder that does not exist, and its message closed.
        tavix.key("ctrl+s")
        tavix.window("Salvar como", timeout=10)
        tavix.key("Escape")
        keyboard_back(tavix, window_id, result, "Esc")
        save_as(tavix, os.path.join(home, "nada", "lista.txt"))
        tavix.find("Tavix", "alert", timeout=10)
        tavix.key("Return")
        keyboard_back(tavix, window_id, result, "a failure")
        assert os.listdir(documents) == ["lista.txt"], os.listdir(documents)
        assert tavix.running()
    print("ok")


if __name__ == "__main__":
    main()
