"""Helpers for the Wayland tests, which run inside with_sway.sh: the
compositor's own pictures (grim), sway's answers, and input to the
program's XWayland windows.

XTEST pointer events reach XWayland windows. Keys reach them only while
sway's seat has a keyboard, which a parked wtype process provides, and the
window has sway's focus. Whatever the output scale, X coordinates are the
desktop's logical pixels; grim's pictures are device pixels."""

import json
import math
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xtest  # noqa: E402
from xtest import check, finish, read_image, wait_for, xdotool  # noqa: E402,F401

OUT = os.environ.get("SESSION_USER_DIR", "/tmp")


def swaymsg(*args):
    out = subprocess.run(["swaymsg", "-r", *args], capture_output=True, text=True,
                         timeout=xtest.DEADLINE).stdout
    return json.loads(out) if out.strip() else None


def find_node(matches):
    """The first window of sway's tree for which matches(node) holds."""
    def walk(node):
        if node["type"] in ("con", "floating_con") and matches(node):
            return node
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            found = walk(child)
            if found:
                return found
        return None
    return walk(swaymsg("-t", "get_tree"))


def focused_node():
    """sway's node of the focused window."""
    return find_node(lambda node: node.get("focused"))


def titled(title):
    return lambda node: re.search(title, node.get("name") or "") is not None


def grim():
    blob = subprocess.run(["grim", "-t", "ppm", "-"], check=True, capture_output=True,
                          timeout=xtest.DEADLINE).stdout
    return xtest.parse_ppm(blob)


def scale():
    return max(o["scale"] for o in swaymsg("-t", "get_outputs") if o["active"])


def capture(*args, env=None):
    """tessarine --capture ARGS: (exit status, stderr)."""
    r = subprocess.run([xtest.TESSARINE, "--capture", *args], capture_output=True, text=True,
                       timeout=60, env=env)
    return r.returncode, r.stderr


def same_pixels(path, expected, label):
    """The file holds exactly the picture `expected` (an xtest.Image)."""
    if not check(os.path.exists(path), "%s: %s written" % (label, path)):
        return
    got = read_image(path)
    diff = got.differing_pixels(expected)
    check(diff == 0, "%s: %dx%d file against %dx%d reference, %d pixels differ"
          % (label, got.width, got.height, expected.width, expected.height, diff))


def no_portal_leftovers():
    check(not os.path.exists("/tmp/out.png"), "the portal's file is deleted")


def start_pattern(x, y, width, height):
    """The test pattern in a floating window at (x, y) in X coordinates."""
    p = xtest.Process([xtest.PATTERN, "--geometry", "%dx%d+0+0" % (width, height),
                       "--title", "Pattern"])
    p.window = find_window("^Pattern$")
    move("^Pattern$", x, y)
    return p


def move(title, x, y):
    """Moves a floating window's frame to (x, y) and waits until sway has it
    there and the X window has heard of its new place."""
    def there():
        node = find_node(titled(title))
        if not node:
            return False
        rect, inner = node["rect"], node["window_rect"]
        if (rect["x"], rect["y"] - node["deco_rect"]["height"]) != (x, y):
            swaymsg("[title=\"%s\"] move absolute position %d %d" % (title, x, y))
            return False
        return xtest.window_geometry(node["window"])[:2] == (rect["x"] + inner["x"],
                                                              rect["y"] + inner["y"])
    return check(wait_for(there, interval=0.2), "%s moved to %d, %d" % (title, x, y))


def frame(title):
    """sway's kind of container ("floating_con" or "con") and rectangle for
    the window with this title; None when sway has no such window."""
    node = find_node(titled(title))
    return node and (node["type"],) + tuple(node["rect"][k] for k in ("x", "y", "width", "height"))


def find_window(title):
    found = wait_for(lambda: xtest.find_windows(title), timeout=20)
    return found[0] if found else None


# sway's default colour of the focused window's title bar.
FOCUSED_TITLE = (0x28, 0x55, 0x77)


