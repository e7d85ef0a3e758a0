"""sway binds keys to commands: while the window program runs, Print and
Shift+Print pressed in another window run `tessarine --hot-key`, which
hands the press to it, and the captures are exact. The bindings go when
the program ends, and a killed run's are replaced and then removed by the
next."""

import os
import signal
import subprocess

import wl
from wl import check


def bound(combination):
    """Whether sway binds the combination as the program binds it now (asked
    by unbinding it)."""
    out = subprocess.run(["swaymsg", "unbindsym --inhibited --no-repeat " + combination],
                         capture_output=True, text=True).stdout
    return "Could not find" not in out and "rror" not in out


keyboard = wl.Keyboard()
# The user's own binding, made at run time: no configuration shows it.
users = os.path.join(wl.OUT, "users-binding")
wl.swaymsg("bindsym Ctrl+Mod1+Shift+Print exec touch " + users)
pattern = wl.start_pattern(50, 50, 200, 150)
ref = wl.grim()
app = wl.App()
wl.move("^Tessarine$", 400, 300)

wl.focus("^Pattern$")
path = os.path.join(wl.OUT, "print.bmp")
placed = wl.frame("^Tessarine$")
if app.hidden_and_back(lambda: keyboard.press("Print"), "Print in another window"):
    # The session's rule floats every window; shown again, the main window
    # floats where it was, at its size.
    check(wl.wait_for(lambda: wl.frame("^Tessarine$") == placed),
          "the main window floats where it was: %r, now %r" % (placed, wl.frame("^Tessarine$")))
    if app.save(path):
        wl.same_pixels(path, ref, "Print")

wl.focus("^Pattern$")
node = wl.focused_node()
rect, title = node["rect"], node["deco_rect"]["height"]
before = app.preview()
keyboard.press("shift", "Print")
path = os.path.join(wl.OUT, "shift-print.bmp")
if check(wl.wait_for(lambda: app.preview() != before), "Shift+Print shows a new picture") and \
        app.save(path):
    wl.same_pixels(path, ref.crop(rect["x"], rect["y"] - title, rect["width"],
                                  rect["height"] + title), "Shift+Print")

check(bound("Ctrl+Mod1+Shift+Print"), "Ctrl+Alt+Shift+Print is bound while the program runs")
# A second window program queues for the presses; once the first has
# closed, it binds the keys itself, before it answers its first call.
second = wl.xtest.Process([wl.xtest.TESSARINE])
window = wl.wait_for(lambda: wl.xtest.find_windows_of(second.proc.pid))
app.stop()
check(wl.wait_for(lambda: "UnknownKey" in subprocess.run(
    ["dbus-send", "--session", "--print-reply", "--dest=io.github.lumograph.tessarine",
     "/io/github/lumograph/tessarine", "io.github.lumograph.tessarine.HotKeys.Press",
     "string:none"], capture_output=True, text=True).stderr), "the second window answers")
events = wl.xtest.WindowEvents(window[0])
since = events.mark()
wl.focus("^Pattern$")
keyboard.press("Print")
check(events.wait(["UnmapNotify", "MapNotify"], since), "Print captures in the second window")
events.stop()
app = second
# A killed run leaves its bindings; the next one takes them over and
# removes them when it ends.
app.proc.send_signal(signal.SIGKILL)
app.proc.wait()
r = subprocess.run([wl.xtest.TESSARINE, "--hot-key", "print"], capture_output=True, text=True,
                   timeout=30)
check(r.returncode == 1 and "no Tessarine window is running" in r.stderr,
      "--hot-key with no window program: exit 1, says so: %d %r" % (r.returncode, r.stderr))
app = wl.App()
app.stop()
check(app.proc.returncode == 143, "SIGTERM ends the program as closing it does: %r"
      % app.proc.returncode)
for combination in ("Print", "Shift+Print", "Ctrl+Mod1+Shift+Print"):
    check(not bound(combination), "no binding for %s is left" % combination)
keyboard.press("ctrl", "alt", "shift", "Print")
check(wl.wait_for(lambda: os.path.exists(users)), "the user's own binding still works")

pattern.stop()
keyboard.stop()
wl.finish()
