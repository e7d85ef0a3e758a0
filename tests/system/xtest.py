"""Helpers for the system tests: start the real program on the private X
display that with_x.sh made, drive it with xdotool and read real pixels.

Images are read through ImageMagick as binary PPM, so every comparison is
between pixels the X server (or a written file) really holds.
"""

import faulthandler
import os
import re
import subprocess
import sys
import threading
import time

# A step that never ends would otherwise only show as CTest's timeout with
# no output: before that, every thread's stack is printed (naming the step)
# and the test fails.
faulthandler.dump_traceback_later(float(os.environ.get("TESS_TEST_WATCHDOG") or 240), exit=True)

TESSARINE = os.environ.get("TESSARINE_BIN", "build/tessarine")
PATTERN = os.environ.get("PATTERN_BIN", "build/tests/tess_pattern_window")
# Toolkit units per screen pixel on the desktop with_x.sh made (Xft.dpi).
SCALE = float(os.environ.get("TESS_XFT_DPI") or 96) / 96
# Each monitor's own scale factor for the program, where they differ; the
# main window stays on the first monitor, at its scale.
SCALE_FACTORS = [float(f) for f in os.environ.get("TESS_SCALE_FACTORS", "").split(",") if f]
APP_SCALE = SCALE_FACTORS[0] if SCALE_FACTORS else SCALE
PANE_BACKGROUND = (0xC8, 0xC8, 0xC8)
ROOT_COLOUR = (0x33, 0x66, 0x99)

_failures = []


def check(condition, message):
    """Records a failure without stopping, so one run reports them all."""
    if not condition:
        _failures.append(message)
        print("FAIL: " + message, flush=True)
    return condition


_not_run = []


def not_run(what):
    """Records a part of the test that cannot run here; the test then ends
    as skipped (77) rather than passed, unless a check failed."""
    print("NOT RUN: %s" % what)
    _not_run.append(what)


def finish():
    """Ends the test script: exit status 1 if any check failed, 77 (skipped)
    if a part of it could not run."""
    if _failures:
        print("%d check(s) failed" % len(_failures))
        sys.exit(1)
    if _not_run:
        print("the checks that ran passed; %d part(s) could not run" % len(_not_run))
        sys.exit(77)
    print("all checks passed")
    sys.exit(0)


def run(*args, check_status=True, **kwargs):
    kwargs.setdefault("timeout", DEADLINE)
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
                          check=True, capture_output=True, timeout=DEADLINE).stdout
    return parse_ppm(blob)


def read_image(path):
    """Any image file ImageMagick reads (a .bmp we wrote, say)."""
    blob = subprocess.run(["convert", path, "-depth", "8", "ppm:-"],
                          check=True, capture_output=True, timeout=DEADLINE).stdout
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
    xdotool("mouseup", button)


# Deadlines are generous: they only bound how long a broken program keeps a
# test waiting, and a loaded machine (or the sanitizer build) is slow.
DEADLINE = 30.0


def wait_for(predicate, timeout=DEADLINE, interval=0.1):
    """Polls predicate until it gives a true value, which it returns; None
    when the deadline passes. The predicate always runs at least once more
    after the deadline, so a slow poll cannot make a wait fail early."""
    deadline = time.time() + timeout
    while True:
        value = predicate()
        if value or time.time() >= deadline:
            return value or None
        time.sleep(interval)


def settle(read, good, timeout=DEADLINE):
    """Reads (a screenshot, say) until good(reading) holds; returns the last
    reading, good or not, for the caller's check to judge."""
    result = []

    def attempt():
        result[:] = [read()]
        return good(result[0])
    wait_for(attempt, timeout)
    return result[0]


def managed_windows():
    """The client windows the window manager manages (_NET_CLIENT_LIST)."""
    out = run("xprop", "-root", "_NET_CLIENT_LIST", check_status=False).stdout
    return [int(w, 16) for w in re.findall(r"0x[0-9a-fA-F]+", out)]


def find_windows(name, visible=True):
    args = ["xdotool", "search"]
    if visible:
        args.append("--onlyvisible")
    args += ["--name", name]
    out = subprocess.run(args, capture_output=True, text=True, timeout=DEADLINE).stdout.split()
    return [int(w) for w in out]


