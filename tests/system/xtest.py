"""Helpers for the system tests: start the real program on the private X
display that with_x.sh made, drive it with xdotool and read real pixels.

Images are read through ImageMagick as binary PPM, so every comparison is
between pixels the X server (or a written file) really holds.
"""

import os
import subprocess
import sys
import time

TESSARINE = os.environ.get("TESSARINE_BIN", "build/tessarine")
PATTERN = os.environ.get("PATTERN_BIN", "build/tests/tess_pattern_window")
# Toolkit units per screen pixel on the desktop with_x.sh made (Xft.dpi).
SCALE = float(os.environ.get("TESS_XFT_DPI") or 96) / 96
PANE_BACKGROUND = (0xC8, 0xC8, 0xC8)
ROOT_COLOUR = (0x33, 0x66, 0x99)

_failures = []


def check(condition, message):
    """Records a failure without stopping, so one run reports them all."""
    if not condition:
        _failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def finish():
    """Ends the test script: exit status 1 if any check failed."""
    if _failures:
        print("%d check(s) failed" % len(_failures))
        sys.exit(1)
    print("all checks passed")
    sys.exit(0)


def run(*args, check_status=True, **kwargs):
    return subprocess.run(list(args), check=check_status, capture_output=True, text=True, **kwargs)


def xdotool(*args):
    return run("xdotool", *[str(a) for a in args]).stdout.strip()


class Image:
    def __init__(self, width, height, data):
        self.width = width
        self.height = height
        self.data = data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, x, y, w, h):
        rows = []
        for row in range(y, y + h):
            start = (row * self.width + x) * 3
            rows.append(self.data[start:start + w * 3])
        return Image(w, h, b"".join(rows))

    def differing_pixels(self, other, tolerance=0):
        """Pixels with a channel more than `tolerance` apart; -1 when the
        sizes differ."""
        if (self.width, self.height) != (other.width, other.height):
            return -1
        count = 0
        row_bytes = self.width * 3
        for start in range(0, len(self.data), row_bytes):
            mine = self.data[start:start + row_bytes]
            theirs = other.data[start:start + row_bytes]
            if mine == theirs:
                continue
            for i in range(0, row_bytes, 3):
                if any(abs(mine[i + c] - theirs[i + c]) > tolerance for c in range(3)):
                    count += 1
        return count


def parse_ppm(blob):
    # P6 <w> <h> <max>\n<data>, whitespace-separated header fields.
    fields = []
    pos = 0
    while len(fields) < 4:
        while blob[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not blob[pos:pos + 1].isspace():
            pos += 1
        fields.append(blob[start:pos])
    pos += 1
    assert fields[0] == b"P6", fields[0]
    width, height = int(fields[1]), int(fields[2])
    return Image(width, height, blob[pos:pos + width * height * 3])


def screenshot():
    blob = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                          check=True, capture_output=True).stdout
    return parse_ppm(blob)


def read_image(path):
    """Any image file ImageMagick reads (a .bmp we wrote, say)."""
    blob = subprocess.run(["convert", path, "-depth", "8", "ppm:-"],
                          check=True, capture_output=True).stdout
    return parse_ppm(blob)


def near(colour, other, tolerance=8):
    """Colours equal as far as a screen of fewer than 8 bits a channel can
    tell."""
    return all(abs(a - b) <= tolerance for a, b in zip(colour, other))


def channel_tolerance():
    """How far apart two readings of one screen pixel may lie on 8-bit
    channels: 0 at depth 24; at other depths the server's own screenshot and
    a capture may round each channel's conversion differently by one."""
    depth = os.environ.get("TESS_SCREEN", "1024x768x24").split("x")[2]
    return 0 if depth == "24" else 1


