"""GNOME's and KDE Plasma's Wayland compositors (mutter 43, kwin_wayland 5.27), each nested in
an X display of its own, with the program as a native Wayland client: what a user of those
desktops runs. xdotool's keys and clicks reach the client through the compositor's X window;
AT-SPI tells the active window and the focus; the program's protocol log (WAYLAND_DEBUG)
tells what it asked of the compositor; the bells are read from that log (GNOME's
gtk_shell1.system_bell) and from the sound theme's bell being opened (inotify)."""

import ctypes
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

from tavix_e2e import Picture, artifacts_dir, stop_process, wait_for, xdotool

LIBC = ctypes.CDLL(None, use_errno=True)
PR_SET_PDEATHSIG = 1
BELL_SOUND = "/usr/share/sounds/freedesktop/stereo/bell.oga"
MAIN_GREY = (224, 224, 224)


def _ends_with_test():
    # A compositor left without its X display spins: it ends with the test, however it ends.
    LIBC.prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def _longest_run(values, gap=40):
    """The longest run of `values` (sorted) that follow each other at most `gap` apart: a
    window's rows or columns, without those of a lone control of the same colour."""
    runs = [[]]
    for value in values:
        if runs[-1] and value - runs[-1][-1] > gap:
            runs.append([])
        runs[-1].append(value)
    return max(runs, key=len)


