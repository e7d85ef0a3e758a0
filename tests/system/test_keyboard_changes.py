"""Print follows keyboard changes made while the program runs: xmodmap moving
it to another keycode (the keycodes it left stop capturing), setxkbmap
loading other keycodes (107 becomes 111), Num Lock moved to mod3 and on. A
capture shows in the preview's corner as the root's latest colour."""

import xtest
from xtest import check

app = xtest.App()
app.activate()
wx, wy, _, _ = xtest.window_geometry(app.window)
px, py, _, _ = app.pane_rect()
painted = [0]


def preview_corner():
    """None while a capture hides the main window and the root shows."""
    x, y, _, _ = xtest.window_geometry(app.window)
    shot = xtest.screenshot()
    if shot.pixel(x + 60, y + 250) != shot.pixel(0, 0):
        return shot.pixel(x - wx + px + 5, y - wy + py + 5)


def captures(*keys, tries=1):
    """The program hears of a change by an event: the first presses after
    one may still meet the old grabs."""
    painted[0] += 1
    colour = (40 + 20 * painted[0], 90, 200 - 20 * painted[0])
    xtest.run("xsetroot", "-solid", "#%02x%02x%02x" % colour)
    for _ in range(tries):
        xtest.xdotool("key", *keys)
        if xtest.wait_for(lambda: preview_corner() == colour, timeout=3):
            return True
    return False


check(captures("Print"), "Print captures")
xtest.run("xmodmap", "-e", "keycode 107 = F13", "-e", "keycode 218 = F14", "-e",
          "keycode 250 = Print")
check(captures("Print", tries=4), "Print captures from its new keycode")
check(not captures("107") and not captures("218"), "the keycodes Print left do not capture")
xtest.run("setxkbmap", "-keycodes", "xfree86", "-layout", "us")
check("keycode 111 = Print" in xtest.run("xmodmap", "-pke").stdout, "setxkbmap moved Print")
check(captures("Print", tries=4), "Print captures after setxkbmap")
xtest.run("xmodmap", "-e", "clear mod2", "-e", "add mod3 = Num_Lock")
xtest.xdotool("key", "Num_Lock")
check(captures("Print", tries=4), "Print captures with Num Lock on as Mod3")
check(app.proc.poll() is None, "the program runs on")
app.stop()
xtest.finish()
