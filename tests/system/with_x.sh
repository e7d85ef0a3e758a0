#!/usr/bin/env bash
# Runs a command on a private X display (Xvfb, display number chosen by the
# server) with the openbox window manager, then tears both down.
#
#   with_x.sh COMMAND [ARGS...]
#
# The desktop it makes can be varied, to try the program on the setups that
# people have:
#   TESS_SCREEN     the screen, WxHxDEPTH (default 1024x768x24)
#   TESS_MONITORS   split the screen into this many side-by-side monitors
#                   (RandR monitors on one X screen, as with a laptop and an
#                   external monitor)
#   TESS_MONITOR_LAYOUT
#                   the monitors instead, as WxH+X+Y separated by spaces
#   TESS_SCALE_FACTORS
#                   each monitor's scale factor for the program, in order,
#                   separated by commas (xtest.App hands them to the program
#                   as QT_SCREEN_SCALE_FACTORS, as KDE Plasma does)
#   TESS_XFT_DPI    the Xft.dpi resource that desktops set for scaling, which
#                   the toolkit follows (192 scales it by 2, 144 by 1.5)
#   TESS_DECOY_DISPLAY=1
#                   also start a second, bare display, exported as
#                   TESS_DECOY_DISPLAY, for a program that is told to use
#                   one display while $DISPLAY names another
# Openbox runs from a copy of Debian's configuration without its Print and
# Alt+Print bindings, which start another capture tool and would hold those
# keys.
set -u
source "$(dirname "$(readlink -f "$0")")/session_lib.sh"
screen=${TESS_SCREEN:-1024x768x24}
work=$(mktemp -d /tmp/tess-x.XXXXXX)
# The window manager goes first, then the displays.
cleanup() {
    end_session_processes
    rm -rf "$work"
}
trap cleanup EXIT

# Starts an Xvfb with screen $2, writing its display number to file $1.
start_xvfb() {
    # -noreset: settings made before the first lasting client connects stay.
    Xvfb -displayfd 3 -screen 0 "$2" -nolisten tcp -noreset 3>"$1" >"$1.log" 2>&1 &
    started_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    echo "with_x.sh: Xvfb did not start" >&2
    cat "$1.log" >&2
    return 1
}

start_xvfb "$work/display" "$screen" || exit 1
pids+=("$started_pid")
export DISPLAY=":$(head -n1 "$work/display")"
# An X11 session, even when started from inside a Wayland desktop.
unset WAYLAND_DISPLAY

# TESS_WM=fluxbox: fluxbox instead of openbox.
# TESS_WM=none: no window manager at all; the input focus then follows the
# pointer and no window is ever the active one. (With no client connected
# the server resets its root background: the test paints it.)
if [ "${TESS_WM:-openbox}" = none ]; then
    "$@"
    exit
fi

if [ "${TESS_DECOY_DISPLAY:-}" = 1 ]; then
    start_xvfb "$work/decoy" 640x480x24 || exit 1
    pids+=("$started_pid")
    export TESS_DECOY_DISPLAY=":$(head -n1 "$work/decoy")"
    DISPLAY=$TESS_DECOY_DISPLAY xsetroot -solid '#aa2200'
fi

monitors=${TESS_MONITORS:-1}
layout=${TESS_MONITOR_LAYOUT:-}
if [ -z "$layout" ] && [ "$monitors" -gt 1 ]; then
    size=${screen%x*}
    width=$((${size%x*} / monitors))
    height=${size#*x}
    for i in $(seq 0 $((monitors - 1))); do
        layout="$layout ${width}x$height+$((i * width))+0"
    done
fi
i=0
# The first monitor takes over Xvfb's one output, whose own monitor would
# otherwise span the whole screen; the others have none.
output=$(xrandr --listmonitors | awk 'NR == 2 { print $NF }')
for geometry in $layout; do
    w=${geometry%%x*}
    rest=${geometry#*x}
    h=${rest%%+*}
    at=${rest#*+}
    # About 96 dots per inch: width and height in millimetres.
    xrandr --setmonitor "TESS-$i" "$w/$((w * 254 / 960))x$h/$((h * 254 / 960))+$at" \
        "$([ "$i" = 0 ] && echo "$output" || echo none)" >/dev/null || exit 1
    i=$((i + 1))
done

if [ -n "${TESS_XFT_DPI:-}" ]; then
    echo "Xft.dpi: $TESS_XFT_DPI" | xrdb -nocpp -merge
fi

if [ "${TESS_WM:-openbox}" = fluxbox ]; then
    if ! command -v fluxbox >/dev/null; then
        echo "with_x.sh: skipped: fluxbox is not installed (scripts/deps.sh lists it)" >&2
        exit 77
    fi
    # Its own settings folder, made afresh with fluxbox's defaults but no
    # toolbar, whose task list changes as windows hide and show.
    mkdir -p "$work/fluxbox/.fluxbox"
    echo "session.screen0.toolbar.visible: false" >"$work/fluxbox/.fluxbox/init"
    HOME="$work/fluxbox" fluxbox >"$work/fluxbox.log" 2>&1 &
else
    sed -e '/<keybind key="A-Print">/,/<\/keybind>/d' \
        -e '/<keybind key="Print">/,/<\/keybind>/d' /etc/xdg/openbox/rc.xml >"$work/rc.xml"
    openbox --config-file "$work/rc.xml" >"$work/openbox.log" 2>&1 &
fi
pids+=($!)
for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xsetroot -solid '#336699'

"$@"
