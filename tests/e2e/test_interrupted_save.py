"""A save of the whole range over an earlier file, interrupted as logging out (SIGTERM), Ctrl+C
in a terminal (SIGINT), a closed terminal (SIGHUP) or a kill (SIGKILL) would: the program ends,
the earlier file is left as it was and nothing else is left in the folder, hidden or not."""

import os
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, temporary_home, wait_for, writing_into  # noqa: E402

EARLIER = b"o arquivo de antes\n"


def interrupted(signum, documents):
    home = os.path.dirname(documents)
    target = os.path.join(documents, "primos.txt")
    with open(target, "wb") as f:
        f.write(EARLIER)
    with Program(env={"HOME": home}) as tavix:
        result = tavix.list_whole_range()
        tavix.key("ctrl+s")
        wait_for(lambda: tavix.x_window("Salvar como"), what="the save dialog")
        dialog = tavix.window("Salvar como", timeout=10)
        tavix.find(documents, "combo box", dialog)  # the folder listed
        tavix.key("Return")  # primos.txt, offered
        try:
            tavix.find("Sim", "push button", timeout=10)  # "primos.txt já existe. ..."
        except AssertionError:
            tavix.screenshot("overwrite.png")
            raise
        tavix.key("alt+s")
        wait_for(lambda: writing_into(tavix.process.pid, documents), 10, interval=0.01,
                 what="the save under way")
        tavix.process.send_signal(signum)
        status = tavix.wait_exit(20)
    assert status == -signum, (signal.Signals(signum).name, status)
    left = sorted(os.listdir(documents))
    assert left == ["primos.txt"], (signal.Signals(signum).name, left)
    with open(target, "rb") as f:
        assert f.read() == EARLIER, signal.Signals(signum).name
    print(f"{signal.Signals(signum).name}: the earlier file as it was, nothing else", flush=True)


def main():
    for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGKILL):
        with temporary_home() as documents:
            interrupted(signum, documents)
    print("ok")


if __name__ == "__main__":
    main()
