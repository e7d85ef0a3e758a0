"""--monitor, --clipboard, --pointer, file-name templates and JPEG on a
screen of two RandR monitors: each result against the real screen."""

import os
import re
import shutil
import subprocess
import tempfile

import xtest
from xtest import check

folder = tempfile.mkdtemp(prefix="tess-opt-")


def capture(*args):
    return subprocess.run([xtest.TESSARINE, "--capture", *args], capture_output=True, text=True,
                          timeout=30)


def monitors():
    """(name, x, y, w, h) of each monitor, as xrandr lists them."""
    found = []
    for line in xtest.run("xrandr", "--listmonitors").stdout.splitlines()[1:]:
        m = re.match(r"\s*\d+:\s+[+*]*(\S+)\s+(\d+)/\d+x(\d+)/\d+\+(\d+)\+(\d+)", line)
        if m:
            name, w, h, x, y = m.groups()
            found.append((name, int(x), int(y), int(w), int(h)))
    return found


pattern = xtest.start_pattern("400x300+150+120", title="OptionsPattern")
try:
    xtest.activate(pattern.window)
    shot = xtest.screenshot()
    screens = monitors()
    check(len(screens) == 2, "two monitors: %s" % screens)

    # --monitor NAME, and current: the one under the pointer.
    for name, x, y, w, h in screens:
        path = os.path.join(folder, name + ".png")
        result = capture("--monitor", name, path)
        check(result.returncode == 0, "--monitor %s: %r" % (name, result.stderr))
        diff = xtest.read_image(path).differing_pixels(shot.crop(x, y, w, h))
        check(diff == 0, "--monitor %s is exactly that monitor (%d differ)" % (name, diff))
    name, x, y, w, h = screens[-1]
    xtest.xdotool("mousemove", x + w - 5, y + h - 5)
    current = os.path.join(folder, "current.png")
    check(capture("--monitor", "current", current).returncode == 0, "--monitor current")
    check(xtest.read_image(current).differing_pixels(shot.crop(x, y, w, h)) == 0,
          "--monitor current is the monitor under the pointer")

    # --pointer: the pointer's picture at its place, and nothing else.
    xtest.xdotool("mousemove", 60, 60)
    plain, with_pointer = os.path.join(folder, "plain.png"), os.path.join(folder, "pointer.png")
    capture(plain)
    check(capture("--pointer", with_pointer).returncode == 0, "--pointer succeeds")
    a, b = xtest.read_image(plain), xtest.read_image(with_pointer)
    near = a.crop(30, 30, 60, 60).differing_pixels(b.crop(30, 30, 60, 60))
    check(near > 10, "--pointer draws the pointer at (60, 60): %d pixels changed" % near)
    check(a.differing_pixels(b) == near, "--pointer changes nothing away from the pointer")

    # --clipboard: image/png, pixel for pixel, until something else is copied.
    result = capture("--clipboard")
    check(result.returncode == 0 and result.stdout == "", "--clipboard: %r" % result.stderr)
    blob = subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/png", "-o"],
                          capture_output=True, timeout=10).stdout
    copied = os.path.join(folder, "copied.png")
    with open(copied, "wb") as f:
        f.write(blob)
    diff = xtest.read_image(copied).differing_pixels(xtest.screenshot())
    check(diff == 0, "the clipboard's image/png is the screen (%d differ)" % diff)
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=b"other", timeout=10)
    targets = lambda: subprocess.run(["xclip", "-selection", "clipboard", "-t", "TARGETS", "-o"],
                                     capture_output=True, timeout=10).stdout
    check(xtest.wait_for(lambda: b"image/png" not in targets()),
          "the picture leaves the clipboard when something else is copied")

    # Templates: two captures in the same second get two files, both named.
    template = os.path.join(folder, "%Y-%m-%d_%H%M%S_$wx$h.png")
    runs = [subprocess.Popen([xtest.TESSARINE, "--capture", template], stdout=subprocess.PIPE,
                             text=True) for _ in range(2)]
    names = [run.communicate(timeout=30)[0].strip() for run in runs]
    check(len(set(names)) == 2 and all(os.path.getsize(n) > 0 for n in names),
          "two captures at once: two files %s" % names)
    check(all(re.search(r"/\d{4}-\d\d-\d\d_\d{6}_%dx%d(_1)?\.png$" % (shot.width, shot.height), n)
              for n in names), "the names are filled in: %s" % names)

    # JPEG: decodes to the screen within JPEG's error, far smaller than a bitmap.
    jpeg = os.path.join(folder, "shot.jpg")
    check(capture("--quality", "90", jpeg).returncode == 0, "a .jpg is written")
    with open(jpeg, "rb") as f:
        check(f.read(3) == b"\xff\xd8\xff", "a .jpg holds a JPEG")
    image = xtest.read_image(jpeg)
    off = image.differing_pixels(xtest.screenshot(), tolerance=48)
    check(off * 100 < shot.width * shot.height, "the JPEG is the screen (%d pixels far off)" % off)
    check(os.path.getsize(jpeg) * 4 < shot.width * shot.height * 3,
          "the JPEG is small: %d bytes" % os.path.getsize(jpeg))
finally:
    pattern.stop()
shutil.rmtree(folder)
xtest.finish()
