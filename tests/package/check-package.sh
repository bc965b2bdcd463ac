#!/usr/bin/env bash
# Checks the desktop files and the Debian package without touching the system: validates the
# desktop entry and the AppStream file, builds the package into a temporary folder, unpacks it
# there and renders a sound with the packaged tarmel-render.
set -euo pipefail
src=$1
build=$2
shift 2
expected=("$@") # paths the package must hold, relative to its root

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

desktop-file-validate "$src/packaging/org.quorvane.Tarmel.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$src/packaging/org.quorvane.Tarmel.metainfo.xml" ||
    fail "AppStream metainfo invalid"

(cd "$build" && cpack -G DEB -B "$work/out" -D CPACK_OUTPUT_FILE_PREFIX="$work/out/packages" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
deb=$(ls "$work"/out/packages/tarmel_*.deb)
dpkg-deb -x "$deb" "$work/root"

for f in "${expected[@]}"; do
    [ -e "$work/root/$f" ] || fail "package lacks $f"
done

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libsndfile1 qt6-qpa-plugins; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

"$work/root/usr/bin/tarmel-render" --pitch 220 --fm 1.3 -o "$work/a.wav" ||
    fail "packaged tarmel-render did not render"
[ "$(stat -c %s "$work/a.wav")" -gt 88200 ] || fail "rendered file too small"

man -l "$work/root/usr/share/man/man1/tarmel-render.1" 2>/dev/null | grep -q -- '--generations' ||
    fail "tarmel-render manual page lacks --generations"

echo "package check: 1 passed, 0 failed"
