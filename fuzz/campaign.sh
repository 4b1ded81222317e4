#!/usr/bin/env bash
# A long campaign: each target for a fixed number of executions (10 million
# for the reader targets, 1 million for whole runs of a program), two at a
# time, with the totals and any faults in build/fuzz/campaign/.
#   fuzz/campaign.sh [READER_RUNS] [PROGRAM_RUNS]
set -u
reader_runs=${1:-10000000}
program_runs=${2:-1000000}
top=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset fuzz -S "$top" >/dev/null && cmake --build --preset fuzz >/dev/null || exit 1
out=$top/build/fuzz/campaign
mkdir -p "$out"
cd "$out"
run_target() {
    local target=$1 runs=$2
    mkdir -p "corpus/$target"
    "$top/build/fuzz/fuzz/${target}_fuzz" -runs="$runs" -max_len=4096 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$out/$target-" "$out/corpus/$target" \
        "$top/fuzz/corpus/$target" >/dev/null 2>"$target.log"
    echo "$target exit=$? $(grep -h 'stat::number_of_executed_units' "$target.log")"
}
for seeds in "$top"/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    case $target in *_program) runs=$program_runs ;; *) runs=$reader_runs ;; esac
    run_target "$target" "$runs" &
    # Two at a time, one per core.
    while [ "$(jobs -r | wc -l)" -ge 2 ]; do sleep 1; done
done
wait
