#!/usr/bin/env bash
# A virtual X server for tests and screenshots.
#   xvfb.sh start STATE  start Xvfb on a free display; STATE gets its PID and display
#   xvfb.sh stop STATE   stop that server (by its own PID) and remove STATE
set -euo pipefail
cmd=$1
state=$2

case $cmd in
    start)
        if [ -f "$state" ] && kill -0 "$(sed -n 1p "$state")" 2>/dev/null; then
            exit 0
        fi
        rm -f "$state"
        fifo=$(mktemp -u)
        mkfifo "$fifo"
        # Xvfb picks a free display and writes its number to fd 3.
        setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" \
            </dev/null >/dev/null 2>&1 &
        pid=$!
        display=
        read -r -t 20 display <"$fifo" || true
        rm -f "$fifo"
        if [ -z "$display" ]; then
            kill "$pid" 2>/dev/null || true
            echo "Xvfb did not start" >&2
            exit 1
        fi
        printf '%s\n:%s\n' "$pid" "$display" >"$state"
        echo "Xvfb $pid on :$display"
        ;;
    stop)
        if [ -f "$state" ]; then
            kill "$(sed -n 1p "$state")" 2>/dev/null || true
            rm -f "$state"
        fi
        ;;
    *)
        echo "usage: $0 start|stop STATE" >&2
        exit 2
        ;;
esac
