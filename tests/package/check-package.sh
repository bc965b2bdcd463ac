#!/usr/bin/env bash
# Checks the desktop files and the Debian package without touching the system: validates the
# desktop entry and the AppStream file, builds the package into a temporary folder, runs lintian on
# it, unpacks it there and renders a sound with the packaged tarmel-render.
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
# The settings type: the shared MIME database built from it knows *.tarmel, and the desktop entry
# opens that type.
mkdir -p "$work/mime/packages"
cp "$src/packaging/org.quorvane.Tarmel.xml" "$work/mime/packages/"
update-mime-database "$work/mime" || fail "shared MIME info invalid"
grep -q 'application/x-tarmel-settings:\*\.tarmel' "$work/mime/globs" ||
    fail "the MIME database does not know *.tarmel"
grep -q '^MimeType=application/x-tarmel-settings;' "$src/packaging/org.quorvane.Tarmel.desktop" ||
    fail "the desktop entry does not open settings files"

(cd "$build" && cpack -G DEB -B "$work/out" -D CPACK_OUTPUT_FILE_PREFIX="$work/out/packages" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack could not build the package"; }
deb=$(ls "$work"/out/packages/tarmel_*.deb)
dbgsym=$(ls "$work"/out/packages/tarmel-dbgsym_*.ddeb) || fail "cpack made no debug package"
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -x "$dbgsym" "$work/dbgsym"

for f in "${expected[@]}"; do
    [ -e "$work/root/$f" ] || fail "package lacks $f"
done

# Debian's own checker: any error fails; warnings and notes are shown.
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" || fail "lintian reports errors"

# Each program and the plug-in are stripped, and the debug package holds their debugging
# information under their build id, where gdb looks for it.
for program in "$work"/root/usr/bin/* "$work"/root/usr/lib/lv2/tarmel.lv2/tarmel.so; do
    id=$(readelf -n "$program" | sed -n 's/^ *Build ID: //p')
    [ -n "$id" ] || fail "$program has no build id"
    readelf -S "$program" | grep -q '\.symtab' && fail "$program is not stripped"
    debug="$work/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug"
    readelf -S "$debug" 2>/dev/null | grep -q '\.debug_line' ||
        fail "debug package lacks the debugging information of $program"
done

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libsndfile1 qt6-qpa-plugins; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# The packaged plug-in loads, with its presets, where hosts look for it.
info=$(LV2_PATH="$work/root/usr/lib/lv2:/usr/lib/lv2" lv2info https://quorvane.org/lv2/tarmel) ||
    fail "lv2info does not find the packaged plug-in"
grep -q "Binary: *file://$work/root/usr/lib/lv2/tarmel.lv2/tarmel.so" <<<"$info" ||
    fail "lv2info finds another copy of the plug-in than the packaged one: $info"

"$work/root/usr/bin/tarmel-render" --pitch 220 --fm 1.3 -o "$work/a.wav" ||
    fail "packaged tarmel-render did not render"
[ "$(stat -c %s "$work/a.wav")" -gt 88200 ] || fail "rendered file too small"

man -l "$work/root/usr/share/man/man1/tarmel-render.1.gz" 2>/dev/null | grep -q -- '--generations' ||
    fail "tarmel-render manual page lacks --generations"
# The format's page, where every saved file sends its reader.
man -l "$work/root/usr/share/man/man5/tarmel-settings.5.gz" 2>/dev/null | grep -q 'state.random-last' ||
    fail "tarmel-settings manual page lacks the key state.random-last"

# The menu entry's Exec line starts the packaged program with a settings file, as a file manager
# would: its window appears under Xvfb, and no message refuses the file.
exec_line=$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/org.quorvane.Tarmel.desktop")
exec_line=${exec_line//%f/$src/tests/files/corpus/valid-busy.tarmel}
display=:$((200 + RANDOM % 300))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display SDL_AUDIODRIVER=dummy PATH="$work/root/usr/bin:$PATH" $exec_line >/dev/null 2>&1 &
app=$!
found=
for _ in $(seq 150); do
    if DISPLAY=$display xdotool search --onlyvisible --name '^Brennick  Tarmel1.0$' >/dev/null 2>&1; then
        found=yes
        break
    fi
    sleep 0.1
done
sleep 1
refused=$(DISPLAY=$display xdotool search --onlyvisible --name '^Tarmel$' 2>/dev/null || true)
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
[ -n "$found" ] || fail "the menu entry's Exec line ($exec_line) showed no window"
[ -z "$refused" ] || fail "the program refused the settings file given by the menu entry"

echo "package check: 1 passed, 0 failed"
