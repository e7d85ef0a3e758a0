"""Capture Screen puts the real screen, without the main window, into the
preview in both styles."""

import time

import xtest
from xtest import check

pattern = xtest.start_pattern("256x192+700+500")
app = xtest.App()
app.activate()
origin = app.client_origin()
px, py, pw, ph = app.pane_rect()
check(pw == 482, "pane is 482 pixels wide at the design width: %r" % pw)

# Actual size: the screen's top-left corner appears 1:1 in the pane.
app.click_client(10, 48 + 41 + 8)  # "Actual Size"
before = xtest.screenshot()
app.click_button("Capture Screen")
time.sleep(1.5)
check(app.wait_visible(), "main window visible after the capture")
check(xtest.window_geometry(app.window)[:2] == (origin[0], xtest.window_geometry(app.window)[1]),
      "main window stays where it was")
shot = xtest.screenshot()
# The pane shows screen pixel (x, y) at pane (x, y); the main window was
# hidden, so where it stood the pane shows what lay beneath: root colour.
mx, my, _, _ = xtest.frame_geometry(app.window)
check(shot.pixel(px + 5, py + 5) == before.pixel(5, 5),
      "actual size: pane shows the screen's corner")
inside_main = (mx + 10, my + 10)
if inside_main[0] < pw and inside_main[1] < ph:
    check(shot.pixel(px + inside_main[0], py + inside_main[1]) == xtest.ROOT_COLOUR,
          "main window is not in the capture: %r" % (shot.pixel(px + inside_main[0],
                                                                py + inside_main[1]),))

# Stretch to fit: the pattern window (256x192 at 700,500 on 1024x768) lands
# at 700/1024 and 500/768 of the pane.
app.click_client(10, 48 + 24 + 8)  # "Stretch to fit"
time.sleep(0.5)
shot = xtest.screenshot()
wx, wy, _, _ = xtest.window_geometry(pattern.window)
# Centre of the pattern's block (2, 2), mapped into the pane.
sx, sy = wx + 40, wy + 40
tx = px + int(sx * pw / 1024)
ty = py + int(sy * ph / 768)
want = xtest.pattern_colour(40, 40)
got = shot.pixel(tx, ty)

check(all(abs(a - b) <= 12 for a, b in zip(got, want)),
      "stretched preview shows the pattern: got %r want %r" % (got, want))

app.stop()
pattern.stop()
xtest.finish()
