#!/usr/bin/env bash
# jalv plays the plug-in on a private JACK server (the dummy back end, no real-time rights
# needed): it starts, its ports appear in jack_lsp, and note 69 from a JACK MIDI client
# (jack_midiseq) is heard by a recorder on the server (jack_rec).
# Usage: jalv-test.sh LV2_PATH PRIVATE_JACK
set -euo pipefail
export LV2_PATH="$1"
private_jack="$2"
# A fixed name: JACK frees a dead server's registry entry (it holds eight) only for a server of
# the same name. The tests that start servers run one at a time.
export JACK_DEFAULT_SERVER="tarmel-test-jalv"
# Fixed names too: JACK leaves a killed client's semaphore in /dev/shm under its name.
client="tarmel-jalv"
sequencer="tarmel-seq"
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

# Three seconds recorded while the sequencer plays note 69 every half second (at 44100 Hz).
jack_rec -f "$work/heard.wav" -d 3 -b 16 "$client:out" >/dev/null 2>&1 &
recorder=$!
pids+=("$recorder")
jack_midiseq "$sequencer" 22050 0 69 1000 >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    jack_connect "$sequencer:out" "$client:midi_in" 2>/dev/null && break
    sleep 0.1
done
wait "$recorder"
peak=$(sox "$work/heard.wav" -n stat 2>&1 | awk '/Maximum amplitude/ { print $3 }')
echo "loudest sample heard: $peak"
awk -v peak="$peak" 'BEGIN { exit !(peak >= 0.001) }'
