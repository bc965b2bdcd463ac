#!/usr/bin/env bash
# Takes a screenshot of Tarmel's Sound window showing a played note, on a private Xvfb display
# with silent sound. Needs Xvfb, xdotool and ImageMagick's import.
# Usage: scripts/screenshot-sound.sh path/to/tarmel out.png
set -euo pipefail
tarmel=$1
out=$2
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install xvfb xdotool imagemagick)" >&2; exit 1; }
done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
xvfb=$!
app=
config=$(mktemp -d)
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$config"
}
trap cleanup EXIT
export DISPLAY=$display XDG_CONFIG_HOME=$config
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

SDL_AUDIODRIVER=dummy "$tarmel" --no-midi --view &
app=$!
view=
for _ in $(seq 100); do
    view=$(xdotool search --onlyvisible --name '^Sound$' 2>/dev/null | head -n 1) && [ -n "$view" ] && break
    sleep 0.1
done
[ -n "$view" ] || { echo "the Sound window did not appear" >&2; exit 1; }

# The Sound window to the top left, oscillator 2's trace on (not heard), then "H" played in it,
# with the main window's third modulator on.
main=$(xdotool search --onlyvisible --name '^Brennick  Tarmel1.0$' | head -n 1)
xdotool windowmove --sync "$main" 300 500
xdotool windowfocus --sync "$main"
xdotool mousemove --window "$main" 262 240 click 1
xdotool windowmove --sync "$view" 0 0
xdotool windowsize --sync "$view" 860 560
xdotool windowfocus --sync "$view"
sleep 0.3
xdotool key Tab Tab space h
sleep 0.5
# Zoomed in around 0.3 s to a few cycles, the pointer on the spectrum for its readout.
xdotool mousemove --window "$view" 260 130 click --repeat 14 --delay 30 4
xdotool mousemove --window "$view" 306 352
sleep 0.5
import -window "$view" "$out"
