"""The real program at scale factor 2 (QT_SCALE_FACTOR=2) on a screen large enough for it,
under Xvfb with a window manager: the window twice its size, a listing and a table typed and
read back, the rule drawn at its scaled place, the icon offered with the pixels a
high-density desktop shows. The screenshot is kept among the artefacts."""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from tavix_e2e import (Picture, Program, client_geometry, contrast, extents,  # noqa: E402
                       wait_for, window_manager_running, xprop)
from test_desktops import fill_in  # noqa: E402

SCALE = 2


def main():
    wait_for(window_manager_running, what="a window manager on the display")
    with Program(env={"QT_SCALE_FACTOR": str(SCALE)}) as tavix:
        fill_in(tavix)
        window_id = tavix.x_window("Tavix")
        left, top, width, height = client_geometry(window_id)
        assert (width, height) == (1015 * SCALE, 595 * SCALE), (width, height)
        shot = Picture(tavix.screenshot("scale2.png"))

        # The rule, from (936, 64) down to 576 in the window's own pixels: two device pixels
        # wide, dark on the grey, the grey on both sides of it.
        y = top + 300 * SCALE
        rule = [x for x in range(left + 930 * SCALE, left + 942 * SCALE)
                if contrast(shot.pixel(x, y), (224, 224, 224)) >= 4.5]
        assert rule == [left + 936 * SCALE, left + 936 * SCALE + 1], rule

        # The focus mark round the focused box (Número, after Fatorar): three of the window's
        # pixels out, at twice the width, dark on the grey on each side.
        x, y, w, h = (SCALE * v for v in extents(tavix.find("Número", "text")))  # (logical)
        for px, py in ((x - 2 * SCALE, y + h // 2), (x + w + 2 * SCALE - 1, y + h // 2),
                       (x + w // 2, y - 2 * SCALE), (x + w // 2, y + h + 2 * SCALE - 1)):
            assert contrast(shot.pixel(px, py), (224, 224, 224)) >= 3, (px, py)

        # The 100-pixel picture offered with twice as many pixels, drawn from a larger render
        # rather than enlarged.
        icons = xprop(window_id, "_NET_WM_ICON")
        assert "Icon (200 x 200)" in icons, "no 200-pixel icon"
        assert tavix.running()
        time.sleep(0.1)
    print("ok")


if __name__ == "__main__":
    main()
