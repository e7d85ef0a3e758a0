#!/usr/bin/env bash
# PNG captures against scrot, maim and flameshot (bench/png_bench.py) on a
# private Xvfb screen, by default 1920x1080 and then 3840x2160.
#
#   bench/png.sh [RUNS] [WxH ...]
#
# Environment: BUILD (default build-bench), BENCH_SCENES, BENCH_BEFORE (see
# bench/png_bench.py). Needs what bench/run.sh installs.
set -eu
cd "$(dirname "$0")/.."
runs=${1:-15}
shift || true
sizes=("$@")
[ ${#sizes[@]} -eq 0 ] && sizes=(1920x1080 3840x2160)
build=${BUILD:-build-bench}
if [ ! -x "$build/tessarine" ] || [ ! -x "$build/tests/tess_pattern_window" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARINE_TESTS=ON >/dev/null
    cmake --build "$build" -j"$(nproc)" --target tessarine tess_pattern_window >/dev/null
fi
export BENCH_BUILD="$(cd "$build" && pwd)" BENCH_RUNS="$runs"
for size in "${sizes[@]}"; do
    echo "Screen $size"
    TESS_SCREEN=${size}x24 tests/system/with_x.sh python3 bench/png_bench.py
    echo
done
