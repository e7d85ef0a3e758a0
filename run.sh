#!/usr/bin/env bash
# Installs what is missing, builds and starts Tessarine on $DISPLAY.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARINE_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
if [ -z "${DISPLAY:-}" ]; then
    echo "Built build/tessarine, but there is no X display to show it on (DISPLAY is not set)." >&2
    echo "Run it from an X11 desktop session, or start a virtual one, for example:" >&2
    echo "  Xvfb :1 -screen 0 1280x1024x24 & DISPLAY=:1 ./run.sh" >&2
    exit 1
fi
exec build/tessarine "$@"
