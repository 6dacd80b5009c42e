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

import collections
import contextlib
import ctypes
import ctypes.util
import os
import re
import shutil
import signal
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


# The about window's description, which is also its accessible name.
ABOUT_DESCRIPTION = ("O Tavix lista os números primos de um intervalo, verifica se um número é "
                     "primo e fatora um número na tabela de duas colunas. Um programa da equipe "
                     "do Tavix.")


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

    # The factorization as a screen reader reads it: a row for each line, quotient and divisor.
    FACTORS_OF_360 = [("360", "2"), ("180", "2"), ("90", "2"), ("45", "3"), ("15", "3"),
                      ("5", "5"), ("1", "")]

    def factor_rows(self):
        """The rows of the factorization table, each (quotient, divisor)."""
        table = self.find("Fatoração", "table").queryTable()
        return [tuple(table.getAccessibleAt(row, column).name for column in range(2))
                for row in range(table.nRows)]

    @staticmethod
    def has_focus(node):
        return node.getState().contains(pyatspi.STATE_FOCUSED)

    def focus_in(self, name, role="text", root=None, what=None):
        """Waits for the keyboard focus on the accessible named `name`, and returns it."""
        node = self.find(name, role, root)
        wait_for(lambda: self.has_focus(node), what=what or f"the focus in {name}")
        return node

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
            return active_window() == window_id

        wait_for(activated, 15.0, interval=0.3, what=f"window {title!r} activated")
        return window_id

    def type_text(self, text):
        xdotool("type", "--delay", "30", text)

    def list_interval(self, first, last, activate=True):
        """Activates the main window (unless told not to) and, from the keyboard as a user
        would, types `first` into De:, Tab, `last` into Até:, and Enter. Returns the result
        area's accessible."""
        if activate:
            self.activate("Tavix")
        self.focus_in("De:")
        self.type_text(str(first))
        self.key("Tab")
        self.type_text(str(last))
        self.key("Return")
        return self.find("Resultado", "text")

    def list_whole_range(self):
        """Lists 0 to 2147483647 from the keyboard, waits for its head in Resultado and moves
        the focus there with Tab; returns the result area's accessible."""
        result = self.list_interval(0, 2147483647)
        wait_for(lambda: whole_range_shown(result), 30, what="the whole range in Resultado")
        self.key("Tab", "Tab", "Tab")
        wait_for(lambda: self.has_focus(result), what="the focus in Resultado")
        return result

    def key(self, *keys):
        for k in keys:
            xdotool("key", "--delay", "30", k)

    def tab_to(self, name, role=None, key="Tab"):
        """Presses `key` (Tab) until the control named `name` has the keyboard focus; returns
        its accessible."""
        node = self.find(name, role)
        for _ in range(16):
            if self.has_focus(node):
                return node
            self.key(key)
            time.sleep(0.1)
        return self.focus_in(name, role)

    def verify_and_save(self, main_active, box_active, save_active):
        """From the keyboard, with the main window active: "Verificar" on 7, its message box
        active (`box_active()`), Enter, the main window active again (`main_active()`); Ctrl+S
        in the result area, the save dialog active (`save_active()`), Esc, the keyboard back
        in the result area."""
        self.tab_to("Número", "text")
        self.key("ctrl+a")
        self.type_text("7")
        self.tab_to("Verificar", "push button")
        self.key("space")
        wait_for(box_active, 10, what="the message box active")
        assert "7 é um número primo" in message(self), message(self)
        self.key("Return")
        wait_for(main_active, 5, what="the main window active after the box")
        result = self.tab_to("Resultado", "text", "shift+Tab")
        self.key("ctrl+s")
        wait_for(save_active, 10, what="the save dialog active")
        self.key("Escape")
        wait_for(lambda: main_active() and self.has_focus(result), 5,
                 what="the keyboard back in the result area")

    def answer_yes(self, timeout=10.0):
        """Answers "Sim" to the question on the screen with Alt+S, as a user would, and again
        should the question still stand a moment later: a key sent while the box is being
        mapped may reach no window."""
        self.find("Sim", "push button", timeout=timeout)

        def answered():
            self.key("alt+s")
            time.sleep(0.5)
            return not self.find_all("Sim", "push button")

        wait_for(answered, timeout, interval=0, what="the question answered")

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


