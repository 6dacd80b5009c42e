#!/usr/bin/env python3
"""Checks of Tavix installed as a desktop program and of its Debian package.

Usage: install_checks.py CHECK [ARGS]
  stage BUILD STAGE          cmake --install BUILD into STAGE (as DESTDIR, prefix /usr)
  tree STAGE                 the installed files, their modes, the icon sizes, the binary
  desktop STAGE              the desktop entry (desktop-file-validate and its keys)
  metainfo STAGE VERSION     the AppStream metadata (appstreamcli validate and its links)
  manual STAGE               the manual pages (groff and man without warnings, their topics)
  deb DEB VERSION            a package built from debian/ (tools/package-check.sh): its
                             control fields and files
  wmclass BINARY STAGE       the running program's WM_CLASS against StartupWMClass

Exit status: 0 passed, 1 failed, 77 skipped (wmclass without any X display only).
"""
import configparser
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

APP_ID = "example.tavix.Tavix"
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
MAINTAINER = "Equipe Tavix <contato@tavix.example>"
HOMEPAGE = "https://www.tavix.example/"
# Needed at run time without being linked: the X11 and Wayland platform plugins, Qt's texts in
# Portuguese, the fonts, the URL opener.
RUNTIME_DEPENDS = ["qt6-qpa-plugins", "qt6-wayland", "qt6-translations-l10n", "fonts-liberation2",
                   "xdg-utils"]
# Found by dpkg-shlibdeps in the program's ELF dependencies (at least these).
LIBRARY_DEPENDS = ["libqt6widgets6", "libqt6core6", "libc6"]
SKIP = 77

MANUAL_PAGES = ["usr/share/man/man1/tavix.1", "usr/share/man/pt_BR/man1/tavix.1"]
DESKTOP_ENTRY = f"usr/share/applications/{APP_ID}.desktop"


def icon_path(size, name=APP_ID):
    return f"usr/share/icons/hicolor/{size}x{size}/apps/{name}.png"


EXPECTED_FILES = sorted(
    ["usr/bin/tavix", DESKTOP_ENTRY, f"usr/share/metainfo/{APP_ID}.metainfo.xml",
     "usr/share/doc/tavix/copyright"]
    + MANUAL_PAGES + [icon_path(n) for n in ICON_SIZES])
# The package: the same files, the manual pages compressed, Debian's changelog and the
# explained lintian tags.
PACKAGE_FILES = sorted(
    [name + ".gz" if name in MANUAL_PAGES else name for name in EXPECTED_FILES]
    + ["usr/share/doc/tavix/changelog.Debian.gz", "usr/share/lintian/overrides/tavix"])
# What each manual page must tell, in either language.
MANUAL_TOPICS = ["Calcular", "Verificar", "Fatorar", "2147483647", "Valor acima da memória.",
                 "Enter", "Ctrl+S", "Salvar como", "QT_QPA_PLATFORM", "QT_SCALE_FACTOR",
                 "QT_QPA_PLATFORMTHEME", "contato@tavix.example"]

failures = []


def fail(message):
    failures.append(message)
    print(f"FAIL: {message}", file=sys.stderr)


def check(condition, message):
    if not condition:
        fail(message)
    return condition


def check_fields(fields, expected, what):
    for key, value in expected.items():
        check(fields.get(key) == value, f"{what} {key}={fields.get(key)}, expected {value}")


def check_same_files(found, expected, what):
    check(sorted(found) == expected, f"{what} differ:\n  unexpected: "
          f"{sorted(set(found) - set(expected))}\n  missing: {sorted(set(expected) - set(found))}")


def need(tool, package):
    if shutil.which(tool) is None:
        print(f"{tool} is missing: install the Debian package {package} "
              "(tools/deps.sh installs it)", file=sys.stderr)
        sys.exit(1)


