#!/bin/sh
# Starts the program under Xvfb with a screen of the given size and checks, from the
# report of where its File name and Look in boxes are (made by the report library loaded
# into the program, tests/preload) and from a screenshot of the X server, that both
# boxes are wholly on the screen with a usable size and drawn.
program="$1"
config="$2"
screen="$3"
report_library="$4"
for tool in xvfb-run import convert; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is missing"; exit 77; }
done
rm -rf "$config" && mkdir -p "$config"
runtime="$config/runtime"
mkdir -p "$runtime" && chmod 700 "$runtime"
report="$config/report.txt"
shot="$config/screen.png"

# Inside the X session: start the program, wait for its report, take the screenshot, then
# remove the report, which closes the program.
session='
    LD_PRELOAD="$3" "$0" & pid=$!
    tries=0
    while [ ! -f "$1" ] && [ $tries -lt 400 ] && kill -0 $pid 2>/dev/null; do
        sleep 0.05; tries=$((tries + 1))
    done
    [ -f "$1" ] || { echo "no report from the program"; kill $pid 2>/dev/null; exit 1; }
    import -window root "$2" || { kill $pid; exit 1; }
    cp "$1" "$1.kept" && rm -f "$1"
    wait $pid
'
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$config" XDG_CONFIG_HOME="$config" \
    XDG_RUNTIME_DIR="$runtime" SCOUTWELL_REPORT_CONTROLS="$report" \
    xvfb-run -a -s "-screen 0 ${screen}x24" sh -c "$session" "$program" "$report" "$shot" \
    "$report_library" \
    2>"$config/stderr.txt"
status=$?
[ "$status" -eq 0 ] || { echo "session failed ($status)"; cat "$config/stderr.txt"; exit 1; }

width=${screen%x*}
height=${screen#*x}
failed=0
for control in FileName LookIn; do
    line=$(grep "^$control " "$report.kept")
    set -- $line
    x=$2 y=$3 w=$4 h=$5 whole=$6
    if [ -z "$line" ] || [ "$w" -lt 20 ] || [ "$h" -lt 10 ] || [ "$whole" != 1 ] ||
        [ "$x" -lt 0 ] || [ "$y" -lt 0 ] || [ $((x + w)) -gt "$width" ] ||
        [ $((y + h)) -gt "$height" ]; then
        echo "$control is not wholly on a ${screen} screen: ${line:-missing}"
        failed=1
        continue
    fi
    # A box that is drawn has its frame and field in more than one colour.
    spread=$(convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -format '%[fx:standard_deviation]' info:)
    if [ "$spread" = 0 ]; then
        echo "$control shows nothing on the screen at ${w}x${h}+${x}+${y}"
        failed=1
    fi
done
[ "$failed" -eq 0 ] || exit 1
echo "File name and Look in are on a ${screen} screen"
