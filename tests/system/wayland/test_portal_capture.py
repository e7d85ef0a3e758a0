"""In a Wayland session every capture is the compositor's own picture: the
full screen from the window and from --capture, a --geometry rectangle and
the --active window (sway reports it), a whole-screen PNG, each pixel for pixel equal to grim's
picture of the same desktop; the portal's file is deleted; a desktop that
names no window in front is said plainly."""

import os

import wl
from wl import check

keyboard = wl.Keyboard()
pattern = wl.start_pattern(100, 100, 200, 150)
wl.focus("^Pattern$")
ref = wl.grim()
out = lambda name: os.path.join(wl.OUT, name)  # noqa: E731

status, err = wl.capture(out("full.bmp"))
check(status == 0, "--capture succeeds: %r" % err)
wl.same_pixels(out("full.bmp"), ref, "--capture")
# A whole-screen PNG is the portal's own file, copied.
status, err = wl.capture(out("full.png"))
check(status == 0, "--capture x.png succeeds: %r" % err)
wl.same_pixels(out("full.png"), ref, "--capture x.png")
status, err = wl.capture("--geometry", "64x48+110+120", out("geometry.bmp"))
check(status == 0, "--geometry succeeds: %r" % err)
wl.same_pixels(out("geometry.bmp"), ref.crop(110, 120, 64, 48), "--geometry")
wl.no_portal_leftovers()

# --active: the focused window with its title bar, where sway says it is.
node = wl.focused_node()
rect, title = node["rect"], node["deco_rect"]["height"]
status, err = wl.capture("--active", out("active.bmp"))
check(status == 0, "--active succeeds: %r" % err)
wl.same_pixels(out("active.bmp"), ref.crop(rect["x"], rect["y"] - title, rect["width"],
                                           rect["height"] + title), "--active")

# Without sway's socket nothing tells which window is in front.
env = dict(os.environ)
del env["SWAYSOCK"]
status, err = wl.capture("--active", out("none.bmp"), env=env)
check(status == 1 and err.count("\n") == 1 and "does not let programs find the window" in err,
      "--active without sway: exit 1 and one line: %r" % err)
check(not os.path.exists(out("none.bmp")), "--active without sway writes nothing")

# Capture Screen in the window: the main window steps aside, so the picture
# is the desktop as it was before the program started.
app = wl.App()
wl.move("^Tessarine$", 400, 300)
if app.hidden_and_back(lambda: app.click(56, 120), "Capture Screen") and \
        check(app.messages() == [], "no message") and app.save(out("window.bmp")):
    wl.same_pixels(out("window.bmp"), ref, "Capture Screen")
wl.no_portal_leftovers()

# Escape from the keyboard cancels Capture Selection: sway gives the
# selection window the keyboard, not the window in front before it.
since = app.events.mark()
app.click(56, 144)
selection = wl.wait_for(lambda: wl.xtest.find_windows("^Form3$"))
check(selection and wl.wait_for(lambda: wl.shows(ref, [(120, 130)], selection[0])),
      "the selection window shows the frozen screen")
check(keyboard.press("Escape", until=lambda: not wl.xtest.find_windows("^Form3$")) and
      app.events.wait(["UnmapNotify", "MapNotify"], since), "Escape cancels Capture Selection")

app.stop()
pattern.stop()
keyboard.stop()
wl.finish()
