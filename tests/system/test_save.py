"""Save and Save As write the capture as a bitmap file: the first Save asks
for a name in the file dialog, later Saves of the same capture write
silently, Save As always asks, names are kept exactly as typed, and a failed
write says so and leaves no stray or broken file."""

import os
import shutil
import subprocess
import tempfile

import xtest
from xtest import check

DIALOG = "^Save As$"


def dialog_windows():
    return xtest.find_windows(DIALOG)


def message_boxes(app):
    """Visible windows titled "Tessarine" other than the main window."""
    return [w for w in xtest.find_windows("^Tessarine$") if w != app.window]


def answer_dialog(path):
    """Types a full path into the open save dialog and confirms it."""
    if not check(xtest.answer_save_dialog(path), "the save dialog opens"):
        return False
    check(xtest.wait_for(lambda: not dialog_windows()), "the save dialog closes")
    return True


def identity(path):
    """Changes whenever the file is replaced, as the writer always does."""
    st = os.stat(path)
    return (st.st_ino, st.st_mtime_ns)


def wait_saved(path, previous=None):
    def written():
        if not os.path.exists(path) or identity(path) == previous:
            return False
        return not xtest.find_windows("^frmSave$")
    return xtest.wait_for(written)


def save_menu(app, item_index):
    """Opens the File menu from the keyboard and picks its item_index-th item."""
    check(app.open_menu("alt+f"), "the File menu opens")
    for _ in range(item_index):
        xtest.xdotool("key", "Down")
    xtest.xdotool("key", "Return")


def dismiss_message(app):
    boxes = xtest.wait_for(lambda: message_boxes(app))
    if not check(boxes, "a message box comes up"):
        return
    xtest.activate(boxes[0])
    xtest.xdotool("key", "Return")
    check(xtest.wait_for(lambda: not message_boxes(app)), "the message box closes")


folder = tempfile.mkdtemp(prefix="tess-save-")
# The program keeps no files of its own: nothing may appear here (Qt's file
# dialog would keep its history in a settings file).
config = tempfile.mkdtemp(prefix="tess-config-")
pattern = xtest.start_pattern("320x240+600+420", frameless=True)
app = xtest.App(env=dict(os.environ, XDG_CONFIG_HOME=config))
try:
    app.activate()
    app.client_origin()

    # Capture, then compare the file with the screen outside the main window
    # (which the capture hid, and which is back on screen now).
    app.capture_screen()
    shot = xtest.screenshot()
    app.key("ctrl+s")
    first = os.path.join(folder, "shot.bmp")
    answer_dialog(first)
    check(wait_saved(first), "the first Save writes the chosen file")
    saved = xtest.read_image(first)
    check((saved.width, saved.height) == (1024, 768),
          "file is the screen's size: %r" % ((saved.width, saved.height),))
    mx, my, mw, mh = xtest.frame_geometry(app.window)
    differ = 0
    for y in range(0, 768):
        for x in range(0, 1024, 1):
            if mx <= x < mx + mw and my <= y < my + mh:
                continue
            if saved.pixel(x, y) != shot.pixel(x, y):
                differ += 1
    check(differ == 0, "file matches the screen outside the main window (%d differ)" % differ)
    px, py, _, _ = xtest.window_geometry(pattern.window)
    check(saved.pixel(px + 40, py + 40) == xtest.pattern_colour(40, 40),
          "the pattern window is in the file")
    with open(first, "rb") as f:
        check(f.read(2) == b"BM", "a Windows bitmap file")

    # A second Save writes again without asking, and the main window keeps
    # the keyboard throughout (a focus handed back late left its keys dead).
    before = identity(first)
    app.activate()
    since = app.events.mark()
    xtest.xdotool("key", "ctrl+s")
    check(wait_saved(first, before), "the second Save rewrites the file")
    check(not app.events.wait(["FocusOut"], since, timeout=0), "Save leaves the focus alone")
    check(not dialog_windows(), "no dialog on the second Save")

    # Save As asks, opening on the previous name; a name without ".bmp" is
    # used as it is.
    save_menu(app, 1)
    bare = os.path.join(folder, "no-extension")
    answer_dialog(bare)
    check(wait_saved(bare), "Save As writes the new name")
    check(not os.path.exists(bare + ".bmp"), "no extension is added")
    with open(bare, "rb") as f:
        check(f.read(2) == b"BM", "the extensionless file is a bitmap")
    check(xtest.read_image(bare).differing_pixels(xtest.read_image(first)) == 0,
          "both files hold the same picture")

    # A folder that does not exist: a message, no file, no stray file.
    entries = sorted(os.listdir(folder))
    save_menu(app, 1)
    answer_dialog(os.path.join(folder, "missing", "shot.bmp"))
    dismiss_message(app)
    check(sorted(os.listdir(folder)) == entries, "nothing new in the folder")
    check(not xtest.find_windows("^frmSave$"), "the save window is closed after the failure")

    # A full file system: the existing file stays as it was.
    small = os.path.join(folder, "small")
    os.mkdir(small)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", small],
                             capture_output=True).returncode == 0
    if mounted:
        try:
            kept = os.path.join(small, "kept.bmp")
            with open(kept, "wb") as f:
                f.write(b"previous contents")
            save_menu(app, 1)
            answer_dialog(kept)
            dismiss_message(app)
            with open(kept, "rb") as f:
                check(f.read() == b"previous contents", "a full disk leaves the file untouched")
            check(os.listdir(small) == ["kept.bmp"], "no temporary file left on the full disk")
        finally:
            subprocess.run(["umount", small], capture_output=True)
    else:
        xtest.not_run("cannot mount a tmpfs here: the full-disk case")
finally:
    app.stop()
    pattern.stop()
    shutil.rmtree(folder, ignore_errors=True)
check(not os.listdir(config), "no settings file is written: %r" % os.listdir(config))
shutil.rmtree(config, ignore_errors=True)
xtest.finish()
