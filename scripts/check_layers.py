#!/usr/bin/env python3
"""Fails when a source file includes what its layer may not.

The layers, from the top down (README.md, "How it fits together"):
  start-up      app/
  cli           cli/, the command-line front end
  program       ui/, capture/, output/, and the state they share in program/
  controls      platform/controls/
  backends      platform/ itself, platform/x11/, platform/wayland/,
                platform/win32/ (siblings: none includes another)
  raster        platform/raster/, platform/text/
  base          base/

A file includes headers of its own layer and the layers beneath it only.
Besides, the command line and the program include no Qt header, and only
start-up and platform/ include the X11, Wayland or Windows backend's
headers. Win32's own headers (<windows.h>, ...) go only in platform/ and
in start-up.

    check_layers.py SRC_DIR [STAMP]
"""
import os
import re
import sys

LAYERS = ["start-up", "cli", "program", "controls", "backends", "raster", "base"]

# Program files that still include Qt headers: their widgets are Qt's own
# until the controls are toolkit-free. The list only shrinks; a file that no
# longer includes Qt must leave it, so that it cannot slip back.
QT_STILL_ALLOWED = {
    "capture/frm_select.cpp",
    "capture/frm_select.h",
    "capture/frozen_scale.cpp",
    "capture/frozen_scale.h",
    "capture/monitor_window.cpp",
    "capture/monitor_window.h",
    "capture/screen_freeze.h",
    "capture/size_label.cpp",
    "capture/size_label.h",
    "output/frm_save.cpp",
    "output/frm_save.h",
    "output/save.cpp",
}

# Program files that still reach into the X11 backend (window hints, a
# monitor's pixels) until the controls carry those; the same rule holds.
WINDOW_SYSTEM_STILL_ALLOWED = {
    "capture/frm_select.cpp",
    "capture/monitor_window.cpp",
    "capture/frozen_scale.cpp",
}

LOCAL_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
QT_INCLUDE = re.compile(r"^\s*#\s*include\s+<Q")
WINDOW_SYSTEMS = ("platform/x11/", "platform/wayland/", "platform/win32/")
WIN32_INCLUDE = re.compile(
    r"^\s*#\s*include\s+<(windows|winbase|winuser|wingdi|winnt|windef|dwmapi|shellapi|shlobj|"
    r"shobjidl|objbase|ole2|wincodec|commdlg|commctrl|shellscalingapi|winver)\.h>", re.IGNORECASE)


def layer_of(path):
    top = path.split("/")[0]
    if top == "base":
        return "base"
    if path.startswith(("platform/raster/", "platform/text/")):
        return "raster"
    if path.startswith("platform/controls/"):
        return "controls"
    if top == "platform":
        return "backends"
    if top in ("ui", "capture", "output", "program"):
        return "program"
    if top == "cli":
        return "cli"
    return "start-up"


def check_file(src, path, faults, uses):
    """Appends to faults what path includes that its layer may not; notes in
    uses which of the allowances it still needs."""
    here = layer_of(path)
    with open(os.path.join(src, path), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            where = "%s:%d: %s (%s)" % (path, number, path, here)
            if QT_INCLUDE.match(line) and here in ("program", "cli"):
                if path in QT_STILL_ALLOWED:
                    uses["qt"].add(path)
                else:
                    faults.append("%s includes a Qt header: %s" % (where, line.strip()))
                continue
            if WIN32_INCLUDE.match(line) and not (here == "start-up" or
                                                   path.startswith("platform/")):
                faults.append("%s includes a Win32 header: %s" % (where, line.strip()))
                continue
            match = LOCAL_INCLUDE.match(line)
            if not match or not os.path.exists(os.path.join(src, match.group(1))):
                continue
            target = match.group(1)
            there = layer_of(target)
            if target.startswith(WINDOW_SYSTEMS) and here not in ("start-up", "backends",
                                                                   "controls"):
                if path in WINDOW_SYSTEM_STILL_ALLOWED:
                    uses["window system"].add(path)
                else:
                    faults.append("%s includes a window system's header: %s"
                                  % (where, target))
                continue
            backends = {path.split("/")[:2][-1], target.split("/")[:2][-1]}
            sibling = len(backends) == 2 and backends <= {"x11", "wayland", "win32"}
            if LAYERS.index(there) < LAYERS.index(here) or (
                    here == there == "backends" and sibling):
                faults.append("%s includes %s (%s)" % (where, target, there))


def main():
    src = sys.argv[1]
    faults = []
    uses = {"qt": set(), "window system": set()}
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if name.endswith((".cpp", ".h")):
                check_file(src, os.path.relpath(os.path.join(folder, name), src).replace(os.sep, "/"),
                           faults, uses)
    for kind, allowed in (("qt", QT_STILL_ALLOWED),
                          ("window system", WINDOW_SYSTEM_STILL_ALLOWED)):
        for path in sorted(allowed - uses[kind]):
            faults.append("%s no longer needs its %s allowance: take it off the list in %s"
                          % (path, kind, os.path.basename(__file__)))
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        return 1
    if len(sys.argv) > 2:
        open(sys.argv[2], "w").close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
