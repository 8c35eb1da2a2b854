#!/usr/bin/env bash
# The one way the project starts Windows programs and Wine's own tools (wineboot, reg,
# explorer), since machines differ in what they can execute:
#   wine.sh PROGRAM [ARGS...]   like "wine PROGRAM ARGS...": a 32-bit program (a PE32 file)
#                               on the 32-bit loader, everything else on the 64-bit one
#   wine.sh --runs-32-bit       exit 0 when this machine runs 32-bit programs; otherwise
#                               print why not and exit 1
#   wine.sh --i386-answer       print the answer as KELVORA_I386_ANSWER holds it ("yes", or
#                               "no: " and the reason), for a script to export once
#   wine.sh --server ARGS...    the wineserver (the 64-bit one where there are both)
# A 32-bit program on a machine that cannot run one is not started: the reason goes to
# standard error and the exit code is 77, which the tests report as skipped.
#
# Debian's own "wine" and "wineboot" take the 32-bit loader whenever wine32:i386 is
# installed, so on a machine whose kernel refuses i386 programs they fail even for 64-bit
# ones; hence the loaders are named here directly. KELVORA_NO_I386=1 answers "no" on a
# machine that could, so both paths can be tried on one machine.
set -euo pipefail

wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
# Never offer to install Mono or Gecko; no desktop menu entries.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=;winemenubuilder.exe=}

# The answer is worked out once and handed down to child processes.
runs_32_bit() {
    if [ -z "${KELVORA_I386_ANSWER:-}" ]; then
        if [ "${KELVORA_NO_I386:-0}" = 1 ]; then
            KELVORA_I386_ANSWER="no: KELVORA_NO_I386=1"
        elif [ -e "$wine32" ]; then
            if "$wine32" --version >/dev/null 2>&1; then
                KELVORA_I386_ANSWER=yes
            else
                KELVORA_I386_ANSWER="no: $wine32 --version fails: $("$wine32" --version 2>&1 | tail -n 1 | sed 's/.*: //')"
            fi
        elif "$here/i386-probe.sh"; then
            KELVORA_I386_ANSWER=yes
        else
            KELVORA_I386_ANSWER="no: the kernel does not execute i386 programs"
        fi
        export KELVORA_I386_ANSWER
    fi
    [ "$KELVORA_I386_ANSWER" = yes ]
}

# True for a PE32 file (machine i386): the "PE\0\0" signature at the offset that the DOS
# header keeps at 0x3C, followed by the machine 0x014C.
is_pe32() {
    [ -f "$1" ] || return 1
    local offset signature
    offset=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$offset" ] || return 1
    signature=$(od -An -t x1 -j "$offset" -N 6 "$1" 2>/dev/null | tr -d ' \n')
    [ "$signature" = 504500004c01 ]
}

case ${1:-} in
    --runs-32-bit)
        runs_32_bit && exit 0
        echo "this machine cannot run 32-bit programs (${KELVORA_I386_ANSWER#no: })"
        exit 1
        ;;
    --i386-answer)
        runs_32_bit || true
        echo "$KELVORA_I386_ANSWER"
        exit 0
        ;;
    --server)
        shift
        server=/usr/lib/wine/wineserver64
        [ -x "$server" ] || server=/usr/lib/wine/wineserver32
        exec "$server" "$@"
        ;;
    "")
        echo "usage: $0 PROGRAM [ARGS...] | --runs-32-bit | --i386-answer | --server ARGS..." >&2
        exit 2
        ;;
esac

if is_pe32 "$1"; then
    if ! runs_32_bit; then
        echo "skipped: $1 is a 32-bit program and this machine cannot run 32-bit programs (${KELVORA_I386_ANSWER#no: })" >&2
        exit 77
    fi
    export WINELOADER=$wine32
    exec "$wine32" "$@"
fi
# Wine starts a 32-bit child of a 64-bit process with the loader named like WINELOADER less
# its "64", that is $wine32.
export WINELOADER=$wine64
exec "$wine64" "$@"
