"""Helpers for the GNOME tests, which run inside with_gnome.sh: the shell's
own pictures (gnome-screenshot), GNOME's settings, and keys pressed at the
compositor level through mutter's RemoteDesktop interface, which reach the
shell's dialogs and GNOME's key bindings as a real keyboard's would."""

import os
import subprocess
import sys

from gi.repository import Gio, GLib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import xtest  # noqa: E402
from xtest import check, finish, read_image, wait_for, xdotool  # noqa: E402,F401

OUT = os.environ.get("SESSION_USER_DIR", "/tmp")
HOME = os.environ["HOME"]
MEDIA_KEYS = "org.gnome.settings-daemon.plugins.media-keys"
# The top bar's clock, which changes while a test runs (1280x800 desktop).
CLOCK = (540, 0, 200, 32)

RETURN, TAB, PRINT = 0xFF0D, 0xFF09, 0xFF61


class Keyboard:
    """A RemoteDesktop session of mutter's, as long as this process lives."""

    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION)
        self.path = self._call("/org/gnome/Mutter/RemoteDesktop", "", "CreateSession",
                               reply="(o)").unpack()[0]
        self._call(self.path, ".Session", "Start")

    def _call(self, path, interface, method, args=None, reply=None):
        return self.bus.call_sync("org.gnome.Mutter.RemoteDesktop", path,
                                  "org.gnome.Mutter.RemoteDesktop" + interface, method, args,
                                  GLib.VariantType(reply) if reply else None, 0, 10000, None)

    def press(self, *keysyms):
        """Presses the keys together, then lets them go in reverse."""
        for keysym in keysyms:
            self._call(self.path, ".Session", "NotifyKeyboardKeysym",
                       GLib.Variant("(ub)", (keysym, True)))
        for keysym in reversed(keysyms):
            self._call(self.path, ".Session", "NotifyKeyboardKeysym",
                       GLib.Variant("(ub)", (keysym, False)))


def shell_picture():
    """The shell's own picture of the desktop."""
    path = os.path.join(OUT, "reference.png")
    subprocess.run(["gnome-screenshot", "-f", path], check=True, capture_output=True, timeout=60)
    picture = read_image(path)
    os.remove(path)
    return picture


def without_clock(picture):
    x0, y0, w, h = CLOCK
    data = bytearray(picture.data)
    for y in range(y0, y0 + h):
        start = (y * picture.width + x0) * 3
        data[start:start + w * 3] = bytes(w * 3)
    return xtest.Image(picture.width, picture.height, bytes(data))


def same_pixels(path, expected, label):
    """The file holds the picture `expected`, the clock's area left out."""
    if not check(os.path.exists(path), "%s: %s written" % (label, path)):
        return
    got = read_image(path)
    diff = without_clock(got).differing_pixels(without_clock(expected))
    check(diff == 0, "%s: %dx%d file against %dx%d reference, %d pixels differ"
          % (label, got.width, got.height, expected.width, expected.height, diff))


def home_files():
    """Every file under the home folder, but the desktop's own."""
    found = set()
    for folder, dirs, files in os.walk(HOME):
        if folder == HOME:
            dirs[:] = [d for d in dirs if d not in (".cache", ".config", ".local")]
        found.update(os.path.join(folder, f) for f in files)
    return found


def gsettings(*args):
    return xtest.run("gsettings", *args).stdout.strip()


def custom_bindings():
    """The paths in GNOME's list of custom key bindings."""
    listed = gsettings("get", MEDIA_KEYS, "custom-keybindings")
    return [p.strip(" '") for p in listed.replace("@as", "").strip("[] ").split(",") if p.strip()]


def binding(path, key):
    return gsettings("get", MEDIA_KEYS + ".custom-keybinding:" + path, key).strip("'")


def permission_store(method, *args):
    store = "/org/freedesktop/impl/portal/PermissionStore"
    r = xtest.run("gdbus", "call", "--session", "--dest", store[1:].replace("/", "."),
                  "--object-path", store, "--method", store[1:].replace("/", ".") + "." + method,
                  *args, check_status=False)
    return r.stdout + r.stderr


def stored_screenshot_answer():
    """The permission store's entry for programs that are not sandboxed."""
    return permission_store("Lookup", "screenshot", "screenshot")


def allow_screenshots():
    """The answer a user gives in GNOME's dialog, given ahead (tests only)."""
    permission_store("SetPermission", "screenshot", "true", "screenshot", "", "['yes']")


def start_pattern(geometry, title="Pattern"):
    """The test pattern in a window of its own, once the shell shows it."""
    p = xtest.Process([xtest.PATTERN, "--geometry", geometry, "--title", title])
    found = wait_for(lambda: xtest.find_windows("^%s$" % title), timeout=20)
    if not found:
        raise RuntimeError("pattern window did not appear")
    p.window = found[0]
    x, y, _, _ = xtest.window_geometry(p.window)
    if not wait_for(lambda: shell_picture().pixel(x + 8, y + 8) == xtest.pattern_colour(8, 8)):
        raise RuntimeError("pattern window was not drawn")
    return p
