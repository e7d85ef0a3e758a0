#!/usr/bin/env bash
# Memory and time of the capture paths on a very large screen (default
# 16384 x 16384, a 1 GiB capture): see bench/large_screen.py. Needs about
# 4 GiB free for the X server and the program.
#
#   bench/large_screen.sh [WxH]
#
# Environment: BUILD (build folder with tessarine, default build).
set -eu
cd "$(dirname "$0")/.."
build=${BUILD:-build}
export TESSARINE_BIN="$build/tessarine" PATTERN_BIN="$build/tests/tess_pattern_window"
TESS_SCREEN="${1:-16384x16384}x24" tests/system/with_x.sh python3 bench/large_screen.py
