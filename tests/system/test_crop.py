"""Crop: drag a band on the preview and the capture becomes the part under
it, in Actual Size and in Stretch to fit; Save after a crop writes the
cropped picture to the file already chosen, without asking."""

import os
import tempfile
import time

import xtest
from xtest import check

# The pattern fills the screen's top-left, which is what the pane shows.
pattern = xtest.start_pattern("700x560+0+0")
app = xtest.App()
app.activate()
app.client_origin()
px, py, pw, ph = app.pane_rect()
cx, cy, _, _ = xtest.window_geometry(pattern.window)


def choose(label):
    positions = {"Stretch to fit": (10, 48 + 24 + 8), "Actual Size": (10, 48 + 41 + 8)}
    app.click_client(*positions[label])
    time.sleep(0.4)


def capture_screen():
    app.capture_screen()
    time.sleep(0.3)


def crop(x0, y0, x1, y1):
    """Arms the crop and drags on the pane from (x0, y0) to (x1, y1)."""
    app.click_button("Crop")
    time.sleep(0.3)
    xtest.xdotool("mousemove", "--sync", px + x0, py + y0)
    xtest.xdotool("mousedown", 1)
    xtest.xdotool("mousemove", "--sync", px + (x0 + x1) // 2, py + (y0 + y1) // 2)
    xtest.xdotool("mousemove", "--sync", px + x1, py + y1)
    time.sleep(0.2)
    xtest.xdotool("mouseup", 1)
    time.sleep(0.8)


def pane(w, h):
    return xtest.screenshot().crop(px, py, w, h)


# Actual Size: pane pixels are capture pixels.
choose("Actual Size")
capture_screen()
truth = pane(pw, ph)
check(truth.pixel(60, 70) == xtest.pattern_colour(60 - cx, 70 - cy),
      "the pane shows the pattern 1:1 before cropping")

# Save once, choosing a name.
workdir = tempfile.mkdtemp(prefix="tess-crop-")
path = os.path.join(workdir, "cropped.bmp")
app.activate()
xtest.xdotool("key", "ctrl+s")
dialog = xtest.wait_for(lambda: xtest.find_windows("^Save As$"), timeout=10)
check(dialog, "the first Save asks for a name")
if dialog:
    time.sleep(0.5)
    xtest.xdotool("key", "ctrl+a")
    xtest.xdotool("type", path)
    xtest.xdotool("key", "Return")
check(xtest.wait_for(lambda: os.path.exists(path), timeout=10), "the first Save writes a file")
time.sleep(0.5)

crop(50, 60, 250, 200)
shot = xtest.screenshot()
got = shot.crop(px, py, 200, 140)
diff = got.differing_pixels(truth.crop(50, 60, 200, 140))
check(diff == 0, "actual size: the pane shows the 200x140 band's pixels, %d differ" % diff)
check(shot.pixel(px + 200, py + 5) == xtest.PANE_BACKGROUND, "nothing right of the crop")
check(shot.pixel(px + 5, py + 140) == xtest.PANE_BACKGROUND, "nothing below the crop")

# Save again: no dialog, the cropped picture goes to the same file.
before_save = os.path.getmtime(path)
time.sleep(1.1)
app.activate()
xtest.xdotool("key", "ctrl+s")
time.sleep(2)
check(not xtest.find_windows("^Save As$"), "Save after a crop does not ask")
check(os.path.getmtime(path) > before_save, "Save after a crop rewrites the file")
saved = xtest.read_image(path)
check((saved.width, saved.height) == (200, 140),
      "the saved picture is the crop: %dx%d" % (saved.width, saved.height))
if (saved.width, saved.height) == (200, 140):
    diff = saved.differing_pixels(truth.crop(50, 60, 200, 140))
    check(diff == 0, "the saved picture holds the cropped pixels, %d differ" % diff)
for window in xtest.find_windows("^Save As$"):
    xtest.xdotool("key", "--window", window, "Escape")

# Stretch to fit: the band is scaled by screen size over pane size.
choose("Stretch to fit")
capture_screen()
x0, y0, x1, y1 = 40, 40, 240, 190
crop(x0, y0, x1, y1)
sx = round(x0 * 1024 / pw)
sy = round(y0 * 768 / ph)
w = round((x1 - x0) * 1024 / pw)
h = round((y1 - y0) * 768 / ph)
shot = xtest.screenshot()
stretched_corner = shot.pixel(px + pw - 3, py + ph - 3)
want_corner = xtest.pattern_colour(sx + w - 3 - cx, sy + h - 3 - cy)
check(all(abs(a - b) <= 24 for a, b in zip(stretched_corner, want_corner)),
      "stretched: the crop fills the pane: %r vs %r" % (stretched_corner, want_corner))
# Shown 1:1, the new capture is the mapped rectangle of the screen.
choose("Actual Size")
vw, vh = min(w, pw), min(h, ph)
got = pane(vw, vh)
mismatch = 0
for y in range(vh):
    for x in range(vw):
        if got.pixel(x, y) != xtest.pattern_colour(sx + x - cx, sy + y - cy):
            mismatch += 1
check(mismatch == 0, "stretch to fit: the crop is %dx%d from (%d, %d), %d pixels differ"
      % (w, h, sx, sy, mismatch))
if w < pw:
    check(xtest.screenshot().pixel(px + w, py + 3) == xtest.PANE_BACKGROUND,
          "stretch to fit: the crop is %d pixels wide" % w)

app.stop()
pattern.stop()
xtest.finish()