# -- the display and its windows -------------------------------------------------------------

# The head of the whole range's listing.
WHOLE_HEAD = "Total de 105097565 números primos: 2, 3, 5, 7, 11"


def whole_range_shown(result):
    return result.queryText().getText(0, len(WHOLE_HEAD)) == WHOLE_HEAD


def stop_process(process, timeout=10):
    """Ends a helper process (a screen reader, a compositor): asked first, killed if it lingers."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def active_window():
    done = subprocess.run(["xdotool", "getactivewindow"], capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else None


def window_title(window_id):
    return xdotool("getwindowname", window_id).strip()


def xprop(window_id, *names):
    return subprocess.run(["xprop", "-id", str(window_id), *names], capture_output=True,
                          text=True).stdout


def client_geometry(window_id):
    """Left, top, width, height of a window's client area on the screen."""
    info = subprocess.run(["xwininfo", "-id", str(window_id)], capture_output=True,
                          text=True).stdout
    values = [int(re.search(pattern + r":\s+(-?\d+)", info).group(1)) for pattern in
              ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")]
    return tuple(values)


def frame_extents(window_id):
    match = re.search(r"= (\d+), (\d+), (\d+), (\d+)", xprop(window_id, "_NET_FRAME_EXTENTS"))
    return tuple(int(v) for v in match.groups()) if match else (0, 0, 0, 0)


def click_at(x, y):
    xdotool("mousemove", x, y, "click", "1")


def click(node):
    """A real mouse click on the middle of a control."""
    x, y, width, height = extents(node)
    click_at(x + width // 2, y + height // 2)


def offset_from_screen_centre(window_id):
    """How far the middle of a window, frame included, lies from the middle of the screen."""
    left, top, width, height = client_geometry(window_id)
    frame_left, frame_right, frame_top, frame_bottom = frame_extents(window_id)
    screen_width, screen_height = (int(v) for v in xdotool("getdisplaygeometry").split())
    return (left - frame_left + (width + frame_left + frame_right) / 2 - screen_width / 2,
            top - frame_top + (height + frame_top + frame_bottom) / 2 - screen_height / 2)


class BellCounter:
    """A connection of our own to the X display, counting the bells rung on it: the XKB bell
    notifications, which the server sends to every client that asks for them, whichever client
    (a window manager such as mutter, which plays the bell itself) handles the bell."""

    XkbUseCoreKbd = 0x100
    XkbBellNotify = 8
    XkbBellNotifyMask = 1 << 8

    def __init__(self):
        x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong,
                                      ctypes.c_ulong]
        for name in ("XPending", "XFlush", "XNextEvent", "XkbQueryExtension"):
            getattr(x, name).argtypes = None
        self.x = x
        self.dpy = x.XOpenDisplay(None)
        assert self.dpy, "cannot open the display"
        opcode, event, error = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        major, minor = ctypes.c_int(1), ctypes.c_int(0)
        assert x.XkbQueryExtension(ctypes.c_void_p(self.dpy), ctypes.byref(opcode),
                                   ctypes.byref(event), ctypes.byref(error),
                                   ctypes.byref(major), ctypes.byref(minor)), "no XKB"
        self.xkb_event = event.value
        x.XkbSelectEvents(self.dpy, self.XkbUseCoreKbd, self.XkbBellNotifyMask,
                          self.XkbBellNotifyMask)
        x.XFlush(ctypes.c_void_p(self.dpy))
        self.bells = 0

    def bell_count(self):
        """Bells rung on the display since this connection was made."""
        event = (ctypes.c_long * 24)()
        while self.x.XPending(ctypes.c_void_p(self.dpy)):
            self.x.XNextEvent(ctypes.c_void_p(self.dpy), event)
            raw = bytes(event)
            kind = int.from_bytes(raw[0:4], "little")
            xkb_kind = int.from_bytes(raw[40:44], "little")  # XkbAnyEvent.xkb_type
            if kind == self.xkb_event and xkb_kind == self.XkbBellNotify:
                self.bells += 1
        return self.bells

    def bells_after(self, action, settle=0.8):
        """Runs action() and returns how many bells rang by the time things settled."""
        before = self.bell_count()
        action()
        time.sleep(settle)
        return self.bell_count() - before


def wait_active(title, what=None):
    return wait_for(lambda: (active_window() if active_window() and
                             window_title(active_window()) == title else None),
                    what=what or f"{title!r} active")


def window_manager_running():
    check = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True,
                           text=True).stdout
    return "window id" in check


