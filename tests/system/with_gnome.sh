#!/usr/bin/env bash
# Runs a command inside a private headless GNOME session: gnome-shell
# (mutter's virtual monitor, 1280x800) with XWayland, PipeWire, a private
# system bus (gnome-shell does not start without one), its own session bus,
# the desktop portal with GNOME's backends only (as GNOME ships), and
# gnome-settings-daemon's media-keys plugin, which runs custom key bindings;
# then tears it all down.
#
#   with_gnome.sh COMMAND [ARGS...]
#
# The command sees WAYLAND_DISPLAY, DISPLAY and XAUTHORITY (XWayland),
# DBUS_SESSION_BUS_ADDRESS and XDG_CURRENT_DESKTOP=GNOME. The desktop starts
# quiet (no animations, banners, screen lock or overview). As root the whole
# session runs as the unprivileged user nobody in its own PID namespace;
# SESSION_USER_DIR is then the one folder both sides write to. Exits 77 with
# a reason when the machine has no GNOME, or when it cannot start here.
set -u
for tool in gnome-shell Xwayland pipewire dbus-run-session dbus-daemon gdbus gsettings \
    xdpyinfo unshare setpriv; do
    if ! command -v "$tool" >/dev/null; then
        echo "with_gnome.sh: skipped: $tool is not installed (scripts/deps.sh lists it)" >&2
        exit 77
    fi
done
for file in /usr/libexec/gsd-media-keys /usr/libexec/xdg-desktop-portal-gnome \
    /usr/share/xdg-desktop-portal/portals/gnome.portal; do
    if [ ! -e "$file" ]; then
        echo "with_gnome.sh: skipped: $file is missing (scripts/deps.sh lists its package)" >&2
        exit 77
    fi
done

