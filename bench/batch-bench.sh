#!/usr/bin/env bash
# Batch export on one core and on every core: tarmel-render writes 2,000 settings files (the
# presets, each with pitches of its own) to WAV files, timed several times on CPU 0 alone and on
# all CPUs this shell may use; prints the medians and the speed-up of all CPUs over one. The
# files go to a folder in TMPDIR (a tmpfs one times the computation, a disk one the syncs too).
# Other programs busy on the CPUs distort it: on a shared machine, run it in a session of its own
# at a higher priority (setsid, then a negative nice in /proc/self/autogroup).
# usage: batch-bench.sh TARMEL_RENDER PRESETS_DIR [FILES] [RUNS]
set -euo pipefail

render=$1
presets=$2
files=${3:-2000}
runs=${4:-7}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/out"

# Preset i mod N at pitch 40 + (i * 7) mod 900: distinct files, every kind of sound.
mapfile -t sources < <(ls "$presets"/*.tarmel)
for ((i = 0; i < files; ++i)); do
    pitch=$((40 + (i * 7) % 900))
    sed "s/^pitch = .*/pitch = $pitch/" "${sources[i % ${#sources[@]}]}" >"$work/in/$i.tarmel"
done

# The median and the best wall time, in seconds, of RUNS exports on the CPUs given (the best is
# the one least disturbed by other programs).
times() {
    local cpus=$1 all=()
    for ((r = 0; r < runs; ++r)); do
        local start end
        start=$(date +%s.%N)
        taskset -c "$cpus" "$render" --settings "$work"/in/*.tarmel --output-dir "$work/out" --force
        end=$(date +%s.%N)
        all+=("$(awk "BEGIN { print $end - $start }")")
    done
    printf '%s\n' "${all[@]}" | sort -g | awk -v mid=$(((runs + 1) / 2)) \
        'NR == 1 { best = $1 } NR == mid { median = $1 } END { print median, best }'
}

all=$(taskset -pc $$ | sed 's/.*: //')
read -r one oneBest < <(times 0)
read -r every everyBest < <(times "$all")
printf 'batch export of %d files, median of %d (best): CPU 0 %.3f s (%.3f), CPUs %s %.3f s (%.3f), %.2fx (%.2fx)\n' \
    "$files" "$runs" "$one" "$oneBest" "$all" "$every" "$everyBest" \
    "$(awk "BEGIN { print $one / $every }")" "$(awk "BEGIN { print $oneBest / $everyBest }")"
