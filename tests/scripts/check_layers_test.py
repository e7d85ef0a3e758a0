#!/usr/bin/env python3
"""The layer check passes the tree as it is and fails a copy of it with one
forbidden include added, whichever rule that include breaks.

    check_layers_test.py CHECK_SCRIPT SRC_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile

FORBIDDEN = [
    ("platform/raster/gdi.cpp", '#include "ui/main/form1.h"'),  # upward
    ("cli/command_line.cpp", '#include "app/startup.h"'),  # upward, into start-up
    ("platform/x11/windows.cpp", '#include "platform/wayland/session_bus.h"'),  # sibling
    ("capture/screen_grab.cpp", "#include <QImage>"),  # Qt in the program
    ("output/png_file.cpp", '#include "platform/x11/window_hints.h"'),  # a backend
    ("output/png_file.cpp", "#include <windows.h>"),  # Win32 in the program
]


def check(src):
    return subprocess.run([sys.executable, sys.argv[1], src], capture_output=True, text=True)


def main():
    faults = []
    with tempfile.TemporaryDirectory() as scratch:
        src = os.path.join(scratch, "src")
        shutil.copytree(sys.argv[2], src)
        result = check(src)
        if result.returncode != 0:
            faults.append("the tree as it is fails:\n" + result.stderr)
        for path, line in FORBIDDEN:
            name = os.path.join(src, path)
            with open(name, encoding="utf-8") as f:
                kept = f.read()
            with open(name, "w", encoding="utf-8") as f:
                f.write(kept + line + "\n")
            result = check(src)
            if result.returncode == 0 or path not in result.stderr:
                faults.append("%s with %s passes" % (path, line))
            with open(name, "w", encoding="utf-8") as f:
                f.write(kept)
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
