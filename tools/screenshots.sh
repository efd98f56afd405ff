#!/usr/bin/env bash
# Pictures of Jeerkit's four windows for docs/images, taken on a private X server the way a
# player gets to each window: start, About and OK, "Display small window", "Display tiny
# window", "Big", close.
#   tools/screenshots.sh [build-dir]     (default: build, made by tools/dev build)
# Needs Xvfb, openbox, xdotool and ImageMagick's import. Uses a temporary home folder, so
# the player's own settings are neither read nor changed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ $# -gt 0 ]; then
    build=$1
else
    build=$root/build
    "$root/tools/dev" build
fi
exe=$build/src/app/jeerkit
out=$root/docs/images
[ -x "$exe" ] || { echo "no program at $exe: build it first" >&2; exit 1; }
mkdir -p "$out"

display=""
for n in $(seq 91 160); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display number" >&2; exit 1; }

scratch=$(mktemp -d)
pids=()
cleanup() {
    for ((k = ${#pids[@]} - 1; k >= 0; k--)); do
        kill "${pids[k]}" 2>/dev/null || true
        wait "${pids[k]}" 2>/dev/null || true
    done
    rm -rf "$scratch"
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }

export HOME=$scratch XDG_CONFIG_HOME=$scratch/config
openbox >"$scratch/openbox.log" 2>&1 &
pids+=($!)
sleep 1

QT_QPA_PLATFORM=xcb "$exe" >"$scratch/jeerkit.log" 2>&1 &
app=$!
pids+=($app)

# Waits for a visible window whose title matches, prints its id.
window() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
# Clicks at a point of a window's client area (pixels).
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.7; }
shoot() { sleep 0.7; import -window "$1" -frame "$out/$2"; echo "wrote docs/images/$2"; }

main=$(window '^Jeerkit 2\.0')
xdotool mousemove --window "$main" 300 300
shoot "$main" main-window.png

click "$main" 560 19 # About
about=$(xdotool getactivewindow)
shoot "$about" about-box.png
xdotool key --window "$about" alt+o
sleep 0.5

click "$main" 463 19 # Display small window
small=$(window '^Jeerkit $')
xdotool mousemove --window "$small" 17 146 # over button 1
shoot "$small" small-window.png

click "$small" 79 438 # Display tiny window
tiny=$(window '^Jeerkit$')
xdotool mousemove --window "$tiny" 157 10 # over button 1
shoot "$tiny" tiny-window.png

click "$tiny" 24 20 # Big
main=$(window '^Jeerkit 2\.0')
xdotool windowactivate --sync "$main" key alt+F4
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then
    echo "Jeerkit did not end after closing its window" >&2
    exit 1
fi
[ -f "$XDG_CONFIG_HOME/Jeerkit/Jeerkit.ini" ] && echo "closing saved the settings as expected"
exit 0
