"""tessarine-window.exe under Wine on a private X display (test.sh's Windows
stage): it opens titled "Tessarine", Print captures the screen into it and
Ctrl+S with a name writes exactly the screen."""

import os
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system"))
from xtest import (PANE_BACKGROUND, Process, check,  # noqa: E402
                   find_windows, finish, not_run, read_image, run, saved,
                   screenshot, settle, wait_for, window_geometry, xdotool)


def main():
    if not os.environ.get("DISPLAY") or not os.environ.get("WINEPREFIX"):
        not_run("no X display or Wine prefix (test.sh's Windows stage sets them)")
        finish()
    work = tempfile.mkdtemp(prefix="tess-wine-window-")
    size = run("xdpyinfo").stdout.split("dimensions:")[1].split()[0]
    pattern_file = os.path.join(work, "pattern.ppm")
    run("convert", "-size", size, "xc:", "+noise", "Random", "-depth", "8", pattern_file)
    pattern = Process(["display", "-geometry", "%s+0+0" % size, pattern_file])
    pattern_image = read_image(pattern_file)
    settle(screenshot, lambda shot: shot.differing_pixels(pattern_image) < 10000)
    # The screen as the X server shows it before the program starts, which
    # is what it shows while the program hides to capture.
    expected = screenshot()

    program = Process(["wine", os.environ["TESSARINE_WINDOW_EXE"]])
    found = wait_for(lambda: find_windows("^Tessarine$"), timeout=30)
    if check(found, "no window titled Tessarine"):
        # No window manager gives the focus here: a click on the status bar
        # does. The window hides while it captures: the screen is the pattern.
        x, y, w, h = window_geometry(found[0])
        xdotool("mousemove", x + w // 2, y + h - 6, "click", "1")
        xdotool("key", "Print")

        def shown_with_capture():
            # Hidden, the window's place shows the pattern, not the preview.
            return (find_windows("^Tessarine$") and
                    screenshot().pixel(x + w - 20, y + h // 2) != PANE_BACKGROUND)
        check(wait_for(shown_with_capture, timeout=20), "the preview shows no capture")

        def ask_to_save():
            # Again when a press came before the window had the focus back.
            if not find_windows("^Save As$") and find_windows("^Tessarine$"):
                xdotool("mousemove", x + w // 2, y + h - 6, "click", "1")
                xdotool("key", "ctrl+s")
            return wait_for(lambda: find_windows("^Save As$"), timeout=5)
        path = os.path.join(work, "saved.bmp")
        if check(wait_for(ask_to_save, timeout=40), "no Save As dialog"):
            xdotool("type", "--delay", "20", "Z:" + path.replace("/", "\\"))
            xdotool("key", "Return")
            check(saved(path), "nothing written to %s" % path)
            check(os.path.exists(path) and read_image(path).differing_pixels(expected) == 0,
                  "the saved picture is not the screen")
    program.stop()
    pattern.stop()
    finish()


if __name__ == "__main__":
    main()
