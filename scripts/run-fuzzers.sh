#!/usr/bin/env bash
# Builds the libFuzzer targets (MODEM_FUZZ) in build-fuzz and runs each one for SECONDS (default
# 20) on a scratch copy of its seeds, so the committed corpus never grows, as many at a time as
# there are cores. Fails when a target crashes or breaks an invariant; the input that did it is
# left in build-fuzz/findings.
#   scripts/run-fuzzers.sh [SECONDS]
#   scripts/run-fuzzers.sh --build     only builds them (CI builds while other work runs)
set -euo pipefail

seconds=${1:-20}
if ! [[ $seconds =~ ^[1-9][0-9]*$ || $seconds == --build ]]; then
    echo "usage: $0 [SECONDS|--build]  (a whole number above 0)" >&2
    exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-fuzz"

bash "$root/scripts/install-deps.sh" --fuzz
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMODEM_FUZZ=ON -DBUILD_TESTING=OFF -DMODEM_WERROR=ON \
    -DMODEM_BUILD_TOOLS=OFF -DMODEM_SANITIZER_DEBUG_INFO="${MODEM_FUZZ_DEBUG_INFO:--g}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers
[[ $seconds == --build ]] && exit 0
# The list is fuzz/CMakeLists.txt's.
mapfile -t targets <"$build/fuzz_targets.txt"

# Leaks count as failures; a crash report ends the target at once.
export ASAN_OPTIONS="abort_on_error=1 detect_leaks=1 strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1 print_stacktrace=1"

findings="$build/findings"
mkdir -p "$findings"

# One target for SECONDS; its verdict on stdout, its log in build-fuzz.
fuzz() {
    local target=$1 corpus="$build/corpus/$1" log="$build/$1.log" runs
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "$root/fuzz/corpus/$target/"* "$corpus/"
    # An input that takes 10 s is a hang: nothing in these targets waits.
    if ! "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$corpus" >"$log" 2>&1; then
        tail -n 60 "$log" >&2
        echo "$target: FAILED (log $log, input in $findings)" >&2
        return 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$target: ${runs:-?} executions in ${seconds} s, no crash"
}

failed=0
for ((first = 0; first < ${#targets[@]}; first += $(nproc))); do
    pids=()
    for target in "${targets[@]:first:$(nproc)}"; do
        fuzz "$target" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || failed=1
    done
done
exit "$failed"
