"""Print held down for three seconds is one press: the keyboard's auto-repeat
starts no captures of its own, so the main window steps aside a few times at
most, and the live-handle count and resident memory end where they started.
(Each repeat once ran a whole capture inside the one before.)

The handle count comes from the program's opt-in report: with
TESSARINE_DEBUG_HANDLES set, SIGUSR1 makes it print "handles: N" on stderr."""

import os
import signal
import subprocess
import threading
import time

import xtest
from xtest import check


class Lines:
    """Collects a stream's lines as they come."""

    def __init__(self, stream):
        self.lines = []
        self.thread = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.thread.start()

    def _read(self, stream):
        for raw in iter(stream.readline, b""):
            self.lines.append(raw.decode(errors="replace"))


def settled_handles(app, errors, timeout=60):
    """The live-handle count once two answers a second apart agree with the
    main window up."""
    last = None
    deadline = time.time() + timeout
    while time.time() < deadline:
        seen = len(errors.lines)
        app.proc.send_signal(signal.SIGUSR1)
        answer = xtest.wait_for(
            lambda: [l for l in errors.lines[seen:] if l.startswith("handles: ")], timeout=10)
        count = int(answer[0].split()[1]) if answer else None
        if count is not None and count == last and xtest.find_windows("^Tessarine$"):
            return count
        last = count
        time.sleep(1.0)
    return last


app = xtest.App(env=dict(os.environ, TESSARINE_DEBUG_HANDLES="1"))
errors = Lines(app.proc.stderr)
try:
    app.activate()
    # One capture first: what the first one loads stays for the whole run.
    xtest.xdotool("key", "Print")
    time.sleep(1.0)
    baseline = settled_handles(app, errors)
    first_rss = xtest.resident_kib(app.proc.pid)

    # Every time the main window steps aside for a capture, it is unmapped.
    watch = subprocess.Popen(["stdbuf", "-oL", "xev", "-id", str(app.window), "-event",
                              "structure"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    events = Lines(watch.stdout)
    time.sleep(0.5)
    xtest.xdotool("keydown", "Print")
    time.sleep(3)  # held: the point of the test
    xtest.xdotool("keyup", "Print")
    after = settled_handles(app, errors)
    watch.terminate()
    watch.wait()
    hides = sum(line.startswith("UnmapNotify") for line in events.lines)
    last_rss = xtest.resident_kib(app.proc.pid)
    print("held Print: %d captures; handles %s -> %s; resident %d -> %d KiB"
          % (hides, baseline, after, first_rss, last_rss))
    check(1 <= hides <= 3, "a held Print makes one capture, not one per repeat: %d" % hides)
    check(baseline is not None and after == baseline,
          "handles back to the baseline: %s, %s" % (after, baseline))
    if not os.environ.get("TESSARINE_SANITIZED"):
        check(last_rss <= first_rss * 1.10,
              "resident memory back near its start: %d -> %d KiB" % (first_rss, last_rss))
    check(app.proc.poll() is None and app.wait_visible(), "the program runs on, its window up")
finally:
    app.stop()
xtest.finish()
