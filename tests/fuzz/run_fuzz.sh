#!/usr/bin/env bash
# Builds the raster layer's libFuzzer target with clang (address and
# undefined-behaviour sanitizers) and runs it for a bounded time from the
# committed corpus. Exit status 0 only when the run ends without a finding.
#
#   tests/fuzz/run_fuzz.sh [BUILD_DIR] [SECONDS]
#
# New inputs the fuzzer finds go to a scratch corpus in BUILD_DIR, never into
# the committed one; a crashing input is kept there as crash-* for replay:
#   BUILD_DIR/raster_fuzz BUILD_DIR/crash-...
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:-$root/build-fuzz}
seconds=${2:-60}
mkdir -p "$out"
out=$(cd "$out" && pwd)

cxx=${FUZZ_CXX:-}
if [ -z "$cxx" ]; then
    for candidate in clang++ clang++-14; do
        command -v "$candidate" >/dev/null && cxx=$candidate && break
    done
fi
if [ -z "$cxx" ]; then
    echo "run_fuzz.sh: clang++ not found (Debian: clang libclang-rt-14-dev)" >&2
    exit 1
fi
launcher=()
command -v ccache >/dev/null && launcher=(ccache)

sources=("$root"/src/platform/raster/*.cpp "$root"/tests/fuzz/raster_fuzz.cpp)
flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -Wall -Wextra -Werror
       -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I"$root/src")
objects=()
for src in "${sources[@]}"; do
    # Windows' side of the raster layer is built only for Windows.
    [[ $src == *_win32.cpp ]] && continue
    obj="$out/$(basename "$src" .cpp).o"
    "${launcher[@]}" "$cxx" "${flags[@]}" -c "$src" -o "$obj"
    objects+=("$obj")
done
"$cxx" "${flags[@]}" "${objects[@]}" -o "$out/raster_fuzz"

scratch="$out/corpus"
mkdir -p "$scratch"
cd "$out"
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:allocator_may_return_null=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
start=$(date +%s)
status=0
./raster_fuzz -max_total_time="$seconds" -max_len=1024 -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 "$scratch" "$root/tests/fuzz/corpus" >"$out/fuzz.log" 2>&1 || status=$?
tail -n 25 "$out/fuzz.log"
echo "raster_fuzz: ran $(($(date +%s) - start)) s, exit status $status"
exit "$status"
