"""Helpers for end-to-end tests of the built Tavix program.

Each test starts the program in the X display that tools/with-display.sh provides, drives it
with real key presses (xdotool) as a user would, and reads the controls through the
accessibility bus (AT-SPI), finding them by their accessible names.

    from tavix_e2e import Program
    with Program() as tavix:
        tavix.activate("Tavix")
        tavix.type_text("10")
        print(tavix.text(tavix.find("Resultado")))

Environment: TAVIX_BIN, the program; TAVIX_ARTIFACTS, where screenshots go; DISPLAY and a
session bus. Without DISPLAY the test is skipped (exit status 77).
"""

import contextlib
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
SYSTEM_PYTHON = "/usr/bin/python3"


def _use_system_python():
    """pyatspi comes with the system's Python: run the test with it if this one lacks it."""
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        if os.path.realpath(sys.executable) != os.path.realpath(SYSTEM_PYTHON) and os.path.exists(
            SYSTEM_PYTHON
        ):
            os.execv(SYSTEM_PYTHON, [SYSTEM_PYTHON] + sys.argv)
        raise


def require_display():
    """Skips the test (exit 77) when there is no display to run the program in: an X display,
    or a Wayland one (tools/with-wayland.sh)."""
    if not os.environ.get("DISPLAY") and not os.environ.get("WAYLAND_DISPLAY"):
        print("no DISPLAY: skipped (run under tools/with-display.sh)")
        sys.exit(SKIP)


require_display()
_use_system_python()

import pyatspi  # noqa: E402


def wait_for(predicate, timeout=10.0, interval=0.05, what="condition"):
    """Polls until predicate() gives a true value, and returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except Exception:  # the accessible tree changes under our feet while it is built
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def xdotool(*args):
    """Runs xdotool with the given arguments and returns its output."""
    return subprocess.run(
        ["xdotool", *map(str, args)], check=True, capture_output=True, text=True
    ).stdout


class _ClientMessage(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class _XEvent(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


def close_window(window_id):
    """Asks the window manager to close a window, as its close box does (_NET_CLOSE_WINDOW)."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    display = ctypes.c_void_p(x11.XOpenDisplay(None))
    if not display:
        raise AssertionError("cannot open the display")
    try:
        event = _XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.send_event = 1
        event.xclient.window = int(window_id)
        event.xclient.message_type = x11.XInternAtom(display, b"_NET_CLOSE_WINDOW", 0)
        event.xclient.format = 32
        event.xclient.data[1] = 2  # the request comes from a user's action
        root = ctypes.c_ulong(x11.XDefaultRootWindow(display))
        substructure = (1 << 19) | (1 << 20)  # SubstructureNotify | SubstructureRedirect
        x11.XSendEvent(display, root, 0, ctypes.c_long(substructure), ctypes.byref(event))
        x11.XFlush(display)
    finally:
        x11.XCloseDisplay(display)


def artifacts_dir():
    path = os.environ.get("TAVIX_ARTIFACTS") or os.path.join(os.getcwd(), "artifacts")
    os.makedirs(path, exist_ok=True)
    return path


def _walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from _walk(child)


