"""With no window manager the input focus follows the pointer and no window
is in front. Print still captures; Shift+Print then has nothing to capture:
it says so and keeps the capture and the preview there were, where it once
put an empty 0 x 0 capture in their place."""

import time

import xtest
from xtest import check

app = xtest.App()
xtest.run("xsetroot", "-solid", "#336699")
app.client_origin()
px, py, pw, ph = app.pane_rect()
xtest.xdotool("mousemove", 1000, 740)  # over the root window


def pane():
    return xtest.screenshot().crop(px, py, pw, ph)


xtest.xdotool("key", "Print")
check(xtest.wait_for(lambda: pane().pixel(5, 5) == xtest.ROOT_COLOUR, timeout=10),
      "Print captures the screen without a window manager")
time.sleep(0.5)  # the main window has come back: let its last paint land
captured = pane()

xtest.xdotool("key", "shift+Print")
box = xtest.wait_for(lambda: [w for w in xtest.find_windows("^Tessarine$") if w != app.window],
                     timeout=10)
if check(box, "Shift+Print with no window in front says so in a message box"):
    bx, by, bw, bh = xtest.window_geometry(box[0])
    # The focus follows the pointer: point at the box to answer it.
    xtest.xdotool("mousemove", bx + bw // 2, by + bh // 2, "sleep", "0.2", "key", "Return")
    check(xtest.wait_for(lambda: box[0] not in xtest.find_windows("^Tessarine$"), timeout=10),
          "the message box closes")
    xtest.xdotool("mousemove", 1000, 740)
kept = xtest.wait_for(lambda: pane().differing_pixels(captured) == 0, timeout=10)
check(kept, "the preview still shows the previous capture (%d pixels differ)"
      % pane().differing_pixels(captured))
check(app.proc.poll() is None, "the program runs on")
app.stop()
xtest.finish()
