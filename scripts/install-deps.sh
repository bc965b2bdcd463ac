#!/usr/bin/env bash
# Installs the Debian packages Tarmel needs: with no argument those that building and running
# need (make build, make run, make package); with --test also those that the tests, the
# benchmarks and the developer tools need (make test, make bench, make soak).
# Idempotent: does nothing when all packages are present; uses sudo only when not root.
set -euo pipefail

# Building and running: compiler and build tools, the libraries the program links, a font for
# the title picture drawn at build time, and `file`, which packaging needs.
build=(
    build-essential cmake ninja-build pkg-config file
    qt6-base-dev libgl-dev
    libsdl2-dev
    librtmidi-dev libjack-jackd2-dev libasound2-dev
    libsndfile1-dev libsamplerate0-dev
    libtomlplusplus-dev
    libcli11-dev
    libsleef-dev
    libkissfft-dev qt6-svg-dev
    lv2-dev
    fonts-dejavu-core
)

# Testing and developing: GoogleTest, Google Benchmark, a private JACK server, an X server with
# a remote control for the end-to-end tests, the screen reader's interface, the desktop-file, manual-page and package
# checkers, python3 and sox (the documented commands are run as written), clang-format and git;
# espeak-ng speaks the vowel the match benchmark matches; the LV2 host library, validator tools
# and jalv for the plug-in.
test=(
    libgtest-dev libgmock-dev
    libbenchmark-dev
    jackd2 libasound2-plugins
    xvfb xdotool x11-utils xauth libx11-dev
    python3-pyatspi at-spi2-core dbus-daemon
    desktop-file-utils appstream shared-mime-info dpkg-dev man-db lintian
    python3 sox
    clang-format git
    espeak-ng
    liblilv-dev lilv-utils jalv sordi
)

packages=("${build[@]}")
case "${1:-}" in
    "") ;;
    --test) packages+=("${test[@]}") ;;
    *)
        echo "usage: $0 [--test]" >&2
        exit 2
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
