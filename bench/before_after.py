"""Two builds of Tessarine measured in one interleaved run, on the X display
bench/before_after.sh provides: each round runs the before build, then the
after build, so that the machine's load falls on both alike.

Measures the bitmap and PNG command line, start-up to the main window
mapped, and Print to the preview drawn. Prints a Markdown table of medians
and after/before ratios.

Environment: BENCH_BUILD (the after build, whose bench tools measure both),
BEFORE_BUILD, BENCH_RUNS, TESS_BENCH_DIR.
"""

import os
import statistics
import subprocess
import sys
import time

import run_bench
from run_bench import HEIGHT, WIDTH, alternate, timed

BUILDS = {"before": os.environ["BEFORE_BUILD"], "after": os.environ["BENCH_BUILD"]}
RUNS = run_bench.RUNS
FOLDER = run_bench.FOLDER


def program(build):
    return os.path.join(build, "tessarine")


def command_line(extension):
    commands = {}
    for name, build in BUILDS.items():
        out = os.path.join(FOLDER, "x-%s.%s" % (name, extension))
        commands[name] = [program(build), "--capture", out]
    medians = alternate(commands, RUNS)
    for name in BUILDS:
        with open(os.path.join(FOLDER, "x-%s.%s" % (name, extension)), "rb") as f:
            if len(f.read()) < 1024:
                sys.exit("before_after: the %s build wrote no %s file" % (name, extension))
    return medians


def startup():
    watch = os.path.join(run_bench.BENCH, "tess_map_watch")

    def mapped(build):
        def run():
            out = subprocess.run([watch, "Tessarine", program(build)], check=True,
                                 capture_output=True, text=True).stdout
            time.sleep(0.2)  # let the window manager forget the window
            return float(out)
        return run

    return alternate({name: mapped(build) for name, build in BUILDS.items()}, RUNS, warmup=1)


def print_to_preview():
    """Five rounds of 15 presses each, the builds taking turns; the median
    of each build's round medians."""
    tool = os.path.join(run_bench.BENCH, "tess_print_to_preview")
    photo = os.path.join(FOLDER or "/tmp", "print-photo.png")
    subprocess.run(["convert", "-size", "%dx%d" % (WIDTH, HEIGHT), "-seed", "7", "plasma:fractal",
                    "-depth", "8", photo], check=True)
    scene = subprocess.Popen([run_bench.PATTERN, "--geometry", "%dx%d+0+0" % (WIDTH, HEIGHT),
                              "--frameless", "--title", "BenchPhoto", "--image", photo],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    medians = {name: [] for name in BUILDS}
    try:
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^BenchPhoto$"],
                       check=True, stdout=subprocess.DEVNULL, timeout=30)
        for _ in range(5):
            for name, build in BUILDS.items():
                out = subprocess.run([tool, "15", program(build)], check=True,
                                     capture_output=True, text=True, timeout=300).stdout
                medians[name] += [float(line.split()[1]) for line in out.splitlines()
                                  if line.startswith("print_to_preview_ms ")]
    finally:
        scene.terminate()
        scene.wait()
    return {name: statistics.median(values) for name, values in medians.items()}


def main():
    pattern = subprocess.Popen([run_bench.PATTERN, "--geometry", "%dx%d+0+0" % (WIDTH, HEIGHT),
                                "--frameless", "--title", "BenchPattern"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                        "^BenchPattern$"], check=True, stdout=subprocess.DEVNULL, timeout=30)
        print("Machine: " + run_bench.machine())
        print("Screen: Xvfb %dx%dx24 with openbox; median of %d runs, builds interleaved"
              % (WIDTH, HEIGHT, RUNS))
        sys.stdout.flush()
        rows = [("Screen to bitmap file, tessarine --capture x.bmp", command_line("bmp")),
                ("Screen to PNG file, tessarine --capture x.png", command_line("png")),
                ("Start-up to main window mapped", startup())]
    finally:
        pattern.terminate()
        pattern.wait()
    rows.append(("Print to preview drawn (photograph)", print_to_preview()))

    print()
    print("| Measurement | Before ms | After ms | After / before |")
    print("|---|---:|---:|---:|")
    for what, ms in rows:
        print("| %s | %.2f | %.2f | %.2f |" % (what, ms["before"], ms["after"],
                                              ms["after"] / ms["before"]))


if __name__ == "__main__":
    main()
