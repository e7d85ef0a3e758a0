#!/usr/bin/env bash
# Runs a command inside a private headless GNOME session, then tears it all
# down: gnome-shell (one 1280x800 virtual monitor) with XWayland, PipeWire,
# a private system bus (the shell needs one), its own session bus, GNOME's
# portal backends only (as GNOME ships), and gsd-media-keys, which runs
# custom key bindings. The desktop is quiet: no animations, banners, lock
# or overview. The command sees WAYLAND_DISPLAY, DISPLAY and XAUTHORITY.
#
#   with_gnome.sh COMMAND [ARGS...]
#
# As root the session runs as user nobody in its own PID namespace, with
# SESSION_USER_DIR the one folder both sides write to. Exits 77 with a
# reason where GNOME is not installed or cannot start.
set -u
source "$(dirname "$(readlink -f "$0")")/session_lib.sh"
skip() {
    echo "with_gnome.sh: skipped: $1" >&2
    [ -n "${2:-}" ] && tail -n 20 "$2" >&2
    exit 77
}
require_tools with_gnome.sh gnome-shell Xwayland pipewire dbus-run-session gsettings xdpyinfo \
    unshare /usr/libexec/gsd-media-keys /usr/libexec/xdg-desktop-portal-gnome

if [ "${TESS_GNOME_INNER:-}" != 1 ]; then
    new_session_folder gnome
    self=$(readlink -f "$0")
    passed=()
    pass_variables TESSARINE_BIN PATTERN_BIN PYTHONDONTWRITEBYTECODE TESSARINE_SANITIZED \
        ASAN_OPTIONS UBSAN_OPTIONS
    absolute_args "$@"
    runner=()
    if [ "$(id -u)" -eq 0 ]; then
        nobody_reaches_checkout || copy_checkout_for_nobody TESSARINE_BIN PATTERN_BIN
        chown -R 65534:65534 "$work"
        unshare --pid --fork --kill-child --mount-proc true 2>/dev/null ||
            skip "no PID namespace can be made here"
        # Its own PID namespace: whatever the desktop starts ends with it.
        runner=(unshare --pid --fork --kill-child --mount-proc "${as_nobody[@]}")
    fi
    cd "$work"
    "${runner[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" \
        XDG_RUNTIME_DIR="$work/runtime" SESSION_DIR="$work" SESSION_USER_DIR="$work/out" \
        TESS_GNOME_INNER=1 "${passed[@]}" dbus-run-session -- bash "$self" "${session_args[@]}"
    status=$?
    rm -rf "$work"
    exit $status
fi

# Inside the session bus, as the session's user.
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0
trap end_session_processes EXIT

start_private_system_bus || skip "the private system bus did not start"

mkdir "$SESSION_DIR/portals"
cp /usr/share/xdg-desktop-portal/portals/{gnome,gtk,gnome-shell}.portal "$SESSION_DIR/portals/" \
    2>/dev/null
export XDG_DESKTOP_PORTAL_DIR="$SESSION_DIR/portals"

gsettings set org.gnome.desktop.interface enable-animations false
gsettings set org.gnome.desktop.notifications show-banners false
gsettings set org.gnome.desktop.screensaver lock-enabled false
gsettings set org.gnome.desktop.session idle-delay 0

pipewire >"$SESSION_DIR/pipewire.log" 2>&1 &
pids+=($!)
wait_until test -S "$XDG_RUNTIME_DIR/pipewire-0" || skip "PipeWire did not start" "$SESSION_DIR/pipewire.log"
gnome-shell --headless --virtual-monitor 1280x800 --wayland --wayland-display wayland-0 \
    >"$SESSION_DIR/shell.log" 2>&1 &
shell=$!
pids+=($shell)
wait_until bus_owned org.gnome.Shell.Screenshot || skip "gnome-shell did not start" "$SESSION_DIR/shell.log"
# XWayland is the shell's child: its display and authority are on its
# command line.
xwayland() { tr '\0' '\n' <"/proc/$(pgrep -P "$shell" -x Xwayland)/cmdline"; }
wait_until xwayland || skip "gnome-shell started no XWayland" "$SESSION_DIR/shell.log"
DISPLAY=$(xwayland | grep -m1 '^:[0-9]')
XAUTHORITY=$(xwayland | grep -A1 -x -- -auth | tail -n 1)
export DISPLAY XAUTHORITY
wait_until xdpyinfo || skip "XWayland does not answer on $DISPLAY" "$SESSION_DIR/shell.log"
gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method \
    org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive '<false>' >/dev/null
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP \
    XDG_RUNTIME_DIR XDG_SESSION_TYPE DBUS_SYSTEM_BUS_ADDRESS XDG_DESKTOP_PORTAL_DIR
/usr/libexec/gsd-media-keys >"$SESSION_DIR/media-keys.log" 2>&1 &
pids+=($!)
wait_until bus_owned org.gnome.SettingsDaemon.MediaKeys ||
    skip "gsd-media-keys did not start" "$SESSION_DIR/media-keys.log"
portal_offers_screenshot ||
    { echo "with_gnome.sh: the desktop portal does not offer Screenshot" >&2; exit 1; }
"$@"
