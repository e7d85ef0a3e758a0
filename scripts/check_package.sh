#!/usr/bin/env bash
# Builds the Debian package from a build folder, installs it with dpkg,
# checks the installed command, manual page and desktop entry, and removes
# it again, checking that none of its files is left. Needs root.
#
#   scripts/check_package.sh [BUILD]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

source scripts/deps.sh
# The package installs under /usr: the manual page and the command are
# configured for that prefix; it is built with Debian's hardening flags.
package_cmake_flags
cmake -S . -B "$build" "${PACKAGE_CMAKE_FLAGS[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
rm -f "$build"/tessarine_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tessarine_*.deb)
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }')

fail() { echo "check_package: $*" >&2; exit 1; }
# Debian's own checks, errors and warnings alike (root may run it: the
# package is ours and not unpacked by lintian's own tools as root).
lintian --fail-on error,warning --allow-root "$deb" || fail "lintian found faults in the package"
dpkg -i "$deb" >/dev/null
removed=false
remove() { $removed || dpkg -r tessarine >/dev/null; removed=true; }
trap remove EXIT

version=$(tessarine --version) || fail "tessarine --version failed"
[[ $version == "Tessarine "* ]] || fail "unexpected version line: $version"
manual=$(MANWIDTH=80 man -l /usr/share/man/man1/tessarine.1.gz 2>&1) || fail "man -l failed"
for section in NAME SYNOPSIS OPTIONS "HOT KEYS" "EXIT STATUS" FILES; do
    grep -q "^$section" <<<"$manual" || fail "the manual page has no $section section"
done
grep -q "/usr/libexec/tessarine/tessarine-window" <<<"$manual" ||
    fail "the manual page names another window program"
# Without a display the window program itself says so: the command found it.
started=$(env -u DISPLAY -u WAYLAND_DISPLAY tessarine 2>&1) && fail "started without a display"
grep -q "cannot start the window program" <<<"$started" && fail "$started"
desktop-file-validate /usr/share/applications/tessarine.desktop ||
    fail "the desktop entry does not validate"
appstreamcli validate --no-net /usr/share/metainfo/io.github.lumograph.tessarine.metainfo.xml ||
    fail "the AppStream metainfo does not validate"

remove
dpkg-query -W tessarine >/dev/null 2>&1 && fail "the package is still installed"
for f in $files; do
    [ ! -e "$f" ] || fail "$f is left after dpkg -r"
done
echo "package $(basename "$deb"): installed, checked ($version), removed cleanly"
