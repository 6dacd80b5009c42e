"""The program with a real screen reader, as a blind user meets it: Orca in Brazilian
Portuguese, the keyboard alone (xdotool), and what Orca says read from its debug log.

Orca's log (orca.log) stays among the test's artefacts."""

import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import (SKIP, Program, artifacts_dir, opened, recording_script,  # noqa: E402
                       stop_process, wait_for)

LANGUAGE = "pt_BR.UTF-8"


def portuguese_locale(directory):
    """The environment of a Brazilian Portuguese session: the system's locale where it has
    one, otherwise one compiled here from the system's locale sources."""
    env = {"LANG": LANGUAGE, "LANGUAGE": "pt_BR:pt", "LC_ALL": LANGUAGE}
    have = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    if not {"pt_BR.utf8", "pt_BR.UTF-8"} & set(have):
        subprocess.run(["localedef", "-i", "pt_BR", "-f", "UTF-8",
                        os.path.join(directory, LANGUAGE)], check=True, capture_output=True)
        env["LOCPATH"] = directory
    return env


def link_recorder(directory):
    """An xdg-open first in PATH that writes down what it is asked to open."""
    record = os.path.join(directory, "opened.txt")
    bin_dir = os.path.join(directory, "bin")
    os.makedirs(bin_dir)
    recording_script(os.path.join(bin_dir, "xdg-open"), record)
    return record, bin_dir


# Loaded into Orca's own Python. Orca writes its debug log through an ordinary buffered
# file, a few kilobytes at a time: to be read as it goes, the log is opened line-buffered.
# Speech is left on (with it off, Orca's scripts say nothing, not even to the log), but no
# speech server is used: with no sound device, speech-dispatcher keeps Orca waiting, and the
# log has every utterance without it.
ORCA_SITE = """import builtins, os, sys
sys.modules["speechd"] = None
_open = builtins.open
def _open_log(file, mode="r", buffering=-1, *args, **kwargs):
    if file == os.environ.get("TAVIX_ORCA_LOG") and "w" in mode:
        buffering = 1
    return _open(file, mode, buffering, *args, **kwargs)
builtins.open = _open_log
"""


class Orca:
    """Orca running with a private settings folder, writing its debug log."""

    def __init__(self, env, directory, log):
        self.log = log
        self.read_upto = 0
        site = os.path.join(directory, "site")
        os.makedirs(site)
        with open(os.path.join(site, "sitecustomize.py"), "w") as f:
            f.write(ORCA_SITE)
        env = dict(env, TAVIX_ORCA_LOG=log, PYTHONPATH=site)
        self.process = subprocess.Popen(
            ["orca", "--replace", "-u", os.path.join(directory, "settings"),
             "--disable=braille", "--debug-file=" + log], env=env, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)

    def text(self):
        if not os.path.exists(self.log):
            return ""
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return f.read()

    def spoken(self):
        """Everything Orca has said so far, one utterance a line."""
        text = self.text()
        # SPEECH OUTPUT: 'what is said' then, on some lines, the voice it is said in.
        return re.findall(r"SPEECH OUTPUT: '(.*?)'\s*(?:\[?\{.*\}\]?|voice.*)?$", text, re.M)

    def mark(self):
        """Forgets what was said so far: later waits look only at what follows."""
        self.read_upto = len(self.spoken())

    def since(self):
        return self.spoken()[self.read_upto:]

    def wait_said(self, pattern, timeout=20.0):
        """Waits until Orca, since the last mark, says something matching `pattern`."""
        regex = re.compile(pattern)

        def said():
            return next((line for line in self.since() if regex.search(line)), None)

        try:
            return wait_for(said, timeout, interval=0.1, what=f"Orca to say {pattern!r}")
        except AssertionError:
            raise AssertionError(f"Orca did not say {pattern!r}; it said {self.since()}")

    def stop(self):
        stop_process(self.process)


