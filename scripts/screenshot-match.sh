#!/usr/bin/env bash
# Takes a screenshot of Tarmel's Sound window after "Match a sound…": the spectrum of a bell made
# by sox (three inharmonic partials) drawn behind the spectrum of the sound the search found, on a
# private Xvfb display with silent sound. Needs Xvfb, xdotool, sox and ImageMagick's import.
# Usage: scripts/screenshot-match.sh path/to/tarmel out.png
set -euo pipefail
tarmel=$1
out=$2
source "$(dirname "$0")/screen-session.sh"
needs Xvfb xdotool sox import
start_screen 1280x900
sox -n -r 44100 -c 3 -b 16 "$work/bell.wav" synth 1 sine 220 sine 563 sine 1017 remix - \
    fade q 0.005 1 0.9 gain -12
start_tarmel "$tarmel" --no-midi --view
view=$(window_named '^Sound$' "the Sound window")
main=$(window_named '^Brennick  Tarmel1.0$' "the main window")

# "Match a sound…" from the menu (the seventh entry that can be chosen at the start), the bell's
# path in the file dialog.
xdotool windowfocus --sync "$main"
sleep 0.3
xdotool key shift+F10
sleep 0.5
xdotool key --delay 50 Down Down Down Down Down Down Down Return
window_named '^Match a sound$' "the file dialog" >/dev/null
sleep 1
xdotool type --delay 20 "$work/bell.wav"
xdotool key Return
# The search: the progress dialog comes and goes.
sleep 2
for _ in $(seq 120); do
    xdotool search --onlyvisible --name '^Match a sound$' >/dev/null 2>&1 || break
    sleep 0.5
done
xdotool windowmove --sync "$view" 0 0
xdotool windowsize --sync "$view" 860 560
sleep 1
import -window "$view" "$out"
