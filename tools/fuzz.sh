#!/usr/bin/env bash
# Runs every libFuzzer target longer than the test command does: builds build/fuzz with clang
# (AddressSanitizer and UndefinedBehaviorSanitizer on) and runs each target for SECONDS
# (default 600) from its seed corpus, two at a time, printing the executions of each.
#   tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
tools/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVORA_SANITIZE=ON -DKELVORA_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build build/fuzz --target kelvora_fuzzers
status=0
ctest --test-dir build/fuzz -L fuzz -j "$(nproc)" --output-on-failure || status=1
grep -h '^fuzz [a-z_]*:' build/fuzz/Testing/Temporary/LastTest.log || true
exit $status