def run(*command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def files_under(root):
    return sorted(os.path.relpath(os.path.join(folder, name), root)
                  for folder, _, names in os.walk(root) for name in names)


def read_desktop_entry(stage):
    parser = configparser.ConfigParser(interpolation=None, strict=True)
    parser.optionxform = str
    parser.read(os.path.join(stage, DESKTOP_ENTRY), encoding="utf-8")
    return parser["Desktop Entry"]


def elf_rpath(path):
    dynamic = run("readelf", "-d", path).stdout
    return re.findall(r"\((?:RPATH|RUNPATH)\).*\[(.*)\]", dynamic)


def cmd_stage(build, stage):
    shutil.rmtree(stage, ignore_errors=True)
    env = dict(os.environ, DESTDIR=stage)
    result = run("cmake", "--install", build, "--prefix", "/usr", env=env)
    if not check(result.returncode == 0, f"cmake --install failed:\n{result.stdout}{result.stderr}"):
        return
    print(f"installed into {stage}")


def cmd_tree(stage):
    need("file", "file")
    installed = files_under(stage)
    check_same_files(installed, EXPECTED_FILES, "installed files")
    for name in installed:
        mode = stat.S_IMODE(os.stat(os.path.join(stage, name)).st_mode)
        wanted = 0o755 if name.startswith("usr/bin/") else 0o644
        check(mode == wanted, f"{name} has mode {mode:o}, not {wanted:o}")
    program = os.path.join(stage, "usr/bin/tavix")
    if os.path.exists(program):
        check("ELF" in run("file", "-b", program).stdout, "usr/bin/tavix is not an ELF program")
        check(elf_rpath(program) == [], f"usr/bin/tavix keeps a run path: {elf_rpath(program)}")
    for n in ICON_SIZES:
        icon = os.path.join(stage, icon_path(n))
        if os.path.exists(icon):
            kind = run("file", "-b", icon).stdout
            check(kind.startswith(f"PNG image data, {n} x {n},"), f"{n}x{n} icon is: {kind.strip()}")


def cmd_desktop(stage):
    need("desktop-file-validate", "desktop-file-utils")
    result = run("desktop-file-validate", os.path.join(stage, DESKTOP_ENTRY))
    check(result.returncode == 0 and not (result.stdout + result.stderr).strip(),
          f"desktop-file-validate:\n{result.stdout}{result.stderr}")
    entry = read_desktop_entry(stage)
    # Qt names the window class after the executable (see the wmclass check).
    check_fields(entry, {"Type": "Application", "Name": "Tavix", "Exec": "tavix",
                         "Terminal": "false", "Icon": APP_ID, "StartupWMClass": "tavix"}, "entry")
    categories = entry.get("Categories", "").split(";")
    check("Education" in categories and "Math" in categories,
          f"Categories={entry.get('Categories')} lacks Education or Math")
    for key in ("GenericName", "Comment"):
        check(bool(entry.get(key)), f"{key} is missing")
    # What the menu starts must be what was installed, with its icon at every size.
    check(os.access(os.path.join(stage, "usr/bin", entry.get("Exec", "").split(" ")[0]), os.X_OK),
          f"Exec={entry.get('Exec')} names no installed program")
    for n in ICON_SIZES:
        check(os.path.exists(os.path.join(stage, icon_path(n, entry.get("Icon")))),
              f"Icon={entry.get('Icon')} has no {n}x{n} icon")


def text_of(element):
    return " ".join("".join(element.itertext()).split()) if element is not None else ""


def cmd_metainfo(stage, version):
    need("appstreamcli", "appstream")
    path = os.path.join(stage, f"usr/share/metainfo/{APP_ID}.metainfo.xml")
    # The validator does not know the reserved top-level domain .example of the identifier
    # and says so as an information; anything else it reports fails the check.
    result = run("appstreamcli", "validate", "--no-net", "--strict",
                 "--override=cid-maybe-not-rdns=pedantic", path)
    check(result.returncode == 0, f"appstreamcli validate:\n{result.stdout}{result.stderr}")
    component = ET.parse(path).getroot()
    lang = "{http://www.w3.org/XML/1998/namespace}lang"
    check(component.findtext("id") == APP_ID, f"id is {component.findtext('id')}")
    launchable = component.findtext("launchable[@type='desktop-id']")
    check(launchable is not None and os.path.exists(
        os.path.join(stage, "usr/share/applications", launchable)),
        f"launchable {launchable} is not an installed desktop entry")
    binary = component.findtext("provides/binary")
    check(binary is not None and os.path.exists(os.path.join(stage, "usr/bin", binary)),
          f"provided binary {binary} is not installed")
    releases = [r.get("version") for r in component.findall("releases/release")]
    check(releases[:1] == [version], f"newest release {releases[:1]}, the project is {version}")
    check(component.findtext("project_license") == "MIT", "project_license is not MIT")
    check(component.findtext("url[@type='homepage']") == HOMEPAGE, "homepage differs")
    summaries = {s.get(lang): s.text for s in component.findall("summary")}
    check(bool(summaries.get(None)) and bool(summaries.get("pt")),
          f"summaries: {summaries}; want an untranslated and a Portuguese one")
    description = component.find("description")
    untranslated = [p for p in description.findall("p") if p.get(lang) is None]
    portuguese = [p for p in description.findall("p") if p.get(lang) == "pt"]
    check(len(untranslated) == len(portuguese) > 0,
          "every description paragraph needs its Portuguese translation")
    check("primos" in text_of(portuguese[0]) if portuguese else False,
          "the Portuguese description does not speak of primes")


def cmd_manual(stage):
    need("groff", "groff")
    need("man", "man-db")
    for page in MANUAL_PAGES:
        path = os.path.join(stage, page)
        # Plain groff (no preconv) and man as users run it: both without a single warning.
        for command in (["groff", "-ww", "-z", "-man", path],
                        ["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", path]):
            result = run(*command, env=dict(os.environ, LC_ALL="C.UTF-8"))
            check(result.returncode == 0 and not result.stderr.strip(),
                  f"{' '.join(command[:2])} {page}:\n{result.stderr}")
        # Wide enough that no word is broken across lines.
        shown = run("man", "-l", path, env=dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="1000"))
        text = re.sub(r"\s+", " ", shown.stdout)
        for topic in MANUAL_TOPICS:
            check(topic in text, f"{page} does not tell {topic!r}")


