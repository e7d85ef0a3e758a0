"""Whole-process PNG captures against scrot, maim and flameshot, on the X
display that tests/system/with_x.sh provides, for bench/run.sh and
bench/png.sh.

For each scene (BENCH_SCENES, comma-separated, of: pattern, the test
pattern window; photo, ImageMagick's `plasma:fractal` with seed 7; text, a
page of this project's README drawn by ImageMagick; gradient, red = x mod
256 and green = y mod 256; desktop, a picture of this display with the
photo as wallpaper and two KDE windows, taken once with ImageMagick's
`import`) shown full-screen, the commands run in turn round after round
(BENCH_RUNS rounds, default 15), and each figure is a median. Whole screen
and an 800 x 600 region. With BENCH_BEFORE naming another build's
`tessarine`, it runs in the same rounds as "before". Prints a Markdown
table: times, ratios to scrot, file sizes and their ratio to the smallest
of scrot's, maim's and flameshot's.

flameshot (when installed) runs as its users run it: its daemon started
once, on a private D-Bus session bus (bench/flameshot_bus.conf: no
activatable services, so that its wait for a notification service fails at
once) with its settings in a scratch folder (no desktop notification, no
tray icon); each capture is `flameshot full -p FILE`, which asks the daemon
over D-Bus and returns once the file is saved.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from run_bench import alternate, timed

BUILD = os.environ["BENCH_BUILD"]
RUNS = int(os.environ.get("BENCH_RUNS", "15"))
FOLDER = os.environ.get("TESS_BENCH_DIR") or tempfile.mkdtemp(prefix="tess-png.", dir="/dev/shm")
SCENES = os.environ.get("BENCH_SCENES", "pattern,photo,text,gradient,desktop").split(",")
BEFORE = os.environ.get("BENCH_BEFORE", "")
TESSARINE = os.path.join(BUILD, "tessarine")
PATTERN = os.path.join(BUILD, "tests", "tess_pattern_window")
HERE = os.path.dirname(os.path.abspath(__file__))
README = os.path.join(HERE, "..", "README.md")
FLAMESHOT = shutil.which("flameshot")


def screen_size():
    out = subprocess.run(["xdpyinfo"], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        if "dimensions:" in line:
            w, h = line.split()[1].split("x")
            return int(w), int(h)
    sys.exit("png_bench: no screen size from xdpyinfo")


def write_gradient(path, width, height):
    """Red x mod 256, green y mod 256: every pixel one step from its
    neighbours."""
    red = bytes(v for x in range(width) for v in (x & 0xFF, 0, 0))
    raw = bytearray()
    for y in range(height):
        row = bytearray(red)
        row[1::3] = bytes([y & 0xFF]) * width
        raw += b"\0" + row
    chunk = lambda kind, data: (struct.pack(">I", len(data)) + kind + data +
                                struct.pack(">I", zlib.crc32(kind + data)))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))


def wait_for_window(how, name, seconds=30):
    """Waits for a visible window with this --class or --name; xdotool fails
    (BadWindow) when another window goes away during its search, so that is
    tried again."""
    deadline = time.monotonic() + seconds
    while subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", how, name],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         timeout=seconds).returncode != 0:
        if time.monotonic() > deadline:
            sys.exit("png_bench: no window %s %s" % (how, name))
        time.sleep(0.1)


def take_desktop(path, width, height):
    """This display with the photo as wallpaper and two real windows (a KDE
    font viewer showing text, a colour-scheme editor), as ImageMagick's
    `import` sees it."""
    wallpaper = scene_picture("photo", width, height)
    started = [subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
               for cmd in (["display", "-window", "root", wallpaper],
                           ["kfontview", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"],
                           ["kcolorschemeeditor"])]
    try:
        for name_class, place in (("kfontview", (40, 40, width * 55 // 100, height * 80 // 100)),
                                  ("kcolorschemeeditor",
                                   (width // 2, height // 4, width * 45 // 100, height * 65 // 100))):
            wait_for_window("--class", name_class)
            x, y, w, h = place
            subprocess.run(["xdotool", "search", "--onlyvisible", "--class", name_class,
                            "windowmove", "%@", str(x), str(y), "windowsize", "%@", str(w),
                            str(h)], check=True, timeout=30)
        time.sleep(2)  # the windows' redraw after the resize
        subprocess.run(["import", "-window", "root", "-depth", "8", path], check=True, timeout=60)
    finally:
        for process in started:
            process.terminate()
            process.wait()


def scene_picture(scene, width, height):
    """The picture file the scene shows, or None for the pattern."""
    if scene == "pattern":
        return None
    path = os.path.join(FOLDER, "scene-%s.png" % scene)
    if os.path.exists(path):
        return path
    if scene == "gradient":
        write_gradient(path, width, height)
        return path
    if scene == "desktop":
        take_desktop(path, width, height)
        return path
    if scene == "photo":
        cmd = ["convert", "-size", "%dx%d" % (width, height), "-seed", "7", "plasma:fractal"]
    else:
        with open(README) as f:
            text = f.read(9000).replace("%", "")
        cmd = ["convert", "-size", "%dx%d" % (width, height), "xc:#f4f4f4", "-font",
               "DejaVu-Sans", "-pointsize", "13", "-fill", "#202020", "-annotate", "+12+18", text]
    subprocess.run(cmd + ["-depth", "8", path], check=True)
    return path


def commands(region):
    out = lambda name: os.path.join(FOLDER, "%s%s.png" % (name, "-region" if region else ""))
    geometry = ["--geometry", "800x600+0+0"] if region else []
    cmds = {"tessarine": [TESSARINE, "--capture"] + geometry + [out("tessarine")]}
    if BEFORE:
        cmds["before"] = [BEFORE, "--capture"] + geometry + [out("before")]
    cmds["scrot"] = ["scrot", "-o"] + (["-a", "0,0,800,600"] if region else []) + [out("scrot")]
    cmds["maim"] = ["maim", "-u"] + (["-g", "800x600+0+0"] if region else []) + [out("maim")]
    if FLAMESHOT:
        flameshot = ["flameshot", "full", "-p", out("flameshot")] + (
            ["--region", "800x600+0+0"] if region else [])
        cmds["flameshot"] = lambda: fresh_file(out("flameshot"), flameshot)
    return cmds, out


def fresh_file(path, cmd):
    """timed(cmd) after removing `path`: flameshot saves beside a file that
    is there already rather than replacing it."""
    if os.path.exists(path):
        os.remove(path)
    return timed(cmd)


def start_flameshot():
    """flameshot's daemon on a private session bus, or None without
    flameshot. Sets the environment its captures need."""
    if not FLAMESHOT:
        return None
    settings = os.path.join(FOLDER, "flameshot-config")
    os.makedirs(os.path.join(settings, "flameshot"), exist_ok=True)
    with open(os.path.join(settings, "flameshot", "flameshot.ini"), "w") as f:
        f.write("[General]\nshowDesktopNotification=false\ndisabledTrayIcon=true\n"
                "showStartupLaunchMessage=false\n")
    runtime = os.path.join(FOLDER, "flameshot-runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    os.environ.update(XDG_CONFIG_HOME=settings, XDG_RUNTIME_DIR=runtime)
    bus = subprocess.Popen(["dbus-daemon", "--print-address=1", "--nofork", "--config-file",
                            os.path.join(HERE, "flameshot_bus.conf")],
                           stdout=subprocess.PIPE, text=True)
    os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    daemon = subprocess.Popen(["flameshot"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Ready once it answers a capture.
    probe = os.path.join(FOLDER, "flameshot-probe.png")
    subprocess.run(["flameshot", "full", "-p", probe], check=True, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return [daemon, bus]


def measure(scene, width, height):
    picture = scene_picture(scene, width, height)
    show = [PATTERN, "--geometry", "%dx%d+0+0" % (width, height), "--frameless", "--title",
            "BenchScene"] + (["--image", picture] if picture else [])
    window = subprocess.Popen(show, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    rows = []
    try:
        wait_for_window("--name", "^BenchScene$")
        time.sleep(0.5)
        for region in (False, True):
            cmds, out = commands(region)
            medians = alternate(cmds, RUNS)
            sizes = {name: os.path.getsize(out(name)) for name in cmds}
            smallest = min(sizes[name] for name in ("scrot", "maim", "flameshot") if name in sizes)
            what = "%s %s" % (scene, "800x600 region" if region else "%dx%d" % (width, height))
            for name in cmds:
                rows.append((what, name, medians[name], medians[name] / medians["scrot"],
                             sizes[name], sizes[name] / smallest))
    finally:
        window.terminate()
        window.wait()
    return rows


def main():
    width, height = screen_size()
    print("png_bench: %d rounds, files in %s, %d CPUs" % (RUNS, FOLDER, os.cpu_count()))
    print()
    print("| Scene | Command | Median ms | x scrot | Bytes | x smallest other |")
    print("|---|---|---:|---:|---:|---:|")
    flameshot = start_flameshot()
    try:
        for scene in SCENES:
            for what, name, ms, ratio, size, size_ratio in measure(scene, width, height):
                print("| %s | %s | %.1f | %.2f | %d | %.3f |" % (what, name, ms, ratio, size,
                                                                 size_ratio))
                sys.stdout.flush()
    finally:
        for process in flameshot or []:
            process.terminate()
            process.wait()


if __name__ == "__main__":
    main()
