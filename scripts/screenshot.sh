#!/usr/bin/env bash
# Takes a screenshot of Tarmel's main window with the oscillator 2 and 3 windows open, on a
# private Xvfb display with silent sound. Needs Xvfb, xdotool and ImageMagick's import.
# Usage: scripts/screenshot.sh path/to/tarmel out.png
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
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    kill "$xvfb" 2>/dev/null
}
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

SDL_AUDIODRIVER=dummy "$tarmel" &
app=$!
main=
for _ in $(seq 100); do
    main=$(xdotool search --onlyvisible --name '^Brennick  Tarmel1.0$' 2>/dev/null | head -n 1) && [ -n "$main" ] && break
    sleep 0.1
done
[ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }

# The main window to the top left, then "Osc2" and "Osc3" (button centres, in pixels).
xdotool windowmove --sync "$main" 0 0
xdotool windowfocus --sync "$main"
xdotool mousemove --window "$main" 620 160 click 1
xdotool mousemove --window "$main" 620 184 click 1
for name in '^Oscillator2$' '^Oscilator3$'; do
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "$name" >/dev/null 2>&1 && break
        sleep 0.1
    done
done
# Back to the main window, so that it shows "Keyboard Active".
xdotool windowfocus --sync "$main"
xdotool mousemove 1023 767
sleep 0.5

# The main window is at the top left; the oscillator windows sit lower, at their own places.
import -window root -crop 860x700+0+0 +repage "$out"
