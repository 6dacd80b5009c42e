"""A multi-megabyte listing read through the accessibility bus: the result's head, the caret
sent to its end with Ctrl+End (and the news of it), the last line, and a selection of it."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, pyatspi, wait_for  # noqa: E402
from gi.repository import GLib  # noqa: E402

LAST = 2000000
HEAD = "Total de 148933 números primos: 2, 3, 5, 7, 11, "
LAST_PRIME = "1999993"


def main():
    caret_news = []

    def on_caret(event):
        if event.source is not None and event.source.name == "Resultado":
            caret_news.append(event.detail1)

    pyatspi.Registry.registerEventListener(on_caret, "object:text-caret-moved")

    def pumped(predicate):
        def check():
            while GLib.MainContext.default().iteration(False):
                pass
            return predicate()

        return check

    with Program() as tavix:
        result = tavix.list_interval(0, LAST)
        wait_for(lambda: result.queryText().getText(0, len(HEAD)) == HEAD, 30,
                 what="the listing in Resultado")
        text = result.queryText()
        size = text.characterCount
        # Past the point where the result is wrapped on a thread of its own.
        assert size > 1_000_000, size

        # Ctrl+End in the result: the caret at the very end, and the news of it.
        tavix.key("Tab", "Tab", "Tab")
        wait_for(lambda: tavix.has_focus(result), what="the focus in Resultado")
        caret_news.clear()
        tavix.key("ctrl+End")
        wait_for(lambda: result.queryText().caretOffset == size, what="the caret at the end")
        wait_for(pumped(lambda: size in caret_news), what="the caret news at the end")
        line, start, end = text.getTextAtOffset(size - 1, pyatspi.TEXT_BOUNDARY_LINE_START)
        assert end == size and line.endswith(", " + LAST_PRIME), (start, end, line[-40:])
        assert text.getText(start, end) == line

        # Shift+Home selects the last line.
        tavix.key("shift+Home")
        wait_for(lambda: result.queryText().getNSelections() == 1, what="a selection")
        assert tuple(text.getSelection(0)) == (start, size), (tuple(text.getSelection(0)), start)
        assert tavix.running()
    print("ok")


if __name__ == "__main__":
    main()
