"""KDE Plasma's portal binds the three hot keys, and a Print press that
KWin hands out (kglobalaccel's invokeShortcut) while another window is in
front captures the whole desktop exactly as KWin draws it. A real press of
Ctrl+Alt+Shift+Print reaches the program, and the keys are given back when
it ends (and at start those a killed run left)."""

import os

import dbus

import kde
import xtest
from kde import check

PRINT, SHIFT, CTRL, ALT = 0x01000009, 0x02000000, 0x04000000, 0x08000000
accel = dbus.Interface(dbus.SessionBus().get_object("org.kde.kglobalaccel", "/kglobalaccel"),
                       "org.kde.KGlobalAccel")


def given(component, key):
    """Whether a new shortcut of `component` gets `key` (kept, not held)."""
    shortcut = [component, "k%x" % key, component, "key"]
    accel.doRegister(shortcut)
    return list(accel.setShortcut(shortcut, [key], 4)) == [key]


given("tessarine_keys", CTRL | PRINT)  # as a killed run leaves its keys
backdrop = kde.start_backdrop()
app = xtest.Process([xtest.TESSARINE])
found = kde.wait_for(lambda: xtest.find_windows("^Tessarine$"), timeout=20)
if not found:
    raise RuntimeError("main window did not appear")
window = found[0]
events = xtest.WindowEvents(window)
component = kde.shortcut_component("print")
check(component, "kglobalaccel holds the program's Print")
check(given("probe", CTRL | PRINT), "the start freed the key a killed run left")
# Frameless: the rounded corners of KWin's title bars come out a few levels
# apart in its own picture and in the portal's, wherever they are.
pattern = kde.start_pattern("300x200+80+90", frameless=True)


def pressed():
    since = events.mark()
    kde.invoke_shortcut(component, "print")
    return events.wait(["UnmapNotify", "MapNotify"], since, timeout=10)


# Pressed again if nothing happens: kglobalaccel holds the shortcut from
# the moment the session opens, a little before the program listens.
check(kde.wait_for(pressed, timeout=20, interval=0),
      "Print hides the main window and shows it again")
# The desktop as it was during the capture: the main window hidden.
xtest.xdotool("windowminimize", "--sync", window)
check(xtest.activate(pattern.window), "the pattern window is in front again")
ref = kde.workspace()
got = kde.copied(window, lambda image: image.width == ref.width)
if check(got, "the capture is copied"):
    diff = got.differing_pixels(ref)
    check(diff == 0, "Print: %dx%d against %dx%d, %d pixels differ"
          % (got.width, got.height, ref.width, ref.height, diff))

# Shift+Print: the window in front, found through KWin, while the main
# window stays where it is and shows the new picture.
check(xtest.activate(pattern.window), "the pattern window is in front again")
before = kde.workspace()
kde.invoke_shortcut(component, "shift-print")
check(kde.wait_for(lambda: kde.workspace().differing_pixels(before) > 0),
      "Shift+Print shows a new picture")
x, y, w, h = xtest.window_geometry(pattern.window)
got = kde.copied(window, lambda image: image.width == w)
if check(got, "the window's capture is copied"):
    diff = got.differing_pixels(before.crop(x, y, w, h))
    check(diff == 0, "Shift+Print: %dx%d against %dx%d, %d pixels differ"
          % (got.width, got.height, w, h, diff))

kde.press_keys(42, 56, 29, 99)  # Shift, Alt, Ctrl, Print (evdev codes)
check(kde.wait_for(lambda: xtest.find_windows("^Form4$")),
      "pressed Ctrl+Alt+Shift+Print opens the Form4 window")

app.stop()
events.stop()
err = app.proc.stderr.read().decode(errors="replace")
print("The program's standard error:\n" + err)
check("not bound" not in err and "bound no hot keys" not in err, "all three keys bound")
for key in (PRINT, SHIFT | PRINT, CTRL | ALT | SHIFT | PRINT):
    check(given("probe", key), "another program gets key %x after the program ended" % key)
config = os.path.join(os.environ["HOME"], ".config", "kglobalshortcutsrc")
check(kde.wait_for(lambda: "[tessarine_keys]" not in open(config).read()),
      "the program's keys are not kept for the next login")
pattern.stop()
backdrop.stop()
kde.finish()