class Program:
    """The running program: started on entry, killed on exit if it is still running."""

    def __init__(self, binary=None, args=(), start_timeout=15.0, env=None, stderr=None):
        """env: variables added to the program's environment; stderr: where its standard
        error goes (a file, or subprocess.PIPE to read it from self.process)."""
        self.binary = binary or os.environ.get("TAVIX_BIN")
        if not self.binary:
            raise AssertionError("TAVIX_BIN is not set")
        self.args = list(args)
        self.extra_env = dict(env or {})
        self.stderr = stderr
        self.start_timeout = start_timeout
        self.process = None
        self.app = None

    def __enter__(self):
        env = dict(os.environ)
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env["QT_ACCESSIBILITY"] = "1"
        env.update(self.extra_env)
        self.started = time.monotonic()
        self.process = subprocess.Popen([self.binary, *self.args], env=env, stderr=self.stderr)
        self.app = wait_for(self._find_app, self.start_timeout, what="the program on the AT-SPI bus")
        return self

    def __exit__(self, *exc):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        return False

    def _find_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    # -- finding controls ------------------------------------------------------------------

    def find_all(self, name, role=None, root=None):
        """Every accessible named `name` (and of the role, if given) under root or the app."""
        root = root or self.app
        role_names = None if role is None else {role} if isinstance(role, str) else set(role)
        return [
            node
            for node in _walk(root)
            if node.name == name and (role_names is None or node.getRoleName() in role_names)
        ]

    def find(self, name, role=None, root=None, timeout=5.0):
        """The one accessible named `name`, waiting for it to appear."""

        def one():
            found = self.find_all(name, role, root)
            return found[0] if found else None

        return wait_for(one, timeout, what=f"accessible {name!r}")

    def window(self, title, timeout=5.0):
        """A top-level window of the program by its title."""

        def top():
            for i in range(self.app.childCount):
                child = self.app.getChildAtIndex(i)
                if child is not None and child.name == title:
                    return child
            return None

        return wait_for(top, timeout, what=f"window {title!r}")

    # -- reading controls ------------------------------------------------------------------

    @staticmethod
    def text(node):
        """The whole text of a text control (or its name when it has no text)."""
        try:
            t = node.queryText()
            return t.getText(0, -1)
        except NotImplementedError:
            return node.name

    @staticmethod
    def has_focus(node):
        return node.getState().contains(pyatspi.STATE_FOCUSED)

    @staticmethod
    def is_showing(node):
        return node.getState().contains(pyatspi.STATE_SHOWING)

    # -- driving the program ---------------------------------------------------------------

    def x_window(self, title, timeout=10.0):
        """The X window id of a top-level window of the program, by its exact title."""

        def search():
            out = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid), "--name",
                 f"^{title}$"],
                capture_output=True,
                text=True,
            ).stdout.split()
            return out[0] if out else None

        return wait_for(search, timeout, what=f"X window {title!r}")

    def activate(self, title):
        """Brings the window to the front with the keyboard focus, as a click on it would."""
        window_id = self.x_window(title)

        def activated():
            # The window manager may not manage a freshly mapped window yet: ask again until
            # it is the active window.
            subprocess.run(["xdotool", "windowactivate", window_id], capture_output=True)
            active = subprocess.run(["xdotool", "getactivewindow"], capture_output=True,
                                    text=True).stdout.strip()
            return active == window_id

        wait_for(activated, 15.0, interval=0.3, what=f"window {title!r} activated")
        return window_id

    def type_text(self, text):
        xdotool("type", "--delay", "30", text)

    def list_interval(self, first, last):
        """Activates the main window and, from the keyboard as a user would, types `first` into
        De:, Tab, `last` into Até:, and Enter. Returns the result area's accessible."""
        self.activate("Tavix")
        box = self.find("De:", "text")
        wait_for(lambda: self.has_focus(box), what="the focus in De:")
        self.type_text(str(first))
        self.key("Tab")
        self.type_text(str(last))
        self.key("Return")
        return self.find("Resultado", "text")

    def key(self, *keys):
        for k in keys:
            xdotool("key", "--delay", "30", k)

    def screenshot(self, name, window_id=None):
        """Saves a PNG of the screen, or of one window, into TAVIX_ARTIFACTS; returns its path."""
        path = os.path.join(artifacts_dir(), name)
        subprocess.run(["import", "-silent", "-window", window_id or "root", path], check=True)
        return path

    def wait_exit(self, timeout=5.0):
        """Waits for the program to end by itself and returns its exit status."""
        return self.process.wait(timeout)

    def running(self):
        return self.process.poll() is None


@contextlib.contextmanager
def temporary_home():
    """A home folder of its own with an empty Documents folder, removed afterwards (a whole
    range saved there takes 1.2 GB). Yields the Documents folder; its parent is the home."""
    home = tempfile.mkdtemp(prefix="tavix-home-")
    try:
        os.makedirs(os.path.join(home, "Documents"))
        yield os.path.join(home, "Documents")
    finally:
        shutil.rmtree(home, ignore_errors=True)


def message(tavix):
    """The text of the program's message box on the screen (its labels), or None."""

    def labels(node):
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                if child.getRoleName() == "label" and child.name:
                    yield child.name
                yield from labels(child)

    for box in tavix.find_all("Tavix", "alert"):
        text = " ".join(labels(box))
        if text:
            return text
    return None
