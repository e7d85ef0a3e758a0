#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: the unit tests and
# the system tests, which drive the real program on a private X display;
# as root, builds the Debian package, installs, checks and removes it;
# then the same tests again built with AddressSanitizer and
# UndefinedBehaviorSanitizer; then the raster layer's fuzzer for a minute.
#
#   TESSARINE_SKIP_SANITIZED=1  leaves out the sanitizer run
#   TESSARINE_SKIP_FUZZ=1       leaves out the fuzzer
#   TESSARINE_FUZZ_SECONDS=N    fuzzes for N seconds (60)
#   TESSARINE_SKIP_WINDOWS=1    leaves out the Windows build and its tests
#                               under Wine
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
jobs=$(nproc)
# Let ccache share results between checkouts in different folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
started=$SECONDS
stage() { echo "== $1 ($((SECONDS - started)) s so far)"; }

stage "normal build and tests"
package_cmake_flags
cmake -S . -B build "${PACKAGE_CMAKE_FLAGS[@]}" -DTESSARINE_TESTS=ON -DTESSARINE_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 600)

if [ "$(id -u)" = 0 ]; then
    stage "Debian package: build, dpkg -i, check, dpkg -r"
    scripts/check_package.sh build
else
    echo "== Debian package stage skipped: installing it with dpkg -i needs root"
fi
normal_done=$SECONDS

if [ -z "${TESSARINE_SKIP_SANITIZED:-}" ]; then
    stage "sanitizer build and tests"
    # -O1: the sanitizers' checks, at a fraction of -O2's build time.
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARINE_SANITIZE=ON -DTESSARINE_TESTS=ON -DTESSARINE_WERROR=ON \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" >/dev/null
    cmake --build build-asan -j"$jobs"
    # Every report also goes to a file here: a report from the program
    # under a system test would otherwise only show as the test's symptom.
    reports="$PWD/build-asan/sanitizer-reports"
    rm -rf "$reports"
    mkdir -p "$reports"
    # The desktop sessions run the program as another user, who writes its
    # reports here too.
    chmod 1777 "$reports"
    export TESSARINE_SANITIZED=1  # tests skip their resident-memory limits
    export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
    # Leaks are checked in the unit tests. The system tests end the program
    # with SIGTERM, when no leak check runs, and at a normal exit Qt's
    # plugins, fontconfig and D-Bus leave caches behind on purpose, so leak
    # reports there would say nothing about this program.
    (cd build-asan &&
        ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:log_path=$reports/asan" \
            ctest --output-on-failure -j"$jobs" --timeout 600 -L unit &&
        ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:log_path=$reports/asan" \
            ctest --output-on-failure -j"$jobs" --timeout 900 -L system)
    if compgen -G "$reports/*" >/dev/null; then
        echo "Sanitizer reports:" >&2
        cat "$reports"/* >&2
        exit 1
    fi
    unset TESSARINE_SANITIZED UBSAN_OPTIONS
fi
sanitized_done=$SECONDS

if [ -z "${TESSARINE_SKIP_FUZZ:-}" ]; then
    stage "raster fuzzer"
    tests/fuzz/run_fuzz.sh build-fuzz "${TESSARINE_FUZZ_SECONDS:-60}"
fi

fuzz_done=$SECONDS

if [ -z "${TESSARINE_SKIP_WINDOWS:-}" ]; then
    stage "Windows build, its unit and system tests under Wine, the installer"
    ensure_packages "${WINDOWS_PACKAGES[@]}" "${WINDOWS_TEST_PACKAGES[@]}"
    TESSARINE_WINDOWS_CMAKE_FLAGS="-DTESSARINE_TESTS=ON -DTESSARINE_WERROR=ON" \
        scripts/build_windows.sh build-windows
    cmake --build build-windows -j"$jobs"
    tests/windows/with_wine.sh build-windows \
        sh -c "cd build-windows && ctest --output-on-failure -j$jobs --timeout 600"
fi

echo "== all passed: normal $((normal_done - started)) s, sanitizers" \
    "$((sanitized_done - normal_done)) s, fuzzer $((fuzz_done - sanitized_done)) s," \
    "Windows $((SECONDS - fuzz_done)) s"
