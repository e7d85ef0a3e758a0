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
skip() {
    echo "with_gnome.sh: skipped: $1" >&2
    [ -n "${2:-}" ] && tail -n 20 "$2" >&2
    exit 77
}
for tool in gnome-shell Xwayland pipewire dbus-run-session gsettings xdpyinfo unshare \
    /usr/libexec/gsd-media-keys /usr/libexec/xdg-desktop-portal-gnome; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/deps.sh lists it)"
done

if [ "${TESS_GNOME_INNER:-}" != 1 ]; then
    work=$(mktemp -d /tmp/tess-gnome.XXXXXX)
    chmod 0755 "$work"
    mkdir -m 0700 "$work/runtime" "$work/home"
    mkdir -m 0777 "$work/out"
    self=$(readlink -f "$0")
    passed=()
    for name in TESSARINE_BIN PATTERN_BIN PYTHONDONTWRITEBYTECODE TESSARINE_SANITIZED ASAN_OPTIONS \
        UBSAN_OPTIONS; do
        [ -n "${!name:-}" ] && passed+=("$name=${!name}")
    done
    runner=()
    if [ "$(id -u)" -eq 0 ]; then
        as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        if ! "${as_nobody[@]}" test -r "$self" -a -x "${TESSARINE_BIN:-/bin/true}"; then
            # nobody cannot reach this checkout: it gets copies.
            mkdir -p "$work/bin" && cp -r "$(dirname "$self")" "$work/system"
            args=()
            for a in "$@"; do args+=("${a/#$(dirname "$self")/$work/system}"); done
            set -- "${args[@]}"
            self="$work/system/with_gnome.sh"
            cp "$TESSARINE_BIN" "$(dirname "$TESSARINE_BIN")"/tessarine-{window,portal} \
                "$PATTERN_BIN" "$work/bin/"
            passed+=("TESSARINE_BIN=$work/bin/tessarine"
                "PATTERN_BIN=$work/bin/$(basename "$PATTERN_BIN")")
        fi
        chown -R 65534:65534 "$work"
        unshare --pid --fork --kill-child --mount-proc true 2>/dev/null ||
            skip "no PID namespace can be made here"
        # Its own PID namespace: whatever the desktop starts ends with it.
        runner=(unshare --pid --fork --kill-child --mount-proc "${as_nobody[@]}")
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
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-0
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    wait 2>/dev/null
}
trap cleanup EXIT
# Waits up to 20 s for a command to succeed.
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

cat >"$SESSION_DIR/system.conf" <<CONF
<busconfig><type>system</type><listen>unix:tmpdir=$SESSION_DIR</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/>
<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>
CONF
dbus-daemon --config-file="$SESSION_DIR/system.conf" --nofork --print-address=3 \
    3>"$SESSION_DIR/system.address" 2>/dev/null &
pids+=($!)
await grep -q . "$SESSION_DIR/system.address" || skip "the private system bus did not start"
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$SESSION_DIR/system.address")

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
await test -S "$XDG_RUNTIME_DIR/pipewire-0" || skip "PipeWire did not start" "$SESSION_DIR/pipewire.log"
gnome-shell --headless --virtual-monitor 1280x800 --wayland --wayland-display wayland-0 \
    >"$SESSION_DIR/shell.log" 2>&1 &
shell=$!
pids+=($shell)
await owned org.gnome.Shell.Screenshot || skip "gnome-shell did not start" "$SESSION_DIR/shell.log"
# XWayland is the shell's child: its display and authority are on its
# command line.
xwayland() { tr '\0' '\n' <"/proc/$(pgrep -P "$shell" -x Xwayland)/cmdline"; }
await xwayland || skip "gnome-shell started no XWayland" "$SESSION_DIR/shell.log"
DISPLAY=$(xwayland | grep -m1 '^:[0-9]')
XAUTHORITY=$(xwayland | grep -A1 -x -- -auth | tail -n 1)
export DISPLAY XAUTHORITY
await xdpyinfo || skip "XWayland does not answer on $DISPLAY" "$SESSION_DIR/shell.log"
gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method \
    org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive '<false>' >/dev/null
dbus-update-activation-environment WAYLAND_DISPLAY DISPLAY XAUTHORITY XDG_CURRENT_DESKTOP \
    XDG_RUNTIME_DIR XDG_SESSION_TYPE DBUS_SYSTEM_BUS_ADDRESS XDG_DESKTOP_PORTAL_DIR
/usr/libexec/gsd-media-keys >"$SESSION_DIR/media-keys.log" 2>&1 &
pids+=($!)
await owned org.gnome.SettingsDaemon.MediaKeys ||
    skip "gsd-media-keys did not start" "$SESSION_DIR/media-keys.log"
# Started now, so that the tests measure answers, not its start-up.
gdbus call --session --timeout 60 --dest org.freedesktop.portal.Desktop --object-path \
    /org/freedesktop/portal/desktop --method org.freedesktop.DBus.Properties.Get \
    org.freedesktop.portal.Screenshot version >/dev/null ||
    { echo "with_gnome.sh: the desktop portal does not offer Screenshot" >&2; exit 1; }
"$@"
