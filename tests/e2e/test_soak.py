"""Twenty rounds in one process, as a long lesson would: list the whole range, go to its end,
save it over the same file, with the dialog and the save itself cancelled in between. Then
the memory is back to its level after the first round (within 10 %), no thread is left
running beyond those of the program at rest, and the folder holds the saved file alone."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, saving, temporary_home, wait_for, whole_range_shown  # noqa: E402

ROUNDS = 20
WHOLE_SIZE = 1203807730


def status(pid, field):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    raise AssertionError(field)


def threads(pid):
    return len(os.listdir(f"/proc/{pid}/task"))


def main():
    with temporary_home() as documents:
        rounds(documents)


def rounds(documents):
    home = os.path.dirname(documents)
    saved = os.path.join(documents, "primos.txt")

    with Program(env={"HOME": home}) as tavix:
        pid = tavix.process.pid
        idle = threads(pid)
        result = tavix.list_interval(0, 2147483647)
        first = None
        for round_ in range(1, ROUNDS + 1):
            if round_ > 1:  # from the result back to De:, and Enter lists again
                tavix.key("shift+Tab", "shift+Tab", "shift+Tab")
                tavix.focus_in("De:")
                tavix.key("Return")
            wait_for(lambda: whole_range_shown(result), 30,
                     what="the whole range")
            tavix.key("Tab", "Tab", "Tab")
            wait_for(lambda: tavix.has_focus(result), what="the focus in Resultado")
            tavix.key("ctrl+End")
            wait_for(lambda: result.queryText().caretOffset == WHOLE_SIZE - 1,
                     what="the caret at the end")
            if round_ % 2 == 1:  # the dialog cancelled
                tavix.key("ctrl+s")
                tavix.window("Salvar como", timeout=10)
                tavix.key("Escape")
                wait_for(lambda: not tavix.find_all("Salvar como"), what="the dialog closed")
            for cancel in (round_ % 3 == 1, False):  # a save cancelled midway, then one whole
                before = os.path.getmtime(saved) if os.path.exists(saved) else None
                tavix.key("ctrl+s")
                tavix.window("Salvar como", timeout=10)
                wait_for(lambda: tavix.x_window("Salvar como"), what="the dialog on the screen")
                tavix.key("Return")  # primos.txt, offered
                if before is not None:
                    tavix.answer_yes()
                if cancel:
                    wait_for(lambda: saving(tavix), 10, what="the save's progress")
                    tavix.key("Escape")

                def done():
                    busy = saving(tavix)
                    changed = os.path.exists(saved) and os.path.getmtime(saved) != before
                    return not busy and (cancel or changed)

                wait_for(done, 30, what="the save ended")
                assert not os.path.exists(saved) or os.path.getsize(saved) == WHOLE_SIZE
                assert os.listdir(documents) in ([], ["primos.txt"]), os.listdir(documents)
            wait_for(lambda: tavix.has_focus(result), what="the focus back in Resultado")
            if first is None:  # once the listing's line breaking has ended
                wait_for(lambda: threads(pid) <= idle, 10, what=f"back to {idle} threads")
                first = status(pid, "VmRSS")
            print(f"round {round_}: {status(pid, 'VmRSS') // 1024} MB, {threads(pid)} threads",
                  flush=True)

        wait_for(lambda: threads(pid) <= idle, 10, what=f"back to {idle} threads")
        last = status(pid, "VmRSS")
        assert last <= first * 1.1, f"{last} kB after {ROUNDS} rounds, {first} kB after one"
        assert os.listdir(documents) == ["primos.txt"], os.listdir(documents)
        assert tavix.running()
    print("ok")


if __name__ == "__main__":
    main()
