#!/usr/bin/env bash
# Takes a screenshot of Tarmel's main window with the oscillator 2 and 3 windows open, on a
# private Xvfb display with silent sound. Needs Xvfb, xdotool and ImageMagick's import.
# Usage: scripts/screenshot.sh path/to/tarmel out.png
set -euo pipefail
tarmel=$1
out=$2
source "$(dirname "$0")/screen-session.sh"
needs Xvfb xdotool import
start_screen 1024x768
start_tarmel "$tarmel"
main=$(window_named '^Brennick  Tarmel1.0$' "the main window")

# The main window to the top left, then "Osc2" and "Osc3" (button centres, in pixels).
xdotool windowmove --sync "$main" 0 0
xdotool windowfocus --sync "$main"
xdotool mousemove --window "$main" 620 160 click 1
xdotool mousemove --window "$main" 620 184 click 1
window_named '^Oscillator2$' "the oscillator 2 window" >/dev/null
window_named '^Oscilator3$' "the oscillator 3 window" >/dev/null
# Back to the main window, so that it shows "Keyboard Active".
xdotool windowfocus --sync "$main"
xdotool mousemove 1023 767
sleep 0.5

# The main window is at the top left; the oscillator windows sit lower, at their own places.
import -window root -crop 860x700+0+0 +repage "$out"
