"""No window manager: the focus follows the pointer and no window is in
front. Print captures; Shift+Print says there is nothing to capture and
keeps the capture and preview (it once put an empty 0 x 0 capture there)."""

import time

import xtest
from xtest import check

app = xtest.App()
xtest.run("xsetroot", "-solid", "#336699")  # the server reset it when idle
px, py, pw, ph = app.pane_rect()
xtest.xdotool("mousemove", 1000, 740)  # over the root window
pane = lambda: xtest.screenshot().crop(px, py, pw, ph)

xtest.xdotool("key", "Print")
check(xtest.wait_for(lambda: pane().pixel(5, 5) == xtest.ROOT_COLOUR), "Print captures")
time.sleep(0.5)  # the main window is back: let its last paint land
captured = pane()
xtest.xdotool("key", "shift+Print")
box = xtest.wait_for(lambda: [w for w in xtest.find_windows("^Tessarine$") if w != app.window])
if check(box, "Shift+Print with no window in front says so"):
    bx, by, bw, bh = xtest.window_geometry(box[0])
    xtest.xdotool("mousemove", bx + bw // 2, by + bh // 2, "sleep", 0.2, "key", "Return",
                  "mousemove", 1000, 740)
check(xtest.wait_for(lambda: pane().differing_pixels(captured) == 0),
      "the preview still shows the previous capture")
app.stop()
xtest.finish()
