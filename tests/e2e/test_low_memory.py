"""Tavix with little memory: started under address-space limits (ulimit -v) from the smallest
in which its window opens, it lists the whole range, goes to its end, saves it with Ctrl+S
through the dialog, and then still answers a small listing. Every step either works or ends
in a Portuguese message; the program never freezes or dies, and the result stays."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, artifacts_dir, message, temporary_home, wait_for  # noqa: E402

LIMITS_MB = [150, 200, 250, 400, 1024]
WHOLE_HEAD = "Total de 105097565 números primos: 2, 3, 5, 7, 11"
WHOLE_SIZE = 1203807730
SMALL = "Total de 6 números primos: 11, 13, 17, 19, 23, 29"


def head(node, size):
    """The first characters of a text: a whole result may be larger than the memory."""
    return node.queryText().getText(0, size)


def close_message(tavix, step):
    text = message(tavix)
    assert "Ocorreu um erro." in text or "não há memória suficiente" in text, (step, text)
    tavix.key("Return")
    wait_for(lambda: message(tavix) is None, what="the message closed")
    return f"{step}: {text}"


def one_limit(limit_mb, documents):
    saved = os.path.join(documents, "primos.txt")
    log = open(os.path.join(artifacts_dir(), f"low_memory_{limit_mb}.log"), "w")
    limit = f"--as={limit_mb << 20}"
    with Program(binary="prlimit", args=[limit, os.environ["TAVIX_BIN"]],
                 env={"HOME": os.path.dirname(documents)}, stderr=log) as tavix:
        result = tavix.list_interval(0, 2147483647)
        wait_for(lambda: head(result, len(WHOLE_HEAD)) == WHOLE_HEAD or message(tavix), 30,
                 what="the whole range or a message")
        if message(tavix):
            outcome = close_message(tavix, "listing")
        else:
            # An assistive technology that asks for the whole text gets what can be had.
            whole = head(result, -1)
            assert tavix.running() and (whole == "" or whole.startswith(WHOLE_HEAD)), len(whole)
            tavix.key("Tab", "Tab", "Tab", "ctrl+End", "ctrl+s")
            if isinstance(wait_for(lambda: tavix.find_all("Salvar como") or message(tavix), 15,
                                   what="the save dialog or a message"), str):
                outcome = close_message(tavix, "dialog")
            else:
                wait_for(lambda: tavix.x_window("Salvar como"), what="the dialog on the screen")
                tavix.key("Return")  # primos.txt, offered
                try:
                    wait_for(lambda: message(tavix) or os.path.exists(saved)
                             and os.path.getsize(saved) == WHOLE_SIZE, 60,
                             what="the file saved or a message")
                except AssertionError:
                    tavix.screenshot(f"low_memory_{limit_mb}.png")
                    raise AssertionError(f"no end to the save; status {tavix.process.poll()}")
                outcome = close_message(tavix, "save") if message(tavix) else "saved"
                left = os.listdir(documents)
                assert left == (["primos.txt"] if outcome == "saved" else []), left
                assert head(result, len(WHOLE_HEAD)) == WHOLE_HEAD  # the result stays
        # And the window answers: from the result back to De:, 10 to 30.
        tavix.activate("Tavix")
        if not tavix.has_focus(tavix.find("De:", "text")):
            tavix.key("shift+Tab", "shift+Tab", "shift+Tab")
        tavix.focus_in("De:")
        tavix.key("ctrl+a")
        tavix.type_text("10")
        tavix.key("Tab", "ctrl+a")
        tavix.type_text("30")
        tavix.key("Return")
        wait_for(lambda: head(result, -1) == SMALL, 30, what="10 to 30 listed")
    print(f"{limit_mb} MB: {outcome}; then 10 to 30 listed", flush=True)


def main():
    for limit_mb in [int(arg) for arg in sys.argv[1:]] or LIMITS_MB:
        with temporary_home() as documents:
            one_limit(limit_mb, documents)
    print("ok")


if __name__ == "__main__":
    main()
