"""Print keeps capturing when the keyboard changes under the running
program: xmodmap moving Print to another keycode (the keycodes it left stop
capturing), setxkbmap loading other keycodes (Print moves from 107 to 111),
and Num Lock moving from mod2 to mod3 while it is on.

A capture is seen in the preview: the root window is painted a new colour
before each press, and the stretched preview's corner shows the root."""

import xtest
from xtest import check

app = xtest.App()
app.activate()
wx, wy, _, _ = xtest.window_geometry(app.window)
px, py, _, _ = app.pane_rect()
painted = [0]


def preview_corner():
    """The preview's pixel (5, 5), wherever the main window is now; None
    while the window is away (a capture hides it, and the root shows)."""
    x, y, _, _ = xtest.window_geometry(app.window)
    shot = xtest.screenshot()
    if shot.pixel(x + 60, y + 250) == shot.pixel(0, 0):
        return None
    return shot.pixel(x - wx + px + 5, y - wy + py + 5)


def captures(*keys, tries=1):
    """Paints the root anew and presses `keys`; True once the preview shows
    the new colour. A keyboard change reaches the program as an event, so a
    press right after it may still find the old grabs: `tries` presses."""
    painted[0] += 1
    colour = (40 + 20 * painted[0], 90, 200 - 20 * painted[0])
    xtest.run("xsetroot", "-solid", "#%02x%02x%02x" % colour)
    for _ in range(tries):
        xtest.xdotool("key", *keys)
        if xtest.wait_for(lambda: preview_corner() == colour, timeout=3):
            return True
    return False


check(captures("Print"), "Print captures")

# Print leaves keycodes 107 and 218 for 250.
xtest.run("xmodmap", "-e", "keycode 107 = F13", "-e", "keycode 218 = F14", "-e",
          "keycode 250 = Print")
check(captures("Print", tries=4), "Print captures from its new keycode")
check(captures("107") is False and captures("218") is False,
      "the keycodes Print left no longer capture")

# Other keycodes: Print is 111 now.
xtest.run("setxkbmap", "-keycodes", "xfree86", "-layout", "us")
check("keycode 111 = Print" in xtest.run("xmodmap", "-pke").stdout, "setxkbmap moved Print")
check(captures("Print", tries=4), "Print captures after setxkbmap")

# Num Lock on, as Mod3.
xtest.run("xmodmap", "-e", "clear mod2", "-e", "add mod3 = Num_Lock")
xtest.xdotool("key", "Num_Lock")
check(captures("Print", tries=4), "Print captures with Num Lock on as Mod3")
xtest.xdotool("key", "Num_Lock")

check(app.proc.poll() is None, "the program runs on")
app.stop()
xtest.finish()
