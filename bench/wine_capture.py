#!/usr/bin/env python3
"""tessarine.exe --capture x.bmp against the bare GDI capture
(bare_gdi_capture.cpp), whole processes under Wine, run in turn round after
round on a screen showing a pattern; prints each one's median and the
median of the per-round ratios.

    scripts/build_windows.sh && cmake --build build-windows --target tess_bare_gdi_capture
    TESS_WINE_SCREEN=1920x1080x24 tests/windows/with_wine.sh build-windows \\
        python3 bench/wine_capture.py [RUNS]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

BUILD = os.environ.get("BUILD", "build-windows")


def timed(args):
    start = time.perf_counter()
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (time.perf_counter() - start) * 1000


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 21
    folder = tempfile.mkdtemp(prefix="tess-wine-bench-", dir="/dev/shm")
    size = subprocess.run(["xdpyinfo"], capture_output=True, text=True,
                          check=True).stdout.split("dimensions:")[1].split()[0]
    pattern = os.path.join(folder, "pattern.ppm")
    subprocess.run(["convert", "-size", size, "xc:", "+noise", "Random", pattern], check=True)
    shown = subprocess.Popen(["display", "-geometry", size + "+0+0", pattern])
    try:
        commands = {
            "tessarine.exe --capture x.bmp":
                ["wine", os.path.join(BUILD, "tessarine.exe"), "--capture",
                 os.path.join(folder, "a.bmp")],
            "bare BitBlt + GetDIBits + WriteFile":
                ["wine", os.path.join(BUILD, "bench", "tess_bare_gdi_capture.exe"),
                 os.path.join(folder, "b.bmp")],
        }
        for args in commands.values():
            timed(args)  # warm-up: the file cache, Wine's loaded DLLs
        times = {name: [] for name in commands}
        for _ in range(runs):
            for name, args in commands.items():
                times[name].append(timed(args))
        names = list(commands)
        ratios = [a / b for a, b in zip(times[names[0]], times[names[1]])]
        print("screen %s, %d runs each, in turn" % (size, runs))
        for name in names:
            print("%-40s median %8.1f ms  (min %.1f, max %.1f)"
                  % (name, statistics.median(times[name]), min(times[name]), max(times[name])))
        print("ratio, median of the rounds' ratios: %.2f" % statistics.median(ratios))
    finally:
        shown.terminate()
        shown.wait()
        subprocess.run(["rm", "-rf", folder])


if __name__ == "__main__":
    main()
