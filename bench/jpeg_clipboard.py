"""JPEG files and --clipboard beside scrot's and maim's JPEG, in one run on
the X display bench/run.sh provides (1920 x 1080, the test pattern full
screen). Prints a Markdown table of medians and ratios."""

import os
import subprocess
import sys
import time

from run_bench import FOLDER, HEIGHT, PATTERN, RUNS, TESSARINE, WIDTH, alternate, machine


def main():
    pattern = subprocess.Popen([PATTERN, "--geometry", "%dx%d+0+0" % (WIDTH, HEIGHT),
                                "--frameless", "--title", "BenchPattern"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = lambda name: os.path.join(FOLDER, "j-%s.jpg" % name)
    try:
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                        "^BenchPattern$"], check=True, stdout=subprocess.DEVNULL, timeout=30)
        time.sleep(0.5)
        print("Machine: " + machine())
        print("Screen: Xvfb %dx%dx24 with openbox; median of %d runs" % (WIDTH, HEIGHT, RUNS))
        commands = {
            "tessarine --capture x.jpg": [TESSARINE, "--capture", out("tessarine")],
            "tessarine --capture --clipboard": [TESSARINE, "--capture", "--clipboard"],
            "scrot -o x.jpg": ["scrot", "-o", out("scrot")],
            "maim -f jpg x.jpg": ["maim", "-f", "jpg", out("maim")],
        }
        medians = alternate(commands, RUNS)
        sizes = {}
        for name in ("tessarine", "scrot", "maim"):
            with open(out(name), "rb") as f:
                if f.read(3) != b"\xff\xd8\xff":
                    sys.exit("jpeg_clipboard: %s is not a JPEG file" % out(name))
            sizes[name] = os.path.getsize(out(name))
    finally:
        pattern.terminate()
        pattern.wait()
        # The clipboard's serving process ends once something else is copied.
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=b"", timeout=10)

    others = {k: v for k, v in medians.items() if not k.startswith("tessarine")}
    fastest = min(others, key=others.get)
    print()
    print("| Measurement | Median ms | Compared with | Its median ms | Ratio | Target |")
    print("|---|---:|---|---:|---:|---|")
    for ours in ("tessarine --capture x.jpg", "tessarine --capture --clipboard"):
        ratio = medians[ours] / others[fastest]
        print("| %s | %.2f | fastest other: %s | %.2f | %.2f | <= 0.50: %s |"
              % (ours, medians[ours], fastest, others[fastest], ratio,
                 "met" if ratio <= 0.5 else "MISSED"))
    for name in others:
        print("|   %s | %.2f |  |  |  |  |" % (name, others[name]))
    print("| JPEG file size, bytes: tessarine (quality 90; scrot %d, maim %d) | %d |  |  |  |  |"
          % (sizes["scrot"], sizes["maim"], sizes["tessarine"]))


if __name__ == "__main__":
    main()
