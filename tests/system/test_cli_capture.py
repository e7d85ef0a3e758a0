"""tessarine --capture writes the screen, a rectangle of it or the window in
front to a bitmap file without opening a window; each failure says what
failed on standard error, exits non-zero and leaves no file behind."""

import os
import resource
import shutil
import subprocess
import tempfile

import xtest
from xtest import check

folder = tempfile.mkdtemp(prefix="tess-cli-")


def capture(*args, env=None):
    return subprocess.run([xtest.TESSARINE, "--capture", *args], capture_output=True, text=True,
                          env=env, timeout=30)


def screen_matches(path, x, y, w, h, label):
    """The file holds exactly the screen's (x, y, w, h) as it is now."""
    shot = xtest.screenshot()
    image = xtest.read_image(path)
    check((image.width, image.height) == (w, h),
          "%s: the file is %dx%d, expected %dx%d" % (label, image.width, image.height, w, h))
    if (image.width, image.height) == (w, h):
        diff = image.differing_pixels(shot.crop(x, y, w, h))
        check(diff == 0, "%s: equals the screen pixel for pixel (%d pixels differ)"
              % (label, diff))


def succeeds(result, label):
    check(result.returncode == 0 and result.stderr == "",
          "%s: status %d, stderr %r" % (label, result.returncode, result.stderr))


def fails(result, status, message, path, label):
    check(result.returncode == status, "%s: status %d, expected %d"
          % (label, result.returncode, status))
    check(result.stderr == "tessarine: " + message + "\n",
          "%s: stderr %r, expected %r" % (label, result.stderr, "tessarine: " + message))
    check(not os.path.exists(path), "%s: no file is left at %s" % (label, path))


