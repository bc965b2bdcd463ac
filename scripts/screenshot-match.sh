#!/usr/bin/env bash
# Takes a screenshot of Tarmel's Sound window after "Match a sound…": the spectrum of a bell made
# by sox (three inharmonic partials) drawn behind the spectrum of the sound the search found, on a
# private Xvfb display with silent sound. Needs Xvfb, xdotool, sox and ImageMagick's import.
# Usage: scripts/screenshot-match.sh path/to/tarmel out.png
set -euo pipefail
tarmel=$1
out=$2
for tool in Xvfb xdotool sox import; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install xvfb xdotool sox imagemagick)" >&2; exit 1; }
done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp &
xvfb=$!
app=
work=$(mktemp -d)
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null
    kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display XDG_CONFIG_HOME=$work/config
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

sox -n -r 44100 -c 3 -b 16 "$work/bell.wav" synth 1 sine 220 sine 563 sine 1017 remix - \
    fade q 0.005 1 0.9 gain -12

SDL_AUDIODRIVER=dummy "$tarmel" --no-midi --view &
app=$!
view=
for _ in $(seq 100); do
    view=$(xdotool search --onlyvisible --name '^Sound$' 2>/dev/null | head -n 1) && [ -n "$view" ] && break
    sleep 0.1
done
[ -n "$view" ] || { echo "the Sound window did not appear" >&2; exit 1; }
main=$(xdotool search --onlyvisible --name '^Brennick  Tarmel1.0$' | head -n 1)

# "Match a sound…" from the menu (the seventh entry that can be chosen at the start), the bell's
# path in the file dialog.
xdotool windowfocus --sync "$main"
sleep 0.3
xdotool key shift+F10
sleep 0.5
xdotool key --delay 50 Down Down Down Down Down Down Down Return
dialog=
for _ in $(seq 100); do
    dialog=$(xdotool search --onlyvisible --name '^Match a sound$' 2>/dev/null | head -n 1) && [ -n "$dialog" ] && break
    sleep 0.1
done
[ -n "$dialog" ] || { echo "the file dialog did not appear" >&2; exit 1; }
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
