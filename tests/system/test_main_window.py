"""The main window as the user sees and drives it: every menu caption, access
key and shortcut pixel for pixel as a reference menu bar with the expected
captions draws them, labRes in navy blue, and each command reached through
its own menu item or button doing what it should."""

import json
import os
import subprocess
import tempfile

import xtest
from xtest import check

# Menu-bar entries with their items; None marks a command on the bar itself,
# "-" a separator, "@" a shortcut.
MENUS = [
    ("&File", ["Save@Ctrl+S", "Save As...", "-", "Exit"]),
    ("&Edit", ["Crop" + " " * 16, "Copy@Ctrl+C"]),
    ("HotKeys", None),
    ("Capture", ["Screen", "Selection...", "Window..."]),
    ("&Help", ["Getting Support...", "About..."]),
]
NAVY = (0, 0, 128)
REFERENCE = os.environ.get("MENU_REFERENCE_BIN", "build/tests/tess_menu_reference")


def popups(pid, known):
    """Visible windows of process pid other than the known ones."""
    out = xtest.run("xdotool", "search", "--onlyvisible", "--pid", str(pid),
                    check_status=False).stdout
    return [int(w) for w in out.split() if int(w) not in known]


def drawn(image):
    """A menu or menu bar is drawn once its dark text shows."""
    return any(sum(image.pixel(x, y)) < 150 for y in range(image.height)
               for x in range(image.width))


def grab(window):
    x, y, w, h = xtest.window_geometry(window)
    return xtest.screenshot().crop(x, y, w, h)


def open_menu(pid, known, title_rect, origin):
    """Clicks a menu-bar entry; returns the menu that opens, or None."""
    x, y, w, h = title_rect
    xtest.xdotool("mousemove", "--sync", origin[0] + x + w // 2, origin[1] + y + h // 2,
                  "click", 1)
    found = xtest.wait_for(lambda: popups(pid, known))
    return found[0] if found else None


def close_menu(pid, known):
    xtest.xdotool("key", "Escape")
    xtest.wait_for(lambda: not popups(pid, known))


# Every start, whatever the window manager's timing: the client area at its
# design size, 604 x 398, and the preview pane 482 x 378.
for start in range(10):
    app = xtest.App()
    _, wy, ww, wh = xtest.window_geometry(app.window)
    client = (ww, wh - (app.client_origin()[1] - wy))
    check((client, app.pane_rect()[2:]) == ((604, 398), (482, 378)),
          "start %d: client %r, pane %r" % (start, client, app.pane_rect()[2:]))
    app.stop()

pattern = xtest.start_pattern("200x150+40+40")
app = xtest.App()
xtest.xdotool("windowmove", "--sync", app.window, 300, 240)
xtest.wait_for(lambda: xtest.window_geometry(app.window)[:2] == (300, 240))
app.activate()
ox, oy = app.client_origin()
wx, wy, ww, wh = xtest.window_geometry(app.window)
bar_height = oy - wy

# labRes: its text is drawn in navy blue. Anti-aliased strokes blend it
# with the background, so every pixel stays on the grey-to-navy line, and
# the darkest is plainly blue (thin strokes may never reach pure navy).
def blue_ink(image):
    return [(r, g, b) for y in range(17) for x in range(97)
            for r, g, b in [image.pixel(x, y)] if b - r >= NAVY[2] - 32]


label = xtest.settle(lambda: xtest.screenshot().crop(ox + 8, oy + 24, 97, 17), blue_ink)
colours = {label.pixel(x, y) for y in range(17) for x in range(97)}
check(blue_ink(label) and all(r == g <= b for r, g, b in colours),
      "labRes is navy blue: %r" % sorted(colours)[:5])

# The reference, the same size as the main window, and ours side by side.
reference = xtest.Process([REFERENCE, str(ww), str(wh), json.dumps(MENUS)])
titles = [tuple(int(v) for v in reference.proc.stdout.readline().split()) for _ in MENUS]
ref_window = xtest.wait_for(lambda: xtest.find_windows("^MenuReference$"))[0]
xtest.xdotool("windowmove", "--sync", ref_window, 0, 0)
xtest.wait_for(lambda: xtest.window_geometry(ref_window)[:2] == (0, 0))
xtest.activate(ref_window)
rx, ry, _, _ = xtest.window_geometry(ref_window)
want_bar = xtest.settle(lambda: grab(ref_window).crop(0, 0, ww, bar_height), drawn)
app.activate()
got_bar = xtest.settle(lambda: grab(app.window).crop(0, 0, ww, bar_height),
                       lambda image: image.differing_pixels(want_bar) == 0)
check(got_bar.differing_pixels(want_bar) == 0,
      "the menu bar shows %s" % ", ".join(title for title, _ in MENUS))

