#!/usr/bin/env bash
# Runs a command inside a private headless KDE Plasma session: KWin on one
# virtual 1024x768 output with XWayland, PipeWire, a private system bus and
# session bus, and the KDE desktop portal, then tears it all down.
#
#   with_kde.sh [--spectacle-keys] COMMAND [ARGS...]
#
# --spectacle-keys starts the session with Plasma's default screenshot keys
# held by Spectacle (Print, Shift+Print, Meta+Print, Meta+Shift+Print), as
# on a desktop with Spectacle installed.
#
# The command sees WAYLAND_DISPLAY, DISPLAY (XWayland), XAUTHORITY and
# DBUS_SESSION_BUS_ADDRESS; KWin lets it take screenshots without asking
# (KWIN_SCREENSHOT_NO_PERMISSION_CHECKS), for reference pictures, and press
# keys through its fake input protocol (KWIN_WAYLAND_NO_PERMISSION_CHECKS).
#
# As root the session runs as the unprivileged user nobody, in its own PID
# namespace so that nothing it starts outlives it; SESSION_USER_DIR (created
# here) is then the one folder both sides write to. Exits 77 with a reason
# when the machine has no KDE stack or KWin cannot start here.
set -u
source "$(dirname "$(readlink -f "$0")")/session_lib.sh"
spectacle_keys=0
if [ "${1:-}" = "--spectacle-keys" ]; then
    spectacle_keys=1
    shift
fi
require_tools with_kde.sh kwin_wayland Xwayland pipewire dbus-run-session dbus-daemon gdbus \
    xdpyinfo /usr/bin/python3
if [ ! -e /usr/share/xdg-desktop-portal/portals/kde.portal ] ||
    ! /usr/bin/python3 -c 'import dbus' 2>/dev/null; then
    echo "with_kde.sh: skipped: xdg-desktop-portal-kde or python3-dbus is not installed" \
        "(scripts/deps.sh lists them)" >&2
    exit 77
fi

if [ "${TESS_KDE_INNER:-}" != 1 ]; then
    new_session_folder kde
    mkdir -m 0777 "$work/bin"
    self=$(readlink -f "$0")
    # kwin_wayland carries a file capability (cap_sys_resource) that a
    # container's bounding set may lack, and then it cannot be run at all;
    # a copy carries none.
    cp /usr/bin/kwin_wayland "$work/bin/kwin_wayland"
    passed=()
    pass_variables TESSARINE_BIN PATTERN_BIN TESSARINE_BUILD PYTHONDONTWRITEBYTECODE \
        TESSARINE_SANITIZED ASAN_OPTIONS UBSAN_OPTIONS
    absolute_args "$@"
    runner=()
    if [ "$(id -u)" -eq 0 ]; then
        # KWin starts XWayland only where the X sockets' folder has its
        # sticky bit; another session run as nobody may have made it without.
        mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix
        runner=("${as_nobody[@]}")
        # Where the container allows new namespaces.
        unshare --pid --fork --kill-child --mount-proc true 2>/dev/null &&
            runner=(unshare --pid --fork --kill-child --mount-proc "${runner[@]}")
        nobody_reaches_checkout || copy_checkout_for_nobody TESSARINE_BIN PATTERN_BIN
        chown -R 65534:65534 "$work"
    fi
    cd "$work" || exit 1
    "${runner[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" \
        XDG_RUNTIME_DIR="$work/runtime" SESSION_DIR="$work" SESSION_USER_DIR="$work/out" \
        TESS_KDE_INNER=1 TESS_SPECTACLE_KEYS="$spectacle_keys" "${passed[@]}" \
        dbus-run-session -- bash "$self" "${session_args[@]}"
    status=$?
    rm -rf "$work"
    exit $status
fi

# Inside the session bus, as the session's user.
export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 XDG_SESSION_TYPE=wayland
export KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1
# The portal answers "cancelled" to screenshots without a Pictures folder.
mkdir -p "$HOME/Pictures" "$HOME/.config"
# No animations: a picture taken while a window's frame fades from one
# state to the next is no reference.
printf '[KDE]\nAnimationDurationFactor=0\n' >"$HOME/.config/kdeglobals"
printf '[Common]\nAnimationsEnabled=false\n' >"$HOME/.config/breezerc"
if [ "$TESS_SPECTACLE_KEYS" = 1 ]; then
    cat >"$HOME/.config/kglobalshortcutsrc" <<EOF
[org.kde.spectacle.desktop]
_k_friendly_name=Spectacle
_launch=Print,Print,Spectacle
ActiveWindowScreenShot=Meta+Print,Meta+Print,Capture Active Window
FullScreenScreenShot=Shift+Print,Shift+Print,Capture Entire Desktop
RectangularRegionScreenShot=Meta+Shift+Print,Meta+Shift+Print,Capture Rectangular Region
EOF
fi
trap end_session_processes EXIT

# KWin's start-up code asks logind on the system bus.
if ! start_private_system_bus; then
    echo "with_kde.sh: the private system bus did not start" >&2
    exit 1
fi

pipewire >"$SESSION_DIR/pipewire.log" 2>&1 &
pids+=($!)
cat >"$SESSION_DIR/kwin-started.sh" <<EOF
#!/bin/sh
env > "$SESSION_DIR/kwinenv.txt.part" && mv "$SESSION_DIR/kwinenv.txt.part" "$SESSION_DIR/kwinenv.txt"
exec sleep infinity
EOF
chmod +x "$SESSION_DIR/kwin-started.sh"
"$SESSION_DIR/bin/kwin_wayland" --virtual --width 1024 --height 768 --xwayland \
    --socket wayland-0 "$SESSION_DIR/kwin-started.sh" >"$SESSION_DIR/kwin.log" 2>&1 &
pids+=($!)
wait_until test -s "$SESSION_DIR/kwinenv.txt" && wait_until bus_owned org.kde.KWin
if ! bus_owned org.kde.KWin || ! grep -q '^DISPLAY=' "$SESSION_DIR/kwinenv.txt"; then
    echo "with_kde.sh: skipped: KWin did not start here" >&2
    tail -n 20 "$SESSION_DIR/kwin.log" >&2
    exit 77
fi
for name in WAYLAND_DISPLAY DISPLAY XAUTHORITY; do
    export "$(grep "^$name=" "$SESSION_DIR/kwinenv.txt")"
done
wait_until xdpyinfo
wait_until test -S "$XDG_RUNTIME_DIR/pipewire-0"
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP \
    KDE_SESSION_VERSION XDG_RUNTIME_DIR XDG_SESSION_TYPE DBUS_SYSTEM_BUS_ADDRESS \
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS
if ! portal_offers_screenshot; then
    echo "with_kde.sh: the desktop portal does not offer Screenshot" >&2
    exit 1
fi
"$@"
