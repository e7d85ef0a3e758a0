# What the desktop session scripts (with_sway.sh, with_gnome.sh,
# with_kde.sh) share, sourced by each: the session's folder, what is handed
# in to the session's user, and the session's own buses, waits and
# processes.

# Outside the session --------------------------------------------------------

# Exits 77 (a skipped test), naming the first of the tools given that is not
# installed; $1 is the script's name.
require_tools() {
    local script=$1 tool
    shift
    for tool; do
        if ! command -v "$tool" >/dev/null; then
            echo "$script: skipped: $tool is not installed (scripts/deps.sh lists it)" >&2
            exit 77
        fi
    done
}

# A fresh folder for a session called $1: runtime/ and home/ private to the
# session's user, out/ for both sides. Sets `work`.
new_session_folder() {
    work=$(mktemp -d "/tmp/tess-$1.XXXXXX")
    chmod 0755 "$work"
    mkdir -m 0700 "$work/runtime" "$work/home"
    mkdir -m 0777 "$work/out"
}

# Appends NAME=value to the array `passed` for every NAME given that is set.
pass_variables() {
    local name
    for name; do
        if [ -n "${!name:-}" ]; then
            passed+=("$name=${!name}")
        fi
    done
}

# The session starts in its own folder: arguments naming files become
# absolute. Sets the array `session_args`.
absolute_args() {
    local a
    session_args=()
    for a; do
        [ -e "$a" ] && a=$(readlink -f "$a")
        session_args+=("$a")
    done
}

# The session's user when run as root: nobody.
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)

# Whether nobody reaches the script `self` and the program under test.
nobody_reaches_checkout() {
    "${as_nobody[@]}" test -r "$self" -a -x "${TESSARINE_BIN:-/bin/true}"
}

# For a checkout nobody cannot reach (under /root, say): copies of
# tests/system in $work/repo, and of the programs the variables given name
# in $work/bin (the launcher's two programs with it). `passed` and `self`
# then name the copies, and so do the arguments in `session_args` that
# named files of the checkout. Sets `repo` to the checkout.
copy_checkout_for_nobody() {
    local name a rewritten=()
    repo=$(cd "$(dirname "$self")/../.." && pwd)
    mkdir -p "$work/repo/tests" "$work/bin"
    cp -r "$repo/tests/system" "$work/repo/tests/"
    self="$work/repo/tests/system/$(basename "$self")"
    for name; do
        [ -n "${!name:-}" ] || continue
        cp "${!name}" "$work/bin/"
        passed+=("$name=$work/bin/$(basename "${!name}")")
    done
    if [ -n "${TESSARINE_BIN:-}" ]; then
        cp "$(dirname "$TESSARINE_BIN")"/tessarine-{window,portal} "$work/bin/"
    fi
    for a in "${session_args[@]}"; do
        case "$a" in
            "$repo"/*) rewritten+=("$work/repo/${a#"$repo"/}") ;;
            *) rewritten+=("$a") ;;
        esac
    done
    session_args=("${rewritten[@]}")
}

# Inside the session ----------------------------------------------------------

# Background processes of the session, ended last first when it ends. One
# that has not ended 5 s after SIGTERM (fluxbox was seen to stay, its
# display gone) is killed, so that the session always ends.
pids=()
running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat%% *}" != Z ]
}
end_session_processes() {
    local i pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 1 50); do
            running "$pid" || break
            sleep 0.1
        done
        running "$pid" && kill -KILL "$pid" 2>/dev/null
    done
    wait 2>/dev/null
}

# Runs the command until it succeeds, for at most 20 s; its status.
wait_until() {
    for _ in $(seq 1 400); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    "$@" >/dev/null 2>&1
}

# Whether the name has an owner on the session bus.
bus_owned() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

# A private, empty system bus (the desktops ask logind there), exported in
# DBUS_SYSTEM_BUS_ADDRESS; false when it did not start.
start_private_system_bus() {
    cat >"$SESSION_DIR/system.conf" <<EOF
<busconfig><type>system</type><listen>unix:tmpdir=$SESSION_DIR</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/>
<allow eavesdrop="true"/><allow own="*"/></policy></busconfig>
EOF
    dbus-daemon --config-file="$SESSION_DIR/system.conf" --nofork --print-address=3 \
        3>"$SESSION_DIR/system.address" 2>/dev/null &
    pids+=($!)
    wait_until test -s "$SESSION_DIR/system.address" || return 1
    DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 "$SESSION_DIR/system.address")
    export DBUS_SYSTEM_BUS_ADDRESS
}

# Whether the portal service $1 (its interface $2) offers screenshots; asked
# once before the command runs, so that the tests measure answers, not the
# portal's start-up.
portal_offers_screenshot() {
    gdbus call --session --timeout 60 --dest "${1:-org.freedesktop.portal.Desktop}" \
        --object-path /org/freedesktop/portal/desktop \
        --method org.freedesktop.DBus.Properties.Get \
        "${2:-org.freedesktop.portal.Screenshot}" version >/dev/null
}
