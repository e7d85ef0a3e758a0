"""Capture Selection in a Wayland session saves exactly the pixels dragged
over, taken from the compositor's picture in device pixels: on an output at
scale 1, at scale 2 (where each X11 pixel covers two by two), at 1.5 (turned
a quarter, too), and on a second output beside the first."""

import os

import wl
from wl import check

keyboard = wl.Keyboard()


def select_and_compare(label, pattern_at, drag):
    """Drags x0, y0 to x1, y1 (X coordinates) over a pattern window."""
    pattern = wl.start_pattern(pattern_at[0], pattern_at[1], 200, 150)
    ref = wl.grim()
    s = wl.scale()
    app = wl.App()
    wl.move("^Tessarine$", 300, 10)
    x0, y0, x1, y1 = drag
    if app.capture_selection(x0, y0, x1, y1, ref):
        path = os.path.join(wl.OUT, label.replace(" ", "_") + ".bmp")
        if app.save(path):
            wl.same_pixels(path, ref.crop(int(x0 * s), int(y0 * s), int((x1 - x0) * s),
                                          int((y1 - y0) * s)), label)
    app.stop()
    pattern.stop()


select_and_compare("scale 1", (100, 100), (120, 130, 181, 171))

wl.swaymsg("output HEADLESS-1 scale 2")
check(wl.wait_for(lambda: wl.scale() == 2), "output at scale 2")
wl.outputs_settled([(0, 0, 512, 384)])
select_and_compare("scale 2", (60, 100), (70, 130, 131, 171))

# At 1.5 XWayland rounds the output to 680 pixels where sway and the X
# screen have 682: the drag still maps to device pixels exactly.
wl.swaymsg("output HEADLESS-1 scale 1.5")
check(wl.wait_for(lambda: wl.scale() == 1.5), "output at scale 1.5")
wl.outputs_settled([(0, 0, 682, 512)])
select_and_compare("scale 1.5", (440, 20), (520, 50, 620, 110))

# Turned a quarter as well: the output is 768 device pixels wide.
wl.swaymsg("output HEADLESS-1 transform 90")
wl.outputs_settled([(0, 0, 512, 682)])
select_and_compare("scale 1.5 turned", (40, 400), (50, 430, 150, 490))
wl.swaymsg("output HEADLESS-1 transform normal")

wl.swaymsg("output HEADLESS-1 scale 1")
wl.swaymsg("create_output")
wl.swaymsg("output HEADLESS-2 resolution 1024x768 position 1024 0")
check(wl.wait_for(lambda: len(wl.swaymsg("-t", "get_outputs")) == 2), "second output")
wl.outputs_settled([(0, 0, 1024, 768), (1024, 0, 1024, 768)])
select_and_compare("second output", (1200, 200), (1210, 230, 1301, 291))

keyboard.stop()
wl.finish()
