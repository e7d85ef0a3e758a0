"""The About box, the "Camel" window it leads to, the support message, the
banner window of the third hot key, and the version record."""

import os
import re
import subprocess
import time

import xtest
from xtest import check

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
CAMEL_BMP = os.path.join(SOURCE, "resources", "camel.bmp")

SUPPORT_TEXT = (
    "Please visit https://support.example.com/tessarine to see the FAQ or known problems "
    "with the fixes. \r\n"
    "If you are still getting errors, email me at support@example.com. Please make the "
    "subject of your email 'SUPPORT NEEDED'. Thankyou!")

# The About box's client area on the screen, and places on it (pixels).
ABOUT = (156, 129, 382, 136)
SUPPORT_PRESS = (60, 100)     # on the support line, clear of the OK button
ON_TITLE = (150, 20)          # on Label1, the product title
BESIDE_TITLE = (30, 30)       # on the white band left of the title
WHITE = (255, 255, 255)


def visible(name):
    return xtest.find_windows("^%s$" % re.escape(name))


def net_wm_state(window):
    return xtest.run("xprop", "-id", str(window), "_NET_WM_STATE", check_status=False).stdout


def about_window(app):
    others = [w for w in visible("Tessarine") if w != app.window]
    return others[0] if others else None


def open_help_menu(app):
    app.key("alt+h")
    xtest.wait_for(lambda: set(xtest.find_windows_of(app.proc.pid)) - {app.window})


def open_about(app):
    """Help > About...; the box once it has the focus and is drawn."""
    open_help_menu(app)
    xtest.xdotool("key", "Down", "Return")
    about = xtest.wait_for(lambda: about_window(app))
    if about and xtest.activate(about):
        xtest.wait_for(lambda: xtest.painted(*about_point((5, 5)), WHITE))
    return about


def drag(start, end, steps=12):
    """A real drag with the left button: press, move in steps, release."""
    xtest.xdotool("mousemove", "--sync", *start)
    xtest.xdotool("mousedown", 1)
    for i in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * i // steps
        y = start[1] + (end[1] - start[1]) * i // steps
        xtest.xdotool("mousemove", "--sync", x, y)
    xtest.xdotool("mouseup", 1)


def about_point(point):
    return (ABOUT[0] + point[0], ABOUT[1] + point[1])


def clipboard():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                          timeout=5).stdout.decode("utf-8", errors="replace")


def message_text(copied):
    """The message inside what Ctrl+C copies from a message box: the part
    between the second and the third separator line."""
    parts = copied.split("---------------------------\n")
    return parts[2][:-1] if len(parts) > 3 else None


def check_version():
    out = subprocess.run([xtest.TESSARINE, "--version"], capture_output=True, text=True,
                         timeout=10)
    check(out.returncode == 0, "--version exits with 0: %d" % out.returncode)
    for part in ("Tessarine", "Lumograph", "1.00", "1.0.0.0"):
        check(part in out.stdout, "--version names %r: %r" % (part, out.stdout))


def check_desktop_entry():
    build = os.environ.get("TESSARINE_BUILD")
    if not build:
        xtest.not_run("TESSARINE_BUILD not set: the desktop entry")
        return
    with open(os.path.join(build, "tessarine.desktop")) as f:
        lines = f.read().splitlines()
    for line in ("[Desktop Entry]", "Name=Tessarine", "Exec=tessarine", "Icon=tessarine",
                 "X-Lumograph-ProductName=Lumograph", "X-Lumograph-Version=1.00",
                 "X-Lumograph-FileVersion=1.0.0.0"):
        check(line in lines, "desktop entry has %r" % line)


