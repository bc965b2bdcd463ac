#!/usr/bin/env bash
# Takes a screenshot of Tarmel's Sound window showing a played note, on a private Xvfb display
# with silent sound. Needs Xvfb, xdotool and ImageMagick's import.
# Usage: scripts/screenshot-sound.sh path/to/tarmel out.png
set -euo pipefail
tarmel=$1
out=$2
source "$(dirname "$0")/screen-session.sh"
needs Xvfb xdotool import
start_screen 1024x768
start_tarmel "$tarmel" --no-midi --view
view=$(window_named '^Sound$' "the Sound window")

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
