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


def _wl_string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def press_keys(*codes):
    """Presses the keys (evdev codes) in order and releases them in reverse
    through KWin's fake input protocol (a bare Wayland client), so that KWin
    handles them as a keyboard's: its shortcuts see them, XTEST's do not."""
    wl = socket.socket(socket.AF_UNIX)
    wl.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))

    def send(target, opcode, body=b""):
        wl.sendall(struct.pack("<II", target, (8 + len(body)) << 16 | opcode) + body)

    def roundtrip(done_id, found=None):
        send(1, 0, struct.pack("<I", done_id))  # wl_display.sync
        data = b""
        while True:
            while len(data) >= 8 and len(data) >= struct.unpack_from("<I", data, 4)[0] >> 16:
                target, word = struct.unpack_from("<II", data)
                body, data = data[8:word >> 16], data[word >> 16:]
                if target == done_id:
                    return
                if target == 2 and word & 0xFFFF == 0 and found is not None:  # a global
                    size = struct.unpack_from("<I", body, 4)[0]
                    found[body[8:7 + size].decode()] = struct.unpack_from("<I", body)[0]
            chunk = wl.recv(65536)
            if not chunk:
                raise RuntimeError("KWin closed the Wayland connection")
            data += chunk

    with wl:
        send(1, 1, struct.pack("<I", 2))  # wl_display.get_registry
        found = {}
        roundtrip(3, found)
        if "org_kde_kwin_fake_input" not in found:
            raise RuntimeError("KWin offers no fake input here")
        send(2, 0, struct.pack("<I", found["org_kde_kwin_fake_input"])
             + _wl_string("org_kde_kwin_fake_input") + struct.pack("<II", 4, 4))
        send(4, 0, _wl_string("tests") + _wl_string("key presses"))  # authenticate
        for code, state in [(c, 1) for c in codes] + [(c, 0) for c in reversed(codes)]:
            send(4, 10, struct.pack("<II", code, state))  # keyboard_key
        roundtrip(5)
