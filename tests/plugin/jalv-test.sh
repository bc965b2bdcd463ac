#!/usr/bin/env bash
# jalv plays the plug-in on a private JACK server (the dummy back end, no real-time rights
# needed): it starts, its ports appear in jack_lsp, and a note from a JACK MIDI client is heard.
# Usage: jalv-test.sh LV2_PATH PROBE PRIVATE_JACK
set -euo pipefail
export LV2_PATH="$1"
probe="$2"
private_jack="$3"
# A fixed name: JACK frees a dead server's registry entry (it holds eight) only for a server of
# the same name. The tests that start servers run one at a time.
export JACK_DEFAULT_SERVER="tarmel-test-jalv"
# A fixed name too: JACK leaves a killed client's semaphore in /dev/shm under its name.
client="tarmel-jalv"
work=$(mktemp -d)
pids=()
cleanup() {
    exec 3>&- 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    bash "$private_jack" stop "$work/jackd.pid"
    rm -rf "$work"
}
trap cleanup EXIT

bash "$private_jack" start "$JACK_DEFAULT_SERVER" "$work/jackd.pid" 256

# jalv reads commands from its standard input: keep it open and silent.
mkfifo "$work/commands"
jalv -x -n "$client" https://quorvane.org/lv2/tarmel <"$work/commands" >"$work/jalv.log" 2>&1 &
pids+=($!)
exec 3>"$work/commands"
for _ in $(seq 100); do
    if jack_lsp 2>/dev/null | grep -qx "$client:out"; then break; fi
    sleep 0.1
done
ports=$(jack_lsp)
for port in midi_in out; do
    grep -qx "$client:$port" <<<"$ports" || {
        cat "$work/jalv.log"; echo "jalv's port $port is not in jack_lsp:"; echo "$ports"; exit 1; }
done
"$probe" "$client"