def drag(x0, y0, x1, y1, button=1):
    """Presses at (x0, y0), moves to (x1, y1) by way of the middle, releases."""
    xdotool("mousemove", "--sync", x0, y0)
    xdotool("mousedown", button)
    xdotool("mousemove", "--sync", (x0 + x1) // 2, (y0 + y1) // 2)
    xdotool("mousemove", "--sync", x1, y1)
    time.sleep(0.2)
    xdotool("mouseup", button)


def answer_save_dialog(path):
    """Types a full path into the open save dialog and confirms it."""
    window = wait_for(lambda: find_windows("^Save As$"), timeout=10)
    if not check(window, "the save dialog opens"):
        return False
    xdotool("windowactivate", "--sync", window[0])
    time.sleep(0.3)
    xdotool("key", "ctrl+a")
    xdotool("type", "--delay", "20", path)
    time.sleep(0.3)
    xdotool("key", "Return")
    check(wait_for(lambda: not find_windows("^Save As$"), timeout=10), "the save dialog closes")
    return True


def wait_saved(path, previous_mtime=None):
    """Waits until `path` is written (anew, if its old time is given)."""
    def written():
        if not os.path.exists(path):
            return False
        if previous_mtime is not None and os.stat(path).st_mtime_ns == previous_mtime:
            return False
        return not find_windows("^frmSave$")
    return wait_for(written, timeout=10)


def wait_for(predicate, timeout=10.0, interval=0.1):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return None


def find_windows(name, visible=True):
    args = ["xdotool", "search"]
    if visible:
        args.append("--onlyvisible")
    args += ["--name", name]
    out = subprocess.run(args, capture_output=True, text=True).stdout.split()
    return [int(w) for w in out]


def window_geometry(window):
    """Absolute x, y, width, height of a window's own area (without the
    window manager's frame)."""
    out = run("xwininfo", "-id", str(window)).stdout
    values = {}
    for line in out.splitlines():
        line = line.strip()
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            if line.startswith(key + ":"):
                values[key] = int(line.split(":")[1])
    return (values["Absolute upper-left X"], values["Absolute upper-left Y"],
            values["Width"], values["Height"])


def frame_geometry(window):
    """Absolute rectangle of the window manager's frame around a window: the
    top-level ancestor just below the root."""
    current = window
    while True:
        out = run("xwininfo", "-children", "-id", str(current)).stdout
        parent = None
        root = None
        for line in out.splitlines():
            line = line.strip()
            if line.startswith("Root window id:"):
                root = int(line.split()[3], 16)
            if line.startswith("Parent window id:"):
                parent = int(line.split()[3], 16)
        if parent is None or parent == root:
            return window_geometry(current)
        current = parent


def pattern_colour(x, y):
    """The colour tess_pattern_window paints at (x, y) of its own area."""
    bx, by = x // 16, y // 16
    return ((bx * 53 + 17) & 0xFF, (by * 97 + 31) & 0xFF, ((bx + by) * 29 + 71) & 0xFF)


class Process:
    def __init__(self, args, env=None):
        self.proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     env=env)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def start_pattern(geometry="400x300+100+100", title="Pattern", frameless=False):
    args = [PATTERN, "--geometry", geometry, "--title", title]
    if frameless:
        args.append("--frameless")
    p = Process(args)
    window = wait_for(lambda: find_windows("^%s$" % title))
    if not window:
        raise RuntimeError("pattern window did not appear")
    p.window = window[0]
    time.sleep(0.3)
    return p


class App(Process):
    """The real program, started on the test display."""

    def __init__(self, *extra_args, env=None):
        super().__init__([TESSARINE, *extra_args], env=env)
        found = wait_for(lambda: find_windows("^Tessarine$"), timeout=20)
        if not found:
            self.stop()
            raise RuntimeError("main window did not appear: " +
                               self.proc.stderr.read().decode(errors="replace"))
        self.window = found[0]
        time.sleep(0.5)
        self._client = None

    def activate(self):
        subprocess.run(["xdotool", "windowactivate", "--sync", str(self.window)],
                       capture_output=True)
        time.sleep(0.2)

    def client_origin(self):
        """Screen position of the client area's (0, 0), below the menu bar.
        Found from the empty preview pane, whose top is the client's top."""
        if self._client is None:
            x, y, w, h = window_geometry(self.window)
            shot = screenshot()
            column = x + round((120 + 20) * SCALE)
            for row in range(y, y + h):
                if near(shot.pixel(column, row), PANE_BACKGROUND) and \
                        near(shot.pixel(column + 10, row + 10), PANE_BACKGROUND):
                    self._client = (x, row)
                    break
            else:
                raise RuntimeError("preview pane not found; call client_origin() before the "
                                   "first capture")
        return self._client

    def click_client(self, cx, cy, button=1):
        """Clicks at (cx, cy) of the client area, in the window's design
        units (scaled like the toolkit on a scaled desktop)."""
        ox, oy = self.client_origin()
        cx, cy = round(cx * SCALE), round(cy * SCALE)
        # (--sync would wait forever when the pointer is already there.)
        xdotool("mousemove", ox + cx, oy + cy, "sleep", "0.05", "click", button)

    def click_button(self, name):
        """Clicks one of the popup buttons by its design position."""
        positions = {
            "Capture Screen": (56, 120),
            "Capture Selection": (56, 144),
            "Crop": (56, 168),
            "Save": (60, 360),
        }
        self.click_client(*positions[name])

    def pane_rect(self):
        """Screen rectangle of the preview pane (x, y, w, h)."""
        ox, oy = self.client_origin()
        _, _, w, h = window_geometry(self.window)
        menu = oy - window_geometry(self.window)[1]
        return (ox + round(120 * SCALE), oy, w - round(122 * SCALE), h - menu - round(20 * SCALE))

    def wait_visible(self, timeout=10):
        return wait_for(lambda: find_windows("^Tessarine$"), timeout=timeout)

    def capture_screen(self):
        """Clicks "Capture Screen" and waits for the main window to return."""
        self.click_button("Capture Screen")
        time.sleep(1.5)
        return check(self.wait_visible(), "main window back after the capture")


def resident_kib(pid, field="VmRSS"):
    """The process's resident memory, from /proc (RssShmem: the part of it
    in shared memory; VmHWM: its peak)."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0
