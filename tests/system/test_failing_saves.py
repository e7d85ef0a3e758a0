"""Saves that the file system refuses, and unusual names that it accepts.
Each refusal brings a message (naming the reason, when the message box
lets its text be copied), leaves an existing file
byte for byte as it was and no temporary file behind; each legal name is
written exactly as typed. After all of them the program still captures and
saves. (test_save.py covers a missing folder and a full disk over an
existing file.)

Needs root for the small tmpfs mounts (a full disk, a read-only folder);
without it those cases are skipped with a note."""

import os
import shutil
import subprocess
import tempfile
import time

import xtest
from xtest import check

DIALOG = "^Save As$"
OLD = b"the file as it was before\n"


def others(app):
    return [w for w in xtest.find_windows("^Tessarine$") if w != app.window]


def enter_name(path):
    """Puts `path` into the dialog's name field through the clipboard:
    typing characters beyond ASCII with xdotool loses some of them."""
    subprocess.run(["xclip", "-selection", "clipboard"], input=path.encode(), check=True)
    xtest.xdotool("key", "ctrl+a")
    xtest.xdotool("key", "ctrl+v")


def open_save_as(app):
    """File > Save As from the keyboard; the dialog's window, focused, or
    None."""
    app.key("alt+f")
    xtest.wait_for(lambda: set(xtest.find_windows_of(app.proc.pid)) - {app.window})
    xtest.xdotool("key", "Down", "Return")
    window = xtest.wait_for(lambda: xtest.find_windows(DIALOG))
    return window if window and xtest.activate(window[0]) else None


def confirm_replacing(window):
    """Qt's dialog may ask before replacing a file whose name is typed: yes.
    Waits until the dialog closes or asks."""
    def asked():
        return [w for w in xtest.find_windows(DIALOG) if w != window]
    xtest.wait_for(lambda: not xtest.find_windows(DIALOG) or asked())
    confirm = asked()
    if confirm and xtest.activate(confirm[0]):
        xtest.xdotool("key", "alt+y")


def save_as(app, path):
    """File > Save As, types `path` into the dialog and confirms it."""
    window = open_save_as(app)
    if not check(window, "the save dialog opens for %r" % os.path.basename(path)[:40]):
        return False
    enter_name(path)
    xtest.xdotool("key", "Return")
    confirm_replacing(window[0])
    check(xtest.wait_for(lambda: not xtest.find_windows(DIALOG)), "the save dialog closes")
    return True


def message_text(app):
    """The text of the message box that comes up, which is then closed; None
    when none comes."""
    boxes = xtest.wait_for(lambda: others(app))
    if not boxes:
        return None
    subprocess.run(["xclip", "-selection", "clipboard"], input=b"(nothing copied)", check=True)
    xtest.activate(boxes[0])
    xtest.xdotool("key", "ctrl+c")
    text = xtest.settle(lambda: subprocess.run(
        ["xclip", "-o", "-selection", "clipboard"], capture_output=True,
        timeout=10).stdout.decode(errors="replace"), lambda text: text != "(nothing copied)", 10)
    if text == "(nothing copied)":
        text = ""
    xtest.xdotool("key", "Return")
    xtest.wait_for(lambda: not others(app))
    return text


def no_message(app, seconds=2.0):
    """No message box once the save window has done its work, nor for a
    while after (a message would come within moments)."""
    xtest.wait_for(lambda: not xtest.find_windows("^frmSave$"))
    deadline = time.time() + seconds
    while time.time() < deadline:
        if others(app):
            return False
        time.sleep(0.1)
    return True


def wait_written(path):
    return xtest.wait_for(lambda: os.path.exists(path) and not xtest.find_windows("^frmSave$"))


def is_bitmap_of_screen(path):
    with open(path, "rb") as f:
        if f.read(2) != b"BM":
            return False
    image = xtest.read_image(path)
    return (image.width, image.height) == (1024, 768)


def refused(app, label, path, reason, keep=None, folder=None):
    """Save As to `path` must fail with a message naming `reason`; the file
    `keep` keeps OLD and `folder` gains no entry."""
    entries = sorted(os.listdir(folder)) if folder else None
    if not save_as(app, path):
        return
    text = message_text(app)
    check(text is not None, "%s: a message comes up" % label)
    if text == "":
        xtest.not_run("%s: the message box offers no copy of its text; reason not read" % label)
    elif text is not None:
        check("Cannot save" in text and reason in text,
              "%s: the message gives the reason %r: %r" % (label, reason, text))
    if keep:
        with open(keep, "rb") as f:
            check(f.read() == OLD, "%s: the existing file is intact" % label)
    if folder:
        check(sorted(os.listdir(folder)) == entries,
              "%s: nothing new in the folder: %r" % (label, sorted(os.listdir(folder))))
    check(not xtest.find_windows("^frmSave$"), "%s: the save window is gone" % label)


def dialog_refused_or_message(app, reason, closed_label, message_label):
    """Qt's own dialog may refuse a name itself and stay open, then Escape
    must close it; if it let the name through, the program must say why it
    cannot write (an empty text: the box was there but could not be read)."""
    still_open = xtest.find_windows(DIALOG)
    if still_open:
        # The first Escape may only close the name field's completion.
        xtest.xdotool("windowactivate", "--sync", still_open[0])
        xtest.xdotool("key", "Escape")
        if not xtest.wait_for(lambda: not xtest.find_windows(DIALOG), timeout=3):
            xtest.xdotool("key", "Escape")
        check(xtest.wait_for(lambda: not xtest.find_windows(DIALOG)), closed_label)
    else:
        text = message_text(app)
        check(text is not None and (text == "" or reason in text),
              "%s: %r" % (message_label, text))


