"""Helpers for the KDE Plasma tests, which run inside with_kde.sh: KWin's
own pictures (its ScreenShot2 interface, allowed by the session's
KWIN_SCREENSHOT_NO_PERMISSION_CHECKS), its global shortcuts, and windows."""

import os
import socket
import struct
import subprocess
import sys

import dbus

here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(here, ".."), os.path.join(here, "..", "wayland")]
import xtest  # noqa: E402
from wl import capture, same_pixels  # noqa: E402,F401
from xtest import check, finish, read_image, wait_for  # noqa: E402,F401

OUT = os.environ.get("SESSION_USER_DIR", "/tmp")
# QImage::Format_RGB32, _ARGB32 and _ARGB32_Premultiplied: 0xAARRGGBB words.
WORD_FORMATS = (4, 5, 6)


def _kwin_picture(method, **options):
    """KWin's own picture through ScreenShot2.`method`, as an xtest.Image
    (alpha dropped)."""
    bus = dbus.SessionBus()
    shots = dbus.Interface(bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                           "org.kde.KWin.ScreenShot2")
    read, write = os.pipe()
    try:
        result = getattr(shots, method)(dbus.Dictionary(options, signature="sv"),
                                        dbus.types.UnixFd(write))
    finally:
        os.close(write)
    with os.fdopen(read, "rb") as pipe:
        raw = pipe.read()
    width, height, stride = int(result["width"]), int(result["height"]), int(result["stride"])
    if int(result["format"]) not in WORD_FORMATS:
        raise RuntimeError("KWin's picture comes in format %d" % result["format"])
    data = bytearray()
    for y in range(height):
        row = raw[y * stride:y * stride + width * 4]
        for x in range(0, len(row), 4):
            data += bytes((row[x + 2], row[x + 1], row[x]))  # B G R A in memory
    return xtest.Image(width, height, bytes(data))


def workspace():
    """The whole desktop as KWin draws it, pointer included (as the portal's
    screenshot has it)."""
    return _kwin_picture("CaptureWorkspace", **{"include-cursor": True})


def _start_window(title, args, shown):
    """A test pattern window titled `title`, in front once KWin has
    activated it and drawn."""
    p = xtest.Process([xtest.PATTERN, "--title", title] + args)
    found = wait_for(lambda: xtest.find_windows("^%s$" % title), timeout=20)
    if not found:
        raise RuntimeError("%s window did not appear" % title)
    p.window = found[0]
    check(xtest.activate(p.window) and drawn(p.window), shown)
    return p


def start_backdrop():
    """A frameless pattern window over the whole 1024x768 desktop, as a
    wallpaper: without one KWin's desktop is transparent, and pictures of
    translucent pixels (the corners of title bars) depend on how each tool
    flattens them."""
    return _start_window("Backdrop", ["--geometry", "1024x768+0+0", "--frameless"],
                         "the backdrop is drawn and in front")


def start_pattern(geometry, frameless=False):
    """The test pattern window (an XWayland window), in front once KWin has
    activated it."""
    args = ["--geometry", geometry] + (["--frameless"] if frameless else [])
    return _start_window("Pattern", args, "the pattern window is in front")


def drawn(window):
    """Waits until KWin's picture shows the pattern window's own pixels near
    two opposite corners of it."""
    x, y, w, h = xtest.window_geometry(window)
    points = [(8, 8), (w - 9, h - 9)]
    return wait_for(lambda: all(workspace().pixel(x + px, y + py) == xtest.pattern_colour(px, py)
                                for px, py in points))


def shortcut_component(shortcut):
    """The kglobalaccel component holding `shortcut` (once it does), or None."""
    accel = "org.kde.kglobalaccel"

    def find():
        bus = dbus.SessionBus()
        paths = dbus.Interface(bus.get_object(accel, "/kglobalaccel"),
                               "org.kde.KGlobalAccel").allComponents()
        for path in paths:
            try:
                names = dbus.Interface(bus.get_object(accel, path, introspect=False),
                                       "org.kde.kglobalaccel.Component").shortcutNames()
            except dbus.DBusException:  # a component removed meanwhile
                continue
            if shortcut in names:
                return str(path)
        return None
    return wait_for(find, timeout=20)


def invoke_shortcut(component, shortcut):
    """A press of a global shortcut, as KWin's key handling makes it."""
    subprocess.run(["gdbus", "call", "--session", "--dest", "org.kde.kglobalaccel",
                    "--object-path", component, "--method",
                    "org.kde.kglobalaccel.Component.invokeShortcut", shortcut],
                   check=True, capture_output=True)


def copied(window, good):
    """Ctrl+C in the main window, pressed until the clipboard holds a PNG
    for which good(picture) holds (keys sent just as an XWayland window
    takes KWin's focus were seen lost); that picture, or None."""
    path = os.path.join(OUT, "clip.png")

    def attempt():
        xtest.activate(window)
        xtest.xdotool("key", "ctrl+c")
        blob = subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/png", "-o"],
                              capture_output=True, timeout=10).stdout
        if not blob.startswith(b"\x89PNG"):
            return None
        with open(path, "wb") as f:
            f.write(blob)
        picture = read_image(path)
        return picture if good(picture) else None
    return wait_for(attempt, interval=0.5)



def press_keys(*codes):
    """Presses the keys (evdev codes) in order, released in reverse, through
    KWin's fake input: its shortcuts see them as a keyboard's (not XTEST's)."""
    def message(target, opcode, *args):  # numbers and strings, as Wayland sends them
        body = b"".join(struct.pack("<I", a) if isinstance(a, int) else struct.pack(
            "<I", len(a) + 1) + a.encode().ljust(len(a) + 4 & ~3, b"\0") for a in args)
        return struct.pack("<II", target, 8 + len(body) << 16 | opcode) + body

    def synced(wl, callback, data=b""):  # all KWin sent before answering a sync
        while struct.pack("<II", callback, 12 << 16) not in data:
            chunk = wl.recv(65536)
            if not chunk:
                raise RuntimeError("KWin closed the Wayland connection")
            data += chunk
        return data

    with socket.socket(socket.AF_UNIX) as wl:
        wl.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
        wl.sendall(message(1, 1, 2) + message(1, 0, 3))  # the registry, then a sync
        events = synced(wl, 3)
        at = events.find(b"org_kde_kwin_fake_input\0")  # in a global: name, length, text
        if at < 0:
            raise RuntimeError("KWin offers no fake input here")
        presses = [(c, 1) for c in codes] + [(c, 0) for c in reversed(codes)]
        wl.sendall(message(2, 0, struct.unpack_from("<I", events, at - 8)[0],
                           "org_kde_kwin_fake_input", 4, 4)  # bound as object 4
                   + message(4, 0, "tests", "key presses")  # authenticate
                   + b"".join(message(4, 10, *press) for press in presses)  # keyboard_key
                   + message(1, 0, 5))
        synced(wl, 5)
