"""Capture Selection: the rectangle dragged on the frozen screen becomes the
capture, shown 1:1 in the preview; a click takes the one pixel under it; a
right press or Escape cancels and keeps the capture that was there."""

import xtest
from xtest import check

pattern = xtest.start_pattern("360x240+640+480")
app = xtest.App()
app.activate()
app.client_origin()
px, py, pw, ph = app.pane_rect()
app.click_client(10, 48 + 41 + 8)  # "Actual Size"
# The pattern window does not overlap the main window, so the frozen screen
# shows it exactly as it is now.
before = xtest.screenshot()


def start_selection():
    """Starts a selection; the main window hides until back_to_main()."""
    global since
    since = app.events.mark()
    app.click_button("Capture Selection")
    found = xtest.wait_for(lambda: xtest.find_windows("^Form3$"))
    check(found, "selection window appears")
    return found[0] if found else None


def back_to_main():
    gone = xtest.wait_for(lambda: not xtest.find_windows("^Form3$"))
    check(gone, "selection window is gone")
    check(app.events.wait(["UnmapNotify", "MapNotify"], since), "main window is back")
    # Park the pointer off the pane so that it never hides a pixel.
    xtest.xdotool("mousemove", "--sync", 1010, 10)


def pane_shows(rect, label):
    x, y, w, h = rect
    want = before.crop(x, y, w, h)

    def shown(shot):
        return shot.crop(px, py, w, h).differing_pixels(want) == 0 and \
            shot.pixel(px + w, py + 5) == xtest.PANE_BACKGROUND
    shot = xtest.settle(xtest.screenshot, shown)
    got = shot.crop(px, py, w, h)
    diff = got.differing_pixels(want)
    check(diff == 0, "%s: pane shows the %dx%d rectangle at (%d, %d), %d pixels differ"
          % (label, w, h, x, y, diff))
    check(shot.pixel(px + w, py + 5) == xtest.PANE_BACKGROUND,
          "%s: nothing right of the capture" % label)
    check(shot.pixel(px + 5, py + h) == xtest.PANE_BACKGROUND,
          "%s: nothing below the capture" % label)

def redraw_from_buffer_shows(rect, label):
    """Switches styles, which redraws the preview from the capture buffer, and
    checks the pane shows `rect` of the screen at actual size."""
    app.click_client(10, 48 + 24 + 8)  # "Stretch to fit"
    app.click_client(10, 48 + 41 + 8)  # "Actual Size"
    xtest.xdotool("mousemove", "--sync", 1010, 10)
    pane_shows(rect, label)



# The selection window covers the whole screen with the frozen screen.
window = start_selection()
if window:
    check(xtest.frame_geometry(window) == (0, 0, 1024, 768),
          "selection window covers the screen: %r" % (xtest.frame_geometry(window),))
    states = xtest.run("xprop", "-id", str(window), "_NET_WM_STATE").stdout
    check("_NET_WM_STATE_SKIP_TASKBAR" in states, "selection window is not in the taskbar")
    # The pattern's own area; its title bar may change colour when the main
    # window hides and the focus moves.
    cx, cy, cw, ch = xtest.window_geometry(pattern.window)
    frozen = before.crop(cx, cy, cw, ch)
    shot = xtest.settle(xtest.screenshot,
                        lambda shot: shot.crop(cx, cy, cw, ch).differing_pixels(frozen) == 0)
    check(shot.crop(cx, cy, cw, ch).differing_pixels(frozen) == 0,
          "selection window shows the frozen screen")
    check(not xtest.find_windows("^Tessarine$"), "main window hidden while selecting")
xtest.drag(660, 520, 860, 660)
region = (660, 520, 200, 140)
back_to_main()
pane_shows(region, "drag")

# Right press: cancelled, the capture stays. Switching styles redraws the
# preview from the buffer, so it shows what the buffer holds.
start_selection()
xtest.xdotool("mousemove", "--sync", 700, 560)
xtest.xdotool("mousedown", 1)
xtest.xdotool("mousemove", "--sync", 760, 600)
xtest.xdotool("mousedown", 3)
xtest.xdotool("mouseup", 3)
xtest.xdotool("mouseup", 1)
back_to_main()
redraw_from_buffer_shows(region, "after a right press")

# Escape cancels too, once the selection window has the keyboard (the
# window manager hands it over a moment after the window shows).
window = start_selection()
check(xtest.wait_for(lambda: xtest.focused_window() == window),
      "the selection window takes the focus")
xtest.xdotool("key", "Escape")
back_to_main()
redraw_from_buffer_shows(region, "after Escape")

# A rectangle without width captures nothing and keeps the capture.
start_selection()
xtest.drag(700, 540, 700, 640)
back_to_main()
redraw_from_buffer_shows(region, "after a selection without width")

# A click without movement takes the one pixel under it.
start_selection()
xtest.xdotool("mousemove", "--sync", 777, 555)
xtest.xdotool("click", 1)
back_to_main()
pane_shows((777, 555, 1, 1), "click")

# Print while selecting waits for the selection to end: the frozen screen
# stays, and so does the keyboard; the press then makes its capture.
window = start_selection()
check(xtest.wait_for(lambda: xtest.focused_window() == window),
      "the selection window takes the focus")
xtest.xdotool("key", "Print")
check(not xtest.wait_for(lambda: xtest.focused_window() != window or xtest.screenshot().crop(
    cx, cy, cw, ch).differing_pixels(frozen), timeout=2), "Print leaves the selection as it is")
xtest.xdotool("key", "Escape")
check(xtest.wait_for(lambda: not xtest.find_windows("^Form3$")), "Escape still cancels")
check(app.events.wait(["UnmapNotify", "MapNotify"] * 2, since),
      "then Print hides the main window and shows it again")

app.stop()
pattern.stop()
xtest.finish()