def find_windows_of(pid):
    """Visible windows of one process, menus and message boxes included."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         capture_output=True, text=True, timeout=DEADLINE).stdout
    return [int(w) for w in out.split()]


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
    top-level ancestor just below the root, with its X border (fluxbox draws
    one)."""
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
            x, y, w, h = window_geometry(current)
            border = int(run("xwininfo", "-id", str(current)).stdout.split(
                "Border width:")[1].split()[0])
            return (x, y, w + 2 * border, h + 2 * border)
        current = parent


def pattern_colour(x, y):
    """The colour tess_pattern_window paints at (x, y) of its own area."""
    bx, by = x // 16, y // 16
    return ((bx * 53 + 17) & 0xFF, (by * 97 + 31) & 0xFF, ((bx + by) * 29 + 71) & 0xFF)


class WindowEvents:
    """Map, unmap and focus events of one window, as the X server sends them
    (through xev), so that a window hidden and shown again between two polls
    is not missed."""

    def __init__(self, window):
        self.names = []
        self._lock = threading.Lock()
        self._xev = subprocess.Popen(
            ["xev", "-id", str(window), "-event", "structure", "-event", "focus", "-event",
             "property"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)
        threading.Thread(target=self._read, daemon=True).start()
        # Once a property change of ours shows, xev is listening: no event
        # after this constructor is missed.
        def listening():
            run("xprop", "-id", str(window), "-f", "_TESS_PROBE", "8s", "-set", "_TESS_PROBE",
                "1")
            with self._lock:
                return "PropertyNotify" in self.names
        if not wait_for(listening, interval=0.2):
            raise RuntimeError("xev does not report the window's events")

    def _read(self):
        for line in self._xev.stdout:
            name = line.split(" event,")[0] if " event," in line else None
            if name:
                with self._lock:
                    self.names.append(name)

    def mark(self):
        with self._lock:
            return len(self.names)

    def wait(self, sequence, since, timeout=DEADLINE):
        """True once the named events have come, in this order, after mark
        `since`."""
        def seen():
            with self._lock:
                wanted = list(sequence)
                for name in self.names[since:]:
                    if wanted and name == wanted[0]:
                        wanted.pop(0)
                return not wanted
        return bool(wait_for(seen, timeout, interval=0.02))

    def stop(self):
        self._xev.kill()
        self._xev.wait()


def focused_window():
    return int(run("xdotool", "getwindowfocus", "-f").stdout.strip() or 0)


def activate(window):
    """Brings a window to the front and waits until it has the keyboard focus."""
    def focused():
        if focused_window() != window:
            subprocess.run(["xdotool", "windowactivate", "--sync", str(window)],
                           capture_output=True, timeout=DEADLINE)
        return focused_window() == window
    return wait_for(focused, interval=0.2)


def click_capture_selection(window, picture):
    """Clicks the main window's "Capture Selection", placed from the top of
    its empty preview pane in picture() (the desktop as the compositor draws
    it); the selection window once it shows, or None."""
    x, y, _, h = window_geometry(window)

    def pane_top():
        shot = picture()
        return next((row for row in range(y, y + h)
                     if shot.pixel(x + 140, row) == PANE_BACKGROUND), None)
    top = wait_for(pane_top)
    if top is None:
        return None
    xdotool("mousemove", x + 56, top + 144, "sleep", "0.05", "click", 1)
    found = wait_for(lambda: find_windows("^Form3$"))
    return found[0] if found else None


def answer_save_dialog(path):
    """Waits for the Save As dialog, types path into it and confirms. False
    when no dialog came."""
    dialog = wait_for(lambda: find_windows("^Save As$"))
    if not dialog or not activate(dialog[0]):
        return False
    xdotool("key", "ctrl+a")
    xdotool("type", "--delay", "20", path)
    xdotool("key", "Return")
    return True


def saved(path, replaced=None):
    """Waits until the save window has written path and gone (it covers the
    screen while it works); with replaced, the os.stat() of the file it
    must replace. True when both happened."""
    def done():
        try:
            st = os.stat(path)
        except FileNotFoundError:
            return False
        if replaced is not None and (st.st_ino, st.st_mtime_ns) == \
                (replaced.st_ino, replaced.st_mtime_ns):
            return False
        return not find_windows("^frmSave$")
    return bool(wait_for(done))


def painted(x, y, colour):
    """True when the screen shows colour at (x, y), as near as its depth can."""
    return near(screenshot().pixel(x, y), colour, 0 if channel_tolerance() == 0 else 8)


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
    # Drawn once its first block shows on the screen.
    x, y, _, _ = window_geometry(p.window)
    if not wait_for(lambda: painted(x + 8, y + 8, pattern_colour(8, 8))):
        raise RuntimeError("pattern window was not drawn")
    return p


class App(Process):
    """The real program, started on the test display."""

    def __init__(self, *extra_args, env=None):
        if SCALE_FACTORS:
            env = dict(env or os.environ, QT_SCREEN_SCALE_FACTORS=";".join(
                "TESS-%d=%g" % (i, f) for i, f in enumerate(SCALE_FACTORS)))
        super().__init__([TESSARINE, *extra_args], env=env)
        self.events = None
        # A deadline for a loaded machine: a silent session bus alone takes 5 s.
        found = wait_for(lambda: find_windows("^Tessarine$"), timeout=30)
        if not found:
            self.stop()
            raise RuntimeError("main window did not appear: " +
                               self.proc.stderr.read().decode(errors="replace"))
        self.window = found[0]
        self.events = WindowEvents(self.window)
        self._menu_height = None
        # Drawn once the empty pane shows (unless other windows cover it).
        wait_for(self._find_client_origin)

    def stop(self):
        super().stop()
        if self.events:
            self.events.stop()

    def activate(self):
        """Brings the main window to the front and waits until it has the
        keyboard focus, so that keys sent next go to it."""
        return check(activate(self.window), "the main window takes the focus")

    def key(self, *keys):
        """Sends keys to the main window once it has the focus."""
        self.activate()
        xdotool("key", *keys)

    def open_menu(self, keys):
        """Opens a menu of the main window from the keyboard; True once its
        popup shows. The keys go again when no popup has come within a few
        seconds: on a loaded machine a first press was seen to go unanswered
        although the window had the focus."""
        known = set(find_windows_of(self.proc.pid))

        def opened():
            self.key(keys)
            return wait_for(lambda: set(find_windows_of(self.proc.pid)) - known, timeout=5)
        return bool(wait_for(opened, interval=0))

    def _find_client_origin(self):
        x, y, w, h = window_geometry(self.window)
        shot = screenshot()
        column = x + round((120 + 20) * APP_SCALE)
        for row in range(y, y + h):
            if near(shot.pixel(column, row), PANE_BACKGROUND) and \
                    near(shot.pixel(column + 10, row + 10), PANE_BACKGROUND):
                self._menu_height = row - y
                return (x, row)
        return None

    def client_origin(self):
        """Screen position of the client area's (0, 0), below the menu bar.
        The menu bar's height is found once, from the empty preview pane,
        whose top is the client's top."""
        if self._menu_height is None and not self._find_client_origin():
            raise RuntimeError("preview pane not found; call client_origin() before the "
                               "first capture")
        x, y, _, _ = window_geometry(self.window)
        return (x, y + self._menu_height)

    def click_client(self, cx, cy, button=1):
        """Clicks at (cx, cy) of the client area, in the window's design
        units (scaled like the toolkit on a scaled desktop)."""
        ox, oy = self.client_origin()
        cx, cy = round(cx * APP_SCALE), round(cy * APP_SCALE)
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
        return (ox + round(120 * APP_SCALE), oy, w - round(122 * APP_SCALE),
                h - menu - round(20 * APP_SCALE))

    def wait_visible(self, timeout=DEADLINE):
        return wait_for(lambda: self.window in find_windows("^Tessarine$"), timeout=timeout)

    def hidden_and_back(self, action, label="the capture"):
        """Runs action, which starts something that hides the main window,
        and waits until the window has been hidden, shown again and is back
        where it stood. False (after a failed check) if any of that fails."""
        place = window_geometry(self.window)[:2]
        since = self.events.mark()
        action()
        return check(self.events.wait(["UnmapNotify", "MapNotify"], since),
                     "%s hides the main window and shows it again" % label) and \
            check(wait_for(lambda: window_geometry(self.window)[:2] == place),
                  "after %s the main window is back at %r: %r"
                  % (label, place, window_geometry(self.window)[:2]))

    def capture_screen(self):
        """Clicks "Capture Screen" and waits for the main window to return."""
        return self.hidden_and_back(lambda: self.click_button("Capture Screen"))


def resident_kib(pid, field="VmRSS"):
    """The process's resident memory, from /proc (RssShmem: the part of it
    in shared memory; VmHWM: its peak)."""
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0
