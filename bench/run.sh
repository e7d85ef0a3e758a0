#!/usr/bin/env bash
# Measures Tessarine on a private 1920 x 1080 Xvfb screen (with openbox, as
# the system tests run) showing a fixed pattern, and prints a table of
# medians and ratios. See "Benchmarks" in README.md.
#
#   bench/run.sh [RUNS]        RUNS per measurement, default 21 (at least 20)
#
# Environment: BUILD (build folder, default build-bench), TESS_BENCH_DIR
# (where the captures are written, default a fresh folder in /dev/shm, so
# that the disk's speed is not what is measured). Run as root it installs
# the tools it compares with (scrot, maim, flameshot, imagemagick,
# xdotool, Xvfb, openbox, libbenchmark-dev) with apt-get; they are not
# dependencies of the program.
set -eu
cd "$(dirname "$0")/.."
runs=${1:-21}
build=${BUILD:-build-bench}

need=()
command -v scrot >/dev/null || need+=(scrot)
command -v maim >/dev/null || need+=(maim)
command -v flameshot >/dev/null || need+=(flameshot)
command -v xclip >/dev/null || need+=(xclip)
command -v import >/dev/null || need+=(imagemagick)
command -v xdotool >/dev/null || need+=(xdotool)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v openbox >/dev/null || need+=(openbox)
command -v xsetroot >/dev/null || need+=(x11-xserver-utils)
[ -e /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
[ -e /usr/include/xcb/xtest.h ] || need+=(libxcb-xtest0-dev)
[ -e /usr/include/xcb/damage.h ] || need+=(libxcb-damage0-dev)
if [ ${#need[@]} -gt 0 ]; then
    if [ "$(id -u)" = 0 ]; then
        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
    else
        echo "bench/run.sh: install first (as root): apt-get install ${need[*]}" >&2
        exit 1
    fi
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARINE_BENCH=ON \
    -DTESSARINE_TESTS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target tessarine tess_pattern_window tess_micro_bench \
    tess_handler_bench tess_map_watch tess_bare_window tess_portal_round_trip \
    tess_print_to_preview >/dev/null

cleanup_dir=""
if [ -z "${TESS_BENCH_DIR:-}" ]; then
    TESS_BENCH_DIR=$(mktemp -d /dev/shm/tess-bench.XXXXXX)
    cleanup_dir=$TESS_BENCH_DIR
fi
export TESS_BENCH_DIR BENCH_BUILD="$(cd "$build" && pwd)" BENCH_RUNS="$runs"
status=0
TESS_SCREEN=1920x1080x24 tests/system/with_x.sh python3 bench/run_bench.py || status=$?
echo
TESS_SCREEN=1920x1080x24 tests/system/with_x.sh python3 bench/jpeg_clipboard.py || status=$?
echo
# PNG on the test pattern, a photographic picture and text (bench/png.sh
# adds 3840 x 2160).
TESS_SCREEN=1920x1080x24 BENCH_RUNS=15 tests/system/with_x.sh python3 bench/png_bench.py ||
    status=$?
# The Wayland row, in a headless sway session (skipped without sway), which
# may run as nobody: the capture folder must let it write.
if command -v sway >/dev/null; then
    echo
    chmod 1777 "$TESS_BENCH_DIR"
    BENCH_BUILD="$BENCH_BUILD" BENCH_RUNS="$runs" TESS_BENCH_DIR="$TESS_BENCH_DIR" \
        tests/system/with_sway.sh python3 bench/wayland_bench.py 2>/dev/null || status=$?
fi
[ -n "$cleanup_dir" ] && rm -rf "$cleanup_dir"
exit $status
