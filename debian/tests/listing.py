"""The installed /usr/bin/tavix as a user drives it: 10, Tab, 30, Enter lists the primes,
read back through the accessibility bus; the close box ends the program with status 0.
TAVIX_BIN names another program (tools/package-check.sh runs the one of the package it
built, unpacked)."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))

from tavix_e2e import Program, close_window, wait_for  # noqa: E402


def has_window_manager():
    root = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True,
                          text=True).stdout
    return "window id" in root


def main():
    # The keyboard focus and the close box need a window manager.
    wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(has_window_manager, 20, what="the window manager")
        with Program(os.environ.get("TAVIX_BIN", "/usr/bin/tavix")) as tavix:
            result = tavix.list_interval(10, 30)
            expected = "Total de 6 números primos: 11, 13, 17, 19, 23, 29"
            wait_for(lambda: tavix.text(result) == expected, what="the listing of 10 to 30")
            close_window(tavix.x_window("Tavix"))
            status = tavix.wait_exit(10)
            assert status == 0, f"exit status {status}"
    finally:
        wm.terminate()
        wm.wait()
    print("ok: listing of 10 to 30 read back, window closed")


if __name__ == "__main__":
    main()
