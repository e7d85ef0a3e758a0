"""Crop: drag a band on the preview and the capture becomes the part under
it, in Actual Size and in Stretch to fit; Save after a crop writes the
cropped picture to the file already chosen, without asking."""

import os
import tempfile

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


def crop(x0, y0, x1, y1):
    """Arms the crop and drags on the pane from (x0, y0) to (x1, y1)."""
    app.click_button("Crop")
    xtest.xdotool("mousemove", "--sync", px + x0, py + y0)
    xtest.xdotool("mousedown", 1)
    xtest.xdotool("mousemove", "--sync", px + (x0 + x1) // 2, py + (y0 + y1) // 2)
    xtest.xdotool("mousemove", "--sync", px + x1, py + y1)
    xtest.xdotool("mouseup", 1)
    # Off the pane, so that the pointer hides no pixel.
    xtest.xdotool("mousemove", "--sync", 1010, 760)


def pane_once_shows(want, x=0, y=0):
    """The pane's rectangle at (x, y) of want's size, once it shows want (or
    at the deadline)."""
    return xtest.settle(lambda: xtest.screenshot().crop(px + x, py + y, want.width, want.height),
                        lambda got: got.differing_pixels(want) == 0)


def pattern_crop(x, y, w, h):
    rows = [b"".join(bytes(xtest.pattern_colour(x + i - cx, y + j - cy)) for i in range(w))
            for j in range(h)]
    return xtest.Image(w, h, b"".join(rows))


# Actual Size: pane pixels are capture pixels. The capture hides the main
# window, so below the pattern's title bar the pane shows only pattern.
choose("Actual Size")
app.capture_screen()
inside = pattern_crop(40, 60, 80, 80)
check(pane_once_shows(inside, 40, 60).differing_pixels(inside) == 0,
      "the pane shows the pattern 1:1 before cropping")
truth = xtest.screenshot().crop(px, py, pw, ph)

# Save once, choosing a name.
workdir = tempfile.mkdtemp(prefix="tess-crop-")
path = os.path.join(workdir, "cropped.bmp")
app.key("ctrl+s")
check(xtest.answer_save_dialog(path), "the first Save asks for a name")
check(xtest.saved(path), "the first Save writes a file")
first_file = os.stat(path)

crop(50, 60, 250, 200)
want = truth.crop(50, 60, 200, 140)
got = pane_once_shows(want)
shot = xtest.screenshot()
diff = got.differing_pixels(want)
check(diff == 0, "actual size: the pane shows the 200x140 band's pixels, %d differ" % diff)
check(shot.pixel(px + 200, py + 5) == xtest.PANE_BACKGROUND, "nothing right of the crop")
check(shot.pixel(px + 5, py + 140) == xtest.PANE_BACKGROUND, "nothing below the crop")

# Save again: no dialog, the cropped picture goes to the same file.
app.key("ctrl+s")
check(xtest.saved(path, first_file), "Save after a crop rewrites the file")
check(not xtest.find_windows("^Save As$"), "Save after a crop does not ask")
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
app.capture_screen()
x0, y0, x1, y1 = 40, 40, 240, 190
sx = round(x0 * 1024 / pw)
sy = round(y0 * 768 / ph)
w = round((x1 - x0) * 1024 / pw)
h = round((y1 - y0) * 768 / ph)
want_corner = xtest.pattern_colour(sx + w - 3 - cx, sy + h - 3 - cy)


def near(colour, want):
    return all(abs(a - b) <= 24 for a, b in zip(colour, want))


# The whole screen stretched into the pane first, then the crop of it.
xtest.settle(xtest.screenshot, lambda shot: shot.pixel(px + 5, py + 5) != xtest.PANE_BACKGROUND)
crop(x0, y0, x1, y1)
stretched_corner = xtest.settle(lambda: xtest.screenshot().pixel(px + pw - 3, py + ph - 3),
                                lambda colour: near(colour, want_corner))
check(near(stretched_corner, want_corner),
      "stretched: the crop fills the pane: %r vs %r" % (stretched_corner, want_corner))
# Shown 1:1, the new capture is the mapped rectangle of the screen.
choose("Actual Size")
vw, vh = min(w, pw), min(h, ph)
want = pattern_crop(sx, sy, vw, vh)
mismatch = pane_once_shows(want).differing_pixels(want)
check(mismatch == 0, "stretch to fit: the crop is %dx%d from (%d, %d), %d pixels differ"
      % (w, h, sx, sy, mismatch))
if w < pw:
    check(xtest.screenshot().pixel(px + w, py + 3) == xtest.PANE_BACKGROUND,
          "stretch to fit: the crop is %d pixels wide" % w)

app.stop()
pattern.stop()
xtest.finish()
