"""Tavix with little memory: started under address-space limits (ulimit -v) from the smallest
in which its window opens, it lists the whole range, goes to its end, saves it with Ctrl+S
through the dialog, and then still answers a small listing. Every step either works or ends
in a Portuguese message; the program never freezes or dies, and the result stays."""

import glob
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, artifacts_dir, wait_for  # noqa: E402

MB = 1 << 20
LIMITS_MB = [150, 200, 250, 400, 1024]
WHOLE_HEAD = "Total de 105097565 números primos: 2, 3, 5, 7, 11"
WHOLE_SIZE = 1203807730
SMALL = "Total de 6 números primos: 11, 13, 17, 19, 23, 29"
NO_MEMORY = ("Ocorreu um erro.", "não há memória suficiente")


def head(node, size):
    """The first characters of a text: a whole result may be larger than the memory."""
    return node.queryText().getText(0, size)


def labels(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            if child.getRoleName() == "label" and child.name:
                yield child.name
            yield from labels(child)


def message(tavix):
    """The text of the message box shown, or None."""
    for box in tavix.find_all("Tavix", "alert"):
        text = " ".join(labels(box))
        if text:
            return text
    return None


def close_message(tavix, what):
    text = message(tavix)
    assert any(reason in text for reason in NO_MEMORY), (what, text)
    tavix.key("Return")
    wait_for(lambda: message(tavix) is None, what="the message closed")
    return text


def one_limit(limit_mb):
    home = tempfile.mkdtemp(prefix="tavix-home-")
    try:
        _one_limit_in(home, limit_mb)
    finally:
        shutil.rmtree(home, ignore_errors=True)  # a whole range saved takes 1.2 GB


def _one_limit_in(home, limit_mb):
    os.makedirs(os.path.join(home, "Documents"))
    saved = os.path.join(home, "Documents", "primos.txt")
    log = open(os.path.join(artifacts_dir(), f"low_memory_{limit_mb}.log"), "w")
    program = Program(binary="prlimit", args=[f"--as={limit_mb * MB}", os.environ["TAVIX_BIN"]],
                      env={"HOME": home}, stderr=log)
    outcome = []
    with program as tavix:
        result = tavix.list_interval(0, 2147483647)
        wait_for(lambda: head(result, len(WHOLE_HEAD)) == WHOLE_HEAD or message(tavix), 30,
                 what="the whole range or a message")
        if message(tavix):
            outcome.append("listing: " + close_message(tavix, "listing"))
        else:
            tavix.key("Tab", "Tab", "Tab", "ctrl+End")
            wait_for(lambda: tavix.has_focus(result), what="the focus in Resultado")
            tavix.key("ctrl+s")
            dialog = wait_for(lambda: tavix.find_all("Salvar como") or message(tavix), 15,
                              what="the save dialog or a message")
            if isinstance(dialog, str):
                outcome.append("dialog: " + close_message(tavix, "dialog"))
            else:
                wait_for(lambda: tavix.x_window("Salvar como"), what="the dialog on the screen")
                tavix.key("Return")

                def ended():
                    whole = os.path.exists(saved) and os.path.getsize(saved) == WHOLE_SIZE
                    return whole or message(tavix)

                try:
                    wait_for(ended, 60, what="the file saved or a message")
                except AssertionError:
                    tavix.screenshot(f"low_memory_{limit_mb}.png")
                    raise AssertionError(f"no end to the save; status {tavix.process.poll()}")
                if message(tavix):
                    outcome.append("save: " + close_message(tavix, "save"))
                    assert not os.path.exists(saved)
                else:
                    outcome.append("saved")
                left = glob.glob(os.path.join(home, "Documents", "*"), include_hidden=True)
                assert left in ([], [saved]), left
                # The result is still there.
                assert head(result, len(WHOLE_HEAD)) == WHOLE_HEAD
        # And the window answers: from the result back to De:, 10 to 30.
        tavix.activate("Tavix")
        box = tavix.find("De:", "text")
        if not tavix.has_focus(box):
            tavix.key("shift+Tab", "shift+Tab", "shift+Tab")
        wait_for(lambda: tavix.has_focus(box), what="the focus in De:")
        tavix.key("ctrl+a")
        tavix.type_text("10")
        tavix.key("Tab", "ctrl+a")
        tavix.type_text("30")
        tavix.key("Return")
        wait_for(lambda: head(result, -1) == SMALL, 30, what="10 to 30 listed")
        assert tavix.running()
    print(f"{limit_mb} MB: {', '.join(outcome) or 'listed'}; then 10 to 30 listed", flush=True)


def main():
    for limit_mb in [int(arg) for arg in sys.argv[1:]] or LIMITS_MB:
        one_limit(limit_mb)
    print("ok")


if __name__ == "__main__":
    main()
