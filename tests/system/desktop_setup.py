"""The capture paths on the desktop that with_x.sh was asked to make (several
monitors, a scaled desktop, another colour depth, a -display argument): the
screen (Print), the window in front (Shift+Print), a rectangle dragged on
the frozen screen and a crop of it are each saved, and each file holds
exactly the screen pixels the server shows, within what the depth can tell
apart. CTest runs it once per setup."""

import os
import subprocess
import sys
import tempfile

import xtest
from xtest import check

if os.environ.get("TESS_SCREEN", "").endswith("x8"):
    # A colour-mapped screen: the window cannot be drawn there, and says
    # so in one line, where the capture from the command line is exact.
    shot = os.path.join(tempfile.mkdtemp(prefix="tess-setup-"), "screen.bmp")
    ran = subprocess.run([xtest.TESSARINE], capture_output=True, text=True,
                         timeout=xtest.DEADLINE)
    check(ran.returncode == 1 and [line.startswith("tessarine:") for line in
                                    ran.stderr.splitlines()].count(True) == 1 and
          "--capture" in ran.stderr,
          "depth 8: the window program exits 1 with one line: %r %r" %
          (ran.returncode, ran.stderr))
    ran = subprocess.run([xtest.TESSARINE, "--capture", shot], timeout=xtest.DEADLINE)
    want = xtest.screenshot()
    check(ran.returncode == 0 and xtest.read_image(shot).differing_pixels(want) == 0,
          "depth 8: --capture saves the screen")
    xtest.finish()
    sys.exit()

SCALE = xtest.SCALE
TOLERANCE = xtest.channel_tolerance()
monitors = int(os.environ.get("TESS_MONITORS") or 1)
decoy = os.environ.get("TESS_DECOY_DISPLAY")
folder = tempfile.mkdtemp(prefix="tess-setup-")
width, height = xtest.screenshot().width, xtest.screenshot().height

# The pattern lies near the bottom right, on the last monitor, away from the
# main window; the toolkit places it in its own (scaled) units.
pw, ph = 320, 260
px, py = width - pw - 60, height - ph - 80
pattern = xtest.start_pattern("%dx%d+%d+%d" % (round(pw / SCALE), round(ph / SCALE),
                                               round(px / SCALE), round(py / SCALE)))
if decoy:
    # $DISPLAY names another display; -display names the one to work on.
    env = dict(os.environ, DISPLAY=decoy)
    app = xtest.App("-display", os.environ["DISPLAY"], env=env)
else:
    app = xtest.App()
# The main window moves near the top left, out of the pattern's way (not
# to the corner itself, where a window manager might put it back anyway).
xtest.xdotool("windowmove", "--sync", app.window, 20, 30)
app.activate()
app.client_origin()
app.click_client(10, 48 + 41 + 8)  # "Actual Size"


def monitor_rects():
    """The monitors as xrandr lists them, (x, y, w, h) in order."""
    rects = []
    for line in xtest.run("xrandr", "--listmonitors").stdout.splitlines()[1:]:
        size, x, y = line.split()[2].split("+")
        w, h = (int(v.split("/")[0]) for v in size.split("x"))
        rects.append((int(x), int(y), w, h))
    return sorted(rects)


def save(name):
    """Saves the capture as `name`; a file already named for it (after a
    crop) is written again without a dialog."""
    path = os.path.join(folder, name)
    known = os.stat(path) if os.path.exists(path) else None
    app.key("ctrl+s")
    if (known or xtest.answer_save_dialog(path)) and \
            check(xtest.saved(path, known), name + " written"):
        return xtest.read_image(path)
    return None


def pane_settles(image, label):
    """Waits until the preview (at actual size) shows image at its corner."""
    ax, ay, aw, ah = app.pane_rect()
    w, h = min(image.width, aw), min(image.height, ah)
    want = image.crop(0, 0, w, h)
    xtest.xdotool("mousemove", "--sync", 1, 1)  # off the pane
    shot = xtest.settle(xtest.screenshot,
                        lambda shot: shot.crop(ax, ay, w, h).differing_pixels(want, TOLERANCE) == 0)
    check(shot.crop(ax, ay, w, h).differing_pixels(want, TOLERANCE) == 0,
          "the preview shows %s 1:1" % label)


def same_pixels(image, shot, rect, label):
    """The image equals the screenshot's rect."""
    x, y, w, h = rect
    size = (image.width, image.height) if image else (0, 0)
    if check(size == (w, h), "%s: %dx%d saved, %dx%d expected" % ((label,) + size + (w, h))):
        diff = image.differing_pixels(shot.crop(x, y, w, h), TOLERANCE)
        check(diff == 0, "%s: %d pixels differ from the server's screenshot" % (label, diff))


# Print: the whole screen, every monitor. The main window (top left) hides
# for it; the pattern and the bare screen right of the main window, the
# full height, must come out as the server shows them.
mx, my, mw, mh = xtest.frame_geometry(app.window)
before = xtest.screenshot()
app.hidden_and_back(lambda: xtest.xdotool("key", "Print"))
screen = save("screen.bmp")
if check(screen and (screen.width, screen.height) == (width, height), "Print: the whole screen"):
    px, py, pw, ph = xtest.window_geometry(pattern.window)
    same_pixels(screen.crop(px, py, pw, ph), before, (px, py, pw, ph), "Print, the pattern")
    right = (mx + mw, 0, px - mx - mw, height)
    same_pixels(screen.crop(*right), before, right, "Print, the screen beside it")

