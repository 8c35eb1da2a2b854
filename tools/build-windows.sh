#!/usr/bin/env bash
# Builds a Windows build in Release: KELVORA_ARCH=win64 (the default) into build/windows,
# KELVORA_ARCH=win32 into build/win32. Extra arguments go to "cmake --build" (--target ...).
set -euo pipefail
cd "$(dirname "$0")/.."
case ${KELVORA_ARCH:-win64} in
    win64) dir=build/windows toolchain=cmake/toolchain-mingw64.cmake
           extra=(-DKELVORA_WIN32_PROGRAM="$PWD/build/win32/app/kelvora.exe") ;;
    win32) dir=build/win32 toolchain=cmake/toolchain-mingw32.cmake extra=() ;;
    *)
        echo "KELVORA_ARCH must be win64 or win32, not '$KELVORA_ARCH'" >&2
        exit 2
        ;;
esac
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    "${extra[@]}" --no-warn-unused-cli >/dev/null
cmake --build "$dir" -j "$(nproc)" "$@"
