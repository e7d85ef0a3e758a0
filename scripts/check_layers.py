#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

The layers, from the top down (README.md, "Layout"):
  start-up      app/ (all but the program state below)
  program       ui/, capture/, output/, and the program state in app/
  controls      platform/controls/
  backends      platform/ itself, platform/x11/, platform/wayland/
                (siblings: neither includes the other)
  raster        platform/raster/, platform/text/
  base          base/

    check_layers.py SRC_DIR [STAMP]
"""
import os
import re
import sys

PROGRAM_STATE = {"app/variables", "app/do_events", "app/default_form", "app/screen_size"}
LAYERS = ["start-up", "program", "controls", "backends", "raster", "base"]


def layer_of(path):
    stem = os.path.splitext(path)[0]
    top = path.split("/")[0]
    if top == "base":
        return "base"
    if path.startswith(("platform/raster/", "platform/text/")):
        return "raster"
    if path.startswith("platform/controls/"):
        return "controls"
    if top == "platform":
        return "backends"
    if top in ("ui", "capture", "output") or stem in PROGRAM_STATE:
        return "program"
    return "start-up"


def main():
    src = sys.argv[1]
    include = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
    faults = []
    for folder, _, files in os.walk(src):
        for name in files:
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.relpath(os.path.join(folder, name), src)
            here = layer_of(path)
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    match = include.match(line)
                    if not match or not os.path.exists(os.path.join(src, match.group(1))):
                        continue
                    target = match.group(1)
                    there = layer_of(target)
                    sibling = {path.split("/")[:2][-1], target.split("/")[:2][-1]} == {"x11", "wayland"}
                    if LAYERS.index(there) < LAYERS.index(here) or (
                            here == there == "backends" and sibling):
                        faults.append("%s:%d: %s (%s) includes %s (%s)"
                                      % (path, number, path, here, target, there))
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        return 1
    if len(sys.argv) > 2:
        open(sys.argv[2], "w").close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
