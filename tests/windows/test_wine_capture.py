"""tessarine.exe under Wine on a private X display, with Wine's session
already started (test.sh's Windows stage): the command line's captures are
the X server's pixels exactly, its exit statuses and messages are those of
Linux, a non-ASCII name arrives whole, the version record reads back, and
the installer installs and uninstalls silently."""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system"))
from xtest import (Process, check, find_windows, finish, not_run, read_image, run,  # noqa: E402
                   screenshot, settle, wait_for, window_geometry)

EXE = os.environ["TESSARINE_EXE"]


def wine(*args, cwd=None):
    return subprocess.run(["wine", *args], capture_output=True, text=True, timeout=60, cwd=cwd)


def capture(*args, cwd):
    """Runs tessarine.exe --capture ARGS in cwd; the result with stderr's
    lines without Wine's carriage returns."""
    result = wine(EXE, "--capture", *args, cwd=cwd)
    result.lines = [line.rstrip("\r") for line in result.stderr.splitlines() if line.strip()]
    return result


def exact_capture(name, expected, cwd, *args):
    """Captures until the file equals what the X server shows (a window may
    still be drawing); the differing pixels of the last try."""
    path = os.path.join(cwd, name)
    outcome = {}

    def attempt():
        result = capture(*args, name, cwd=cwd)
        if result.returncode != 0:
            outcome["differ"] = "exit %d: %s" % (result.returncode, result.stderr.strip())
            return False
        outcome["differ"] = read_image(path).differing_pixels(expected())
        return outcome["differ"] == 0
    wait_for(attempt, timeout=20, interval=0.2)
    return outcome["differ"]


def check_installer():
    """Installs silently, then uninstalls silently: the program, the
    Start-menu entry and the uninstall entry come and go."""
    installer = os.environ.get("INSTALLER", "")
    if not os.path.exists(installer):
        not_run("the installer was not built (makensis missing)")
        return
    drive = os.path.join(os.environ["WINEPREFIX"], "drive_c")
    folder = os.path.join(drive, "Program Files", "Tessarine")
    key = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessarine"
    result = wine(installer, "/S")
    check(result.returncode == 0, "the installer: exit %d" % result.returncode)
    check(os.path.exists(os.path.join(folder, "tessarine.exe"))
          and wine("reg", "query", key).returncode == 0,
          "after /S: %r" % (os.listdir(folder) if os.path.isdir(folder) else "no folder"))
    installed = wine(os.path.join(folder, "tessarine.exe"), "--version")
    check(installed.returncode == 0 and installed.stdout.startswith("Tessarine 1.00"),
          "the installed program: %r" % installed.stdout)
    # The uninstaller runs from a copy in the temporary folder and returns
    # at once: its work is awaited.
    wine(os.path.join(folder, "uninstall.exe"), "/S")
    check(wait_for(lambda: not os.path.exists(folder), timeout=30),
          "after uninstalling, the folder holds %r" % (os.listdir(folder) if os.path.isdir(folder) else None))
    check(wine("reg", "query", key).returncode != 0, "the uninstall entry is still there")
    shortcuts = [os.path.join(root, f) for root, _, files in os.walk(drive)
                 for f in files if f.lower() == "tessarine.lnk"]
    check(not shortcuts, "shortcuts left behind: %r" % shortcuts)


def main():
    if not os.environ.get("DISPLAY") or not os.environ.get("WINEPREFIX"):
        not_run("no X display or Wine prefix (test.sh's Windows stage sets them)")
        finish()
    work = tempfile.mkdtemp(prefix="tess-wine-")
    size = run("xdpyinfo").stdout.split("dimensions:")[1].split()[0]
    width, height = (int(v) for v in size.split("x"))

    # A pattern of distinct pixels over the whole screen, put there after
    # Wine started (which paints the root window black).
    pattern_file = os.path.join(work, "pattern.ppm")
    run("convert", "-size", size, "xc:", "+noise", "Random", "-depth", "8", pattern_file)
    pattern = Process(["display", "-geometry", "%s+0+0" % size, pattern_file])
    expected_pattern = read_image(pattern_file)
    settle(screenshot, lambda shot: shot.differing_pixels(expected_pattern) == 0)

    for name in ("screen.bmp", "screen.png"):
        check(exact_capture(name, screenshot, work) == 0,
              "--capture %s differs from the screen" % name)
    check(exact_capture("rect.bmp", lambda: screenshot().crop(100, 50, 321, 123), work,
                        "--geometry", "321x123+100+50") == 0,
          "--capture --geometry differs from the screen's rectangle")

    # The window in front: Wine's notepad, its frame included (Wine draws
    # it around the X window: the same border left, right and below).
    # Its caret does not blink here, so that two reads of it agree.
    wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "CursorBlinkRate", "/t", "REG_SZ",
         "/d", "-1", "/f")
    notepad = Process(["wine", "notepad"])
    windows = wait_for(lambda: find_windows("Notepad"), timeout=30)
    if check(windows, "notepad's window did not show"):
        x, y, w, h = window_geometry(windows[0])
        result = capture("--active", "probe.bmp", cwd=work)
        if check(result.returncode == 0, "--active failed: %s" % result.stderr):
            probe = read_image(os.path.join(work, "probe.bmp"))
            border = (probe.width - w) // 2
            left, top = x - border, y - (probe.height - h - border)
            check(probe.width >= w and probe.height >= h and left >= 0 and top >= 0,
                  "--active gave %dx%d for a window of %dx%d at %d,%d"
                  % (probe.width, probe.height, w, h, x, y))
            check(exact_capture("active.bmp", lambda: screenshot().crop(
                left, top, probe.width, probe.height), work, "--active") == 0,
                  "--active differs from notepad's rectangle on the screen")
    notepad.stop()

    # Exit statuses and one-line messages as on Linux.
    result = wine(EXE, "--frobnicate")
    check(result.returncode == 2 and result.stderr.rstrip("\r\n").count("\n") == 0
          and result.stderr.startswith('tessarine: unknown option "--frobnicate"'),
          "a bad option: exit %d, %r" % (result.returncode, result.stderr))
    result = capture("--geometry", "10x10+%d+0" % width, "off.bmp", cwd=work)
    check(result.returncode == 2 and len(result.lines) == 1
          and result.lines[0].startswith("tessarine: "),
          "a rectangle off the screen: exit %d, %r" % (result.returncode, result.stderr))
    result = capture(os.path.join("no such folder", "x.bmp"), cwd=work)
    check(result.returncode == 1 and len(result.lines) == 1
          and result.lines[0].startswith("tessarine: cannot save the picture"),
          "a missing folder: exit %d, %r" % (result.returncode, result.stderr))

    # A name beyond the ANSI code page reaches the file system whole.
    name = "Zürich-東京.bmp"
    result = capture(name, cwd=work)
    check(result.returncode == 0 and os.path.exists(os.path.join(work, name)),
          "a non-ASCII name: exit %d, %r, files %r"
          % (result.returncode, result.stderr, os.listdir(work)))

    # The version record as Windows reads it.
    record = wine(os.environ["VERSION_RECORD_EXE"], EXE).stdout.replace("\r", "").splitlines()
    check(record == ["FileVersionNumber=1.0.0.0", "ProductVersionNumber=1.0.0.0",
                     "Translation=0409 1200", "ProductName=Lumograph", "FileVersion=1.00",
                     "ProductVersion=1.00", "InternalName=Tessarine",
                     "OriginalFilename=Tessarine.exe"],
          "the version record reads %r" % record)
    pattern.stop()
    check_installer()
    finish()


if __name__ == "__main__":
    main()
