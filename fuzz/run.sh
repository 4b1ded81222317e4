#!/usr/bin/env bash
# Builds the fuzz targets and runs each for SECONDS (default 10), starting
# from the committed seeds in fuzz/corpus/<target>/ and growing a working
# corpus under build/fuzz/corpus/. With SECONDS 0 it only replays the seeds.
#   fuzz/run.sh [SECONDS]
set -eu
seconds=${1:-10}
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
bin=$top/build/fuzz/fuzz
for seeds in "$top"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    work=$top/build/fuzz/corpus/$target
    mkdir -p "$work"
    echo "== $target"
    # Replay every seed first: a seed that breaks a promise fails the run.
    # (Standard output carries the programs' own messages; it is dropped.)
    "$bin/${target}_fuzz" -runs=0 "$seeds" 2>&1 >/dev/null | tail -n 1
    if [ "$seconds" -gt 0 ]; then
        "$bin/${target}_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
            -print_final_stats=1 "$work" "$seeds" 2>&1 >/dev/null | grep -E 'stat::number_of_executed_units|ERROR|crash-' || true
        [ -z "$(ls crash-* leak-* timeout-* 2>/dev/null)" ] || { echo "fuzzing $target found a fault"; exit 1; }
    fi
done
