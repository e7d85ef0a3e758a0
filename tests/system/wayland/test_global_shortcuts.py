"""Where the desktop offers GlobalShortcuts (here a mock portal that passes
screenshots on to the real backend), the three hot keys are bound in one
session with the triggers asked for, and Activated runs the captures: Print
the whole screen, Shift+Print the window sway has focused."""

import os
import subprocess
import threading

import wl
from wl import check

mock = subprocess.Popen([os.environ["MOCK_PORTAL_BIN"]], stdin=subprocess.PIPE,
                        stdout=subprocess.PIPE, text=True)
calls = []
threading.Thread(target=lambda: calls.extend(iter(mock.stdout.readline, "")),
                 daemon=True).start()
check(wl.wait_for(lambda: "ready\n" in calls), "mock portal on the bus")

keyboard = wl.Keyboard()
pattern = wl.start_pattern(50, 50, 200, 150)
ref = wl.grim()
# A desktop with a shortcuts portal of its own (sway has none).
app = wl.App(env=dict(os.environ, XDG_CURRENT_DESKTOP="Mock"))
wl.move("^Tessarine$", 400, 300)


def bound():
    return sorted(line.split()[3] for line in calls if line.startswith("BindShortcuts"))


check(wl.wait_for(lambda: len(bound()) == 3, timeout=20) and
      bound() == ["CTRL+ALT+SHIFT+Print", "Print", "SHIFT+Print"],
      "the three keys asked for in one binding: %r" % calls)
check(sum(line.startswith("CreateSession") for line in calls) == 1, "one shortcuts session")


def activate(shortcut):
    mock.stdin.write(shortcut + "\n")
    mock.stdin.flush()


# Print captures the whole screen: the main window steps aside for it.
path = os.path.join(wl.OUT, "print.bmp")
if app.hidden_and_back(lambda: activate("print"), "Print") and app.save(path):
    wl.same_pixels(path, ref, "Print")

wl.focus("^Pattern$")
node = wl.focused_node()
rect, title = node["rect"], node["deco_rect"]["height"]
# Shift+Print leaves the main window where it is: its preview shows the
# new picture once the capture is done.
before = app.preview()
activate("shift-print")
path = os.path.join(wl.OUT, "shift-print.bmp")
if check(wl.wait_for(lambda: app.preview() != before), "Shift+Print shows a new picture") and \
        app.save(path):
    wl.same_pixels(path, ref.crop(rect["x"], rect["y"] - title, rect["width"],
                                  rect["height"] + title), "Shift+Print")

app.stop()
pattern.stop()
keyboard.stop()
mock.stdin.close()
mock.wait(10)
wl.finish()
