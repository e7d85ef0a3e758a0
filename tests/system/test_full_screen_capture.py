"""Capture Screen puts the real screen, without the main window, into the
preview in both styles, and the main window comes back where it stood."""

import os
import signal
import time

import xtest
from xtest import check

# The pattern and the main window both lie in the screen's top-left part,
# which the pane shows at actual size, and do not overlap.
pattern = xtest.start_pattern("256x192+20+20")
app = xtest.App()
xtest.xdotool("windowmove", "--sync", app.window, 300, 240)
check(xtest.wait_for(lambda: xtest.window_geometry(app.window)[:2] == (300, 240)),
      "the main window moves to (300, 240): %r" % (xtest.window_geometry(app.window),))
app.activate()
app.client_origin()
px, py, pw, ph = app.pane_rect()
check(pw == 482, "pane is 482 pixels wide at the design width: %r" % pw)
wx, wy, ww, wh = xtest.window_geometry(pattern.window)
mx, my, mw, mh = xtest.frame_geometry(app.window)


def pane_pixels(rect, want):
    """How many pixels of the screen rectangle rect, as the pane shows it at
    actual size, are not want(x, y); waits for the count to reach 0."""
    x, y, w, h = rect

    def count(shot):
        return sum(shot.pixel(px + sx, py + sy) != want(sx, sy)
                   for sy in range(y, y + h, 2) for sx in range(x, x + w, 2))
    return count(xtest.settle(xtest.screenshot, lambda shot: count(shot) == 0))


# The window manager is slow to map and place the window again after the
# capture (stopped for a while, as on a loaded machine); the window still
# comes back where it stood.
def our_window_manager():
    """The openbox that runs on this test's display."""
    for pid in xtest.run("pgrep", "-x", "openbox").stdout.split():
        with open("/proc/%s/environ" % pid, "rb") as f:
            if ("DISPLAY=" + os.environ["DISPLAY"]).encode() in f.read().split(b"\0"):
                return int(pid)
    raise RuntimeError("no window manager on " + os.environ["DISPLAY"])


window_manager = our_window_manager()


def capture_while_the_window_manager_stalls():
    since = app.events.mark()
    app.click_button("Capture Screen")
    app.events.wait(["UnmapNotify"], since)
    os.kill(window_manager, signal.SIGSTOP)
    time.sleep(2)  # the stall being simulated, not a wait for the program
    os.kill(window_manager, signal.SIGCONT)


# Actual size: screen pixel (x, y) at pane (x, y). The main window was
# hidden, so where it stood the pane shows what lay beneath: root colour.
app.click_client(10, 48 + 41 + 8)  # "Actual Size"
app.hidden_and_back(capture_while_the_window_manager_stalls)
differ = pane_pixels((wx, wy, 200, 150), lambda x, y: xtest.pattern_colour(x - wx, y - wy))
check(differ == 0, "actual size: the pane shows the pattern 1:1 (%d samples differ)" % differ)
hidden = (mx, my, pw - mx, ph - my)
differ = pane_pixels(hidden, lambda x, y: xtest.ROOT_COLOUR)
check(hidden[2] > 100 and hidden[3] > 100 and differ == 0,
      "the main window is not in the capture: %d samples of %r differ" % (differ, hidden))

# Stretch to fit: the pattern's block (2, 2) lands at its screen position
# scaled by pane size over screen size.
app.click_client(10, 48 + 24 + 8)  # "Stretch to fit"
sx, sy = wx + 40, wy + 40
tx = px + int(sx * pw / 1024)
ty = py + int(sy * ph / 768)
want = xtest.pattern_colour(40, 40)


def near(colour):
    return all(abs(a - b) <= 12 for a, b in zip(colour, want))


got = xtest.settle(lambda: xtest.screenshot().pixel(tx, ty), near)
check(near(got), "stretched preview shows the pattern: got %r want %r" % (got, want))

app.stop()
pattern.stop()
xtest.finish()
