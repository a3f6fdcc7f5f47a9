#!/bin/sh
# Runs a test program as a native Wayland client of a weston of its own:
#
#   under-weston.sh headless|x11 WORK-FOLDER PROGRAM [ARGUMENTS...]
#
# headless: weston's headless back end (no seat: no keyboard, no clipboard).
# x11: weston's X11 back end inside Xvfb, which gives weston a seat with a keyboard, so
# that selections (the clipboard) work between its clients.
# Exits 77 (a skip for ctest), saying why, only where weston cannot start.
backend="$1"
work="$2"
shift 2

skip() {
    echo "SKIPPED: $*"
    exit 77
}

command -v weston >/dev/null 2>&1 || skip "weston is missing (Debian: weston)"
if [ "$backend" = x11 ] && [ -z "$UNDER_WESTON_IN_XVFB" ]; then
    command -v xvfb-run >/dev/null 2>&1 || skip "xvfb-run is missing for weston's X11 back end"
    rm -rf "$work" && mkdir -p "$work"
    # xvfb-run starts its X server only once the previous one is gone: -a picks a free one.
    UNDER_WESTON_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1400x1000x24" \
        sh "$0" "$backend" "$work" "$@"
fi

[ -n "$UNDER_WESTON_IN_XVFB" ] || { rm -rf "$work" && mkdir -p "$work"; }
runtime="$work/runtime"
mkdir -p "$runtime" && chmod 700 "$runtime"
socket="scoutwell-test-$$"
log="$work/weston.log"

env -u WAYLAND_DISPLAY XDG_RUNTIME_DIR="$runtime" \
    weston --backend="$backend-backend.so" --use-pixman --no-config --idle-time=0 \
    --socket="$socket" --width=1280 --height=800 --log="$log" >/dev/null 2>&1 &
weston_pid=$!
trap 'kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null' EXIT

# Up to 10 s for weston to listen, then its shell needs a moment to map the desktop.
tries=0
while [ ! -S "$runtime/$socket" ]; do
    if ! kill -0 "$weston_pid" 2>/dev/null || [ "$tries" -ge 200 ]; then
        cat "$log" 2>/dev/null
        skip "weston could not start with its $backend back end"
    fi
    sleep 0.05
    tries=$((tries + 1))
done

env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
    "$@"
status=$?
[ "$status" -eq 0 ] || { echo "--- weston's log:"; cat "$log"; }
exit "$status"
