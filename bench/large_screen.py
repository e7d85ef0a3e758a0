"""Capture Selection and Capture Screen on a very large screen: the window
program's peak memory, the time from the mouse-up that ends a selection
until the main window is back, and the memory the program keeps after a
full-screen capture. Run by bench/large_screen.sh on a private screen."""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "system"))
import xtest  # noqa: E402


def client_origin(app):
    """The client area's top left, found from the main window's own picture
    (a picture of the whole root would take gigabytes)."""
    x, y, w, h = xtest.window_geometry(app.window)
    blob = subprocess.run(["import", "-window", str(app.window), "-depth", "8", "ppm:-"],
                          check=True, capture_output=True).stdout
    image = xtest.parse_ppm(blob)
    for row in range(image.height):
        if image.pixel(140, row) == xtest.PANE_BACKGROUND:
            return x, y + row
    raise RuntimeError("preview pane not found")


def visible(name):
    return xtest.find_windows("^%s$" % name)


app = xtest.App()
pid = app.proc.pid  # tessarine executes tessarine-window in its own place
xtest.xdotool("windowmove", "--sync", app.window, 0, 0)
app.activate()
ox, oy = client_origin(app)
size = xtest.run("xdpyinfo").stdout.split("dimensions:")[1].split()[0]
print("screen %s, program resident at start %d MiB" % (size, xtest.resident_kib(pid) // 1024))

xtest.xdotool("mousemove", "--sync", ox + 56, oy + 144, "click", 1)  # Capture Selection
xtest.wait_for(lambda: visible("Form3"), timeout=120)
# Until the frozen screen is drawn: the resident size stops growing.
last = -1
while xtest.resident_kib(pid) != last:
    last = xtest.resident_kib(pid)
    time.sleep(1.0)
xtest.xdotool("mousemove", "--sync", 1000, 1000)
xtest.xdotool("mousedown", 1)
xtest.xdotool("mousemove", "--sync", 1200, 1150)
xtest.xdotool("mousemove", "--sync", 1400, 1300)
time.sleep(0.5)
start = time.monotonic()
xtest.xdotool("mouseup", 1)
xtest.wait_for(lambda: not visible("Form3") and visible("Tessarine"), timeout=120, interval=0.01)
elapsed = time.monotonic() - start
time.sleep(1.0)
print("Capture Selection: %.2f s from mouse-up to the main window; peak resident %d MiB; "
      "resident after %d MiB" % (elapsed, xtest.resident_kib(pid, "VmHWM") // 1024,
                                  xtest.resident_kib(pid) // 1024))

xtest.xdotool("mousemove", "--sync", ox + 56, oy + 120, "click", 1)  # Capture Screen
time.sleep(1.0)
xtest.wait_for(lambda: visible("Tessarine"), timeout=120)
last = -1
while xtest.resident_kib(pid) != last:
    last = xtest.resident_kib(pid)
    time.sleep(1.0)
print("Capture Screen: peak resident %d MiB; resident after %d MiB, of it shared memory %d MiB" %
      (xtest.resident_kib(pid, "VmHWM") // 1024, xtest.resident_kib(pid) // 1024,
       xtest.resident_kib(pid, "RssShmem") // 1024))
app.stop()
