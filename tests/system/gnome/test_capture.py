"""On GNOME the first screenshot waits for the user: with no answer stored,
--capture says that the desktop is asking and for how long it waits, the
user allows in GNOME's dialog (keys at the compositor level), and the
capture is the shell's own picture. Later captures ask nobody. Nothing is
left in the home folder."""

import os
import subprocess
import threading

import gn
from gn import check

out = lambda name: os.path.join(gn.OUT, name)  # noqa: E731
files_before = gn.home_files()
check("NotFound" in gn.stored_screenshot_answer(), "no answer stored at first")
keyboard = gn.Keyboard()
ref = gn.shell_picture()

capture = subprocess.Popen([gn.xtest.TESSARINE, "--capture", out("first.png")],
                           stderr=subprocess.PIPE, text=True)
lines = []
threading.Thread(target=lambda: lines.extend(iter(capture.stderr.readline, "")),
                 daemon=True).start()
check(gn.wait_for(lambda: lines, timeout=20) and "asking you" in lines[0] and
      "60 seconds" in lines[0], "--capture says the desktop asks, and how long it waits: %r"
      % lines)
# GNOME's dialog, over the middle of the screen.
dialog = (400, 290, 480, 220)
check(gn.wait_for(lambda: gn.shell_picture().crop(*dialog).data != ref.crop(*dialog).data,
                  timeout=20), "GNOME shows its dialog")
keyboard.press(gn.TAB)  # from Deny, which has the focus, to Allow
keyboard.press(gn.RETURN)
try:
    capture.wait(timeout=30)
except subprocess.TimeoutExpired:
    capture.kill()
    capture.wait()
check(capture.returncode == 0 and len(lines) == 1,
      "the allowed capture succeeds: %r %r" % (capture.returncode, lines))
gn.same_pixels(out("first.png"), ref, "the first capture")
check("'': ['yes']" in gn.stored_screenshot_answer(), "the user's answer is stored")

# Now nobody is asked.
ref = gn.shell_picture()
r = gn.xtest.run(gn.xtest.TESSARINE, "--capture", "--geometry", "300x200+100+100",
                 out("second.bmp"), check_status=False, timeout=30)
check(r.returncode == 0 and r.stderr == "", "the next capture asks nobody: %r" % r.stderr)
gn.same_pixels(out("second.bmp"), ref.crop(100, 100, 300, 200), "the next capture")

check(gn.home_files() == files_before, "nothing left in the home folder: %r"
      % (gn.home_files() - files_before))
gn.finish()
