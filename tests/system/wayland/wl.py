"""Helpers for the Wayland tests, which run inside with_sway.sh: the
compositor's own pictures (grim), sway's answers, and input to the
program's XWayland windows.

XTEST pointer events reach XWayland windows. Keys reach them only while
sway's seat has a keyboard, which a parked wtype process provides, and the
window has sway's focus. Whatever the output scale, X coordinates are the
desktop's logical pixels; grim's pictures are device pixels."""

import json
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xtest  # noqa: E402
from xtest import check, finish, read_image, wait_for, xdotool  # noqa: E402,F401

OUT = os.environ.get("SESSION_USER_DIR", "/tmp")


def swaymsg(*args):
    out = subprocess.run(["swaymsg", "-r", *args], capture_output=True, text=True).stdout
    return json.loads(out) if out.strip() else None


def focused_node():
    """sway's node of the focused window."""
    def walk(node):
        if node.get("focused") and node["type"] in ("con", "floating_con"):
            return node
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            found = walk(child)
            if found:
                return found
        return None
    return walk(swaymsg("-t", "get_tree"))


def grim():
    blob = subprocess.run(["grim", "-t", "ppm", "-"], check=True, capture_output=True).stdout
    return xtest.parse_ppm(blob)


def scale():
    return max(o["scale"] for o in swaymsg("-t", "get_outputs") if o["active"])


def capture(*args, env=None):
    """tessarine --capture ARGS: (exit status, stderr)."""
    r = subprocess.run([xtest.TESSARINE, "--capture", *args], capture_output=True, text=True,
                       timeout=60, env=env)
    return r.returncode, r.stderr


def same_pixels(path, expected, label):
    """The file holds exactly the picture `expected` (an xtest.Image)."""
    if not check(os.path.exists(path), "%s: %s written" % (label, path)):
        return
    got = read_image(path)
    diff = got.differing_pixels(expected)
    check(diff == 0, "%s: %dx%d file against %dx%d reference, %d pixels differ"
          % (label, got.width, got.height, expected.width, expected.height, diff))


def no_portal_leftovers():
    check(not os.path.exists("/tmp/out.png"), "the portal's file is deleted")


def start_pattern(x, y, width, height):
    """The test pattern in a floating window at (x, y) in X coordinates."""
    p = xtest.Process([xtest.PATTERN, "--geometry", "%dx%d+0+0" % (width, height),
                       "--title", "Pattern"])
    p.window = find_window("^Pattern$")
    move("^Pattern$", x, y)
    return p


def move(title, x, y):
    swaymsg("[title=\"%s\"] move position %d %d" % (title, x, y))
    time.sleep(0.3)


def find_window(title):
    found = wait_for(lambda: xtest.find_windows(title), timeout=20)
    return found[0] if found else None


def focus(title):
    swaymsg("[title=\"%s\"] focus" % title)
    time.sleep(0.3)


class Keyboard:
    """A virtual keyboard on sway's seat while it lives (wtype asleep)."""

    def __init__(self):
        self.proc = subprocess.Popen(["wtype", "-s", "3600000", "-k", "Shift_L"])
        time.sleep(0.5)

    def stop(self):
        self.proc.kill()
        self.proc.wait()


class App(xtest.Process):
    """The window program on XWayland, its main window focused by sway."""

    def __init__(self, *args, env=None):
        super().__init__([xtest.TESSARINE, *args], env=env)
        self.window = find_window("^Tessarine$")
        if not self.window:
            self.stop()
            raise RuntimeError("main window did not appear: " +
                               self.proc.stderr.read().decode(errors="replace"))
        time.sleep(0.5)
        focus("^Tessarine$")
        self._client = None

    def client_origin(self):
        """X position of the client area below the menu bar, found from the
        empty preview pane in grim's picture (call before the first capture)."""
        if self._client is None:
            x, y, w, h = xtest.window_geometry(self.window)
            s = scale()
            shot = grim()
            column = int((x + 140) * s)
            for row in range(int(y * s), int((y + h) * s)):
                if shot.pixel(column, row) == xtest.PANE_BACKGROUND and \
                        shot.pixel(column, row + int(10 * s)) == xtest.PANE_BACKGROUND:
                    self._client = (x, int(round(row / s)))
                    break
            else:
                raise RuntimeError("preview pane not found")
        return self._client

    def click(self, cx, cy, button=1):
        ox, oy = self.client_origin()
        xdotool("mousemove", ox + cx, oy + cy, "sleep", "0.05", "click", button)

    def capture_selection(self, x0, y0, x1, y1):
        """Capture Selection, then a drag from (x0, y0) to (x1, y1) in X
        coordinates; True when the main window came back."""
        self.click(56, 144)
        if not check(wait_for(lambda: xtest.find_windows("^Form3$"), timeout=20),
                     "selection window appears"):
            return False
        time.sleep(0.5)
        xdotool("mousemove", x0, y0, "sleep", "0.1", "mousedown", 1)
        xdotool("mousemove", (x0 + x1) // 2, (y0 + y1) // 2, "sleep", "0.1")
        xdotool("mousemove", x1, y1, "sleep", "0.2", "mouseup", 1)
        return check(wait_for(lambda: not xtest.find_windows("^Form3$"), timeout=20),
                     "selection window goes")

    def messages(self):
        return [w for w in xtest.find_windows("^Tessarine$") if w != self.window]

    def save(self, path):
        """Ctrl+S, the path typed into the save dialog, and the file written."""
        # A key pressed while sway is still moving the focus is lost.
        for _ in range(5):
            focus("^Tessarine$")
            xdotool("key", "ctrl+s")
            dialog = wait_for(lambda: xtest.find_windows("^Save As$"), timeout=3)
            if dialog:
                break
        if not check(dialog, "the save dialog opens"):
            return False
        focus("^Save As$")
        xdotool("key", "ctrl+a")
        xdotool("type", "--delay", "20", path)
        xdotool("key", "Return")
        return check(wait_for(lambda: os.path.exists(path) and
                              not xtest.find_windows("^frmSave$"), timeout=20),
                     "%s saved" % path)
