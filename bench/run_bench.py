"""The measurements behind bench/run.sh, on the X display it provides.

Every comparison runs its commands in turn, round after round, so that a
change in the machine's load falls on all of them alike; each figure is the
median of BENCH_RUNS runs. Prints the machine and a Markdown table.
"""

import json
import os
import platform
import statistics
import subprocess
import sys
import time

BUILD = os.environ["BENCH_BUILD"]
RUNS = max(20, int(os.environ.get("BENCH_RUNS", "21")))
FOLDER = os.environ.get("TESS_BENCH_DIR", "")
WIDTH, HEIGHT = 1920, 1080
TESSARINE = os.path.join(BUILD, "tessarine")
PATTERN = os.path.join(BUILD, "tests", "tess_pattern_window")
BENCH = os.path.join(BUILD, "bench")
BMP_BYTES = 54 + ((WIDTH * 3 + 3) // 4 * 4) * HEIGHT


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as f:
        mem_kib = int(f.readline().split()[1])
    return "%d CPUs (nproc), %s, %.1f GiB memory, Linux %s" % (
        os.cpu_count(), model, mem_kib / 1024 / 1024, platform.release())


def timed(cmd):
    start = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return (time.perf_counter() - start) * 1000


def alternate(commands, rounds, warmup=2):
    """Median wall time in ms of each named command, run in turn."""
    samples = {name: [] for name in commands}
    for i in range(warmup + rounds):
        for name, cmd in commands.items():
            t = cmd() if callable(cmd) else timed(cmd)
            if i >= warmup:
                samples[name].append(t)
    return {name: statistics.median(s) for name, s in samples.items()}


def check_file(path):
    size = os.path.getsize(path)
    if size < BMP_BYTES:
        sys.exit("run_bench: %s holds %d bytes, fewer than a %dx%d bitmap" %
                 (path, size, WIDTH, HEIGHT))


def process_capture():
    out = lambda name: os.path.join(FOLDER, "x-%s.bmp" % name)
    commands = {
        "tessarine --capture": [TESSARINE, "--capture", out("tessarine")],
        "scrot -o": ["scrot", "-o", out("scrot")],
        "maim -u -f bmp": ["maim", "-u", "-f", "bmp", out("maim")],
        "import -window root BMP3:": ["import", "-window", "root", "BMP3:" + out("import")],
    }
    medians = alternate(commands, RUNS)
    for name in ("tessarine", "scrot", "maim", "import"):
        check_file(out(name))
    return medians


def process_png():
    """Whole-process captures to PNG: medians in ms, and each file's size."""
    out = lambda name: os.path.join(FOLDER, "x-%s.png" % name)
    commands = {
        "tessarine --capture x.png": [TESSARINE, "--capture", out("tessarine")],
        "maim x.png": ["maim", out("maim")],
        "scrot -o x.png": ["scrot", "-o", out("scrot")],
    }
    medians = alternate(commands, RUNS)
    sizes = {}
    for name in commands:
        path = out(name.split()[0])
        with open(path, "rb") as f:
            if f.read(8) != b"\x89PNG\r\n\x1a\n":
                sys.exit("run_bench: %s is not a PNG file" % path)
        sizes[name] = os.path.getsize(path)
    return medians, sizes


def micro():
    result = subprocess.run(
        [os.path.join(BENCH, "tess_micro_bench"), "--benchmark_format=json",
         "--benchmark_repetitions=%d" % RUNS, "--benchmark_enable_random_interleaving=true",
         "--benchmark_report_aggregates_only=true"],
        check=True, capture_output=True, text=True)
    data = json.loads(result.stdout)
    medians = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            if b.get("error_occurred"):
                sys.exit("run_bench: %s failed: %s" % (b["run_name"], b.get("error_message")))
            scale = {"ms": 1.0, "us": 1e-3, "ns": 1e-6}[b["time_unit"]]
            medians[b["run_name"]] = b["real_time"] * scale
            if "bytes" in b:
                medians[b["run_name"] + ":bytes"] = b["bytes"]
    return medians


def handler():
    out = subprocess.run([os.path.join(BENCH, "tess_handler_bench"), str(RUNS)], check=True,
                         capture_output=True, text=True).stdout
    for line in out.splitlines():
        if line.startswith("handler_ms "):
            return float(line.split()[1])
    sys.exit("run_bench: no result from tess_handler_bench")


def print_to_preview():
    """Print pressed to the main window back with its preview drawn, in ms:
    the median of three runs of tess_print_to_preview (15 presses each) over
    a photograph shown full-screen. None when the tool was not built."""
    tool = os.path.join(BENCH, "tess_print_to_preview")
    if not os.path.exists(tool):
        print("run_bench: no %s (libxcb-xtest0-dev, libxcb-damage0-dev): row left out" % tool)
        return None
    photo = os.path.join(FOLDER or "/tmp", "print-photo.png")
    subprocess.run(["convert", "-size", "%dx%d" % (WIDTH, HEIGHT), "-seed", "7", "plasma:fractal",
                    "-depth", "8", photo], check=True)
    scene = subprocess.Popen([PATTERN, "--geometry", "%dx%d+0+0" % (WIDTH, HEIGHT), "--frameless",
                              "--title", "BenchPhoto", "--image", photo],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    medians = []
    try:
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^BenchPhoto$"],
                       check=True, stdout=subprocess.DEVNULL, timeout=30)
        time.sleep(0.5)
        for _ in range(3):
            out = subprocess.run([tool, "15", TESSARINE], check=True, capture_output=True,
                                 text=True, timeout=300).stdout
            medians += [float(line.split()[1]) for line in out.splitlines()
                        if line.startswith("print_to_preview_ms ")]
    finally:
        scene.terminate()
        scene.wait()
    if len(medians) != 3:
        sys.exit("run_bench: no result from tess_print_to_preview")
    return statistics.median(medians)


def startup():
    watch = os.path.join(BENCH, "tess_map_watch")

    def mapped(name, program):
        def run():
            out = subprocess.run([watch, name, program], check=True, capture_output=True,
                                 text=True).stdout
            time.sleep(0.2)  # let the window manager forget the window
            return float(out)
        return run

    return alternate({
        "tessarine": mapped("Tessarine", TESSARINE),
        "bare": mapped("Bare Qt window", os.path.join(BENCH, "tess_bare_window")),
    }, RUNS, warmup=1)


def main():
    pattern = subprocess.Popen([PATTERN, "--geometry", "%dx%d+0+0" % (WIDTH, HEIGHT),
                                "--frameless", "--title", "BenchPattern"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                        "^BenchPattern$"], check=True, stdout=subprocess.DEVNULL, timeout=30)
        time.sleep(0.5)
        print("Machine: " + machine())
        print("Screen: Xvfb %dx%dx24 with openbox; captures written to %s; median of %d runs"
              % (WIDTH, HEIGHT, FOLDER, RUNS))
        sys.stdout.flush()
        proc = process_capture()
        png, png_sizes = process_png()
        micro_ms = micro()
        handler_ms = handler()
        start = startup()
        print_ms = print_to_preview()
    finally:
        pattern.terminate()
        pattern.wait()

    rows = []

    def row(what, ms, against="", against_ms=None, target=None, ratio=None):
        if ratio is None and against_ms:
            ratio = ms / against_ms
        verdict = ""
        if target is not None:
            verdict = "%s %.2f: %s" % ("<=", target, "met" if ratio <= target else "MISSED")
        rows.append((what, "%.2f" % ms, against, "" if against_ms is None else "%.2f" % against_ms,
                     "" if ratio is None else "%.2f" % ratio, verdict))

    others = {k: v for k, v in proc.items() if not k.startswith("tessarine")}
    fastest = min(others, key=others.get)
    row("Screen to bitmap file, whole process: tessarine --capture",
        proc["tessarine --capture"], "fastest other: " + fastest, others[fastest], 0.5)
    for name in others:
        row("  " + name, others[name])
    png_others = {k: v for k, v in png.items() if not k.startswith("tessarine")}
    png_fastest = min(png_others, key=png_others.get)
    row("Screen to PNG file, whole process: tessarine --capture x.png",
        png["tessarine --capture x.png"], "fastest other: " + png_fastest,
        png_others[png_fastest], 0.5)
    for name in png_others:
        row("  " + name, png_others[name])
    tess_bytes = png_sizes["tessarine --capture x.png"]
    rows.append(("PNG file size, bytes: tessarine (maim %d, scrot %d)"
                 % (png_sizes["maim x.png"], png_sizes["scrot -o x.png"]), "%d" % tess_bytes,
                 "maim", "%d" % png_sizes["maim x.png"],
                 "%.2f" % (tess_bytes / png_sizes["maim x.png"]),
                 "<= 1.30: %s" % ("met" if tess_bytes <= 1.3 * png_sizes["maim x.png"]
                                  else "MISSED")))
    for scene in ("Pattern", "Text"):
        ours = micro_ms["Png/Encode/" + scene + ":bytes"]
        theirs = micro_ms["Png/LibpngDefaults/" + scene + ":bytes"]
        row("PNG encode, %s screen (%d bytes; libpng defaults %d)"
            % (scene.lower(), ours, theirs), micro_ms["Png/Encode/" + scene],
            "libpng defaults", micro_ms["Png/LibpngDefaults/" + scene])
    row("Screen read, X11ScreenReader::read", micro_ms["ScreenRead/Reader"],
        "bare MIT-SHM GetImage", micro_ms["ScreenRead/ShmFloor"], 2.0)
    row("Screen capture, CreateDCA..BitBlt into a new bitmap", micro_ms["ScreenCapture"],
        "bare MIT-SHM GetImage", micro_ms["ScreenRead/ShmFloor"])
    row("StretchBlt 1920x1080 to 482x378, nearest", micro_ms["Stretch/Nearest"])
    row("StretchBlt 1920x1080 to 482x378, HALFTONE", micro_ms["Stretch/Halftone"])
    row("Crop, mapping and both copies", micro_ms["Crop"])
    row("Bitmap encode", micro_ms["Bitmap/Encode"])
    row("Bitmap write, WriteBitmapFile (encode, write, fsync, rename)",
        micro_ms["Bitmap/WriteFile"], "plain write()", micro_ms["Bitmap/PlainWrite"], 1.5)
    row("  the same", micro_ms["Bitmap/WriteFile"], "plain write() + fsync()",
        micro_ms["Bitmap/PlainWriteFsync"])
    row("  encode + plain write()", micro_ms["Bitmap/EncodeThenPlainWrite"], "plain write()",
        micro_ms["Bitmap/PlainWrite"])
    row("Full-screen handler, work besides its 100 ms pause", handler_ms,
        "the 100 ms pause", 100.0, 1.15, ratio=(handler_ms + 100.0) / 100.0)
    if print_ms is not None:
        row("Print to preview drawn (XTEST to last Damage, photograph)", print_ms,
            "the 100 ms pause", 100.0, 1.15)
    row("Start-up to main window mapped", start["tessarine"], "bare Qt 6 window",
        start["bare"], 1.5)

    header = ("Measurement", "Median ms", "Compared with", "Its median ms", "Ratio", "Target")
    print()
    print("| " + " | ".join(header) + " |")
    print("|" + "|".join(["---", "---:", "---", "---:", "---:", "---"]) + "|")
    for r in rows:
        print("| " + " | ".join(r) + " |")
    missed = [r[0] for r in rows if r[5].endswith("MISSED")]
    print()
    print("Targets missed: " + (", ".join(m.strip() for m in missed) if missed else "none"))


if __name__ == "__main__":
    main()