def check_about_and_camel(app):
    about = open_about(app)
    if not check(about, "Help > About... opens the About box"):
        return
    check(xtest.window_geometry(about) == ABOUT,
          "About box client area at (156, 129), 382 x 136: %r" % (xtest.window_geometry(about),))
    check("_NET_WM_STATE_SKIP_TASKBAR" in net_wm_state(about), "About box is not in the taskbar")
    shot = xtest.screenshot()
    check(shot.pixel(*about_point((5, 5))) == WHITE, "white band across the top of the box")

    # Enter presses OK.
    xtest.xdotool("key", "Return")
    check(xtest.wait_for(lambda: about_window(app) is None), "Enter closes the box")

    # Esc presses OK too; the box opens again at the same place. Minimised
    # (openbox offers the button), it comes back at once: modal and out of
    # the taskbar, it would otherwise leave nothing to click.
    about = open_about(app)
    check(about and xtest.window_geometry(about) == ABOUT, "About box reopens at the same place")
    events = xtest.WindowEvents(about)
    since = events.mark()
    xtest.xdotool("windowminimize", about)
    check(events.wait(["UnmapNotify", "MapNotify"], since), "a minimised About box comes back")
    events.stop()
    xtest.activate(about)
    xtest.xdotool("key", "Escape")
    check(xtest.wait_for(lambda: about_window(app) is None), "Esc closes the box")

    about = open_about(app)
    if not check(about, "About box opens a third time"):
        return

    # A drop on the white band beside the title opens nothing.
    drag(about_point(SUPPORT_PRESS), about_point(BESIDE_TITLE))
    time.sleep(1.0)
    check(not visible("Camel"), "a drop beside the title opens nothing")
    check(about_window(app), "About box still open after a drop beside the title")

    camel_bmp = xtest.read_image(CAMEL_BMP)
    for attempt in (1, 2):
        # A drop on the title opens "Camel", modal, over the still-open box.
        drag(about_point(SUPPORT_PRESS), about_point(ON_TITLE))
        camel = xtest.wait_for(lambda: visible("Camel"))
        if not check(camel, "drop on the title opens Camel (round %d)" % attempt):
            return
        camel = camel[0]
        cx, cy, cw, ch = xtest.window_geometry(camel)
        xtest.wait_for(lambda: xtest.painted(cx + 8, cy + 8, camel_bmp.pixel(0, 0)))
        check((cw, ch) == (320, 298), "Camel client area 320 x 298: %r" % ((cw, ch),))
        check("_NET_WM_STATE_SKIP_TASKBAR" not in net_wm_state(camel), "Camel is in the taskbar")
        check(about_window(app), "About box stays open under Camel")
        shot = xtest.screenshot()
        # The picture 1:1 from the box's corner at (8, 8)...
        for px, py in ((0, 0), (150, 20), (222, 128), (130, 170), (299, 280)):
            got = shot.pixel(cx + 8 + px, cy + 8 + py)
            want = camel_bmp.pixel(px, py)
            check(got == want, "Camel picture pixel (%d, %d): %r, file has %r" %
                  (px, py, got, want))
        # ... clipped by the box, 281 pixels high.
        below = shot.pixel(cx + 8 + 150, cy + 8 + 285)
        check(below != camel_bmp.pixel(150, 285),
              "picture clipped at the box's bottom edge: %r" % (below,))

        # Esc does nothing on this ordinary window; the close box closes it.
        xtest.activate(camel)
        xtest.xdotool("key", "Escape")
        time.sleep(0.5)
        check(visible("Camel"), "Esc leaves Camel open")
        xtest.activate(camel)
        xtest.xdotool("key", "alt+F4")
        check(xtest.wait_for(lambda: not visible("Camel")),
              "closing Camel (round %d)" % attempt)
        time.sleep(0.5)
        check(about_window(app), "About box still open after Camel closed (round %d)" % attempt)

    # The box takes input again.
    xtest.activate(about_window(app))
    xtest.xdotool("key", "Return")
    check(xtest.wait_for(lambda: about_window(app) is None),
          "About box closes after the picture window")


def check_support_message(app):
    open_help_menu(app)
    xtest.xdotool("key", "Return")
    box = xtest.wait_for(lambda: visible("Support"))
    if not check(box, "Help > Getting Support... shows the support message"):
        return
    xtest.activate(box[0])
    xtest.xdotool("key", "ctrl+c")
    copied = xtest.settle(clipboard, lambda text: message_text(text) == SUPPORT_TEXT, 10)
    check(message_text(copied) == SUPPORT_TEXT, "support message text exactly: %r" % copied)
    check(copied.startswith("---------------------------\nSupport\n"),
          "message box titled Support: %r" % copied[:60])
    xtest.xdotool("key", "Return")
    check(xtest.wait_for(lambda: not visible("Support")), "OK closes the message")


def red_pixels(shot, x, y, w, h):
    return sum(1 for yy in range(y, y + h) for xx in range(x, x + w)
               if shot.pixel(xx, yy) == (255, 0, 0))


def check_banner(app):
    # The key is system-wide: it works while another program is in front.
    pattern = xtest.start_pattern("200x150+600+450", title="Elsewhere")
    check(xtest.activate(pattern.window), "the other program's window takes the focus")
    for press in (1, 2):
        xtest.xdotool("key", "ctrl+alt+shift+Print")
        banner = xtest.wait_for(lambda: visible("Form4"))
        check(banner and len(banner) == 1,
              "press %d: exactly one banner window: %r" % (press, banner))
        time.sleep(0.7)  # for a second banner, if the press made one, to show
    banner = visible("Form4")
    if banner:
        window = banner[0]
        check(xtest.window_geometry(window) == (0, 0, 1024, 768),
              "banner covers the screen: %r" % (xtest.window_geometry(window),))
        check("_NET_WM_STATE_SKIP_TASKBAR" in net_wm_state(window), "banner not in the taskbar")
        shot = xtest.settle(xtest.screenshot,
                            lambda shot: red_pixels(shot, 144, 168, 257, 113) > 300)
        check(shot.pixel(900, 700) == (0, 0, 0), "banner is black")
        check(red_pixels(shot, 144, 168, 257, 113) > 300, "red text in the label's box")
        check(red_pixels(shot, 410, 168, 200, 113) == 0, "the text wraps inside its box")
        check(app.proc.poll() is None and xtest.find_windows("^Tessarine$", visible=False),
              "main window still loaded")
        # A click beside the text closes it.
        xtest.xdotool("mousemove", "--sync", 800, 600)
        xtest.xdotool("click", 1)
        check(xtest.wait_for(lambda: not visible("Form4")),
              "a click on the black closes the banner")
        # A click on the text closes a new one too.
        xtest.xdotool("key", "ctrl+alt+shift+Print")
        if check(xtest.wait_for(lambda: visible("Form4")), "banner comes back"):
            xtest.wait_for(lambda: red_pixels(xtest.screenshot(), 144, 168, 257, 113) > 300)
            xtest.xdotool("mousemove", "--sync", 170, 190)
            xtest.xdotool("click", 1)
            check(xtest.wait_for(lambda: not visible("Form4")),
                  "a click on the text closes the banner")
    pattern.stop()


check_version()
check_desktop_entry()
app = xtest.App()
try:
    check_about_and_camel(app)
    check_support_message(app)
    check_banner(app)
    check(app.proc.poll() is None, "the program is still running")
finally:
    app.stop()
xtest.finish()
