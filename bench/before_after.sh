#!/usr/bin/env bash
# The bitmap and PNG command line, start-up and Print to the preview drawn,
# measured for an earlier commit and this tree in one interleaved run
# (bench/before_after.py) on a private 1920 x 1080 Xvfb screen.
#
#   bench/before_after.sh COMMIT [RUNS]
#
# The earlier commit is built in a worktree under build-before/. Needs what
# bench/run.sh installs.
set -eu
cd "$(dirname "$0")/.."
commit=$1
runs=${2:-21}
after=${BUILD:-build-bench}
before_tree=build-before/tree
targets=(tessarine tessarine-window tessarine-portal)
export CCACHE_NOHASHDIR=1

rm -rf "$before_tree"
git worktree prune
git worktree add -q --detach "$before_tree" "$commit"
trap 'git worktree remove --force "$before_tree"' EXIT
CCACHE_BASEDIR="$PWD/$before_tree" cmake -S "$before_tree" -B build-before/build -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
CCACHE_BASEDIR="$PWD/$before_tree" cmake --build build-before/build -j"$(nproc)" \
    --target "${targets[@]}" >/dev/null
CCACHE_BASEDIR="$PWD" cmake -S . -B "$after" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSARINE_BENCH=ON -DTESSARINE_TESTS=ON >/dev/null
CCACHE_BASEDIR="$PWD" cmake --build "$after" -j"$(nproc)" --target "${targets[@]}" \
    tess_pattern_window tess_map_watch tess_print_to_preview >/dev/null

folder=$(mktemp -d /dev/shm/tess-before-after.XXXXXX)
status=0
BEFORE_BUILD="$(cd build-before/build && pwd)" BENCH_BUILD="$(cd "$after" && pwd)" \
    BENCH_RUNS="$runs" TESS_BENCH_DIR="$folder" TESS_SCREEN=1920x1080x24 \
    tests/system/with_x.sh python3 bench/before_after.py || status=$?
rm -rf "$folder"
exit $status
