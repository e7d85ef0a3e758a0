"""The Wayland row of bench/run.sh, inside the headless sway session that
tests/system/with_sway.sh provides: a full-screen capture to a file through
the desktop portal, whole process, against grim and against a bare portal
round trip, run in turn round after round. Prints Markdown table rows."""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from run_bench import alternate  # noqa: E402

BUILD = os.environ["BENCH_BUILD"]
FOLDER = os.environ.get("TESS_BENCH_DIR") or os.environ["SESSION_USER_DIR"]
RUNS = max(20, int(os.environ.get("BENCH_RUNS", "21")))


def main():
    pattern = subprocess.Popen([os.path.join(BUILD, "tests", "tess_pattern_window"),
                                "--geometry", "1024x768+0+0", "--title", "BenchPattern"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                    "^BenchPattern$"], check=True, stdout=subprocess.DEVNULL, timeout=30)
    subprocess.run(["swaymsg", "[title=BenchPattern] fullscreen enable"], check=True,
                   stdout=subprocess.DEVNULL)
    out = lambda name: os.path.join(FOLDER, name)  # noqa: E731
    try:
        medians = alternate({
            "tessarine --capture": [os.path.join(BUILD, "tessarine"), "--capture",
                                    out("w-tessarine.bmp")],
            "grim": ["grim", out("w-grim.png")],
            "portal": [os.path.join(BUILD, "bench", "tess_portal_round_trip")],
        }, RUNS)
    finally:
        pattern.terminate()
        pattern.wait()
    ours, portal, grim = medians["tessarine --capture"], medians["portal"], medians["grim"]
    ratio = ours / portal
    print("| Wayland (sway 1024x768, pixman): tessarine --capture | %.2f | bare portal "
          "Screenshot round trip | %.2f | %.2f | <= 1.20: %s |"
          % (ours, portal, ratio, "met" if ratio <= 1.2 else "MISSED"))
    print("|   the same | %.2f | grim (PNG file) | %.2f | %.2f |  |" % (ours, grim, ours / grim))


if __name__ == "__main__":
    main()