def main():
    if shutil.which("orca") is None:
        print("orca is not installed: skipped")
        sys.exit(SKIP)
    with tempfile.TemporaryDirectory() as directory:
        env = dict(os.environ)
        env.update(portuguese_locale(directory))
        record, bin_dir = link_recorder(directory)
        env["PATH"] = bin_dir + os.pathsep + env["PATH"]
        log = os.path.join(artifacts_dir(), "orca.log")
        if os.path.exists(log):
            os.remove(log)
        orca = Orca(env, directory, log)
        try:
            # Orca is ready once it listens to the accessibility bus.
            wait_for(lambda: "ORCA: Starting registry" in orca.text(), 30,
                     what="Orca listening")
            os.environ.update({k: env[k] for k in ("PATH", "LANG", "LANGUAGE", "LC_ALL")})
            if "LOCPATH" in env:
                os.environ["LOCPATH"] = env["LOCPATH"]
            session(orca, record)
        finally:
            orca.stop()
    print("ok")


def session(orca, record):
    with Program() as tavix:
        orca.mark()
        tavix.activate("Tavix")
        orca.wait_said(r"^De:")

        # A listing: its count line is heard at once, the focus back in De:.
        orca.mark()
        tavix.type_text("10")
        tavix.key("Tab")
        tavix.type_text("30")
        tavix.key("Return")
        orca.wait_said(r"^Total de 6 números primos: 11, 13, 17, 19, 23, 29\.?$")
        tavix.focus_in("De:")

        # A verdict: on to Número (Até:, Calcular, Resultado, Número), 7, Tab to Verificar,
        # Space; the message box speaks, Enter closes it.
        tavix.key("Tab", "Tab", "Tab", "Tab")
        tavix.type_text("7")
        orca.mark()
        tavix.key("Tab", "space")
        orca.wait_said(r"7 é um número primo")
        tavix.key("Return")

        # A factorization: back to Número, 360 in place of 7, Enter.
        tavix.key("shift+Tab", "BackSpace")
        tavix.type_text("360")
        orca.mark()
        tavix.key("Return")
        orca.wait_said(r"^360: 2, 2, 2, 3, 3, 5\.?$")

        # The table in Orca's review of the screen: up from the focused line, a row at a time,
        # quotient beside divisor.
        orca.mark()
        tavix.key("KP_Up")
        orca.wait_said(r".")
        heard = []
        while not heard or not re.search(r"(^|\s)360 2\.?$", heard[-1]):
            assert len(heard) < 12, f"the table's top row was not reached: {heard}"
            orca.mark()
            tavix.key("KP_Home")
            heard.append(orca.wait_said(r"."))
        # (the top row, heard last, lies level with the listing's first line: the review may
        # read the two as one line or one after the other)
        rows = [line.rstrip(".") for line in heard if re.fullmatch(r"\d+( \d+)?\.?", line)]
        assert [row for row in rows if row != "360 2"][-6:] == [
            "1", "5 5", "15 3", "45 3", "90 2", "180 2"], heard
        tavix.key("KP_Subtract")  # leaves the review

        # The about window: "?" after Verificar and Fatorar; its title, version and
        # description are heard as it opens.
        orca.mark()
        tavix.key("Tab", "Tab", "Tab", "Return")
        tavix.window("Sobre o Tavix")
        for text in ("Sobre o Tavix", "Tavix", "v1.0", "O Tavix lista os números primos"):
            orca.wait_said(re.escape(text))

        # Each link from the keyboard: Tab reaches it (after the icon), Enter opens it.
        tavix.key("Tab")
        for text, target in (("contato@tavix.example", "mailto:contato@tavix.example"),
                             ("forum.tavix.example", "https://forum.tavix.example/"),
                             ("docs.tavix.example", "https://docs.tavix.example/"),
                             ("www.tavix.example", "https://www.tavix.example/")):
            orca.mark()
            tavix.key("Tab")
            orca.wait_said(r"^" + re.escape(text))
            tavix.key("Return")
            wait_for(lambda: opened(record)[-1:] == [target], what=f"{target} opened")
        tavix.key("Escape")
        tavix.focus_in("De:")


if __name__ == "__main__":
    main()
