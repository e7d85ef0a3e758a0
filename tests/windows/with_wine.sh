#!/usr/bin/env bash
# Runs a command with Wine ready on a private X display: an Xvfb (display
# number chosen by the server), a Wine prefix made anew in BUILD_DIR/wine
# (64-bit, no Mono or Gecko prompts) and Wine's session started, so that
# each program run under it pays no start-up. Ends Wine's session
# (wineserver -k, in this prefix only) and the display afterwards.
#
#   with_wine.sh BUILD_DIR COMMAND [ARGS...]
#
# TESS_WINE_SCREEN sets the screen, WxHxDEPTH (default 1280x800x24).
set -euo pipefail
build=$(readlink -f "$1")
shift
export WINEPREFIX="$build/wine" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
displayfd=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${TESS_WINE_SCREEN:-1280x800x24}" -nolisten tcp 3>"$displayfd" 2>/dev/null &
xvfb=$!
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    rm -f "$displayfd"
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -s "$displayfd" ] && break
    sleep 0.1
done
[ -s "$displayfd" ] || { echo "with_wine.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$displayfd")"
# The session, with its output sent away: Wine's helpers would otherwise
# keep the caller's output open.
wine cmd /c exit </dev/null >/dev/null 2>&1
"$@"
