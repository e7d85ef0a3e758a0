"""The status-bar hint: shown while the mouse is over "Preview Style", kept
over controls that have no hint of their own, cleared over the frame's empty
area and over the window's bare surface."""

import time

import xtest
from xtest import check

# Client positions (pixels) of the places the mouse visits.
LABEL5 = (40, 60)          # "Preview Style" (Frame2 at 8,48; Label5 at 0,8 in it, 89 x 25)
OPTION = (40, 80)          # "Stretch to fit" (Frame2 0,24 89 x 17), over the label's lower part
FRAME_EMPTY = (101, 62)    # inside Frame2, right of the label: the frame itself
BARE = (60, 250)           # the window's own surface, below the buttons
PANE = (300, 150)          # the preview pane


def status_region(app):
    """The status bar's first panel, less its border, as pixels."""
    ox, oy = app.client_origin()
    _, _, _, pane_h = app.pane_rect()
    client_height = pane_h + 20
    top = oy + client_height - 21
    return xtest.screenshot().crop(ox + 6, top + 5, 360, 12)


def move_to(app, point, expect=None):
    """Moves the pointer; with expect, waits until the status bar shows it.
    Without, it waits a moment, for the checks that the bar stays as it is."""
    ox, oy = app.client_origin()
    xtest.xdotool("mousemove", "--sync", ox + point[0], oy + point[1])
    if expect is None:
        time.sleep(0.4)
    else:
        xtest.settle(lambda: status_region(app), lambda region: same(region, expect))


def same(a, b):
    return a.differing_pixels(b) == 0


app = xtest.App()
try:
    app.activate()
    move_to(app, BARE)
    empty = status_region(app)
    check(len(set(empty.pixel(x, y) for x in range(empty.width) for y in range(empty.height)))
          == 1, "the status bar starts empty")

    move_to(app, LABEL5)
    hint = xtest.settle(lambda: status_region(app), lambda region: not same(region, empty))
    check(hint.differing_pixels(empty) > 50, "hovering over Preview Style shows a hint")

    # An option button has no hint of its own: the hint stays.
    move_to(app, OPTION)
    check(same(status_region(app), hint), "the hint stays over the option button")
    # So does the preview pane.
    move_to(app, PANE)
    check(same(status_region(app), hint), "the hint stays over the preview pane")

    # The frame's own area clears it...
    move_to(app, LABEL5)
    move_to(app, OPTION)
    move_to(app, FRAME_EMPTY, empty)
    check(same(status_region(app), empty), "the frame's empty area clears the hint")

    # ... and so does the window's bare surface.
    move_to(app, LABEL5, hint)
    check(same(status_region(app), hint), "the hint comes back on the label")
    move_to(app, BARE, empty)
    check(same(status_region(app), empty), "the window's surface clears the hint")

    # A capture leaves the status bar as it is.
    move_to(app, LABEL5, hint)
    move_to(app, OPTION)
    app.capture_screen()
    xtest.xdotool("mousemove", "--sync", 0, 0)  # off the window: no mouse-move on it
    time.sleep(0.4)
    check(same(status_region(app), hint), "a capture does not change the status bar")
finally:
    app.stop()
xtest.finish()
