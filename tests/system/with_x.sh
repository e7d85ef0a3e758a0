#!/usr/bin/env bash
# Runs a command on a private X display (Xvfb, display number chosen by the
# server) with the openbox window manager, then tears both down.
#
#   with_x.sh COMMAND [ARGS...]
#
# TESS_SCREEN (default 1024x768x24) sets the screen. Openbox runs from a copy
# of Debian's configuration without its Print and Alt+Print bindings, which
# start another capture tool and would hold those keys.
set -u
screen=${TESS_SCREEN:-1024x768x24}
work=$(mktemp -d /tmp/tess-x.XXXXXX)
xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "with_x.sh: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
# An X11 session, even when started from inside a Wayland desktop.
unset WAYLAND_DISPLAY

# TESS_WM=none: no window manager at all; the input focus then follows the
# pointer and no window is ever the active one. (With no client connected
# the server resets its root background: the test paints it.)
if [ "${TESS_WM:-openbox}" = none ]; then
    "$@"
    exit
fi

sed -e '/<keybind key="A-Print">/,/<\/keybind>/d' \
    -e '/<keybind key="Print">/,/<\/keybind>/d' /etc/xdg/openbox/rc.xml >"$work/rc.xml"
openbox --config-file "$work/rc.xml" >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xsetroot -solid '#336699'

"$@"
