#!/usr/bin/env bash
# Runs a command inside a private headless Wayland session: sway (pixman
# renderer, one 1024x768 output, or TESS_SWAY_OUTPUT=WxH) with XWayland, PipeWire, its own session
# bus and the desktop portal, then tears it all down.
#
#   with_sway.sh [--no-portal | --own-portal] COMMAND [ARGS...]
#
# The command sees WAYLAND_DISPLAY, DISPLAY (XWayland), SWAYSOCK and
# DBUS_SESSION_BUS_ADDRESS. --no-portal keeps the portal from being
# activated, for the refusal tests; --own-portal leaves the portal's name
# for the command to take (its backends can still be activated).
#
# sway refuses to run as root, so as root the whole session runs as the
# unprivileged user nobody; SESSION_USER_DIR (created here) is then the one
# folder both sides write to. Exits 77 with a reason when the machine has no
# sway, which CTest reports as a skipped test.
set -u
source "$(dirname "$(readlink -f "$0")")/session_lib.sh"
no_portal=0
own_portal=0
if [ "${1:-}" = "--no-portal" ]; then
    no_portal=1
    shift
elif [ "${1:-}" = "--own-portal" ]; then
    own_portal=1
    shift
fi
require_tools with_sway.sh sway Xwayland grim pipewire dbus-run-session swaymsg

if [ "${TESS_SWAY_INNER:-}" != 1 ]; then
    new_session_folder sway
    self=$(readlink -f "$0")
    passed=()
    pass_variables TESSARINE_BIN PATTERN_BIN MOCK_PORTAL_BIN TESSARINE_BUILD \
        PYTHONDONTWRITEBYTECODE BENCH_BUILD BENCH_RUNS TESS_BENCH_DIR BENCH_SCENE BENCH_BEFORE \
        TESS_SWAY_OUTPUT TESSARINE_SANITIZED ASAN_OPTIONS UBSAN_OPTIONS
    absolute_args "$@"
    runner=()
    bus_config=()
    if [ "$no_portal" = 1 ]; then
        # A bus that knows no services at all: no portal can be activated.
        mkdir -p "$work/empty"
        cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <servicedir>$work/empty</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
        bus_config=(--config-file="$work/bus.conf")
    fi
    if [ "$(id -u)" -eq 0 ]; then
        runner=("${as_nobody[@]}")
        if ! nobody_reaches_checkout; then
            copy_checkout_for_nobody TESSARINE_BIN PATTERN_BIN MOCK_PORTAL_BIN
            mkdir -p "$work/repo/bench"
            cp "$repo"/bench/*.py "$work/repo/bench/"
            if [ -n "${BENCH_BUILD:-}" ]; then
                mkdir -p "$work/build/tests" "$work/build/bench"
                cp "$BENCH_BUILD"/tessarine "$BENCH_BUILD"/tessarine-{window,portal} "$work/build/"
                cp "$BENCH_BUILD/tests/tess_pattern_window" "$work/build/tests/"
                cp "$BENCH_BUILD/bench/tess_portal_round_trip" "$work/build/bench/"
                passed+=("BENCH_BUILD=$work/build")
            fi
        fi
        chown -R 65534:65534 "$work"
    fi
    cd "$work"
    "${runner[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" \
        XDG_RUNTIME_DIR="$work/runtime" SESSION_DIR="$work" SESSION_USER_DIR="$work/out" \
        TESS_SWAY_INNER=1 TESS_NO_PORTAL="$no_portal" TESS_OWN_PORTAL="$own_portal" "${passed[@]}" \
        dbus-run-session "${bus_config[@]}" -- bash "$self" "${session_args[@]}"
    status=$?
    rm -rf "$work"
    exit $status
fi

# Inside the session bus, as the session's user.
export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
trap end_session_processes EXIT

cat >"$SESSION_DIR/sway.conf" <<EOF
output HEADLESS-1 resolution ${TESS_SWAY_OUTPUT:-1024x768} position 0 0 bg #336699 solid_color
xwayland force
default_border normal
for_window [title=".*"] floating enable
exec env > $SESSION_DIR/swayenv.txt
EOF
if [ "$TESS_NO_PORTAL" != 1 ]; then
    pipewire >"$SESSION_DIR/pipewire.log" 2>&1 &
    pids+=($!)
fi
sway -c "$SESSION_DIR/sway.conf" >"$SESSION_DIR/sway.log" 2>&1 &
pids+=($!)
if ! wait_until grep -q '^DISPLAY=' "$SESSION_DIR/swayenv.txt"; then
    echo "with_sway.sh: sway did not start" >&2
    cat "$SESSION_DIR/sway.log" >&2
    exit 1
fi
for name in WAYLAND_DISPLAY DISPLAY SWAYSOCK; do
    export "$(grep "^$name=" "$SESSION_DIR/swayenv.txt")"
done
# XWayland starts on its first client; wait until it answers.
wait_until xdpyinfo
if [ "$TESS_NO_PORTAL" != 1 ]; then
    # The portal's -wlr backend needs PipeWire answering when it starts, or
    # it hangs the portal's start-up for the bus timeout.
    wait_until test -S "$XDG_RUNTIME_DIR/pipewire-0"
    dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XDG_CURRENT_DESKTOP \
        XDG_RUNTIME_DIR XDG_SESSION_TYPE
    # Started now, so that the tests measure answers, not its start-up.
    # (With --own-portal, its -wlr backend, which the command's portal
    # calls.)
    service=org.freedesktop.portal.Desktop
    interface=org.freedesktop.portal.Screenshot
    if [ "$TESS_OWN_PORTAL" = 1 ]; then
        service=org.freedesktop.impl.portal.desktop.wlr
        interface=org.freedesktop.impl.portal.Screenshot
    fi
    if ! portal_offers_screenshot $service $interface; then
        echo "with_sway.sh: $service does not offer Screenshot" >&2
        exit 1
    fi
fi
"$@"
