"""The real program on the desktops its users run, under Xvfb with a window manager: a light
and a dark GTK theme (texts measured for contrast on screenshots), the Brazilian keyboard's
dead keys, the first placement of the main window, and a double-click on a link."""

import os
import re
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import (ABOUT_DESCRIPTION, Picture, Program, click, commonest,  # noqa: E402
                       extents, frame_extents, inset, link_opener, luminance,
                       offset_from_screen_centre, opened, strongest, wait_for,
                       window_manager_running, xdotool)

READABLE = 4.5
MAIN_BACKGROUND = (224, 224, 224)


# -- the themes ------------------------------------------------------------------------------

def fill_in(tavix, activate=True):
    """10 to 30 listed, 360 factored, from the keyboard (the main window made active first,
    where it is an X window)."""
    result = tavix.list_interval(10, 30, activate)
    wait_for(lambda: tavix.text(result) == "Total de 6 números primos: 11, 13, 17, 19, 23, 29",
             what="the listing")
    tavix.key("Tab", "Tab", "Tab", "Tab")
    tavix.type_text("360")
    tavix.key("Return")
    wait_for(lambda: tavix.factor_rows() == tavix.FACTORS_OF_360, what="the table of 360")
    time.sleep(0.3)


def readable_on_screen(theme, env):
    """Screenshots of both windows under `theme`; every text measured on them."""
    with Program(env=env) as tavix:
        fill_in(tavix)
        window_id = tavix.x_window("Tavix")
        shot = Picture(tavix.screenshot(f"desktop_{theme}.png"))

        # What lies under the labels is the window's own grey; the labels and the table (the
        # factor columns and their rule) stand out from it.
        for name, role in (("De:", "label"), ("Até:", "label"), ("Fatoração", "table")):
            node = tavix.find(name, role)
            pixels = shot.area(*extents(node))
            ratio = strongest(pixels, MAIN_BACKGROUND)
            assert ratio >= READABLE, f"{theme}: {name} at {ratio:.2f}:1"
        x, y, w, h = extents(tavix.find("Fatoração", "table"))
        assert commonest(shot.area(x, y, w, h)) == MAIN_BACKGROUND

        # The boxes and buttons wear the theme's colours, with their texts readable on them.
        grounds = {}
        for name, role in (("Até:", "text"), ("Número", "text"), ("Resultado", "text"),
                           ("Calcular", "push button"), ("Fatorar", "push button")):
            pixels = shot.area(*inset(extents(tavix.find(name, role)), 5))
            ground = commonest(pixels)
            grounds[name] = ground
            ratio = strongest(pixels, ground)
            assert ratio >= READABLE, f"{theme}: {name} at {ratio:.2f}:1 on {ground}"

        # The about window, on its own light background.
        click(tavix.find("?", "push button"))
        about = tavix.window("Sobre o Tavix")
        tavix.focus_in("Ok", "push button", root=about, what="the about window up")
        time.sleep(0.3)
        about_id = tavix.x_window("Sobre o Tavix")
        about_shot = Picture(tavix.screenshot(f"about_{theme}.png"))
        x, y, w, h = extents(about)
        ground = commonest(about_shot.area(x, y, w, h))
        for name in ("Tavix", "v1.0, versão do programa", ABOUT_DESCRIPTION, "Contato:", "contato@tavix.example",
                     "Meus Sites:", "www.tavix.example"):
            pixels = about_shot.area(*extents(tavix.find(name, root=about)))
            ratio = strongest(pixels, ground)
            assert ratio >= READABLE, f"{theme}: {name} at {ratio:.2f}:1"
        assert about_id and window_id
        return grounds


def themes():
    light = readable_on_screen("light", {})
    # (GTK, loaded for its theme, would put a second, empty application of the same process
    # on the accessibility bus: its bridge is left out.)
    dark = readable_on_screen("dark", {"QT_QPA_PLATFORMTHEME": "gtk3",
                                             "GTK_THEME": "Adwaita:dark", "NO_AT_BRIDGE": "1"})
    # The dark theme was in force: the boxes went dark, and they were light without it.
    for name in ("Até:", "Resultado", "Calcular"):
        assert luminance(dark[name]) < 0.1, f"{name} on {dark[name]} under the dark theme"
        assert luminance(light[name]) > 0.5, f"{name} on {light[name]} under the light one"


# -- the Brazilian keyboard ----------------------------------------------------------------------

def dead_keys():
    """Dead keys on the Brazilian layout reach the box as input-method commits, the path of
    Qt's compose support under X11; the filter sees each character and keeps the digits."""
    subprocess.run(["setxkbmap", "br"], check=True)
    try:
        with tempfile.TemporaryFile() as log:
            env = {"LANG": "pt_BR.UTF-8", "QT_LOGGING_RULES": "tavix.typing.debug=true"}
            with Program(env=env, stderr=log) as tavix:
                tavix.activate("Tavix")
                first = tavix.focus_in("De:")
                tavix.key("5", "dead_tilde", "a", "dead_acute", "e", "dead_tilde", "space",
                          "dead_tilde", "dead_tilde", "6")
                wait_for(lambda: tavix.text(first) == "56",
                         what=f"56 in De: (it holds {tavix.text(first)!r})")
                time.sleep(0.3)
            log.seek(0)
            lines = log.read().decode("utf-8", "replace")
        seen = re.findall(r"txtIni: (-?\d+) from (key press|input method) -> (-?\d+)", lines)
        # ã, é, ~ and the ~ of a doubled dead key, each committed and discarded.
        committed = [(int(code), int(kept)) for code, path, kept in seen if path == "input method"]
        assert committed == [(0xE3, 0), (0xE9, 0), (0x7E, 0), (0x7E, 0)], seen
        typed = [(int(code), int(kept)) for code, path, kept in seen if path == "key press"]
        assert typed == [(ord("5"), ord("5")), (ord("6"), ord("6"))], seen
    finally:
        subprocess.run(["setxkbmap", "us"], check=True)


# -- placement and links ---------------------------------------------------------------------------

def centred_with_frame():
    with Program() as tavix:
        window_id = tavix.activate("Tavix")
        frame_left, frame_right, frame_top, frame_bottom = frame_extents(window_id)
        assert (frame_top, frame_bottom) != (0, 0), "the window manager drew no frame"
        off_x, off_y = offset_from_screen_centre(window_id)
        assert abs(off_x) <= 1 and abs(off_y) <= 1, (off_x, off_y, frame_top, frame_bottom)


def double_click_opens_once():
    with tempfile.TemporaryDirectory() as directory:
        record = link_opener(directory)
        with Program() as tavix:
            tavix.activate("Tavix")
            click(tavix.find("?", "push button"))
            about = tavix.window("Sobre o Tavix")
            link = tavix.find("docs.tavix.example", root=about)
            x, y, w, h = extents(link)
            xdotool("mousemove", x + 5, y + h // 2, "click", "--repeat", "2", "--delay", "80", "1")
            wait_for(lambda: opened(record), what="the site opened")
            time.sleep(1.5)  # a second opening would have come by now
            assert opened(record) == ["https://docs.tavix.example/"], opened(record)


def main():
    wait_for(window_manager_running, what="a window manager on the display")
    centred_with_frame()
    dead_keys()
    double_click_opens_once()
    themes()
    print("ok")


if __name__ == "__main__":
    main()
