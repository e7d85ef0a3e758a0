"""--capture --clipboard in a Wayland session puts the picture on the
desktop's own clipboard: native programs paste it (wl-paste), and so do X11
programs once one has the focus. The serving process keeps no copy of the
screen beside the PNG, and ends when something else is copied."""

import os
import subprocess

import wl
from wl import check

keyboard = wl.Keyboard()
pattern = wl.start_pattern(100, 100, 200, 150)
wl.focus("^Pattern$")
ref = wl.grim()

# What any serving process keeps, whatever the picture: one of one pixel,
# until the next copy replaces it.
wl.capture("--clipboard", "--geometry", "1x1+0+0")
small = wl.serving_process()
baseline = wl.xtest.resident_kib(small, "RssAnon") if small else 0

status, err = wl.capture("--clipboard")
check(status == 0 and err == "", "--capture --clipboard succeeds quietly: %r" % err)
check(wl.run_text("wl-paste", "--list-types") == "image/png\n", "wl-paste sees image/png")
wl.same_picture(wl.pasted("wl-paste", "--type", "image/png"), ref, "wl-paste")
wl.same_picture(wl.pasted("xclip", "-selection", "clipboard", "-t", "image/png", "-o"), ref,
                "xclip in front of the X11 pattern window")

wl.wait_for(lambda: small is None or not os.path.exists("/proc/%d" % small))
server = wl.serving_process()
if check(server is not None, "one serving process"):
    if os.environ.get("TESSARINE_SANITIZED"):
        print("note: the serving process's memory not measured under the sanitizers")
    else:
        kept = wl.xtest.resident_kib(server, "RssAnon") - baseline
        check(baseline > 0 and kept < ref.width * ref.height * 4 // 1024 // 2,
              "the serving process keeps less than half a screen of pixels beyond what "
              "one of a pixel keeps: %d KiB" % kept)
    subprocess.run(["wl-copy", "other"], timeout=10, check=True)
    check(wl.wait_for(lambda: not os.path.exists("/proc/%d" % server)),
          "the serving process ends when something else is copied")
    check(wl.run_text("wl-paste") == "other\n", "the other text is on the clipboard")

pattern.stop()
keyboard.stop()
wl.finish()
