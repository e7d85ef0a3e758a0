"""Print held for three seconds is one press: auto-repeat starts no captures
of its own (each repeat once ran a capture inside the one before), and the
live-handle count (TESSARINE_DEBUG_HANDLES: SIGUSR1 prints "handles: N") and
resident memory end where they started."""

import os
import signal
import threading
import time

import xtest
from xtest import check


def collect(stream):
    lines = []
    threading.Thread(target=lambda: lines.extend(
        raw.decode(errors="replace") for raw in iter(stream.readline, b"")), daemon=True).start()
    return lines


def settled_handles():
    """The count once two answers a second apart agree, the window up."""
    last = None
    for _ in range(60):
        seen = len(errors)
        app.proc.send_signal(signal.SIGUSR1)
        answer = xtest.wait_for(lambda: [l for l in errors[seen:] if l.startswith("handles:")])
        count = int(answer[0].split()[1]) if answer else None
        if count is not None and count == last and xtest.find_windows("^Tessarine$"):
            return count
        last = count
        time.sleep(1.0)
    return last


app = xtest.App(env=dict(os.environ, TESSARINE_DEBUG_HANDLES="1"))
errors = collect(app.proc.stderr)
try:
    app.activate()
    xtest.xdotool("key", "Print")  # what the first capture loads stays
    baseline = settled_handles()
    first_rss = xtest.resident_kib(app.proc.pid)
    # The main window is unmapped each time it steps aside for a capture.
    events = xtest.WindowEvents(app.window)
    xtest.xdotool("keydown", "Print", "sleep", 3, "keyup", "Print")  # held: the point here
    after = settled_handles()
    events.stop()
    hides = events.names.count("UnmapNotify")
    last_rss = xtest.resident_kib(app.proc.pid)
    print("held Print: %d captures; handles %s -> %s; resident %d -> %d KiB"
          % (hides, baseline, after, first_rss, last_rss))
    # A repeat let through would wait for the capture and make a second one.
    check(hides == 1, "a held Print makes one capture, not one per repeat: %d" % hides)
    check(baseline is not None and after == baseline, "handles back to the baseline")
    check(os.environ.get("TESSARINE_SANITIZED") or last_rss <= first_rss * 1.10,
          "resident memory back near its start")
    check(app.proc.poll() is None and app.wait_visible(), "the program runs on, its window up")
finally:
    app.stop()
xtest.finish()