pattern = xtest.start_pattern("400x300+150+120", title="CliPattern")
try:
    xtest.activate(pattern.window)
    width, height = xtest.screenshot().width, xtest.screenshot().height

    # The whole screen, and nothing of the program shows on it meanwhile.
    whole = os.path.join(folder, "screen.bmp")
    result = capture(whole)
    succeeds(result, "--capture")
    screen_matches(whole, 0, 0, width, height, "--capture")
    check(not xtest.find_windows("^Tessarine$", visible=False),
          "--capture: no window of the program was made")

    # Rectangles, from the top left and (with minus signs) from the bottom right.
    part = os.path.join(folder, "part.bmp")
    result = capture("--geometry", "120x80+200+170", part)
    succeeds(result, "--geometry")
    screen_matches(part, 200, 170, 120, 80, "--geometry 120x80+200+170")
    corner = os.path.join(folder, "corner.bmp")
    result = capture("--geometry=50x40-0-0", "--delay", "0.2", corner)
    succeeds(result, "--geometry -0-0")
    screen_matches(corner, width - 50, height - 40, 50, 40, "--geometry 50x40-0-0")

    # The window in front: its frame's rectangle.
    active = os.path.join(folder, "active.bmp")
    result = capture("--active", active)
    succeeds(result, "--active")
    fx, fy, fw, fh = xtest.frame_geometry(pattern.window)
    check(fw > 400 or fh > 300, "--active: the frame is larger than the window's own area")
    screen_matches(active, fx, fy, fw, fh, "--active")

    # Failures.
    missing = os.path.join(folder, "failed.bmp")
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    fails(capture(missing, env=env), 1, "cannot open the X display: DISPLAY is not set", missing,
          "DISPLAY unset")
    fails(capture("--geometry", "12x", missing), 2,
          "bad geometry \"12x\": expected WxH+X+Y, such as 640x480+0+0 "
          "(see tessarine --help)", missing, "bad geometry")
    fails(capture("--geometry", "100x100+%d+0" % (width - 99), missing), 2,
          "the rectangle \"100x100+%d+0\" does not lie within the %dx%d screen "
          "(see tessarine --help)" % (width - 99, width, height), missing,
          "rectangle outside the screen")
    unwritable = os.path.join(folder, "no-such-folder", "shot.bmp")
    fails(capture(unwritable), 1,
          "cannot save the picture to \"%s\": No such file or directory (the folder \"%s\" "
          "does not exist)"
          % (unwritable, os.path.dirname(unwritable)), unwritable, "missing folder")
    # The README's template on an account without ~/Pictures.
    env = dict(os.environ, HOME=os.path.join(folder, "no-such-folder"))
    result = capture("~/Pictures/%F_%T_$wx$h.png", env=env)
    check(result.returncode == 1 and result.stderr.endswith(
          "(the folder \"%s/no-such-folder/Pictures\" does not exist)\n" % folder),
          "template without ~/Pictures: %d %r" % (result.returncode, result.stderr))
    env = dict(os.environ, TESSARINE_SESSION="bogus")
    fails(capture(missing, env=env), 2,
          "TESSARINE_SESSION is \"bogus\": expected x11 or wayland", missing, "a bad session")
    check(not os.path.exists(os.path.dirname(unwritable)), "missing folder: it is not created")
    fails(capture(folder), 1, "cannot save the picture to \"%s\": Is a directory" % folder,
          missing, "a folder as FILE")
    fails(capture("/proc/self/status"), 1, "cannot save the picture to \"/proc/self/status\": "
          "it is a file the kernel provides (the proc file system), not an ordinary file",
          missing, "a file of /proc")
    fails(capture("--geometry", "--help", missing), 2,
          "--geometry needs a value, not the option \"--help\" (see tessarine --help)", missing,
          "an option as a value")
    fails(capture("--geometry", "99999999999x1+0+0", missing), 2,
          "bad geometry \"99999999999x1+0+0\": the number 99999999999 is too large "
          "(see tessarine --help)", missing, "a number too large")
    # A file-size limit (ulimit -f 100) fails the write, with the reason.
    limited = os.path.join(folder, "limited.bmp")
    fails(subprocess.run([xtest.TESSARINE, "--capture", limited], capture_output=True, text=True,
                         timeout=30, preexec_fn=lambda: resource.setrlimit(
                             resource.RLIMIT_FSIZE, (100 * 1024, resource.RLIM_INFINITY))),
          1, "cannot save the picture to \"%s\": File too large" % limited, limited,
          "ulimit -f 100")
    for option in ("--help", "--version"):
        with open("/dev/full", "w") as full:
            result = subprocess.run([xtest.TESSARINE, option], stdout=full, capture_output=False,
                                    stderr=subprocess.PIPE, text=True, timeout=30)
        check(result.returncode == 1 and result.stderr ==
              "tessarine: cannot write to standard output: No space left on device\n",
              "%s to a full device: status %d, %r" % (option, result.returncode, result.stderr))
    # FILE "-": the picture on standard output, for a pipe; never to a
    # terminal, and a reader that goes early is a failure in one line.
    piped = subprocess.run([xtest.TESSARINE, "--capture", "-"], capture_output=True, cwd=folder,
                           timeout=30)
    with open(os.path.join(folder, "piped.bmp"), "wb") as f:
        f.write(piped.stdout)
    check(piped.returncode == 0 and not os.path.exists(os.path.join(folder, "-")),
          "--capture -: status %d, %r" % (piped.returncode, piped.stderr))
    screen_matches(os.path.join(folder, "piped.bmp"), 0, 0, width, height, "--capture -")
    os.remove(os.path.join(folder, "piped.bmp"))
    _, terminal = os.openpty()
    result = subprocess.run([xtest.TESSARINE, "--capture", "-"], stdout=terminal,
                            stderr=subprocess.PIPE, text=True, timeout=30)
    check(result.returncode == 2 and "is a terminal here" in result.stderr,
          "--capture - to a terminal: %d %r" % (result.returncode, result.stderr))
    reader, writer = os.pipe()
    os.close(reader)
    result = subprocess.run([xtest.TESSARINE, "--capture", "-"], stdout=writer,
                            stderr=subprocess.PIPE, text=True, timeout=30)
    os.close(writer)
    check(result.returncode == 1 and result.stderr ==
          "tessarine: cannot write the picture to standard output: Broken pipe\n",
          "--capture - into a closed pipe: %d %r" % (result.returncode, result.stderr))
    check(sorted(os.listdir(folder)) == ["active.bmp", "corner.bmp", "part.bmp", "screen.bmp"],
          "failed writes leave no temporary files: %s" % sorted(os.listdir(folder)))
finally:
    pattern.stop()

# With the last window gone, no window is in front (openbox goes on naming
# the closed window as the active one).
xtest.wait_for(lambda: not xtest.find_windows("^CliPattern$"))
missing = os.path.join(folder, "nothing.bmp")
fails(capture("--active", missing), 1,
      "no window is in the foreground (the window that was in front has closed)", missing,
      "no foreground window")

# A name cannot forge a line of ours, and a platform Qt lacks is a usage
# mistake said in one line, not an abort.
forged = os.path.join(folder, "x\ntessarine: wrote shot.png", "a.bmp")
result = capture(forged)
check(result.returncode == 1 and result.stderr.count("\n") == 1 and "x\\ntessarine" in result.stderr,
      "a name with a newline: status %d, %r" % (result.returncode, result.stderr))
# Nor can a template's name, printed for scripts.
result = capture(os.path.join(folder, "t%n.bmp"))
check(result.returncode == 1 and result.stdout == "" and "control character" in result.stderr
      and not os.path.exists(os.path.join(folder, "t\n.bmp")),
      "a template with %%n: status %d, %r" % (result.returncode, result.stderr))
result = subprocess.run([xtest.TESSARINE, "-platform", "bogus"], capture_output=True, text=True,
                        timeout=30)
check(result.returncode == 2 and result.stderr.startswith(
      "tessarine: cannot start the user interface: there is no platform \"bogus\"; Qt has ")
      and result.stderr.count("\n") == 1,
      "-platform bogus: status %d, %r" % (result.returncode, result.stderr))

shutil.rmtree(folder)
xtest.finish()
