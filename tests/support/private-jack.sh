#!/usr/bin/env bash
# A private JACK server for the tests: jackd2's dummy back end, no sound card or real-time rights.
#   private-jack.sh start NAME PIDFILE [PERIOD]   starts it and returns once clients can connect
#   private-jack.sh stop PIDFILE                  ends it and returns once it is gone
# A server killed and started again at once under the same name fails, seeing the old one still
# registered: stop waits for the process to end, and start for any earlier server of the name to
# quit, then tries up to three times.
set -uo pipefail

start() {
    local name="$1" pidfile="$2" period="${3:-1024}" attempt pid
    export JACK_DEFAULT_SERVER="$name"
    jack_wait -q -t 10 >/dev/null 2>&1
    for attempt in 1 2 3; do
        jackd -n "$name" --no-realtime -d dummy -r 44100 -p "$period" </dev/null >/dev/null 2>&1 &
        pid=$!
        echo "$pid" >"$pidfile"
        if jack_wait -w -t 10 >/dev/null 2>&1 && kill -0 "$pid" 2>/dev/null; then
            return 0
        fi
        stop "$pidfile"
        sleep "$attempt"
    done
    echo "private-jack.sh: the JACK server $name did not start" >&2
    return 1
}

stop() {
    local pidfile="$1" pid
    pid=$(cat "$pidfile" 2>/dev/null) || return 0
    kill "$pid" 2>/dev/null
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    rm -f "$pidfile"
}

case "${1:-}" in
start) shift; start "$@" ;;
stop) shift; stop "$@" ;;
*) echo "usage: private-jack.sh start NAME PIDFILE [PERIOD] | stop PIDFILE" >&2; exit 2 ;;
esac
