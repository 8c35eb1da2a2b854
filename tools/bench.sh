#!/usr/bin/env bash
# Builds the native benchmarks (Release, no sanitizers) in build/bench and runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKELVORA_SANITIZE=OFF >/dev/null
cmake --build build/bench -j 2 --target rewrite_bench
build/bench/bench/rewrite_bench
