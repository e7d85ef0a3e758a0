"""PNG files and the clipboard: --capture writes PNG for a .png name or
--format png and bitmaps otherwise; Save As with the PNG filter writes PNG
under exactly the typed name, and the next silent Save keeps it; Edit > Copy
(Ctrl+C) puts the capture, and after a crop the crop, on the clipboard as
image/png and image/bmp, and does nothing before the first capture. (A
message box's own Ctrl+C, which copies its text, is checked in
test_info_windows.)"""

import os
import shutil
import subprocess
import tempfile
import time

import xtest
from xtest import check

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
folder = tempfile.mkdtemp(prefix="tess-png-")


def signature(path):
    with open(path, "rb") as f:
        return f.read(8)


def clipboard(target):
    result = subprocess.run(["xclip", "-selection", "clipboard", "-t", target, "-o"],
                            capture_output=True, timeout=10)
    return result.stdout if result.returncode == 0 else b""


def clipboard_image(target):
    """The clipboard's picture in the given format, decoded, or None."""
    blob = clipboard(target)
    if not blob:
        return None
    path = os.path.join(folder, "clip." + target.split("/")[1])
    with open(path, "wb") as f:
        f.write(blob)
    # A transfer cut short (xclip gives up on a slow owner) is no picture yet;
    # a picture that stays broken fails the comparisons that follow.
    try:
        return xtest.read_image(path)
    except subprocess.CalledProcessError:
        return None


def save_as(app, path, png):
    """File > Save As, typing the path and, for PNG, picking the second filter."""
    if not check(app.open_menu("alt+f"), "the File menu opens"):
        return
    xtest.xdotool("key", "Down", "Return")
    dialog = xtest.wait_for(lambda: xtest.find_windows("^Save As$"))
    if not check(dialog and xtest.activate(dialog[0]), "the save dialog opens"):
        return
    # "Files of type" comes after the name, and the dialog opens on the
    # filter chosen last. The filter first: switching it afterwards would
    # change the typed extension.
    xtest.xdotool("key", "Tab")
    xtest.xdotool("key", "Down" if png else "Up")
    xtest.xdotool("key", "shift+Tab")
    xtest.xdotool("key", "ctrl+a")
    xtest.xdotool("type", "--delay", "20", path)
    xtest.xdotool("key", "Return")
    check(xtest.saved(path), "Save As writes %s" % path)


def copied(good):
    """Presses Copy until the clipboard's PNG satisfies good (a capture or
    crop still under way may not have replaced the picture yet)."""
    def attempt():
        app.key("ctrl+c")
        image = clipboard_image("image/png")
        return image if image and good(image) else None
    return xtest.wait_for(attempt, interval=0.5)


pattern = xtest.start_pattern("400x300+150+120", title="PngPattern")
try:
    # Command line: the format follows the name, or --format.
    xtest.activate(pattern.window)
    cases = [("shot.PNG", [], PNG_SIGNATURE), ("forced", ["--format", "png"], PNG_SIGNATURE),
             ("forced.bmp", ["--format=bmp"], b"BM")]
    for name, options, expected in cases:
        path = os.path.join(folder, name)
        result = subprocess.run([xtest.TESSARINE, "--capture", *options, path],
                                capture_output=True, text=True, timeout=30)
        check(result.returncode == 0, "--capture %s %s: status %d, %s"
              % (" ".join(options), name, result.returncode, result.stderr))
        check(signature(path).startswith(expected), "%s %s has the right format" % (options, name))
        diff = xtest.read_image(path).differing_pixels(xtest.screenshot())
        check(diff == 0, "%s equals the screen pixel for pixel (%d differ)" % (name, diff))

    app = xtest.App()
    try:
        app.activate()
        app.client_origin()
        # Before any capture, Copy leaves the clipboard alone.
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=b"before", timeout=10)
        app.activate()
        xtest.xdotool("key", "ctrl+c")
        time.sleep(0.5)  # a span in which nothing may reach the clipboard
        check(clipboard("UTF8_STRING") == b"before", "Copy before a capture does nothing")

        # Save As with the PNG filter, then a silent Save, both PNG.
        app.capture_screen()
        shot = os.path.join(folder, "typed-name")
        save_as(app, shot, png=True)
        check(signature(shot) == PNG_SIGNATURE, "the PNG filter writes PNG under the typed name")
        first = xtest.read_image(shot)
        os.remove(shot)
        app.key("ctrl+s")
        check(xtest.saved(shot), "the silent Save writes again")
        check(signature(shot) == PNG_SIGNATURE, "the silent Save keeps PNG")
        # A typed .bmp wins over the PNG filter: content and name agree.
        as_bitmap = os.path.join(folder, "named.bmp")
        save_as(app, as_bitmap, png=True)
        check(signature(as_bitmap).startswith(b"BM"), "a .bmp name gets a bitmap")
        check(xtest.read_image(as_bitmap).differing_pixels(first) == 0,
              "bitmap and PNG hold the same picture")

        # Copy: the capture on the clipboard, as PNG and as a bitmap.
        got = copied(lambda image: True)
        check(got is not None and got.differing_pixels(first) == 0,
              "the clipboard's PNG equals the capture")
        bitmap = clipboard_image("image/bmp")
        check(bitmap is not None and bitmap.differing_pixels(first) == 0,
              "the clipboard's bitmap equals the capture")

        # After a crop, Copy gives the crop: the silent Save writes the same.
        px, py, _, _ = app.pane_rect()
        app.click_button("Crop")
        xtest.drag(px + 40, py + 30, px + 200, py + 150)
        cropped = copied(lambda image: image.width < first.width)
        before = os.stat(as_bitmap)
        app.key("ctrl+s")
        xtest.saved(as_bitmap, before)
        saved = xtest.read_image(as_bitmap)
        check(cropped is not None and saved.width < first.width and
              cropped.differing_pixels(saved) == 0, "after a crop the clipboard holds the crop "
              "(%s, saved %dx%d)" % (cropped and (cropped.width, cropped.height), saved.width,
                                     saved.height))

    finally:
        app.stop()
finally:
    pattern.stop()
    shutil.rmtree(folder, ignore_errors=True)
xtest.finish()
