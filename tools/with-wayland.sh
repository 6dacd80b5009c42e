#!/usr/bin/env bash
# Runs a command inside a private headless Wayland compositor (weston) with no X display, a
# private D-Bus session bus and a private runtime directory (so the accessibility bus of this
# run is its own), and tears them all down afterwards, whatever the outcome. Qt programs
# started by the command choose their platform as on a user's Wayland desktop (from
# WAYLAND_DISPLAY; QT_QPA_PLATFORM is cleared).
#
# The compositor is started with its debugging protocols on, so that weston-screenshooter
# can take screenshots; it has no input devices.
set -uo pipefail
if [ "${TAVIX_IN_WAYLAND:-}" != 1 ]; then
    export TAVIX_IN_WAYLAND=1
    runtime=$(mktemp -d /tmp/tavix-wayland.XXXXXX)
    chmod 700 "$runtime"
    (unset DISPLAY; XDG_RUNTIME_DIR="$runtime" dbus-run-session -- "$0" "$@")
    status=$?
    rm -rf "$runtime"
    exit $status
fi

unset DISPLAY
socket="tavix-wayland-$$"
log=$(mktemp /tmp/tavix-weston.XXXXXX.log)
weston --backend=headless-backend.so --use-pixman --width=1280 --height=1024 \
    --socket="$socket" --idle-time=0 --debug --log="$log" >/dev/null 2>&1 &
compositor=$!
cleanup() {
    kill "$compositor" 2>/dev/null
    wait 2>/dev/null
    rm -f "$log"
}
trap cleanup EXIT
for _ in $(seq 200); do
    [ -S "$XDG_RUNTIME_DIR/$socket" ] && grep -q 'launching.*weston-desktop-shell' "$log" && break
    sleep 0.05
done
if ! kill -0 "$compositor" 2>/dev/null || [ ! -S "$XDG_RUNTIME_DIR/$socket" ]; then
    echo "with-wayland: weston did not start" >&2
    cat "$log" >&2
    exit 1
fi
export WAYLAND_DISPLAY="$socket"
export XDG_SESSION_TYPE=wayland
unset QT_QPA_PLATFORM
"$@"
