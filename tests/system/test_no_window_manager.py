"""No window manager: the focus follows the pointer and no window is in
front. Print captures; Shift+Print says there is nothing to capture and
keeps the capture and preview (it once put an empty 0 x 0 capture there)."""

import xtest
from xtest import check

app = xtest.App()
xtest.run("xsetroot", "-solid", "#336699")  # the server reset it when idle
px, py, pw, ph = app.pane_rect()
xtest.xdotool("mousemove", 1000, 740)  # over the root window
pane = lambda: xtest.screenshot().crop(px, py, pw, ph)

xtest.xdotool("key", "Print")
# The main window steps aside, so the capture is the bare root window.
uniform = lambda image: all(image.pixel(x, y) == xtest.ROOT_COLOUR
                            for y in range(0, image.height, 4) for x in range(0, image.width, 4))
captured = xtest.settle(pane, uniform)
check(uniform(captured), "Print captures")
xtest.xdotool("key", "shift+Print")
box = xtest.wait_for(lambda: [w for w in xtest.find_windows("^Tessarine$") if w != app.window])
if check(box, "Shift+Print with no window in front says so"):
    # The box takes the keyboard itself when no window manager gives it.
    check(xtest.activate(box[0]), "the message has the keyboard")
    xtest.xdotool("key", "Return")
check(xtest.wait_for(lambda: pane().differing_pixels(captured) == 0),
      "the preview still shows the previous capture")
app.stop()
xtest.finish()
