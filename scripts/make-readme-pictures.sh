#!/usr/bin/env bash
# Redraws the pictures of the README: a spectrogram of a rendered sound and, when the program is
# built, a screenshot of the main window with the two oscillator windows (under Xvfb).
# Usage: scripts/make-readme-pictures.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The rendered sound: keep this command in step with the README.
"$build/cli/tarmel-render" --pitch 110 --fm 1.3:3:4 --fm 1.2:2:6 --attack 300 -o "$work/sound.wav"
sox "$work/sound.wav" -n rate 3k spectrogram -d 1.0 -x 640 -y 300 -z 70 \
    -t "tarmel-render --pitch 110 --fm 1.3:3:4 --fm 1.2:2:6 --attack 300" -o docs/sound-spectrogram.png
echo "wrote docs/sound-spectrogram.png"

if [ -x "$build/app/tarmel" ] && [ -x scripts/screenshot.sh ]; then
    scripts/screenshot.sh "$build/app/tarmel" docs/screenshot.png
    echo "wrote docs/screenshot.png"
fi
