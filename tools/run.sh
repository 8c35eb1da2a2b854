#!/usr/bin/env bash
# Installs what is missing, builds kelvora.exe and starts it under Wine: the 64-bit build,
# or with KELVORA_ARCH=win32 the 32-bit one (build/win32).
# With $DISPLAY set it runs there until the program is closed. Without one it runs on a
# virtual X server (inside Wine's virtual desktop, so that window captions are drawn),
# saves a screenshot and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build-windows.sh --target kelvora

if [ "${KELVORA_ARCH:-win64}" = win32 ]; then
    if ! why=$(tools/wine.sh --runs-32-bit); then
        echo "The 32-bit program is built ($PWD/build/win32/app/kelvora.exe) but not started: $why." >&2
        echo "KELVORA_ARCH=win64 ./tools/run.sh starts the 64-bit one." >&2
        exit 1
    fi
    exe=$PWD/build/win32/app/kelvora.exe
else
    exe=$PWD/build/windows/app/kelvora.exe
fi
export WINEPREFIX=$PWD/build/run-prefix
tools/wine-prefix.sh ensure "$WINEPREFIX"

if [ -n "${DISPLAY:-}" ]; then
    exec tools/wine.sh "$exe" "$@"
fi

state=$PWD/build/run-xvfb.state
shot=$PWD/build/kelvora-screenshot.png
tools/xvfb.sh start "$state" >/dev/null
export DISPLAY=$(sed -n 2p "$state")
trap 'tools/wine.sh --server -k >/dev/null 2>&1 || true; tools/xvfb.sh stop "$state"' EXIT
tools/wine.sh explorer /desktop=Kelvora,800x600 "$exe" >/dev/null 2>&1 &
sleep "${KELVORA_SHOT_DELAY:-6}"
import -window root "$shot"
echo "Screenshot: $shot"