if [ "${TESS_GNOME_INNER:-}" != 1 ]; then
    work=$(mktemp -d /tmp/tess-gnome.XXXXXX)
    chmod 0755 "$work"
    mkdir -m 0700 "$work/runtime" "$work/home"
    mkdir -m 0777 "$work/out"
    self=$(readlink -f "$0")
    passed=()
    for name in TESSARINE_BIN PATTERN_BIN TESSARINE_BUILD PYTHONDONTWRITEBYTECODE; do
        [ -n "${!name:-}" ] && passed+=("$name=${!name}")
    done
    args=()
    for a in "$@"; do
        [ -e "$a" ] && a=$(readlink -f "$a")
        args+=("$a")
    done
    set -- "${args[@]}"
    runner=()
    if [ "$(id -u)" -eq 0 ]; then
        # Its own PID namespace: whatever the desktop starts ends with it.
        runner=(unshare --pid --fork --kill-child --mount-proc
            setpriv --reuid=65534 --regid=65534 --clear-groups)
        if ! setpriv --reuid=65534 --regid=65534 --clear-groups \
            test -r "$self" -a -x "${TESSARINE_BIN:-/bin/true}"; then
            # The session's user cannot reach this checkout: it gets copies.
            repo=$(cd "$(dirname "$self")/../.." && pwd)
            mkdir -p "$work/repo/tests" "$work/bin"
            cp -r "$repo/tests/system" "$work/repo/tests/"
            self="$work/repo/tests/system/with_gnome.sh"
            for name in TESSARINE_BIN PATTERN_BIN; do
                [ -n "${!name:-}" ] || continue
                cp "${!name}" "$work/bin/"
                passed+=("$name=$work/bin/$(basename "${!name}")")
            done
            [ -n "${TESSARINE_BIN:-}" ] &&
                cp "$(dirname "$TESSARINE_BIN")"/tessarine-{window,portal} "$work/bin/"
            args=()
            for a in "$@"; do
                case "$a" in
                    "$repo"/*) args+=("$work/repo/${a#"$repo"/}") ;;
                    *) args+=("$a") ;;
                esac
            done
            set -- "${args[@]}"
        fi
        chown -R 65534:65534 "$work"
        if ! unshare --pid --fork --kill-child --mount-proc true 2>/dev/null; then
            echo "with_gnome.sh: skipped: no PID namespace can be made here" >&2
            rm -rf "$work"
            exit 77
        fi
    fi
    cd "$work"
    "${runner[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" \
        XDG_RUNTIME_DIR="$work/runtime" SESSION_DIR="$work" SESSION_USER_DIR="$work/out" \
        TESS_GNOME_INNER=1 "${passed[@]}" dbus-run-session -- bash "$self" "$@"
    status=$?
    rm -rf "$work"
    exit $status
fi

# Inside the session bus, as the session's user.
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
    done
    wait 2>/dev/null
}
trap cleanup EXIT

# Waits up to 20 s for a condition (a command), polling.
await() {
    for _ in $(seq 1 400); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}
owned() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" | grep -q true
}
skip() {
    echo "with_gnome.sh: skipped: $1" >&2
    [ -n "${2:-}" ] && tail -n 20 "$2" >&2
    exit 77
}

# A private, empty system bus.
cat >"$SESSION_DIR/system.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:tmpdir=$SESSION_DIR</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$SESSION_DIR/system.conf" --nofork \
    --print-address=3 3>"$SESSION_DIR/system.address" 2>"$SESSION_DIR/system.log" &
pids+=($!)
await grep -q . "$SESSION_DIR/system.address" || skip "the private system bus did not start"
DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$SESSION_DIR/system.address")
export DBUS_SYSTEM_BUS_ADDRESS

# GNOME's portal backends only, as GNOME ships.
mkdir -p "$SESSION_DIR/portals"
for p in gnome gtk gnome-shell; do
    [ -e "/usr/share/xdg-desktop-portal/portals/$p.portal" ] &&
        cp "/usr/share/xdg-desktop-portal/portals/$p.portal" "$SESSION_DIR/portals/"
done
export XDG_DESKTOP_PORTAL_DIR="$SESSION_DIR/portals"

# A quiet desktop: nothing moves, pops up or locks while the tests look.
gsettings set org.gnome.desktop.interface enable-animations false
gsettings set org.gnome.desktop.notifications show-banners false
gsettings set org.gnome.desktop.screensaver lock-enabled false
gsettings set org.gnome.desktop.session idle-delay 0

pipewire >"$SESSION_DIR/pipewire.log" 2>&1 &
pids+=($!)
await test -S "$XDG_RUNTIME_DIR/pipewire-0" || skip "PipeWire did not start" "$SESSION_DIR/pipewire.log"

gnome-shell --headless --virtual-monitor 1280x800 --wayland --wayland-display wayland-0 \
    >"$SESSION_DIR/shell.log" 2>&1 &
shell=$!
pids+=($shell)
export WAYLAND_DISPLAY=wayland-0
await owned org.gnome.Shell.Screenshot || skip "gnome-shell did not start" "$SESSION_DIR/shell.log"
# XWayland is the shell's child: its display and authority file are on its
# command line.
xwayland_args() {
    local pid
    pid=$(pgrep -P "$shell" -x Xwayland) || return 1
    tr '\0' '\n' <"/proc/$pid/cmdline"
}
await xwayland_args || skip "gnome-shell started no XWayland" "$SESSION_DIR/shell.log"
DISPLAY=$(xwayland_args | grep -m1 '^:[0-9]')
XAUTHORITY=$(xwayland_args | grep -A1 -x -- -auth | tail -n 1)
export DISPLAY XAUTHORITY
await xdpyinfo || skip "XWayland does not answer on $DISPLAY" "$SESSION_DIR/shell.log"
gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive '<false>' \
    >/dev/null
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP \
    XDG_RUNTIME_DIR XDG_SESSION_TYPE DBUS_SYSTEM_BUS_ADDRESS XDG_DESKTOP_PORTAL_DIR

/usr/libexec/gsd-media-keys >"$SESSION_DIR/media-keys.log" 2>&1 &
pids+=($!)
await owned org.gnome.SettingsDaemon.MediaKeys ||
    skip "gsd-media-keys did not start" "$SESSION_DIR/media-keys.log"

# Started now, so that the tests measure answers, not its start-up.
if ! gdbus call --session --timeout 60 --dest org.freedesktop.portal.Desktop \
    --object-path /org/freedesktop/portal/desktop \
    --method org.freedesktop.DBus.Properties.Get org.freedesktop.portal.Screenshot version \
    >/dev/null; then
    echo "with_gnome.sh: the desktop portal does not offer Screenshot" >&2
    exit 1
fi
"$@"
