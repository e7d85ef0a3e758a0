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
# (KWIN_SCREENSHOT_NO_PERMISSION_CHECKS), for reference pictures.
#
# As root the session runs as the unprivileged user nobody, in its own PID
# namespace so that nothing it starts outlives it; SESSION_USER_DIR (created
# here) is then the one folder both sides write to. Exits 77 with a reason
# when the machine has no KDE stack or KWin cannot start here.
set -u
spectacle_keys=0
if [ "${1:-}" = "--spectacle-keys" ]; then
    spectacle_keys=1
    shift
fi
for tool in kwin_wayland Xwayland pipewire dbus-run-session dbus-daemon gdbus xdpyinfo \
    /usr/bin/python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "with_kde.sh: skipped: $tool is not installed (scripts/deps.sh lists it)" >&2
        exit 77
    fi
done
if [ ! -e /usr/share/xdg-desktop-portal/portals/kde.portal ] ||
    ! /usr/bin/python3 -c 'import dbus' 2>/dev/null; then
    echo "with_kde.sh: skipped: xdg-desktop-portal-kde or python3-dbus is not installed" \
        "(scripts/deps.sh lists them)" >&2
    exit 77
fi

if [ "${TESS_KDE_INNER:-}" != 1 ]; then
    work=$(mktemp -d /tmp/tess-kde.XXXXXX)
    chmod 0755 "$work"
    mkdir -m 0700 "$work/runtime" "$work/home"
    mkdir -m 0777 "$work/out" "$work/bin"
    self=$(readlink -f "$0")
    # kwin_wayland carries a file capability (cap_sys_resource) that a
    # container's bounding set may lack, and then it cannot be run at all;
    # a copy carries none.
    cp /usr/bin/kwin_wayland "$work/bin/kwin_wayland"
    passed=()
    for name in TESSARINE_BIN PATTERN_BIN TESSARINE_BUILD PYTHONDONTWRITEBYTECODE \
        TESSARINE_SANITIZED ASAN_OPTIONS UBSAN_OPTIONS; do
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
        runner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        # Where the container allows new namespaces.
        unshare --pid --fork --kill-child --mount-proc true 2>/dev/null &&
            runner=(unshare --pid --fork --kill-child --mount-proc "${runner[@]}")
        if ! setpriv --reuid=65534 --regid=65534 --clear-groups \
            test -r "$self" -a -x "${TESSARINE_BIN:-/bin/true}"; then
            # The session's user cannot reach this checkout: it gets copies
            # of the scripts and programs it runs.
            repo=$(cd "$(dirname "$self")/../.." && pwd)
            mkdir -p "$work/repo/tests"
            cp -r "$repo/tests/system" "$work/repo/tests/"
            self="$work/repo/tests/system/with_kde.sh"
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
    fi
    cd "$work" || exit 1
    "${runner[@]}" env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$work/home" \
        XDG_RUNTIME_DIR="$work/runtime" SESSION_DIR="$work" SESSION_USER_DIR="$work/out" \
        TESS_KDE_INNER=1 TESS_SPECTACLE_KEYS="$spectacle_keys" "${passed[@]}" dbus-run-session -- bash "$self" "$@"
    status=$?
    rm -rf "$work"
    exit $status
fi

# Inside the session bus, as the session's user.
export XDG_CURRENT_DESKTOP=KDE KDE_SESSION_VERSION=5 XDG_SESSION_TYPE=wayland
export KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1
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
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
    done
    wait 2>/dev/null
}
trap cleanup EXIT

# KWin's start-up code asks logind on the system bus: a private, empty one.
cat >"$SESSION_DIR/system.conf" <<EOF
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
EOF
exec 3>"$SESSION_DIR/system-bus.address"
dbus-daemon --config-file="$SESSION_DIR/system.conf" --nofork --print-address=3 &
pids+=($!)
exec 3>&-
# Waits until `test` holds, at most 10 s.
wait_until() {
    for _ in $(seq 1 200); do
        "$@" && return 0
        sleep 0.05
    done
    "$@"
}
wait_until test -s "$SESSION_DIR/system-bus.address"
DBUS_SYSTEM_BUS_ADDRESS=$(head -n1 "$SESSION_DIR/system-bus.address")
export DBUS_SYSTEM_BUS_ADDRESS

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
owned() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}
wait_until test -s "$SESSION_DIR/kwinenv.txt" && wait_until owned org.kde.KWin
if ! owned org.kde.KWin || ! grep -q '^DISPLAY=' "$SESSION_DIR/kwinenv.txt"; then
    echo "with_kde.sh: skipped: KWin did not start here" >&2
    tail -n 20 "$SESSION_DIR/kwin.log" >&2
    exit 77
fi
for name in WAYLAND_DISPLAY DISPLAY XAUTHORITY; do
    export "$(grep "^$name=" "$SESSION_DIR/kwinenv.txt")"
done
wait_until xdpyinfo >/dev/null 2>&1
wait_until test -S "$XDG_RUNTIME_DIR/pipewire-0"
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP \
    KDE_SESSION_VERSION XDG_RUNTIME_DIR XDG_SESSION_TYPE DBUS_SYSTEM_BUS_ADDRESS \
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS
# Started now, so that the tests measure answers, not its start-up.
if ! gdbus call --session --timeout 60 --dest org.freedesktop.portal.Desktop \
    --object-path /org/freedesktop/portal/desktop \
    --method org.freedesktop.DBus.Properties.Get org.freedesktop.portal.Screenshot version \
    >/dev/null; then
    echo "with_kde.sh: the desktop portal does not offer Screenshot" >&2
    exit 1
fi
"$@"