class NestedDesktop:
    """One compositor, started once for all the checks of a session: "gnome", "kde", or
    "weston" (its X11 backend, without panel)."""

    def __init__(self, desktop):
        self.desktop = desktop

    def _command(self):
        display = os.environ["DISPLAY"]
        if self.desktop == "weston":
            config = os.path.join(self.directory, "weston.ini")
            with open(config, "w") as f:
                f.write("[core]\nidle-time=0\n[input-method]\npath=\n"
                        "[shell]\npanel-position=none\n")
            return (["weston", "--backend=x11-backend.so", "--use-pixman", "--width=1280",
                     "--height=800", f"--socket={self.socket}", f"--config={config}"],
                    r"Weston Compositor[^\"]*")
        if self.desktop == "gnome":
            return (["mutter", "--nested", "--wayland", "--no-x11",
                     f"--wayland-display={self.socket}"], r"mutter")
        # Debian's kwin_wayland carries a file capability that a root shell may not run: a copy
        # runs, under the name its platform plugin looks for.
        binary = os.path.join(self.directory, "kwin_wayland")
        shutil.copy("/usr/bin/kwin_wayland", binary)
        return ([binary, "--x11-display", display, "--socket", self.socket, "--width", "1280",
                 "--height", "800"], r"KDE Wayland Compositor[^\"]*")

    def available(self):
        compositor = {"gnome": "mutter", "kde": "kwin_wayland"}.get(self.desktop, self.desktop)
        return all(shutil.which(tool) for tool in (compositor, "Xvfb", "inotifywait"))

    def _start_display(self):
        """An X display of its own, 1280 x 800 and without a window manager, whose keys all
        reach the compositor: under one, Alt+F4 would close the compositor's window."""
        read, write = os.pipe()
        self.x_server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
             "-noreset"], pass_fds=(write,), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, preexec_fn=_ends_with_test)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        assert number, "Xvfb did not start"
        self.outer_display = os.environ.get("DISPLAY")
        os.environ["DISPLAY"] = f":{number}"

    def __enter__(self):
        self.directory = tempfile.mkdtemp(prefix=f"tavix-{self.desktop}-")
        os.chmod(self.directory, 0o700)
        self.process = self.log = None
        self._start_display()
        self.socket = f"tavix-{self.desktop}"
        self.log_path = os.path.join(self.directory, "compositor.log")
        command, title = self._command()
        env = dict(os.environ, XDG_RUNTIME_DIR=self.directory,
                   MUTTER_DEBUG_DUMMY_MODE_SPECS="1280x800")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen(command, env=env, stdout=self.log, stderr=self.log,
                                        preexec_fn=_ends_with_test)
        try:
            wait_for(lambda: os.path.exists(os.path.join(self.directory, self.socket)), 20,
                     what=f"{self.desktop}'s socket")
            self.x_window = wait_for(lambda: self._find_window(title), 20,
                                     what=f"{self.desktop}'s X window")
            # No window manager: the compositor's window takes the keyboard itself.
            xdotool("mousemove", 640, 400)
            xdotool("windowfocus", "--sync", self.x_window)
        except BaseException:
            self.__exit__()
            raise
        return self

    @staticmethod
    def _find_window(title):
        tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True,
                              text=True).stdout
        found = re.search(r'(0x[0-9a-f]+) "' + title + '"', tree)
        return found.group(1) if found else None

    def client_env(self, protocol_log=True):
        env = {"XDG_RUNTIME_DIR": self.directory, "WAYLAND_DISPLAY": self.socket,
               "XDG_SESSION_TYPE": "wayland"}
        if protocol_log:
            env["WAYLAND_DEBUG"] = "client"
        return env

    def __exit__(self, *exc):
        if self.process is not None:
            stop_process(self.process)
            self.log.close()
            shutil.copy(self.log_path,
                        os.path.join(artifacts_dir(), f"{self.desktop}_wayland.log"))
        stop_process(self.x_server)
        if self.outer_display is not None:
            os.environ["DISPLAY"] = self.outer_display
        shutil.rmtree(self.directory, ignore_errors=True)
        return False

    # -- the screen inside the compositor ----------------------------------------------------

    def area(self, colour, fill=0.5, step=3):
        """Left, top, width, height on the X screen of the largest block of `colour` there
        (a window's own ground), read from a screenshot: the rows that show much of it, and
        the columns that show it in a share `fill` of those rows; None when none shows."""
        path = os.path.join(self.directory, "screen.png")
        subprocess.run(["import", "-silent", "-window", "root", path], check=True)
        picture = Picture(path)
        xs, ys = range(0, picture.width, step), range(0, picture.height, step)
        rows = _longest_run([y for y in ys
                             if sum(picture.pixel(x, y) == colour for x in xs) * step > 150])
        columns = _longest_run([x for x in xs if sum(picture.pixel(x, y) == colour
                                                     for y in rows) > fill * len(rows)])
        if not columns or rows[-1] - rows[0] < 100 or columns[-1] - columns[0] < 100:
            return None
        self.picture, self.height = picture, picture.height
        return (min(columns), min(rows), max(columns) - min(columns) + step,
                max(rows) - min(rows) + step)

    def click_main_background(self, avoid=None):
        """A real click on a spot of the main window's own grey that shows on the screen (the
        strip above its boxes, between "Calcular" and "?", or its left margin), outside the
        area `avoid` (left, top, width, height). Returns the spot."""
        left, top, _, height = self.area(MAIN_GREY, fill=0.01)
        spots = [(left + 890, top + 8), (left + 890, top + 40)]
        spots += [(left + 6, y) for y in range(top + 40, top + height - 20, 10)]
        for x, y in spots:
            inside = avoid and (avoid[0] <= x < avoid[0] + avoid[2]
                                and avoid[1] <= y < avoid[1] + avoid[3])
            if not inside and all(self.picture.pixel(x + dx, y) == MAIN_GREY
                                  for dx in (-3, 0, 3)):
                # Nested mutter tells a client where the pointer is only as it enters the
                # client's surface: the pointer leaves the windows first (the screen's corner
                # is the desktop's), so that the click lands where it is.
                xdotool("mousemove", 0, self.height - 1)
                time.sleep(0.2)
                xdotool("mousemove", x, y)
                time.sleep(0.2)
                xdotool("click", "1")
                return x, y
        raise AssertionError("no spot of the main window's grey to click")

    def drag(self, start, by):
        """Drags with the first button from the spot `start` by (dx, dy), a few steps at a
        time, as a hand does."""
        (x, y), (dx, dy) = start, by
        xdotool("mousemove", 0, self.height - 1)
        time.sleep(0.2)
        xdotool("mousemove", x, y)
        time.sleep(0.2)
        xdotool("mousedown", "1")
        time.sleep(0.2)
        for step in range(1, 11):
            xdotool("mousemove", x + dx * step // 10, y + dy * step // 10)
            time.sleep(0.03)
        xdotool("mouseup", "1")

    # -- what KDE's compositor says of a window ----------------------------------------------

    def kwin_windows(self):
        """What kwin knows of each window of the screen, through its scripting interface:
        caption, minimizable, maximizable, transient, skipTaskbar. None elsewhere."""
        if self.desktop != "kde":
            return None
        script = os.path.join(self.directory, "windows.js")
        with open(script, "w") as f:
            f.write("for (const w of workspace.clientList()) print('tavix-window ' + "
                    "JSON.stringify({caption: w.caption, minimizable: w.minimizable, "
                    "maximizable: w.maximizable, transient: w.transient, "
                    "skipTaskbar: w.skipTaskbar}));\n")
        with open(self.log_path) as f:
            before = f.read().count("tavix-window ")
        name = f"tavix{time.monotonic_ns()}"

        def kwin(path, method, *args):
            return subprocess.run(["gdbus", "call", "--session", "--dest", "org.kde.KWin",
                                   "--object-path", path, "--method", method, *args],
                                  capture_output=True, text=True, check=True).stdout

        kwin("/Scripting", "org.kde.kwin.Scripting.loadScript", script, name)
        kwin("/Scripting", "org.kde.kwin.Scripting.start")  # runs the scripts loaded

        def printed():
            with open(self.log_path) as f:
                lines = re.findall(r"tavix-window (\{.*\})", f.read())[before:]
            return lines if lines else None

        wait_for(printed, 5, what="kwin's word on the windows")
        time.sleep(0.3)  # the rest of its lines
        kwin("/Scripting", "org.kde.kwin.Scripting.unloadScript", name)
        return [json.loads(line) for line in printed()]


class ProtocolLog:
    """The program's WAYLAND_DEBUG=client output: what it asked of the compositor."""

    def __init__(self, path):
        self.path = path

    def text(self):
        with open(self.path, errors="replace") as f:
            return f.read()

    def requests(self, pattern):
        return re.findall(r"-> " + pattern, self.text())

    def toplevel(self, title):
        """The protocol id of the toplevel titled `title`."""
        found = re.findall(r"xdg_toplevel@(\d+)\.set_title\(\"" + re.escape(title) + r"\"\)",
                           self.text())
        return found[-1] if found else None

    def offers(self, interface):
        """Whether the compositor's registry named the global `interface`."""
        return re.search(r'\.global\(\d+, "' + interface + '"', self.text()) is not None

    def bells(self):
        return len(self.requests(r"gtk_shell1@\d+\.system_bell\("))

    def xdg_surface(self, toplevel):
        """The protocol id of the xdg_surface of `toplevel`."""
        return re.findall(r"xdg_surface@(\d+)\.get_toplevel\(new id xdg_toplevel@" + toplevel +
                          r"\)", self.text())[-1]

    def surface(self, toplevel):
        """The protocol id of the surface of `toplevel`."""
        return re.findall(r"get_xdg_surface\(new id xdg_surface@" + self.xdg_surface(toplevel) +
                          r", wl_surface@(\d+)\)", self.text())[-1]

    def refocused_after_click(self, toplevel):
        """Seconds from the last press of a pointer button to the keyboard's next entering the
        surface of `toplevel`, by the log's own clock; None if it did not enter it again."""
        surface = self.surface(toplevel)
        pressed = None
        for line in self.text().splitlines():
            if re.search(r"^\[ *[\d.]+\] wl_pointer@\d+\.button\(\d+, \d+, \d+, 1\)", line):
                pressed, entered = float(line[1:line.index("]")]), None
            elif pressed is not None and re.search(
                    r"^\[ *[\d.]+\] wl_keyboard@\d+\.enter\(\d+, wl_surface@" + surface + ",",
                    line) and entered is None:
                entered = float(line[1:line.index("]")])
        return (entered - pressed) / 1000 if pressed is not None and entered else None


class BellSound:
    """The sound theme's bell, as the program and as the desktop open it (inotify): each
    opening is a bell played. The program is given a theme directory of its own
    (XDG_DATA_DIRS, `data_dirs`) that holds the bell under the very name it asks for,
    bell-window-system, so that its openings are told from the desktop's (GNOME's shell
    opens the theme's own bell.oga)."""

    def __init__(self, directory):
        stereo = os.path.join(directory, "sounds", "freedesktop", "stereo")
        os.makedirs(stereo)
        self.own = os.path.join(stereo, "bell-window-system.oga")
        shutil.copy(BELL_SOUND, self.own)
        self.data_dirs = ":".join([directory, os.environ.get("XDG_DATA_DIRS") or
                                   "/usr/local/share:/usr/share"])

    def __enter__(self):
        self.process = subprocess.Popen(
            ["inotifywait", "-m", "-e", "open", "--format", "%w", BELL_SOUND, self.own],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
            preexec_fn=_ends_with_test)
        # It says when it watches.
        while "Watches established" not in (said := self.process.stderr.readline()):
            assert said, "inotifywait did not start"
        os.set_blocking(self.process.stdout.fileno(), False)
        self.opened = {self.own: 0, BELL_SOUND: 0}
        return self

    def count(self, desktop=False):
        """How often the program (or, with `desktop`, the desktop) opened its bell so far."""
        while line := self.process.stdout.readline():
            self.opened[line.strip()] += 1
        return self.opened[BELL_SOUND if desktop else self.own]

    def __exit__(self, *exc):
        stop_process(self.process)
        return False
