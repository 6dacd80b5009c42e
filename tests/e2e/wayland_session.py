"""The real program natively on Wayland: a headless weston with no X display (started by
tools/with-wayland.sh). The compositor has no input devices, so the program is driven the
way assistive technology drives it: texts put into the boxes and buttons pressed through the
accessibility bus (AT-SPI), results read back the same way. Screenshots come from weston's
own screenshooter."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import Program, artifacts_dir, wait_for  # noqa: E402

SKIP = 77


def press(node):
    """Presses a button as assistive technology does (its "Press" action)."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    assert "Press" in names, names
    action.doAction(names.index("Press"))


def put_text(node, text):
    assert node.queryEditableText().setTextContents(text)


def top_windows(tavix):
    children = (tavix.app.getChildAtIndex(i) for i in range(tavix.app.childCount))
    return [(child.name, child.getRoleName()) for child in children if child is not None]


def screenshot(name):
    """The whole Wayland screen, from the compositor, saved into the artefacts as `name`."""
    with tempfile.TemporaryDirectory() as directory:
        subprocess.run(["weston-screenshooter"], cwd=directory, check=True, capture_output=True,
                       timeout=20)
        shots = glob.glob(os.path.join(directory, "*.png"))
        assert len(shots) == 1, shots
        target = os.path.join(artifacts_dir(), name)
        shutil.move(shots[0], target)
        return target


def native_wayland(pid):
    """True when the process talks to the compositor through Qt's Wayland plugin."""
    with open(f"/proc/{pid}/maps") as maps:
        mapped = maps.read()
    return "libQt6WaylandClient" in mapped and "libQt6XcbQpa" not in mapped


def main():
    if not os.environ.get("WAYLAND_DISPLAY") or os.environ.get("DISPLAY"):
        print("needs a Wayland display and no X display: run under tools/with-wayland.sh")
        sys.exit(SKIP)
    with Program() as tavix:
        window = tavix.window("Tavix")
        assert native_wayland(tavix.process.pid), "not on Qt's Wayland platform"

        # A listing from 10 to 30.
        put_text(tavix.find("De:", "text"), "10")
        put_text(tavix.find("Até:", "text"), "30")
        press(tavix.find("Calcular", "push button"))
        result = tavix.find("Resultado", "text")
        expected = "Total de 6 números primos: 11, 13, 17, 19, 23, 29"
        wait_for(lambda: tavix.text(result) == expected, what="the listing in Resultado")

        # The table of 360.
        put_text(tavix.find("Número", "text"), "360")
        press(tavix.find("Fatorar", "push button"))
        wait_for(lambda: tavix.factor_rows() == tavix.FACTORS_OF_360, what="the table of 360")

        # A message box: shown with the verdict, closed with its OK button.
        press(tavix.find("Verificar", "push button"))
        box = tavix.find("Tavix", "alert", timeout=10)
        assert tavix.find_all("360 não é um número primo", root=box), "the verdict is shown"
        assert box.description == "exclamação", box.description
        screenshot("wayland_message.png")
        press(tavix.find("OK", "push button", root=box))
        wait_for(lambda: ("Tavix", "alert") not in top_windows(tavix), what="the box closed")

        # The about window: opened by "?", closed by "Ok".
        press(tavix.find("?", "push button"))
        about = tavix.window("Sobre o Tavix")
        assert tavix.find_all("Tavix", "label", root=about)
        screenshot("wayland_about.png")
        press(tavix.find("Ok", "push button", root=about))
        wait_for(lambda: all(name != "Sobre o Tavix" for name, _ in top_windows(tavix)),
                 what="the about window closed")
        screenshot("wayland.png")

        assert tavix.running()
        assert window is not None
    print("ok")


if __name__ == "__main__":
    main()
