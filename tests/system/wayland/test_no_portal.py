"""With no desktop portal in the session the screen cannot be had: the
command line exits 1 with one line and writes nothing; Capture Screen says
why in a message and leaves no picture behind to save (no black one)."""

import os
import subprocess

import wl
from wl import check, xdotool

path = os.path.join(wl.OUT, "none.bmp")
status, err = wl.capture(path)
check(status == 1 and err.count("\n") == 1 and "no desktop portal" in err,
      "--capture: exit 1 with one line naming the portal: %r" % err)
check(not os.path.exists(path), "--capture writes nothing")

keyboard = wl.Keyboard()
app = wl.App()
app.click(56, 120)  # Capture Screen
boxes = wl.wait_for(app.messages, timeout=30)
if check(boxes, "a message comes up"):
    def clipboard():
        return subprocess.run(["xclip", "-o", "-selection", "clipboard"],
                              capture_output=True, text=True).stdout

    def copied():
        # Pressed again if the text does not come: a first press was seen lost.
        wl.focus(window=boxes[0])
        xdotool("key", "ctrl+c")
        return wl.wait_for(clipboard, timeout=5)
    text = wl.wait_for(copied, interval=0) or ""
    check("could not be captured" in text and "no desktop portal" in text,
          "the message names the reason: %r" % text)
    xdotool("key", "Return")
    check(wl.wait_for(lambda: not app.messages(), timeout=10), "the message closes")

# Nothing was captured, so there is nothing to save.
wl.focus("^Tessarine$")
xdotool("key", "ctrl+s")
check(wl.wait_for(app.messages, timeout=10) and not wl.xtest.find_windows("^Save As$"),
      "Save finds no picture")

app.stop()
keyboard.stop()
wl.finish()