def mount_tmpfs(where, size):
    os.makedirs(where, exist_ok=True)
    return subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s" % size, "tmpfs", where],
                          capture_output=True).returncode == 0


folder = tempfile.mkdtemp(prefix="tess-failing-")
mounts = []
app = xtest.App()
try:
    app.activate()
    app.client_origin()
    app.capture_screen()

    # Names of 255 bytes (the longest a name may be) and 256 (too long).
    longest = os.path.join(folder, "n" * 251 + ".bmp")
    if save_as(app, longest):
        check(no_message(app), "a 255-byte name: no message")
        check(wait_written(longest) and is_bitmap_of_screen(longest),
              "a 255-byte name is written in full")
    # Qt's dialog keeps its Save button off for a name over 255 bytes; if it
    # ever lets one through, the program must refuse it with a message.
    too_long = os.path.join(folder, "m" * 252 + ".bmp")
    entries = sorted(os.listdir(folder))
    window = open_save_as(app)
    if check(window, "the save dialog opens for a 256-byte name"):
        enter_name(too_long)
        xtest.xdotool("key", "Return")
        # A refusal shows nothing: the dialog is given a while to close instead.
        xtest.wait_for(lambda: not xtest.find_windows(DIALOG) or others(app), timeout=3)
        dialog_refused_or_message(
            app, "File name too long",
            "the dialog that refused a 256-byte name closes on Escape",
            "a 256-byte name: a message says it is too long")
        check(sorted(os.listdir(folder)) == entries, "a 256-byte name: nothing written")

    # Spaces and characters beyond ASCII: kept exactly as typed.
    spaced = os.path.join(folder, "Foto vom März été 2.bmp")
    if save_as(app, spaced):
        check(no_message(app), "a name with spaces and accents: no message")
        check(wait_written(spaced) and is_bitmap_of_screen(spaced),
              "a name with spaces and accents is written under exactly that name: %r"
              % os.listdir(folder))

    # The file changes under the open dialog: another program replaces it
    # with a new file, then with a folder. (A folder's name typed into the
    # dialog only opens that folder: the dialog never hands it over.)
    moving = os.path.join(folder, "moving.bmp")
    with open(moving, "wb") as f:
        f.write(OLD)
    window = open_save_as(app)
    if check(window, "the save dialog opens"):
        enter_name(moving)
        replacement = moving + ".new"
        with open(replacement, "wb") as f:
            f.write(b"written by another program\n")
        os.rename(replacement, moving)
        xtest.xdotool("key", "Return")
        confirm_replacing(window[0])
        check(no_message(app), "a file replaced under the dialog: no message")
        check(xtest.wait_for(lambda: is_bitmap_of_screen(moving)),
              "a file replaced under the dialog is replaced by the picture")
    became_folder = os.path.join(folder, "became-folder.bmp")
    with open(became_folder, "wb") as f:
        f.write(OLD)
    window = open_save_as(app)
    if check(window, "the save dialog opens"):
        enter_name(became_folder)
        os.remove(became_folder)
        os.mkdir(became_folder)
        entries = sorted(os.listdir(folder))
        xtest.xdotool("key", "Return")
        confirm_replacing(window[0])
        # Qt's own dialog may refuse a folder's name itself and stay open;
        # if it let it through, the program must say why it cannot write.
        dialog_refused_or_message(app, "Is a directory", "the dialog closes on Escape",
                                  "a file that became a folder: a message says so")
        check(os.path.isdir(became_folder) and not os.listdir(became_folder),
              "the folder that took the file's place is untouched")
        check(sorted(os.listdir(folder)) == entries, "no stray file beside it")

    # A read-only folder (as root, permissions would not stop the write).
    readonly = os.path.join(folder, "readonly")
    if mount_tmpfs(readonly, "1m"):
        mounts.append(readonly)
        kept = os.path.join(readonly, "kept.bmp")
        with open(kept, "wb") as f:
            f.write(OLD)
        if subprocess.run(["mount", "-o", "remount,ro", readonly]).returncode == 0:
            refused(app, "a read-only folder", kept, "Read-only file system", keep=kept,
                    folder=readonly)
            refused(app, "a new name in a read-only folder", os.path.join(readonly, "new.bmp"),
                    "Read-only file system", folder=readonly)
    else:
        xtest.not_run("cannot mount a tmpfs here: the read-only and full-disk cases")

    # A full disk and a new name: no partial file is left.
    full = os.path.join(folder, "full")
    if mount_tmpfs(full, "64k"):
        mounts.append(full)
        refused(app, "a full disk", os.path.join(full, "new.bmp"), "No space left on device",
                folder=full)

    # The program still works: a new capture, saved to a good place.
    app.activate()
    app.capture_screen()
    good = os.path.join(folder, "after.bmp")
    if save_as(app, good):
        check(no_message(app), "the save after the failures brings no message")
        check(wait_written(good) and is_bitmap_of_screen(good),
              "a capture after the failures is saved")
    check(app.proc.poll() is None, "the program still runs")
finally:
    app.stop()
    for where in mounts:
        subprocess.run(["umount", where], capture_output=True)
    shutil.rmtree(folder, ignore_errors=True)
xtest.finish()
