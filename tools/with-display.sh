#!/usr/bin/env bash
# Runs a command inside a private X display (Xvfb) with a window manager (openbox) and a
# private D-Bus session bus, and tears all three down afterwards, whatever the outcome.
set -uo pipefail
if [ "${TAVIX_IN_DISPLAY:-}" != 1 ]; then
    export TAVIX_IN_DISPLAY=1
    exec dbus-run-session -- "$0" "$@"
fi
display=""
for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "with-display: no free X display" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
openbox >/dev/null 2>&1 &
wm=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
cleanup() {
    kill "$wm" "$xvfb" 2>/dev/null
    wait "$wm" "$xvfb" 2>/dev/null
}
trap cleanup EXIT
"$@"
status=$?
exit $status