def recording_script(path, record):
    """A shell script at `path` that adds its first argument, as a line, to the file `record`."""
    with open(path, "w") as f:
        f.write(f"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '{record}'\n")
    os.chmod(path, 0o755)
    return path


def link_opener(directory):
    """A desktop whose default handler for web and mailto targets writes them to a file."""
    record = os.path.join(directory, "opened.txt")
    script = recording_script(os.path.join(directory, "opener.sh"), record)
    applications = os.path.join(directory, "data", "applications")
    os.makedirs(applications)
    os.makedirs(os.path.join(directory, "config"))
    with open(os.path.join(applications, "tavix-test-opener.desktop"), "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=Opener\nNoDisplay=true\n"
                f"Exec={script} %u\n"
                "MimeType=x-scheme-handler/https;x-scheme-handler/mailto;\n")
    with open(os.path.join(directory, "config", "mimeapps.list"), "w") as f:
        f.write("[Default Applications]\n"
                "x-scheme-handler/https=tavix-test-opener.desktop\n"
                "x-scheme-handler/mailto=tavix-test-opener.desktop\n")
    # The program started next inherits these, and so does the desktop's opener (xdg-open).
    os.environ["XDG_DATA_HOME"] = os.path.join(directory, "data")
    os.environ["XDG_CONFIG_HOME"] = os.path.join(directory, "config")
    return record


def opened(record):
    if not os.path.exists(record):
        return []
    with open(record) as f:
        return f.read().split()


# -- colours on the screen ---------------------------------------------------------------------

