#!/bin/sh
# Runs the program under Xvfb until it closes itself (the test library loaded into it,
# tests/preload, closes it shortly after it appeared), and fails on any output on standard
# error (Qt's warnings go there) or a non-zero exit status.
program="$1"
config="$2"
hooks="$3"
command -v xvfb-run >/dev/null 2>&1 || { echo "xvfb-run is missing"; exit 77; }
rm -rf "$config" && mkdir -p "$config"
errors="$config/stderr.txt"
# Qt warns when the session has no runtime folder; a test session gets one of its own.
runtime="$config/runtime"
mkdir -p "$runtime" && chmod 700 "$runtime"
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$runtime" SCOUTWELL_QUIT_AFTER_START=1 \
    xvfb-run -a -s "-screen 0 1280x1024x24" env LD_PRELOAD="$hooks" "$program" 2>"$errors"
status=$?
if [ -s "$errors" ]; then
    echo "standard error was not empty:"
    cat "$errors"
    exit 1
fi
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
echo "started and quit cleanly"