# Shift+Print: the window in front, frame and all.
xtest.activate(pattern.window)
before = xtest.screenshot()
frame = xtest.frame_geometry(pattern.window)
xtest.xdotool("key", "shift+Print")
pane_settles(before.crop(*frame), "the window")
same_pixels(save("window.bmp"), before, xtest.frame_geometry(pattern.window), "Shift+Print")

# Capture Selection: the frozen screen covers every monitor 1:1, and the
# rectangle dragged on it (on the last monitor) is saved pixel for pixel.
cx, cy, cw, ch = xtest.window_geometry(pattern.window)
if xtest.SCALE_FACTORS:
    # A right-click on the last monitor, and Escape, end the selection.
    for leave in (lambda: xtest.xdotool("mousemove", "--sync", cx + 5, cy + 5, "click", 3),
                  lambda: xtest.wait_for(lambda: xtest.focused_window() in xtest.find_windows(
                      "^Form3$")) and xtest.xdotool("key", "Escape")):
        app.hidden_and_back(lambda: (app.click_button("Capture Selection"), xtest.wait_for(
            lambda: xtest.find_windows("^Form3$")), leave()), "a cancelled selection")
        check(xtest.wait_for(lambda: not xtest.find_windows("^Form3$")),
              "a cancelled selection goes")
before = xtest.screenshot()
since = app.events.mark()
app.click_button("Capture Selection")
windows = len(monitor_rects()) if xtest.SCALE_FACTORS else 1
select = xtest.wait_for(lambda: len(xtest.find_windows("^Form3$")) >= windows and
                        xtest.find_windows("^Form3$"))
if check(select, "the selection window appears"):
    # One window over the screen, or one per monitor where their scales
    # differ.
    covers = sorted(xtest.frame_geometry(w) for w in select)
    check(covers == (monitor_rects() if xtest.SCALE_FACTORS else [(0, 0, width, height)]),
          "the selection windows cover the screen: %r" % (covers,))
    frozen = before.crop(cx, cy, cw, ch)
    shown = xtest.settle(xtest.screenshot, lambda shot: shot.crop(
        cx, cy, cw, ch).differing_pixels(frozen) == 0).crop(cx, cy, cw, ch)
    check(shown.differing_pixels(frozen) == 0, "the selection window shows the frozen screen 1:1")
region = (cx + 23, cy + 17, 201, 133)
xtest.drag(region[0], region[1], region[0] + region[2], region[1] + region[3])
check(xtest.wait_for(lambda: not xtest.find_windows("^Form3$")), "the selection window goes")
check(app.events.wait(["UnmapNotify", "MapNotify"], since), "main window back after the selection")
pane_settles(before.crop(*region), "the selection")
same_pixels(save("selection.bmp"), before, region, "selection")

# The preview shows it at actual size, one pane pixel a capture pixel, and a
# crop dragged on the pane keeps exactly the pixels under the band.
ax, ay, _, _ = app.pane_rect()
app.click_button("Crop")
xtest.drag(ax + 31, ay + 12, ax + 31 + 97, ay + 12 + 61)
cropped = (region[0] + 31, region[1] + 12, 97, 61)
pane_settles(before.crop(*cropped), "the crop")
same_pixels(save("selection.bmp"), before, cropped, "crop")

if xtest.SCALE_FACTORS:
    # A drag from the first monitor into the second: the band shows on both
    # while it is dragged, and the capture holds the pixels either side.
    edge = monitor_rects()[1][0]
    x0, y0, x1, y1 = edge - 60, monitor_rects()[0][3] - 100, edge + 60, monitor_rects()[0][3] - 40
    since = app.events.mark()
    app.click_button("Capture Selection")
    check(xtest.wait_for(lambda: len(xtest.find_windows("^Form3$")) >= windows),
          "the selection windows appear again")
    frozen = xtest.settle(xtest.screenshot, lambda shot: shot.crop(
        cx, cy, cw, ch).differing_pixels(before.crop(cx, cy, cw, ch)) == 0)
    xtest.xdotool("mousemove", "--sync", x0, y0)
    xtest.xdotool("mousedown", 1)
    xtest.xdotool("mousemove", "--sync", x1, y1)
    banded = lambda shot: all(shot.crop(x, y, 20, 2).differing_pixels(frozen.crop(x, y, 20, 2))
                              for x, y in ((x0 + 5, y0), (x1 - 25, y1 - 2)))
    check(banded(xtest.settle(xtest.screenshot, banded)), "the band shows on both monitors")
    xtest.xdotool("mouseup", 1)
    check(app.events.wait(["UnmapNotify", "MapNotify"], since), "main window back")
    same_pixels(save("across.bmp"), frozen, (x0, y0, x1 - x0, y1 - y0), "a selection across")

app.stop()
pattern.stop()
xtest.finish()