for (title, items), rect in zip(MENUS, titles):
    if items is None:
        continue
    xtest.activate(ref_window)
    menu = open_menu(reference.proc.pid, [ref_window], rect, (rx, ry))
    want = xtest.settle(lambda: grab(menu), drawn) if menu else None
    close_menu(reference.proc.pid, [ref_window])
    app.activate()
    menu = open_menu(app.proc.pid, [app.window], rect, (wx, wy))
    got = want and menu and xtest.settle(lambda: grab(menu),
                                         lambda image: image.differing_pixels(want) == 0)
    check(got and got.differing_pixels(want) == 0, "the %s menu shows %r" % (title, items))
    close_menu(app.proc.pid, [app.window])
    if "&" in title:
        # Its access key opens the same menu.
        app.key("alt+" + title[title.index("&") + 1].lower())
        menu = xtest.wait_for(lambda: popups(app.proc.pid, [app.window]))
        check(menu and xtest.window_geometry(menu[0])[2:] == (want.width, want.height),
              "Alt+%s opens the %s menu" % (title[title.index("&") + 1], title))
        close_menu(app.proc.pid, [app.window])
reference.stop()
# The window manager takes the closed reference's frame away in its own
# time; until then a capture would show it where the crop below cuts.
check(xtest.wait_for(lambda: ref_window not in xtest.managed_windows()),
      "the reference window has gone")


def command(title, item):
    """Picks an item from a menu with the mouse on the bar and the keyboard
    in the menu."""
    index = [t.replace("&", "") for t, _ in MENUS].index(title)
    app.activate()
    check(open_menu(app.proc.pid, [app.window], titles[index], (wx, wy)),
          "the %s menu opens" % title)
    steps = [i.split("@")[0] for i in MENUS[index][1] if i != "-"].index(item) + 1
    xtest.xdotool("key", *(["Down"] * steps + ["Return"]))
    # Until the menu has gone, its pointer grab takes the next click.
    xtest.wait_for(lambda: not popups(app.proc.pid, [app.window]))


# Capture > Screen: a capture, shown 1:1 once "Actual Size" is chosen.
app.click_client(10, 48 + 41 + 8)  # "Actual Size"
app.hidden_and_back(lambda: command("Capture", "Screen"), "Capture > Screen")
px, py, pw, ph = app.pane_rect()
cx, cy, _, _ = xtest.window_geometry(pattern.window)
want = xtest.pattern_colour(20, 20)
got = xtest.settle(lambda: xtest.screenshot().pixel(px + cx + 20, py + cy + 20),
                   lambda colour: colour == want)
check(got == want, "Capture > Screen shows the screen in the pane: %r, want %r" % (got, want))

# Capture > Selection...: the frozen screen to select on; Escape cancels,
# once the selection window has the keyboard.
def select_and_cancel():
    command("Capture", "Selection...")
    shown = xtest.wait_for(lambda: xtest.find_windows("^Form3$"))
    check(shown, "Capture > Selection... shows the selection window")
    check(shown and xtest.wait_for(lambda: xtest.focused_window() == shown[0]),
          "the selection window takes the focus")
    xtest.xdotool("key", "Escape")


app.hidden_and_back(select_and_cancel, "Capture > Selection...")

# Edit > Crop: the next drag on the pane keeps only the part under it.
command("Edit", "Crop" + " " * 16)
xtest.xdotool("mousemove", "--sync", px + 30, py + 30, "mousedown", 1)
xtest.xdotool("mousemove", "--sync", px + 80, py + 70, "mousemove", "--sync", px + 130, py + 110,
              "mouseup", 1, "mousemove", "--sync", 1010, 10)
# The pane is cleared before the crop is drawn on it: wait for both.
def cropped(shot):
    return (shot.pixel(px + 150, py + 50) == xtest.PANE_BACKGROUND and
            shot.pixel(px + 50, py + 40) != xtest.PANE_BACKGROUND)


check(cropped(xtest.settle(xtest.screenshot, cropped)),
      "Edit > Crop crops the capture to the dragged 100 x 80 pixels")

# The "Save" button saves the crop under the name the dialog asks for.
path = os.path.join(tempfile.mkdtemp(prefix="tess-main-"), "button.bmp")
app.click_button("Save")
check(xtest.answer_save_dialog(path), "the Save button asks for a name")
if check(xtest.saved(path), "the Save button writes the file"):
    saved = xtest.read_image(path)
    check((saved.width, saved.height) == (100, 80),
          "the Save button saves the crop: %dx%d" % (saved.width, saved.height))

# File > Exit ends the program at once.
command("File", "Exit")
try:
    status = app.proc.wait(xtest.DEADLINE)
except subprocess.TimeoutExpired:
    status = None
check(status == 0, "File > Exit ends the program with status 0: %r" % status)
app.stop()
pattern.stop()
xtest.finish()
