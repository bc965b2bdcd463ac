#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Tarmel needs.
# Idempotent: does nothing when all packages are present; uses sudo only when not root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev libgl-dev
    libsdl2-dev
    librtmidi-dev jackd2
    libsndfile1-dev
    libtomlplusplus-dev
    libcli11-dev
    libsleef-dev
    libkissfft-dev qt6-svg-dev
    libgtest-dev libgmock-dev
    libbenchmark-dev
    clang-format
    xvfb xdotool x11-utils xauth libx11-dev
    fonts-dejavu-core
    desktop-file-utils appstream shared-mime-info dpkg-dev file
)

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
