"""Shift+Print Screen captures the window in front, frame and title bar
included, exactly as the screen shows it; parts off the screen come out
black. Capture > Window... shows the instructions, which the capture hides."""

import xtest
from xtest import check


def activate(window):
    check(xtest.activate(window), "window %d takes the focus" % window)


def compare_capture(app, frame, label):
    """Captures the active window with Shift+Print and compares the pane's
    top-left corner (Actual Size) with the screen under the frame."""
    fx, fy, fw, fh = frame
    before = xtest.screenshot()
    px, py, pw, ph = app.pane_rect()
    w, h = min(fw, pw), min(fh, ph)
    # What the screen showed there, black where the frame leaves the screen.
    want_rows = []
    for y in range(h):
        row = []
        for x in range(w):
            sx, sy = fx + x, fy + y
            if 0 <= sx < before.width and 0 <= sy < before.height:
                row.append(bytes(before.pixel(sx, sy)))
            else:
                row.append(b"\0\0\0")
        want_rows.append(b"".join(row))
    want = xtest.Image(w, h, b"".join(want_rows))
    xtest.xdotool("key", "shift+Print")
    after = xtest.settle(xtest.screenshot,
                         lambda shot: shot.crop(px, py, w, h).differing_pixels(want) == 0)
    diff = after.crop(px, py, w, h).differing_pixels(want)
    check(diff == 0, "%s: capture equals the framed window on screen (%d pixels differ)"
          % (label, diff))
    # Just past the capture the pane is clear again.
    if fw < pw:
        check(after.pixel(px + fw, py + 2) == xtest.PANE_BACKGROUND,
              "%s: the capture is exactly %d pixels wide" % (label, fw))
    if fh < ph:
        check(after.pixel(px + 2, py + fh) == xtest.PANE_BACKGROUND,
              "%s: the capture is exactly %d pixels high" % (label, fh))
    return after


app = xtest.App()
app.activate()
xtest.xdotool("windowmove", "--sync", app.window, 0, 0)
xtest.wait_for(lambda: xtest.window_geometry(app.window)[:2] == (0, 0))
app.activate()
app.client_origin()
app.click_client(10, 48 + 41 + 8)  # "Actual Size"

# Capture > Window... shows the instructions and nothing else.
wx, wy, _, _ = xtest.window_geometry(app.window)
xtest.xdotool("mousemove", "--sync", wx + 160, wy + 9)
xtest.xdotool("click", 1)
check(xtest.wait_for(lambda: set(xtest.find_windows_of(app.proc.pid)) - {app.window}),
      "the Capture menu opens")
xtest.xdotool("key", "Down", "Down", "Down", "Return")
form2 = xtest.wait_for(lambda: xtest.find_windows("^Capture Individual Window$"))
check(form2, "Capture > Window... shows the instructions")
if form2:
    _, _, f2w, f2h = xtest.window_geometry(form2[0])
    check((f2w, f2h) == (249, 58), "instructions are 249 x 58: %r" % ((f2w, f2h),))

# A window of our own, fully on the screen and clear of the main window.
pattern = xtest.start_pattern("220x140+720+420")
activate(pattern.window)
frame = xtest.frame_geometry(pattern.window)
inner = xtest.window_geometry(pattern.window)
check(frame[2] > inner[2] and frame[3] > inner[3],
      "the window manager framed the pattern window: %r around %r" % (frame, inner))
after = compare_capture(app, frame, "framed window")
check(not xtest.find_windows("^Capture Individual Window$"),
      "the capture hid the instructions")
check(xtest.find_windows("^Tessarine$"), "the main window stays visible")
# The title bar is in the capture: the pane's top rows are not pattern.
px, py, _, _ = app.pane_rect()
ix, iy = inner[0] - frame[0], inner[1] - frame[1]
check(after.pixel(px + ix + 8, py + iy + 8) == xtest.pattern_colour(8, 8),
      "the pattern sits below the title bar in the capture")

# Reaching past the right and bottom edges: those parts are black. Caps Lock
# and Num Lock are on this time: the key works whatever the lock keys.
xtest.xdotool("windowmove", "--sync", pattern.window, 900, 680)
xtest.wait_for(lambda: xtest.frame_geometry(pattern.window)[:2] == (900, 680))
activate(pattern.window)
xtest.xdotool("key", "Caps_Lock", "Num_Lock")
frame = xtest.frame_geometry(pattern.window)
check(frame[0] + frame[2] > 1024 and frame[1] + frame[3] > 768,
      "pattern window reaches off the screen: %r" % (frame,))
after = compare_capture(app, frame, "window partly off the screen")
check(after.pixel(px + 1024 - frame[0] + 2, py + 2) == (0, 0, 0),
      "the part off the screen is black")
xtest.xdotool("key", "Caps_Lock", "Num_Lock")

pattern.stop()
app.stop()
xtest.finish()