def luminance(rgb):
    def linear(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


class Picture:
    """The pixels of a PNG, read through ImageMagick."""

    def __init__(self, path):
        size = subprocess.run(["identify", "-format", "%w %h", path], check=True,
                              capture_output=True, text=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                                   capture_output=True).stdout

    def pixel(self, x, y):
        i = 3 * (y * self.width + x)
        return tuple(self.data[i:i + 3])

    def area(self, x, y, w, h):
        return [self.pixel(i, j) for j in range(max(y, 0), min(y + h, self.height))
                for i in range(max(x, 0), min(x + w, self.width))]


def commonest(pixels):
    return collections.Counter(pixels).most_common(1)[0][0]


def strongest(pixels, ground):
    return max(contrast(p, ground) for p in pixels)


def extents(node):
    e = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return e.x, e.y, e.width, e.height


def inset(box, by):
    x, y, w, h = box
    return x + by, y + by, w - 2 * by, h - 2 * by


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


def message(tavix, title="Tavix"):
    """The text of the program's message box on the screen (its labels), or None."""
    for box in tavix.find_all(title, "alert"):
        text = " ".join(node.name for node in _walk(box)
                        if node.getRoleName() == "label" and node.name)
        if text:
            return text
    return None


# -- saving ------------------------------------------------------------------------------------

def save_as(tavix, name):
    """Ctrl+S, and `name` typed into the dialog once it has listed its folder, and Enter."""
    tavix.key("ctrl+s")
    dialog = tavix.window("Salvar como", timeout=10)
    wait_for(lambda: tavix.text(tavix.find("Nome do arquivo:", "text", dialog)) == "primos.txt",
             what="the name offered")
    wait_for(lambda: tavix.x_window("Salvar como"), what="the dialog on the screen")
    tavix.key("ctrl+a")
    tavix.type_text(name)
    tavix.key("Return")


def saving(tavix):
    """Whether the save's progress is on the screen."""

    def progress(node):
        if node.getRoleName() == "progress bar" and tavix.is_showing(node):
            return True
        return any(progress(node.getChildAtIndex(i)) for i in range(node.childCount))

    return progress(tavix.app)


def writing_into(pid, folder):
    """Whether the program has a file of the folder open (the save under way)."""
    for fd in os.listdir(f"/proc/{pid}/fd"):
        try:
            if os.readlink(f"/proc/{pid}/fd/{fd}").startswith(folder + "/"):
                return True
        except OSError:
            pass
    return False


# -- a USB stick -------------------------------------------------------------------------------

STICK_TOOLS = ("mkfs.exfat", "losetup", "mount.exfat-fuse", "umount")


def require_stick():
    """Skips the test (exit 77), saying why, where no stick can be made: it takes root, a loop
    device and FUSE (/dev/loop-control, /dev/fuse), exfatprogs and exfat-fuse."""
    missing = [path for path in ("/dev/loop-control", "/dev/fuse") if not os.path.exists(path)]
    missing += [tool for tool in STICK_TOOLS if not shutil.which(tool)]
    reason = (f"missing {', '.join(missing)}" if missing
              else "not root" if os.geteuid() != 0 else None)
    if reason:
        print(f"no USB stick can be made here ({reason}): skipped")
        sys.exit(SKIP)


class Stick:
    """A USB stick as shops sell them: an exFAT image of `megabytes` on a loop device, mounted
    through FUSE (exfat-fuse, which refuses a plain file), with no files without a name, names
    that ignore case and ':' forbidden. Unmounted, detached and deleted however the test ends."""

    def __init__(self, megabytes):
        self.megabytes = megabytes
        self.device = None
        self.driver = None

    def __enter__(self):
        self.home = tempfile.mkdtemp(prefix="tavix-stick-")
        self.image = os.path.join(self.home, "stick.img")
        self.dir = os.path.join(self.home, "PENDRIVE")
        os.mkdir(self.dir)
        with open(self.image, "wb") as f:
            f.truncate(self.megabytes << 20)
        try:
            subprocess.run(["mkfs.exfat", "-L", "PENDRIVE", self.image], check=True,
                           capture_output=True)
            self.device = subprocess.run(["losetup", "-f", "--show", self.image], check=True,
                                         capture_output=True, text=True).stdout.strip()
            self.plug()
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        if self.driver is not None:
            if subprocess.run(["umount", self.dir], capture_output=True).returncode != 0:
                subprocess.run(["umount", "-l", self.dir], capture_output=True)
            self.driver = None
        if self.device:
            # The driver lets the device go a moment after the unmount.
            deadline = time.monotonic() + 10
            while (subprocess.run(["losetup", "-d", self.device], capture_output=True).returncode
                   and time.monotonic() < deadline):
                time.sleep(0.1)
            self.device = None
        shutil.rmtree(self.home, ignore_errors=True)
        return False

    def plug(self):
        """Mounts the stick (again, once pulled out), as the desktop does when it is put in."""
        subprocess.run(["mount.exfat-fuse", self.device, self.dir], check=True,
                       capture_output=True)
        self.driver = next(int(pid) for pid in os.listdir("/proc") if pid.isdigit()
                           and _cmdline(pid)[:1] == ["mount.exfat-fuse"]
                           and self.device in _cmdline(pid))

    def pull(self):
        """Pulls the stick out mid-use: its driver ends, and the mount answers nothing more
        ("Transport endpoint is not connected") until it is lazily unmounted."""
        os.kill(self.driver, signal.SIGKILL)
        wait_for(lambda: _cmdline(self.driver) in ([], [""]), what="the driver ended")
        subprocess.run(["umount", "-l", self.dir], check=True, capture_output=True)
        self.driver = None

    def path(self, name):
        return os.path.join(self.dir, name)

    def files(self):
        """What is on the stick, hidden files included."""
        return sorted(os.listdir(self.dir))


def _cmdline(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().decode(errors="replace").split("\0")
    except OSError:
        return []
