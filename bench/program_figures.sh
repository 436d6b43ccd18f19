#!/usr/bin/env bash
# Figures of whole programs, each the median of several runs, printed as a Markdown table:
#   idle CPU and peak resident memory of quillet (polling an empty slot) and dorrin (idle), each
#   started as `modemsim run PROGRAM` on offscreen Qt: CPU from utime + stime of
#   /proc/PID/stat over the idle window, memory from VmHWM of /proc/PID/status at its end;
#   reader throughput over a pseudo-terminal, from repeated runs of modemlink_bench.
# Usage: bench/program_figures.sh [BUILD_DIR (default build)] [RUNS (5)] [IDLE_SECONDS (30)]
set -euo pipefail

build=${1:-build}
runs=${2:-5}
idle_seconds=${3:-30}
# Start-up, the first slot deletion and the first poll are over well within this.
settle_seconds=5
bin="$build/bin"
ticks_per_second=$(getconf CLK_TCK)

logs=$(mktemp -d)
simulator_pid=""
cleanup() {
    if [ -n "$simulator_pid" ]; then
        kill -TERM "$simulator_pid" 2>/dev/null || true
        wait "$simulator_pid" 2>/dev/null || true
    fi
    rm -rf "$logs"
}
trap cleanup EXIT

# utime + stime in clock ticks; the fields are counted after the command name's closing
# parenthesis, since the name itself may hold blanks.
cpu_ticks() {
    local stat
    stat=$(<"/proc/$1/stat")
    stat=${stat##*) }
    awk '{ print $12 + $13 }' <<<"$stat"
}

peak_resident_kib() {
    awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"
}

# The program that modemsim started: its only child.
child_of() {
    local child=""
    for _ in $(seq 50); do
        child=$(cat "/proc/$1/task/$1/children" 2>/dev/null || true)
        child=${child%% *}
        if [ -n "$child" ]; then
            echo "$child"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# One run: prints "<CPU percent> <peak MiB>".
idle_run() {
    local program=$1 run=$2 child before after started ended kib
    QT_QPA_PLATFORM=offscreen "$bin/modemsim" run "$bin/$program" \
        </dev/null >"$logs/$program-$run.out" 2>"$logs/$program-$run.trace" &
    simulator_pid=$!
    child=$(child_of "$simulator_pid") || {
        echo "$program did not start" >&2
        return 1
    }
    sleep "$settle_seconds"
    before=$(cpu_ticks "$child")
    started=$(date +%s.%N)
    sleep "$idle_seconds"
    after=$(cpu_ticks "$child")
    ended=$(date +%s.%N)
    kib=$(peak_resident_kib "$child")
    kill -TERM "$simulator_pid"
    wait "$simulator_pid" || true
    simulator_pid=""
    echo "$program run $run: $((after - before)) ticks," \
        "$(grep -c '< AT' "$logs/$program-$run.trace" || true) commands in the trace" >&2
    awk -v t="$((after - before))" -v hz="$ticks_per_second" -v s="$started" -v e="$ended" \
        -v k="$kib" 'BEGIN { printf "%.4f %.1f\n", t / hz / (e - s) * 100, k / 1024 }'
}

# "| figure | median | min | max | runs | goal |" from the numbers on stdin.
row() {
    local figure=$1 unit=$2 goal=$3
    sort -g | awk -v f="$figure" -v u="$unit" -v g="$goal" '
        { v[NR] = $1 }
        END {
            if (NR == 0) { printf "| %s | no sample | | | 0 | %s |\n", f, g; exit }
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "| %s | %.3f %s | %.3f | %.3f | %d | %s |\n", f, m, u, v[1], v[NR], NR, g
        }'
}

echo "| figure | median | min | max | runs | goal |"
echo "|---|---|---|---|---|---|"

for program in quillet dorrin; do
    results="$logs/$program.results"
    : >"$results"
    for run in $(seq "$runs"); do
        idle_run "$program" "$run" >>"$results"
    done
    what="polling an empty slot"
    [ "$program" = dorrin ] && what="idle"
    awk '{ print $1 }' "$results" |
        row "$program idle CPU over $idle_seconds s ($what)" "% of a core" "< 0.5 %"
    awk '{ print $2 }' "$results" | row "$program peak resident memory (VmHWM)" "MiB" "-"
done

# Only the throughput line of modemlink_bench; its other figures are its own (idle cut to 1 s).
: >"$logs/throughput"
lost=0
for run in $(seq "$runs"); do
    line=$("$bin/modemlink_bench" 1 | grep '^reader throughput')
    echo "$line" >&2
    sed -E 's/.* = ([0-9.]+) MB\/s.*/\1/' <<<"$line" >>"$logs/throughput"
    lost=$((lost + $(sed -E 's/.*, ([0-9]+) lost, ([0-9]+) corrupted/\1 + \2/' <<<"$line")))
done
row "reader throughput over a pseudo-terminal, 16 MiB ($lost bytes lost or corrupted in all)" \
    "MB/s" "no byte lost" <"$logs/throughput"
