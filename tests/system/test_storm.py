"""300 Print Screen presses as fast as xdotool sends them, while crops and
saves are under way (crops and saves yield, so captures run inside them;
presses during a capture add one capture after it): the program neither
crashes nor hangs, the main window ends
visible, a capture afterwards is a real screen image of the screen's size,
every context and bitmap made during the storm is released again, and
resident memory ends within 10% of where it started.

The live-handle count comes from the program's opt-in report: with
TESSARINE_DEBUG_HANDLES set, SIGUSR1 makes it print "handles: N" on stderr."""

import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time

import xtest
from xtest import check

PRESSES = 300
BATCH = 30
SANITIZED = bool(os.environ.get("TESSARINE_SANITIZED"))


class StderrLines:
    """Collects the program's stderr lines as they come."""

    def __init__(self, stream):
        self.lines = []
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.thread.start()

    def _read(self, stream):
        for raw in iter(stream.readline, b""):
            with self.lock:
                self.lines.append(raw.decode(errors="replace").rstrip("\n"))

    def snapshot(self):
        with self.lock:
            return list(self.lines)


def handle_count(app, errors, timeout=10):
    """Asks for the count and returns it, or None when no answer comes."""
    before = len(errors.snapshot())
    app.proc.send_signal(signal.SIGUSR1)
    deadline = time.time() + timeout
    while time.time() < deadline:
        for line in errors.snapshot()[before:]:
            if line.startswith("handles: "):
                return int(line.split()[1])
        time.sleep(0.05)
    return None


def settled_count(app, errors, timeout=60):
    """The count once the program is idle: two answers agree, the main window
    is up, and no capture hid or showed it between them."""
    deadline = time.time() + timeout
    last = None
    since = app.events.mark()
    while time.time() < deadline:
        count = handle_count(app, errors)
        quiet = not app.events.wait(["UnmapNotify"], since, timeout=0) and \
            not app.events.wait(["MapNotify"], since, timeout=0)
        if count is not None and count == last and quiet and app.wait_visible(0):
            return count
        last = count
        since = app.events.mark()
        time.sleep(1.0)  # the span over which the program must stay idle
    return last


def press_print(count):
    """Sends `count` Print presses at xdotool's full speed, in the background."""
    return subprocess.Popen(["xdotool", "key", "--delay", "0"] + ["Print"] * count,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def crop_drag(app):
    px, py, _, _ = app.pane_rect()
    app.click_button("Crop")
    xtest.xdotool("mousemove", px + 20, py + 20, "mousedown", 1, "mousemove", px + 120, py + 90,
                  "mousemove", px + 200, py + 150, "mouseup", 1)


def save_as(path):
    """Ctrl+S or Save As with a typed name, whichever the state asks for; a
    dialog that does not come (the name is known) is fine."""
    xtest.xdotool("key", "ctrl+s")
    dialog = xtest.wait_for(lambda: xtest.find_windows("^Save As$"), timeout=3)
    if dialog and xtest.activate(dialog[0]):
        xtest.xdotool("key", "ctrl+a", "type", "--delay", "0", path)
        xtest.xdotool("key", "Return")


def dismiss_stray_windows(app):
    """Closes message boxes and dialogs the storm may have left open."""
    for _ in range(10):
        stray = [w for w in xtest.find_windows("^(Tessarine|Save As)$") if w != app.window]
        if not stray:
            return
        for w in stray:
            if xtest.activate(w):
                xtest.xdotool("key", "Escape")
        xtest.wait_for(lambda: not [w for w in stray if w in xtest.find_windows(".")], 5)


folder = tempfile.mkdtemp(prefix="tess-storm-")
env = dict(os.environ, TESSARINE_DEBUG_HANDLES="1")
app = xtest.App(env=env)
errors = StderrLines(app.proc.stderr)
try:
    app.activate()
    app.client_origin()
    # Every path once before measuring: the first save dialog, say, loads
    # what the program then keeps for the rest of the run.
    app.capture_screen()
    crop_drag(app)
    warm_up = os.path.join(folder, "warm-up.bmp")
    app.key("ctrl+s")
    xtest.answer_save_dialog(warm_up)
    check(xtest.saved(warm_up), "the warm-up capture is saved")
    app.activate()
    app.capture_screen()
    baseline = settled_count(app, errors)
    first_rss = xtest.resident_kib(app.proc.pid)
    check(baseline is not None, "the program reports its handle count on SIGUSR1")
    print("before the storm: %s handles, %d KiB resident" % (baseline, first_rss))

    started = time.time()
    sent = 0
    round_number = 0
    while sent < PRESSES:
        storm = press_print(BATCH)
        xtest.activate(app.window)  # may not get it while captures run
        if round_number % 3 == 0:
            crop_drag(app)
        elif round_number % 3 == 1:
            save_as(os.path.join(folder, "storm-%d.bmp" % round_number))
        else:
            app.click_button("Capture Screen")
        storm.wait()
        sent += BATCH
        round_number += 1
        if not check(app.proc.poll() is None, "still running after %d presses" % sent):
            break
    print("storm of %d presses sent in %.1f s" % (sent, time.time() - started))

    # The queued presses run out; then the program must be idle and whole.
    dismiss_stray_windows(app)
    after = settled_count(app, errors, timeout=180)
    print("after the storm: %s handles (settled after %.1f s)" % (after, time.time() - started))
    check(app.proc.poll() is None, "the program survived the storm")
    check(app.wait_visible(), "main window visible after the storm")
    check(after == baseline, "every handle made during the storm was released: %s, baseline %s"
          % (after, baseline))

    # One more capture, saved and compared with the screen.
    app.activate()
    app.capture_screen()
    shot = xtest.screenshot()
    final = os.path.join(folder, "final.bmp")
    app.key("ctrl+s")
    check(xtest.answer_save_dialog(final), "the save dialog opens after the storm")
    if check(xtest.saved(final),
             "the last capture is saved"):
        saved = xtest.read_image(final)
        check((saved.width, saved.height) == (shot.width, shot.height),
              "the last capture has the screen's size: %dx%d" % (saved.width, saved.height))
        mx, my, mw, mh = xtest.frame_geometry(app.window)
        differ = compared = 0
        for y in range(0, shot.height, 4):
            for x in range(0, shot.width, 4):
                if mx <= x < mx + mw and my <= y < my + mh:
                    continue
                compared += 1
                differ += saved.pixel(x, y) != shot.pixel(x, y)
        check(compared > 1000 and differ == 0,
              "the last capture is the screen (%d of %d samples differ)" % (differ, compared))

    end_count = settled_count(app, errors)
    check(end_count == baseline, "handles back to the baseline after the last capture: %s, %s"
          % (end_count, baseline))
    last_rss = xtest.resident_kib(app.proc.pid)
    print("resident: %d KiB before the storm, %d KiB at the end" % (first_rss, last_rss))
    if SANITIZED:
        print("note: resident memory not compared under the sanitizers")
    else:
        check(last_rss <= first_rss * 1.10, "resident memory grew by more than 10%%: %d -> %d KiB"
              % (first_rss, last_rss))
finally:
    app.stop()
    shutil.rmtree(folder, ignore_errors=True)
    crashes = [line for line in errors.snapshot()
               if "Sanitizer" in line or "runtime error" in line]
    check(not crashes, "no sanitizer report: %r" % crashes[:5])
xtest.finish()
