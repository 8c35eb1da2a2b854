#!/usr/bin/env bash
# Builds the Windows build into build/windows (kelvora.exe and the test programs).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake >/dev/null
cmake --build build/windows -j "$(nproc)" "$@"
