#!/usr/bin/env bash
# Runs a command inside a private X display (Xvfb) with a window manager, a private D-Bus
# session bus and a private runtime directory (so the accessibility bus of this run is its
# own), and tears them all down afterwards, whatever the outcome.
# TAVIX_SCREEN sets the screen's size and depth (1280x1024x24 by default).
# TAVIX_WM picks the window manager: openbox (the default), mutter (GNOME's, as an X11 window
# manager) or kwin (KDE Plasma's kwin_x11).
set -uo pipefail
if [ "${TAVIX_IN_DISPLAY:-}" != 1 ]; then
    export TAVIX_IN_DISPLAY=1
    runtime=$(mktemp -d /tmp/tavix-runtime.XXXXXX)
    chmod 700 "$runtime"
    XDG_RUNTIME_DIR="$runtime" dbus-run-session -- "$0" "$@"
    status=$?
    rm -rf "$runtime"
    exit $status
fi

# Xvfb picks a free display itself and writes its number to the pipe. -noreset: without it the
# server resets when its last client leaves (the xdpyinfo probe below), and a window manager
# that connects during the reset is refused.
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 "${TAVIX_SCREEN:-1280x1024x24}" -nolisten tcp -noreset 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
wm=""
cleanup() {
    [ -n "$wm" ] && kill "$wm" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -f "$displayfile"
}
trap cleanup EXIT
for _ in $(seq 200); do [ -s "$displayfile" ] && break; sleep 0.05; done
number=$(tr -dc '0-9' <"$displayfile")
[ -n "$number" ] || { echo "with-display: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"
for _ in $(seq 200); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
xdpyinfo >/dev/null 2>&1 || { echo "with-display: $DISPLAY does not answer" >&2; exit 1; }

# Services that the desktop starts on demand (kwin's kglobalaccel) need the display too.
dbus-update-activation-environment DISPLAY XDG_RUNTIME_DIR >/dev/null 2>&1
case "${TAVIX_WM:-openbox}" in
    openbox) openbox >/dev/null 2>&1 & ;;
    mutter) mutter --x11 --replace --sm-disable >/dev/null 2>&1 & ;;
    kwin) kwin_x11 --replace >/dev/null 2>&1 & ;;
    *) echo "with-display: unknown window manager TAVIX_WM=$TAVIX_WM" >&2; exit 1 ;;
esac
wm=$!
# The manager is up when it names itself on the root window, and it manages when it frames a
# window: a probe window stays mapped until the manager has given it _NET_FRAME_EXTENTS.
for _ in $(seq 400); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    kill -0 "$wm" 2>/dev/null || break
    sleep 0.05
done
# A probe that is never framed (now and then one is lost as the manager starts) is made again.
framed=""
for _ in 1 2 3 4; do
    kill -0 "$wm" 2>/dev/null || break
    xmessage -name tavix-wm-probe -timeout 10 probe >/dev/null 2>&1 &
    probe=$!
    for _ in $(seq 100); do
        for id in $(xdotool search --classname tavix-wm-probe 2>/dev/null); do
            xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' && framed=1
        done
        [ -n "$framed" ] && break
        sleep 0.05
    done
    kill "$probe" 2>/dev/null
    wait "$probe" 2>/dev/null
    [ -n "$framed" ] && break
    echo "with-display: the manager framed no probe window in 5 s; another one" >&2
done
if ! kill -0 "$wm" 2>/dev/null || [ -z "$framed" ]; then
    echo "with-display: the window manager (${TAVIX_WM:-openbox}) did not start" >&2
    exit 1
fi

"$@"
