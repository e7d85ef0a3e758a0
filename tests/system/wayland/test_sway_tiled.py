"""sway, tiled windows: for Print the main window steps aside without sway
handing its tile to the others, so the capture shows them as the user saw
them, with the desktop's background in the main window's tile."""

import os

import wl
from wl import check


def steady_screen():
    """grim's picture once two in a row agree (the windows redrawn at their
    tiles' sizes)."""
    last = []

    def again(shot):
        same = last == [shot.data]
        last[:] = [shot.data]
        return same
    return wl.xtest.settle(wl.grim, again)


def tile(title):
    """A window's tile, title bar included: (x, y, width, height)."""
    node = wl.find_node(wl.titled(title))
    rect, bar = node["rect"], node["deco_rect"]["height"]
    return rect["x"], rect["y"] - bar, rect["width"], rect["height"] + bar


keyboard = wl.Keyboard()
background = wl.grim().pixel(5, 5)
pattern = wl.start_pattern(50, 50, 200, 150)
app = wl.App()
wl.swaymsg('[title="^(Pattern|Tessarine)$"] floating disable')
check(wl.wait_for(lambda: all((wl.frame(t) or ("",))[0] == "con"
                             for t in ("^Pattern$", "^Tessarine$"))), "both windows are tiled")
wl.focus("^Pattern$")
ref = steady_screen()
pattern_tile, main_tile = tile("^Pattern$"), tile("^Tessarine$")
before = app.preview()
keyboard.press("Print")
path = os.path.join(wl.OUT, "tiled.bmp")
if check(wl.wait_for(lambda: app.preview() != before), "Print shows a new picture") and \
        app.save(path):
    got = wl.read_image(path)
    check(got.crop(*pattern_tile).data == ref.crop(*pattern_tile).data,
          "the other window is captured in its tile %r as it was" % (pattern_tile,))
    check(bytes(got.crop(*main_tile).data) == bytes(background) * (main_tile[2] * main_tile[3]),
          "the main window's tile %r shows the background" % (main_tile,))
check(tile("^Pattern$") == pattern_tile and tile("^Tessarine$") == main_tile,
      "the tiles are as they were")

app.stop()
pattern.stop()
keyboard.stop()
wl.finish()
