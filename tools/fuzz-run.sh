#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from its seed corpus and prints one line:
#   fuzz NAME: N executions in S s, corpus C inputs
# New inputs go to WORK (emptied first), never into the committed SEEDS.
#   fuzz-run.sh FUZZER SEEDS WORK SECONDS [MAX_LEN]
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3 seconds=$4 max_len=${5:-4096}
name=$(basename "$fuzzer")
rm -rf "$work"
mkdir -p "$work"
log="$work.log"
status=0
"$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work-" "$work" "$seeds" >"$log" 2>&1 || status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
took=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
if [ $status -ne 0 ] || [ -z "$runs" ]; then
    tail -60 "$log"
    echo "fuzz $name: FAILED (exit $status); the input is $work-crash-* (or -timeout-*, -oom-*)"
    exit 1
fi
echo "fuzz $name: $runs executions in $seconds s ($took per second), corpus $(ls "$work" | wc -l) new inputs"
