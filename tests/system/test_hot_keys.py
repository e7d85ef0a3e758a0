"""Print Screen captures the screen while another window is in front; the
HotKeys message lists the keys; a second instance is told that the keys are
held; closing the main window lets them go."""

import subprocess
import time

import xtest
from xtest import check

REFUSED = [
    "tessarine: cannot claim Print Screen: another program holds it",
    "tessarine: cannot claim Shift+Print Screen: another program holds it",
    "tessarine: cannot claim Ctrl+Alt+Shift+Print Screen: another program holds it",
]


def stderr_of(process):
    process.stop()
    return process.proc.stderr.read().decode(errors="replace")


app = xtest.App()
app.activate()
app.client_origin()
app.click_client(10, 48 + 41 + 8)  # "Actual Size"
time.sleep(0.3)

# Print Screen with our pattern window in front captures the whole screen.
pattern = xtest.start_pattern("200x150+760+40")
subprocess.run(["xdotool", "windowactivate", "--sync", str(pattern.window)],
               capture_output=True)
time.sleep(0.4)
before = xtest.screenshot()
main_frame = xtest.frame_geometry(app.window)
xtest.xdotool("key", "Print")
time.sleep(1.5)
check(app.wait_visible(), "main window visible after Print Screen")
after = xtest.screenshot()
px, py, pw, ph = app.pane_rect()
mx, my, mw, mh = main_frame
compared = mismatched = 0
for y in range(0, ph, 5):
    for x in range(0, pw, 5):
        if mx <= x < mx + mw and my <= y < my + mh:
            continue  # the main window was hidden: not in the capture
        compared += 1
        if after.pixel(px + x, py + y) != before.pixel(x, y):
            mismatched += 1
check(compared > 100 and mismatched == 0,
      "Print Screen: the pane shows the screen 1:1 (%d of %d samples differ)"
      % (mismatched, compared))

# The HotKeys message, copied with Ctrl+C.
app.activate()
wx, wy, _, _ = xtest.window_geometry(app.window)
xtest.xdotool("mousemove", "--sync", wx + 101, wy + 9)
xtest.xdotool("click", 1)
box = xtest.wait_for(lambda: [w for w in xtest.find_windows("^Tessarine$") if w != app.window],
                     timeout=5)
check(box, "HotKeys shows a message box")
if box:
    subprocess.run(["xdotool", "windowactivate", "--sync", str(box[0])], capture_output=True)
    time.sleep(0.3)
    xtest.xdotool("key", "ctrl+c")
    time.sleep(0.3)
    # As bytes: text mode would turn the message's CR LF into LF.
    copied = subprocess.run(["xclip", "-o", "-selection", "clipboard"],
                            capture_output=True).stdout.decode()
    want = ("Hotkeys: \r\n"
            "Press \"Print Scrn\" to take a normal screenshot. \r\n"
            "Press \"Shift+Print Scrn\" to take a screenshot of the foreground window")
    check(want + "\n" in copied and "could not be claimed" not in copied,
          "HotKeys message text: %r" % copied)
    xtest.xdotool("key", "Return")
    time.sleep(0.3)

# A second instance finds every combination held and says so, once each.
second = xtest.Process([xtest.TESSARINE])
time.sleep(3)
err = stderr_of(second)
for line in REFUSED:
    check(err.count(line + "\n") == 1, "second instance reports %r: %r" % (line, err))

# Closing the main window releases the keys: the next instance gets them all.
app.activate()
xtest.xdotool("key", "alt+F4")
check(xtest.wait_for(lambda: app.proc.poll() is not None, timeout=10),
      "closing the main window ends the program")
err = stderr_of(app)
check("cannot claim" not in err, "the first instance held every key: %r" % err)
third = xtest.App()
time.sleep(1)
err = stderr_of(third)
check("cannot claim" not in err, "after closing, a new instance claims every key: %r" % err)

pattern.stop()
app.stop()
xtest.finish()
