#!/usr/bin/env bash
# Takes the README's screenshots under Xvfb, inside Wine's virtual desktop (which draws the
# window captions): the main dialog and the finished progress dialog, in the default locale
# and under LC_ALL=ja_JP.UTF-8 (ANSI code page 932, labels in a Japanese GUI font).
# Writes docs/main-dialog.png, docs/progress-dialog.png, docs/main-dialog-cp932.png and
# docs/progress-dialog-cp932.png.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
tools/build-windows.sh --target kelvora kelvora_screenshot_driver

root=$PWD
exe=$root/build/windows/app/kelvora.exe
driver=$root/build/windows/tests/end_to_end/kelvora_screenshot_driver.exe
work=$root/build/screenshots
size=${KELVORA_SHOT_SIZE:-440x390}
export WINEPREFIX=$work/prefix
mkdir -p "$work" docs
tools/wine-prefix.sh ensure "$WINEPREFIX"

state=$work/xvfb.state
tools/xvfb.sh start "$state" >/dev/null
export DISPLAY=$(sed -n 2p "$state")
cleanup() {
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
    tools/wine.sh --server -k >/dev/null 2>&1 || true
    tools/xvfb.sh stop "$state"
}
trap cleanup EXIT

wait_for() {
    for _ in $(seq 1 600); do
        [ -f "$1" ] && return 0
        sleep 0.1
    done
    echo "timed out waiting for $1" >&2
    return 1
}

# shot SUFFIX FIND [LOCALE]
shot() {
    local suffix=$1 find=$2 locale=${3:-}
    # The files lie on the prefix's drive C:, so the dialog shows a short Windows path.
    local files=$WINEPREFIX/drive_c/Notes run=$work/state$suffix
    rm -rf "$files" "$run"
    mkdir -p "$files/notes" "$run"
    printf 'The colour of the sea.\r\n' >"$files/sea.txt"
    printf 'colour, colour\r\n' >"$files/notes/paint.txt"
    printf 'No match here.\r\n' >"$files/notes/other.txt"
    if [ -n "$locale" ]; then
        # A Japanese sentence in code page 932 holding the find text.
        printf '\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\r\n' >"$files/sjis.txt"
    fi
    tools/wine.sh --server -k >/dev/null 2>&1 || true
    tools/wine.sh reg delete 'HKLM\Software\Dunmak\Kelvora' /f >/dev/null 2>&1 || true
    if [ -n "$locale" ]; then
        LC_ALL=$locale tools/wine.sh explorer /desktop=Kelvora,$size "$driver" "$exe" 'C:\Notes' "$run" "$find" \
            >/dev/null 2>&1 &
    else
        tools/wine.sh explorer /desktop=Kelvora,$size "$driver" "$exe" 'C:\Notes' "$run" "$find" >/dev/null 2>&1 &
    fi
    pid=$!
    wait_for "$run/main.ready"
    import -window root -crop "$size+0+0" +repage "docs/main-dialog$suffix.png"
    touch "$run/main.done"
    wait_for "$run/progress.ready"
    import -window root -crop "$size+0+0" +repage "docs/progress-dialog$suffix.png"
    touch "$run/progress.done"
    wait "$pid" || true
    pid=
    echo "docs/main-dialog$suffix.png docs/progress-dialog$suffix.png"
}

shot "" colour
shot -cp932 sjis ja_JP.UTF-8
