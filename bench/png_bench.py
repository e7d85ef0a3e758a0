"""Whole-process PNG captures against scrot and maim, on the X display that
tests/system/with_x.sh provides, for bench/run.sh and bench/png.sh.

For each scene (BENCH_SCENES, comma-separated, of: pattern, the test
pattern window; photo, ImageMagick's `plasma:fractal` with seed 7; text, a
page of this project's README drawn by ImageMagick) shown full-screen, the
commands run in turn round after round (BENCH_RUNS rounds, default 15), and
each figure is a median. Whole screen and an 800 x 600 region. With
BENCH_BEFORE naming another build's `tessarine`, it runs in the same rounds
as "before". Prints a Markdown table: times, ratios to scrot, file sizes
and their ratio to maim's.
"""

import os
import subprocess
import sys
import tempfile
import time

from run_bench import alternate

BUILD = os.environ["BENCH_BUILD"]
RUNS = int(os.environ.get("BENCH_RUNS", "15"))
FOLDER = os.environ.get("TESS_BENCH_DIR") or tempfile.mkdtemp(prefix="tess-png.", dir="/dev/shm")
SCENES = os.environ.get("BENCH_SCENES", "pattern,photo,text").split(",")
BEFORE = os.environ.get("BENCH_BEFORE", "")
TESSARINE = os.path.join(BUILD, "tessarine")
PATTERN = os.path.join(BUILD, "tests", "tess_pattern_window")
README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "README.md")


def screen_size():
    out = subprocess.run(["xdpyinfo"], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        if "dimensions:" in line:
            w, h = line.split()[1].split("x")
            return int(w), int(h)
    sys.exit("png_bench: no screen size from xdpyinfo")


def scene_picture(scene, width, height):
    """The picture file the scene shows, or None for the pattern."""
    if scene == "pattern":
        return None
    path = os.path.join(FOLDER, "scene-%s.png" % scene)
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
    return cmds, out


def measure(scene, width, height):
    picture = scene_picture(scene, width, height)
    show = [PATTERN, "--geometry", "%dx%d+0+0" % (width, height), "--frameless", "--title",
            "BenchScene"] + (["--image", picture] if picture else [])
    window = subprocess.Popen(show, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    rows = []
    try:
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^BenchScene$"],
                       check=True, stdout=subprocess.DEVNULL, timeout=30)
        time.sleep(0.5)
        for region in (False, True):
            cmds, out = commands(region)
            medians = alternate(cmds, RUNS)
            sizes = {name: os.path.getsize(out(name)) for name in cmds}
            what = "%s %s" % (scene, "800x600 region" if region else "%dx%d" % (width, height))
            for name in cmds:
                rows.append((what, name, medians[name], medians[name] / medians["scrot"],
                             sizes[name], sizes[name] / sizes["maim"]))
    finally:
        window.terminate()
        window.wait()
    return rows


def main():
    width, height = screen_size()
    print("png_bench: %d rounds, files in %s, %d CPUs" % (RUNS, FOLDER, os.cpu_count()))
    print()
    print("| Scene | Command | Median ms | x scrot | Bytes | x maim |")
    print("|---|---|---:|---:|---:|---:|")
    for scene in SCENES:
        for what, name, ms, ratio, size, size_ratio in measure(scene, width, height):
            print("| %s | %s | %.1f | %.2f | %d | %.2f |" % (what, name, ms, ratio, size,
                                                             size_ratio))
            sys.stdout.flush()


if __name__ == "__main__":
    main()
