#!/usr/bin/env bash
# The build's throwaway Wine prefix.
#   wine-prefix.sh setup PREFIX   create it once (wineboot), then keep a wineserver running
#   wine-prefix.sh ensure PREFIX  create it when missing
#   wine-prefix.sh stop PREFIX    stop its wineserver and every program still running in it
set -euo pipefail
cmd=$1
export WINEPREFIX=$2
export WINEDEBUG=-all
# Never offer to install Mono or Gecko; no desktop menu entries.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
unset DISPLAY

create() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    # A win64 prefix that also runs the 32-bit build: wineboot sets up its 32-bit side
    # (syswow64) only when Debian's wine32 is installed. A prefix made before that is made again.
    local wow64=$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll
    if [ ! -f "$WINEPREFIX/.kelvora-ready" ] || [ ! -f "$wow64" ]; then
        if [ -d "$WINEPREFIX" ]; then
            wineserver -k >/dev/null 2>&1 || true
        fi
        rm -rf "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        # A crashing program must end, not wait for a click on Wine's crash dialog.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
        if [ ! -f "$wow64" ]; then
            echo "$WINEPREFIX runs no 32-bit programs: wine32:i386 is missing (tools/install-deps.sh)" >&2
            exit 1
        fi
        touch "$WINEPREFIX/.kelvora-ready"
    fi
    flock -u 9
}

case $cmd in
    setup)
        create
        # Keep one server for the whole test run (it ends itself a minute after the last client).
        wineserver -p60 </dev/null >/dev/null 2>&1 || true
        ;;
    ensure)
        create
        ;;
    stop)
        wineserver -k >/dev/null 2>&1 || true
        ;;
    *)
        echo "usage: $0 setup|ensure|stop PREFIX" >&2
        exit 2
        ;;
esac
