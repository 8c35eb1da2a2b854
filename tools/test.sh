#!/usr/bin/env bash
# Installs what is missing, builds the three builds and runs every test: the native tests
# (under AddressSanitizer and UndefinedBehaviorSanitizer), each libFuzzer target for 25 s
# (build/fuzz, clang), then the Windows tests under Wine. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

jobs=$(nproc)
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVORA_SANITIZE=ON >/dev/null
cmake --build build/native -j "$jobs"
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake >/dev/null
cmake --build build/windows -j "$jobs"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVORA_SANITIZE=ON -DKELVORA_FUZZ_SECONDS=25 >/dev/null
cmake --build build/fuzz -j "$jobs" --target kelvora_fuzzers

status=0
echo "== Native tests"
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=1
echo "== Fuzzing, 25 s per target (tools/fuzz.sh runs them longer)"
ctest --test-dir build/fuzz -L fuzz --output-on-failure -j "$jobs" || status=1
grep -h '^fuzz ' build/fuzz/Testing/Temporary/LastTest.log || true
echo "== Windows tests under Wine"
ctest --test-dir build/windows --output-on-failure -j "$jobs" || status=1
exit $status