def focus(title=None, window=None):
    """Gives sway's focus to the window with this title (or X id) and waits
    until sway and the X server both have it there (keys sent before that
    are lost) and the screen shows its title bar as focused (a screenshot
    taken before that is not the desktop the test means)."""
    criteria = "[id=%d]" % window if window else "[title=\"%s\"]" % title
    matches = (lambda node: node.get("window") == window) if window else titled(title)

    def focused():
        node = focused_node()
        if node and matches(node) and xtest.focused_window() == node.get("window"):
            rect, s, shot = node["rect"], scale(), grim()
            # Left of the title's text, clear of the screen's edge (blended
            # with black there on a turned output); a window larger than the
            # screen has its title bar off it, and nothing on the screen to
            # wait for.
            x = max(int((rect["x"] + 2) * s), 3)
            y = int((rect["y"] - node["deco_rect"]["height"] // 2) * s)
            return not (0 <= x < shot.width and 0 <= y < shot.height) or \
                shot.pixel(x, y) == FOCUSED_TITLE
        swaymsg(criteria + " focus")
        return False
    return check(wait_for(focused, interval=0.2), "sway focuses %s" % criteria)


def pointer_to(x, y):
    """Moves the pointer and waits until the X server has it there."""
    xdotool("mousemove", x, y)
    return check(wait_for(lambda: xdotool("getmouselocation").split()[:2] ==
                          ["x:%d" % x, "y:%d" % y]), "pointer at %d, %d" % (x, y))


def shows(expected, points, window=None):
    """True when grim's picture has expected's pixels (an xtest.Image in
    device pixels) at these points of the desktop (X coordinates), and so
    has the X window's own picture (what its program drew) if one is named."""
    s = scale()
    # (At a scale that is no whole number, sway's filter blends the edges of
    # the window's picture in its own: the window's pixels tell.)
    pictures = [(grim(), 0, 0, s)] if s == int(s) or not window else []
    if window:
        blob = subprocess.run(["import", "-window", str(window), "-depth", "8", "ppm:-"],
                              capture_output=True).stdout
        if not blob:
            return False
        pictures.append((xtest.parse_ppm(blob), *xtest.window_geometry(window)[:2], 1))

    def shown(x, y):
        # At a scale that is no whole number a window pixel averages the
        # device pixels it covers.
        if s == int(s):
            return expected.pixel(int(x * s), int(y * s))
        box = [expected.pixel(dx, dy)
               for dy in range(math.floor(y * s), math.ceil((y + 1) * s))
               for dx in range(math.floor(x * s), math.ceil((x + 1) * s))]
        return tuple(round(sum(c) / len(box)) for c in zip(*box))
    return all(xtest.near(picture.pixel(int((x - left) * f), int((y - top) * f)),
                          shown(x, y), 0 if s == int(s) else 1)
               for picture, left, top, f in pictures for x, y in points)


def screen_size():
    """Width and height of the X screen, in X coordinates."""
    out = xtest.run("xwininfo", "-root").stdout
    return tuple(int(line.split(":")[1]) for line in out.splitlines()
                 if line.strip().startswith(("Width:", "Height:")))


def outputs_settled(rects):
    """Waits until sway's active outputs cover these logical rectangles
    (x, y, width, height) and both grim's picture and the X screen have
    grown or shrunk to match."""
    width = max(x + w for x, y, w, h in rects)
    height = max(y + h for x, y, w, h in rects)

    def settled():
        outputs = [o for o in swaymsg("-t", "get_outputs") if o["active"]]
        if sorted((o["rect"]["x"], o["rect"]["y"], o["rect"]["width"], o["rect"]["height"])
                  for o in outputs) != sorted(rects):
            return False
        s = max(o["scale"] for o in outputs)
        shot = grim()
        # (At 1.5 sway's 682 logical pixels are the output's 1024.)
        return abs(shot.width - width * s) < s and abs(shot.height - height * s) < s and \
            screen_size() == (width, height)
    return check(wait_for(settled), "outputs at %r" % (rects,))


def x_keymap_is_whole():
    """Whether the X keymap has the letters (wtype's has only its keys)."""
    return re.search(r"^keycode +\d+ = s S", xtest.run("xmodmap", "-pke").stdout, re.M) is not None


class Keyboard:
    """A virtual keyboard on sway's seat while it lives (wtype asleep)."""

    def __init__(self):
        self.proc = None
        self._park()

    def _park(self):
        """A wtype process that presses Shift and then sleeps becomes the
        seat's keyboard, with no modifier held (one held on a keyboard that
        went away stays held for the X windows)."""
        if self.proc:
            self.stop()
        self.proc = subprocess.Popen(["wtype", "-k", "Shift_L", "-s", "3600000"])
        check(wait_for(lambda: any(i["type"] == "keyboard" for i in
                                   swaymsg("-t", "get_inputs"))), "sway has a keyboard")
        # sway hands that keyboard's keymap to XWayland, and wtype's holds
        # only the keys it pressed. xdotool would then map every key it
        # sends to a spare keycode for a moment, and the toolkit, which
        # rereads the keymap when told it changed, can read it after it was
        # put back and lose the key. A whole keymap goes back in.
        check(wait_for(lambda: not x_keymap_is_whole()), "XWayland takes wtype's keymap")
        xtest.run("setxkbmap", "-layout", "us")
        check(wait_for(x_keymap_is_whole), "XWayland has a whole keymap again")

    def press(self, *keys, until=None):
        """Presses keys[-1] with the modifiers before it held, as the user
        does, from a keyboard of its own; then the parked keyboard is put
        back in front, so that the X windows have the keymap they had, once
        until() holds if given (a window reading the keymap late would read
        the parked one's); what until() gave."""
        args = ["wtype"]
        for key in keys[:-1]:
            args += ["-M", key]
        args += ["-k", keys[-1]]
        for key in reversed(keys[:-1]):
            args += ["-m", key]
        subprocess.run(args, check=True, timeout=10)
        done = wait_for(until) if until else None
        self._park()
        return done

    def stop(self):
        self.proc.kill()
        self.proc.wait()


class App(xtest.Process):
    """The window program on XWayland, its main window drawn and focused by
    sway."""

    def __init__(self, *args, env=None):
        super().__init__([xtest.TESSARINE, *args], env=env)
        self.window = find_window("^Tessarine$")
        if not self.window:
            self.stop()
            raise RuntimeError("main window did not appear: " +
                               self.proc.stderr.read().decode(errors="replace"))
        self.events = xtest.WindowEvents(self.window)
        self._menu_height = None
        check(wait_for(self._find_menu_height), "the main window is drawn")
        focus(window=self.window)

    def stop(self):
        super().stop()
        if hasattr(self, "events"):
            self.events.stop()

    def _find_menu_height(self):
        """The menu bar's height, found from the top of the empty preview
        pane in grim's picture; None until the pane shows."""
        x, y, w, h = xtest.window_geometry(self.window)
        s = scale()
        shot = grim()
        column = int((x + 140) * s)
        for row in range(int(y * s), min(int((y + h) * s), shot.height - int(10 * s))):
            if shot.pixel(column, row) == xtest.PANE_BACKGROUND and \
                    shot.pixel(column, row + int(10 * s)) == xtest.PANE_BACKGROUND:
                self._menu_height = int(round(row / s)) - y
                return self._menu_height
        return None

    def client_origin(self):
        """X position of the client area below the menu bar."""
        if self._menu_height is None:
            raise RuntimeError("preview pane not found")
        x, y, _, _ = xtest.window_geometry(self.window)
        return (x, y + self._menu_height)

    def click(self, cx, cy, button=1):
        ox, oy = self.client_origin()
        pointer_to(ox + cx, oy + cy)
        xdotool("click", button)

    def hidden_and_back(self, action, label):
        """Runs action, which starts a capture that hides the main window,
        and waits until the window has been hidden and shown again."""
        since = self.events.mark()
        action()
        return check(self.events.wait(["UnmapNotify", "MapNotify"], since),
                     "%s hides the main window and shows it again" % label)

    def capture_selection(self, x0, y0, x1, y1, frozen):
        """Capture Selection, then a drag from (x0, y0) to (x1, y1) in X
        coordinates once the selection window shows `frozen` (grim's picture
        of the desktop) there; True when the main window came back."""
        since = self.events.mark()
        self.click(56, 144)
        selection = wait_for(lambda: xtest.find_windows("^Form3$"))
        if not check(selection, "selection window appears"):
            return False
        # It covers the screen outside sway's tree, and draws the frozen
        # picture after it first shows.
        check(wait_for(lambda: shows(frozen, [(x0, y0), (x1, y1), ((x0 + x1) // 2, y0)],
                                     selection[0])),
              "the selection window shows the frozen screen")
        pointer_to(x0, y0)
        xdotool("mousedown", 1)
        pointer_to((x0 + x1) // 2, (y0 + y1) // 2)
        pointer_to(x1, y1)
        xdotool("mouseup", 1)
        return check(wait_for(lambda: not xtest.find_windows("^Form3$")),
                     "selection window goes") and \
            check(self.events.wait(["UnmapNotify", "MapNotify"], since), "main window back")

    def messages(self):
        return [w for w in xtest.find_windows("^Tessarine$") if w != self.window]

    def preview(self):
        """The middle of the main window's own picture, in its preview pane.
        (Read from the X server: with grim polling the screen during the
        capture, the portal's picture was seen with the focused window's
        title bar drawn as unfocused.)"""
        _, _, w, h = xtest.window_geometry(self.window)
        blob = subprocess.run(["import", "-window", str(self.window), "-depth", "8", "ppm:-"],
                              capture_output=True).stdout
        return blob and xtest.parse_ppm(blob).crop(w // 2, h // 2, 100, 100).data

    def save(self, path):
        """Ctrl+S, the path typed into the save dialog, and the file written."""
        # Pressed again if no dialog comes: a first press was seen lost.
        for _ in range(5):
            focus(window=self.window)
            xdotool("key", "ctrl+s")
            dialog = wait_for(lambda: xtest.find_windows("^Save As$"), timeout=6)
            if dialog:
                break
        if not check(dialog, "the save dialog opens"):
            return False
        focus("^Save As$")
        xdotool("key", "ctrl+a")
        xdotool("type", "--delay", "20", path)
        xdotool("key", "Return")
        return check(wait_for(lambda: os.path.exists(path) and
                              not xtest.find_windows("^frmSave$")),
                     "%s saved" % path)


def run_text(*args):
    return subprocess.run(args, capture_output=True, text=True, timeout=xtest.DEADLINE).stdout


def pasted(*command):
    """The picture a clipboard tool prints, decoded; None when it gives none
    (a source that never answers included)."""
    try:
        blob = subprocess.run(command, capture_output=True, timeout=10).stdout
    except subprocess.TimeoutExpired:
        return None
    ppm = subprocess.run(["convert", "png:-", "-depth", "8", "ppm:-"], input=blob,
                         capture_output=True, timeout=xtest.DEADLINE).stdout
    return xtest.parse_ppm(ppm) if blob and ppm else None


def same_picture(got, expected, label):
    if check(got is not None, "%s gives a picture" % label):
        diff = got.differing_pixels(expected)
        check(diff == 0, "%s: %dx%d picture against %dx%d reference, %d pixels differ"
              % (label, got.width, got.height, expected.width, expected.height, diff))


def serving_process():
    """The process id of the one tessarine-portal left serving, or None."""
    found = []
    for entry in os.listdir("/proc"):
        try:
            if entry.isdigit() and os.readlink("/proc/%s/exe" % entry).endswith("tessarine-portal"):
                found.append(int(entry))
        except OSError:
            pass
    return found[0] if len(found) == 1 else None
