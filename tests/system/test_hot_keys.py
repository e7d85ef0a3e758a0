"""Print Screen captures the screen while another window is in front; the
HotKeys message lists the keys; a second instance is told that the keys are
held; closing the main window lets them go."""

import subprocess

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

# Print Screen with our pattern window in front captures the whole screen.
pattern = xtest.start_pattern("200x150+760+40")
check(xtest.activate(pattern.window), "the pattern window takes the focus")
before = xtest.screenshot()
main_frame = xtest.frame_geometry(app.window)
app.hidden_and_back(lambda: xtest.xdotool("key", "Print"), "Print Screen")
px, py, pw, ph = app.pane_rect()
mx, my, mw, mh = main_frame


def compare(after):
    compared = mismatched = 0
    for y in range(0, ph, 5):
        for x in range(0, pw, 5):
            if mx <= x < mx + mw and my <= y < my + mh:
                continue  # the main window was hidden: not in the capture
            compared += 1
            if after.pixel(px + x, py + y) != before.pixel(x, y):
                mismatched += 1
    return compared, mismatched


compared, mismatched = compare(xtest.settle(xtest.screenshot, lambda shot: compare(shot)[1] == 0))
check(compared > 100 and mismatched == 0,
      "Print Screen: the pane shows the screen 1:1 (%d of %d samples differ)"
      % (mismatched, compared))

# The HotKeys message, copied with Ctrl+C.
app.activate()
wx, wy, _, _ = xtest.window_geometry(app.window)
xtest.xdotool("mousemove", "--sync", wx + 101, wy + 9)
xtest.xdotool("click", 1)
box = xtest.wait_for(lambda: [w for w in xtest.find_windows("^Tessarine$") if w != app.window])
check(box, "HotKeys shows a message box")
if box and xtest.activate(box[0]):
    xtest.xdotool("key", "ctrl+c")
    want = ("Hotkeys: \r\n"
            "Press \"Print Scrn\" to take a normal screenshot. \r\n"
            "Press \"Shift+Print Scrn\" to take a screenshot of the foreground window")

    def clipboard():
        # As bytes: text mode would turn the message's CR LF into LF.
        return subprocess.run(["xclip", "-o", "-selection", "clipboard"],
                              capture_output=True, timeout=10).stdout.decode()
    copied = xtest.settle(clipboard, lambda text: want in text)
    check(want + "\n" in copied and "could not be claimed" not in copied,
          "HotKeys message text: %r" % copied)
    xtest.xdotool("key", "Return")
    check(xtest.wait_for(lambda: box[0] not in xtest.find_windows("^Tessarine$")),
          "the message box closes")

# A second instance finds every combination held and says so, once each.
# Its claims are made before its window shows.
second = xtest.Process([xtest.TESSARINE])
check(xtest.wait_for(lambda: xtest.find_windows_of(second.proc.pid)), "a second instance starts")
err = stderr_of(second)
for line in REFUSED:
    check(err.count(line + "\n") == 1, "second instance reports %r: %r" % (line, err))

# Closing the main window releases the keys: the next instance gets them all.
app.key("alt+F4")
check(xtest.wait_for(lambda: app.proc.poll() is not None),
      "closing the main window ends the program")
err = stderr_of(app)
check("cannot claim" not in err, "the first instance held every key: %r" % err)
third = xtest.App()
err = stderr_of(third)
check("cannot claim" not in err, "after closing, a new instance claims every key: %r" % err)

pattern.stop()
app.stop()
xtest.finish()