def control_fields(deb):
    fields = {}
    for line in run("dpkg-deb", "-f", deb).stdout.splitlines():
        if line and not line[0].isspace() and ":" in line:
            key, value = line.split(":", 1)
            fields[key] = value.strip()
    return fields


def depends_names(depends):
    return {re.split(r"[\s(]", alternative.strip())[0]
            for item in depends.split(",") for alternative in item.split("|")}


def cmd_deb(deb, version):
    for tool, package in (("dpkg-deb", "dpkg"), ("file", "file")):
        need(tool, package)
    arch = run("dpkg", "--print-architecture").stdout.strip()
    fields = control_fields(deb)
    check_fields(fields, {"Package": "tavix", "Version": f"{version}-1", "Architecture": arch,
                          "Maintainer": MAINTAINER, "Section": "math", "Priority": "optional",
                          "Homepage": HOMEPAGE}, "control field")
    check(fields.get("Description", "").startswith("prime numbers"),
          f"Description: {fields.get('Description')}")
    depends = depends_names(fields.get("Depends", ""))
    for name in RUNTIME_DEPENDS + LIBRARY_DEPENDS:
        check(name in depends, f"Depends lacks {name}: {fields.get('Depends')}")
    for name in sorted(depends):
        check(run("dpkg-query", "-W", name).returncode == 0,
              f"Depends names {name}, which dpkg does not know here")
    check("números primos" in run("dpkg-deb", "-f", deb, "Description").stdout,
          "the long description has no Portuguese text")

    # Files: those of a plain install, owned by root, with ordinary modes.
    files = []
    for line in run("dpkg-deb", "-c", deb).stdout.splitlines():
        mode, owner, _, _, _, path = line.split(None, 5)
        path = path.removeprefix("./")
        check(owner == "root/root", f"{path} is owned by {owner}")
        if mode.startswith("d"):
            check(mode == "drwxr-xr-x", f"{path} has mode {mode}")
        else:
            files.append(path)
            wanted = "-rwxr-xr-x" if path.startswith("usr/bin/") else "-rw-r--r--"
            check(mode == wanted, f"{path} has mode {mode}, expected {wanted}")
    check_same_files(files, PACKAGE_FILES, "package files")

    with tempfile.TemporaryDirectory(prefix="tavix-deb-") as unpacked:
        run("dpkg-deb", "-x", deb, unpacked)
        program = os.path.join(unpacked, "usr/bin/tavix")
        kind = run("file", "-b", program).stdout
        check(", stripped" in kind, f"the packaged program is not stripped: {kind.strip()}")
        check(elf_rpath(program) == [], "the packaged program keeps a run path")
        with open(os.path.join(unpacked, "usr/share/doc/tavix/copyright"), encoding="utf-8") as f:
            check(f.readline().startswith("Format: https://www.debian.org/doc/packaging-manuals/"),
                  "the copyright file is not machine-readable (DEP-5)")


def cmd_wmclass(binary, stage):
    # The one reason to skip: no X display to start the program in. Once there is one, a
    # program that dies or shows nothing fails the check.
    if not os.environ.get("DISPLAY"):
        print("skipped: DISPLAY is not set, so there is no X display to start the program in "
              "(tools/with-display.sh provides one)")
        sys.exit(SKIP)
    need("xdotool", "xdotool")
    need("xprop", "x11-utils")
    need("xdpyinfo", "x11-utils")
    if run("xdpyinfo").returncode != 0:
        fail(f"DISPLAY={os.environ['DISPLAY']} is set but the X server does not answer")
        return
    wanted = read_desktop_entry(stage).get("StartupWMClass")
    env = dict(os.environ, QT_QPA_PLATFORM="xcb")
    program = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    try:
        windows = []
        deadline = time.monotonic() + 20
        while not windows and time.monotonic() < deadline:
            if program.poll() is not None:
                status = program.returncode
                how = f"killed by signal {-status}" if status < 0 else f"exit status {status}"
                fail(f"the program ended ({how}) without showing a window:\n"
                     f"{program.stderr.read()}")
                return
            time.sleep(0.2)
            windows = run("xdotool", "search", "--pid", str(program.pid)).stdout.split()
        if not check(windows, "the program showed no window in 20 s"):
            return
        classes = set()
        for window in windows:
            line = run("xprop", "-id", window, "WM_CLASS").stdout
            classes.update(re.findall(r'"([^"]*)"\s*$', line))
        check(wanted in classes,
              f"StartupWMClass={wanted}, but the program's window class is {sorted(classes)}")
    finally:
        if program.poll() is None:
            program.terminate()
            try:
                program.wait(10)
            except subprocess.TimeoutExpired:
                program.kill()
                program.wait()


def main(argv):
    commands = {"stage": cmd_stage, "tree": cmd_tree, "desktop": cmd_desktop,
                "metainfo": cmd_metainfo, "manual": cmd_manual, "deb": cmd_deb, "wmclass": cmd_wmclass}
    if len(argv) < 2 or argv[1] not in commands:
        print(__doc__, file=sys.stderr)
        return 2
    commands[argv[1]](*argv[2:])
    if failures:
        print(f"{len(failures)} failure(s)", file=sys.stderr)
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
