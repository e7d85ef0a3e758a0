"""GNOME 43 offers no GlobalShortcuts: the hot keys become custom key
bindings in GNOME's keyboard settings that run `tessarine --hot-key`.
GNOME's own screenshot bindings keep Print and Shift+Print (the start-up
line names GNOME); moved off, as a user does in its keyboard settings, all
three are bound, a Print pressed at the compositor level while another
window is in front captures the screen exactly, and the bindings go with
the program: removed when it closes, and those a killed run left are
removed when it starts again."""

import os
import signal
import subprocess

import gn
from gn import check


def ours(pid=None):
    prefix = "/custom-keybindings/tessarine-%s" % ("" if pid is None else "%d-" % pid)
    return sorted(p for p in gn.custom_bindings() if prefix in p)


def start():
    app = gn.xtest.Process([gn.xtest.TESSARINE])
    app.window = gn.wait_for(lambda: gn.xtest.find_windows("^Tessarine$"), timeout=30)
    app.window = app.window[0] if app.window else None
    return app


keyboard = gn.Keyboard()
gn.allow_screenshots()
gn.gsettings("set", "org.gnome.settings-daemon.plugins.media-keys", "custom-keybindings",
             "['/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/']")
app = start()
pid = app.proc.pid
check(gn.wait_for(lambda: len(ours(pid)) == 1, timeout=20) and
      ours(pid)[0].endswith("-ctrl-alt-shift-print/"),
      "only Ctrl+Alt+Shift+Print is bound while GNOME holds Print, Shift+Print: %r"
      % gn.custom_bindings())
app.proc.kill()
app.proc.wait()
_, err = app.proc.communicate()
check(err.count(b"GNOME") >= 2, "the start-up line names GNOME as the holder: %r" % err)

# GNOME's screenshot keys moved off; the killed run's binding is repaired.
gn.gsettings("set", "org.gnome.shell.keybindings", "show-screenshot-ui", "[]")
gn.gsettings("set", "org.gnome.shell.keybindings", "screenshot", "[]")
pattern = gn.start_pattern("300x200+200+150")
ref = gn.shell_picture()
app = start()
check(gn.wait_for(lambda: len(ours(app.proc.pid)) == 3, timeout=20) and ours() ==
      ours(app.proc.pid), "all three bound, the killed run's binding gone: %r"
      % gn.custom_bindings())
check("custom0/" in "".join(gn.custom_bindings()), "somebody else's entry is kept")
check(gn.binding(ours(app.proc.pid)[1], "binding") == "Print" and "--hot-key print" in
      gn.binding(ours(app.proc.pid)[1], "command"), "Print runs tessarine --hot-key print")

# The pattern window in front; Print as GNOME sees it.
gn.xtest.activate(pattern.window)
events = gn.xtest.WindowEvents(app.window)
since = events.mark()
keyboard.press(gn.PRINT)
if check(events.wait(["UnmapNotify", "MapNotify"], since, timeout=30),
         "Print hides the main window and shows it again"):
    gn.xtest.activate(app.window)
    gn.xdotool("key", "ctrl+c")
    path = os.path.join(gn.OUT, "print.png")

    def copied():
        r = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "image/png"],
                           capture_output=True, timeout=10)
        return r.returncode == 0 and r.stdout.startswith(b"\x89PNG") and r.stdout
    picture = gn.wait_for(copied, timeout=10)
    if check(picture, "the capture is on the clipboard"):
        with open(path, "wb") as f:
            f.write(picture)
        gn.same_pixels(path, ref, "Print")

# Closed the way a user closes it: its bindings go with it.
gn.xtest.activate(app.window)
keyboard.press(0xFFE9, 0xFFC1)  # Alt+F4
try:
    app.proc.wait(timeout=20)
except subprocess.TimeoutExpired:
    app.proc.send_signal(signal.SIGKILL)
check(app.proc.wait() == 0, "the program ends when its window is closed")
check(ours() == [], "no binding of ours is left: %r" % gn.custom_bindings())
events.stop()
pattern.stop()
gn.finish()
