"""The Wayland row of bench/run.sh, inside the headless sway session that
tests/system/with_sway.sh provides: a full-screen capture to a file through
the desktop portal, whole process, against grim and against a bare portal
round trip, run in turn round after round; then the same to a PNG file.
Prints Markdown table rows.

BENCH_SCENE=photo shows ImageMagick's `plasma:fractal` (seed 7) instead of
the test pattern; BENCH_BEFORE names another build's `tessarine` to run in
the same rounds; TESS_SWAY_OUTPUT (with_sway.sh) sets the output's size."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_bench import alternate  # noqa: E402

BUILD = os.environ["BENCH_BUILD"]
FOLDER = os.environ.get("TESS_BENCH_DIR") or os.environ["SESSION_USER_DIR"]
RUNS = max(20, int(os.environ.get("BENCH_RUNS", "21")))


SCENE = os.environ.get("BENCH_SCENE", "pattern")
BEFORE = os.environ.get("BENCH_BEFORE", "")
SIZE = os.environ.get("TESS_SWAY_OUTPUT", "1024x768")


def main():
    show = []
    if SCENE == "photo":
        picture = os.path.join(FOLDER, "w-scene.png")
        subprocess.run(["convert", "-size", SIZE, "-seed", "7", "plasma:fractal", "-depth", "8",
                        picture], check=True)
        show = ["--image", picture]
    pattern = subprocess.Popen([os.path.join(BUILD, "tests", "tess_pattern_window"),
                                "--geometry", SIZE + "+0+0", "--title", "BenchPattern"] + show,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                    "^BenchPattern$"], check=True, stdout=subprocess.DEVNULL, timeout=30)
    subprocess.run(["swaymsg", "[title=BenchPattern] fullscreen enable"], check=True,
                   stdout=subprocess.DEVNULL)
    out = lambda name: os.path.join(FOLDER, name)  # noqa: E731
    tessarine = os.path.join(BUILD, "tessarine")
    try:
        medians = alternate({
            "tessarine --capture": [tessarine, "--capture", out("w-tessarine.bmp")],
            "grim": ["grim", out("w-grim.png")],
            "portal": [os.path.join(BUILD, "bench", "tess_portal_round_trip")],
        }, RUNS)
        png_commands = {"tessarine": [tessarine, "--capture", out("w-tessarine.png")]}
        if BEFORE:
            png_commands["before"] = [BEFORE, "--capture", out("w-before.png")]
        png_commands["portal"] = [os.path.join(BUILD, "bench", "tess_portal_round_trip")]
        png = alternate(png_commands, RUNS)
    finally:
        pattern.terminate()
        pattern.wait()
    ours, portal, grim = medians["tessarine --capture"], medians["portal"], medians["grim"]
    ratio = ours / portal
    print("| Wayland (sway %s, pixman, %s): tessarine --capture | %.2f | bare portal "
          "Screenshot round trip | %.2f | %.2f | <= 1.20: %s |"
          % (SIZE, SCENE, ours, portal, ratio, "met" if ratio <= 1.2 else "MISSED"))
    print("|   the same | %.2f | grim (PNG file) | %.2f | %.2f |  |" % (ours, grim, ours / grim))
    ratio = png["tessarine"] / png["portal"]
    print("| Wayland (sway %s, %s): tessarine --capture x.png | %.2f | bare portal "
          "Screenshot round trip | %.2f | %.2f | <= 1.20: %s |"
          % (SIZE, SCENE, png["tessarine"], png["portal"], ratio, "met" if ratio <= 1.2
             else "MISSED"))
    if BEFORE:
        print("|   before | %.2f | the same | %.2f | %.2f |  |"
              % (png["before"], png["portal"], png["before"] / png["portal"]))


if __name__ == "__main__":
    main()
