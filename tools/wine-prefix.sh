#!/usr/bin/env bash
# The build's throwaway Wine prefix.
#   wine-prefix.sh setup PREFIX   create it once (wineboot), then keep a wineserver running
#   wine-prefix.sh ensure PREFIX  create it when missing
#   wine-prefix.sh stop PREFIX    stop its wineserver and every program still running in it
# A 64-bit prefix; where the machine runs 32-bit programs it also runs the 32-bit build.
set -euo pipefail
cmd=$1
export WINEPREFIX=$2
unset DISPLAY
# Wine's errors, for the log that a failed wineboot shows.
export WINEDEBUG=${WINEDEBUG:-fixme-all}
wine=$(dirname "${BASH_SOURCE[0]}")/wine.sh

create() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    # wineboot sets up the 32-bit side (syswow64) only when Debian's wine32 is installed and
    # runs. Where the machine runs 32-bit programs, a prefix made without it is made again.
    local wow64=$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll need_wow64=0
    "$wine" --runs-32-bit >/dev/null && need_wow64=1
    if [ ! -f "$WINEPREFIX/.kelvora-ready" ] || { [ $need_wow64 = 1 ] && [ ! -f "$wow64" ]; }; then
        if [ -d "$WINEPREFIX" ]; then
            "$wine" --server -k >/dev/null 2>&1 || true
        fi
        rm -rf "$WINEPREFIX"
        local log=$WINEPREFIX.wineboot.log
        if ! "$wine" wineboot -i >"$log" 2>&1; then
            echo "wineboot failed for $WINEPREFIX:" >&2
            tail -n 20 "$log" >&2
            exit 1
        fi
        # A crashing program must end, not wait for a click on Wine's crash dialog.
        if ! "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1; then
            echo "$WINEPREFIX: cannot turn off the crash dialog:" >&2
            tail -n 20 "$log" >&2
            exit 1
        fi
        "$wine" --server -w
        if [ ! -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
            echo "$WINEPREFIX was not made (no system32/kernel32.dll); wineboot said:" >&2
            tail -n 20 "$log" >&2
            exit 1
        fi
        if [ $need_wow64 = 1 ] && [ ! -f "$wow64" ]; then
            echo "$WINEPREFIX runs no 32-bit programs: wine32:i386 is missing (tools/install-deps.sh)" >&2
            exit 1
        fi
        rm -f "$log"
        touch "$WINEPREFIX/.kelvora-ready"
    fi
    flock -u 9
}

case $cmd in
    setup)
        create
        # Keep one server for the whole test run (it ends itself a minute after the last client).
        "$wine" --server -p60 </dev/null >/dev/null 2>&1 || true
        ;;
    ensure)
        create
        ;;
    stop)
        "$wine" --server -k >/dev/null 2>&1 || true
        ;;
    *)
        echo "usage: $0 setup|ensure|stop PREFIX" >&2
        exit 2
        ;;
esac
