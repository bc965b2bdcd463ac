#!/usr/bin/env bash
# Redraws the pictures of the README: tarmel-render's picture of a rendered sound and, when the
# program is built, screenshots of the main window with the two oscillator windows and of the
# Sound window (under Xvfb).
# Usage: scripts/make-readme-pictures.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

# The rendered sound as the Sound window draws it: keep this command in step with the README.
"$build/cli/tarmel-render" --pitch 110 --fm 1.3:3:4 --fm 1.2:2:6 --attack 300 --force \
    --picture docs/sound-picture.png
echo "wrote docs/sound-picture.png"

if [ -x "$build/app/tarmel" ] && [ -x scripts/screenshot.sh ]; then
    scripts/screenshot.sh "$build/app/tarmel" docs/screenshot.png
    echo "wrote docs/screenshot.png"
    scripts/screenshot-sound.sh "$build/app/tarmel" docs/sound-window.png
    echo "wrote docs/sound-window.png"
    scripts/screenshot-match.sh "$build/app/tarmel" docs/match-window.png
    echo "wrote docs/match-window.png"
fi
