"""On KDE Plasma, --capture gives the desktop exactly as KWin draws it, and
--active the window in front (found through KWin's scripting) with its
title bar and border, in place. --clipboard reaches native programs
(wl-paste), and stays when KWin activates an X11 window."""

import os
import subprocess

import kde
import wl
import xtest
from kde import check, wait_for

backdrop = kde.start_backdrop()
ref = kde.workspace()
path = os.path.join(kde.OUT, "screen.png")
status, err = kde.capture(path)
if check(status == 0, "--capture succeeds: %s" % err):
    kde.same_pixels(path, ref, "--capture")

pattern = kde.start_pattern("300x200+150+120")
ref = kde.workspace()
path = os.path.join(kde.OUT, "active.png")
status, err = kde.capture("--active", path)
if check(status == 0, "--capture --active succeeds: %s" % err):
    # The frame: the X window's place widened by KWin's _NET_FRAME_EXTENTS.
    x, y, w, h = xtest.window_geometry(pattern.window)
    extents = subprocess.run(["xprop", "-id", str(pattern.window), "_NET_FRAME_EXTENTS"],
                             capture_output=True, text=True).stdout
    left, right, top, bottom = (int(v) for v in extents.split("=")[1].split(","))
    frame = (x - left, y - top, w + left + right, h + top + bottom)
    got = kde.read_image(path)
    check((got.width, got.height) == frame[2:], "--active: %dx%d, the frame is %dx%d"
          % (got.width, got.height, frame[2], frame[3]))
    expected = ref.crop(*frame)
    # The title bar's rounded top corners come out a few levels apart in
    # KWin's picture and in the portal's; every other pixel is the same.
    corner = 5
    differing = [(px, py) for py in range(min(got.height, expected.height))
                 for px in range(min(got.width, expected.width))
                 if got.pixel(px, py) != expected.pixel(px, py)]
    outside = [p for p in differing
               if not (p[1] < corner and (p[0] < corner or p[0] >= frame[2] - corner))]
    check(not outside, "--active: %d pixels differ outside the title bar's corners: %r"
          % (len(outside), outside[:5]))

# --clipboard while no X11 window is in front (KWin hands XWayland's
# clipboard on to Wayland programs from the X11 window in front only), and
# after KWin has activated one.
pattern.stop()
xtest.xdotool("windowminimize", str(backdrop.window))
hidden = lambda: "HIDDEN" in subprocess.run(["xprop", "-id", str(backdrop.window), "_NET_WM_STATE"],
                                            capture_output=True, text=True).stdout
check(wait_for(hidden), "the backdrop is minimised")
path = os.path.join(kde.OUT, "before_clipboard.png")
shots = []


def settled():
    """Two --capture pictures in a row are the same."""
    shots[:] = shots[-1:] + [kde.read_image(path) if kde.capture(path)[0] == 0 else None]
    return len(shots) == 2 and None not in shots and shots[0].differing_pixels(shots[1]) == 0


check(wait_for(settled), "the desktop without the backdrop is drawn")
ref = shots[-1]
status, err = kde.capture("--clipboard")
check(status == 0 and err == "", "--capture --clipboard succeeds quietly: %r" % err)
wl.same_picture(wl.pasted("wl-paste", "--type", "image/png"), ref, "wl-paste")
check(xtest.activate(backdrop.window), "KWin activates the backdrop")
xclip = ("xclip", "-selection", "clipboard", "-t", "image/png", "-o")
wl.same_picture(wait_for(lambda: wl.pasted(*xclip)), ref, "xclip once an X11 window is activated")

runtime = os.environ["XDG_RUNTIME_DIR"]
check(not [n for n in os.listdir(runtime) if n.startswith("tessarine-kwin-")],
      "no script file of ours is left in %s" % runtime)

# Escape from the keyboard cancels Capture Selection: KWin gives the
# selection window the keyboard, not the window in front before it.
pattern.stop()
app = xtest.Process([xtest.TESSARINE])
main = kde.wait_for(lambda: xtest.find_windows("^Tessarine$"), timeout=20)
check(main and xtest.activate(main[0]), "the main window is in front")
selection = xtest.click_capture_selection(main[0], kde.workspace)
check(selection and kde.wait_for(lambda: xtest.focused_window() == selection),
      "the selection window takes the focus")
kde.press_keys(1)
check(kde.wait_for(lambda: not xtest.find_windows("^Form3$"), timeout=10),
      "Escape cancels Capture Selection")
app.stop()
backdrop.stop()
kde.finish()
