#!/usr/bin/env bash
# A 1 MiB file system for the storage fault tests, so that a disk runs out for real.
#   small_disk.sh mount DIR    mount a fresh tmpfs of 1 MiB on DIR (root only; others get
#                              an empty DIR with a note, and the tests that need it skip)
#   small_disk.sh unmount DIR  unmount it again
set -euo pipefail
cmd=$1
dir=$2
case $cmd in
    mount)
        mountpoint -q "$dir" 2>/dev/null && umount "$dir"
        rm -rf "$dir"
        mkdir -p "$dir"
        if [ "$(id -u)" -ne 0 ]; then
            echo "not root: no small disk" >"$dir/not-mounted"
            exit 0
        fi
        mount -t tmpfs -o size=1m tmpfs "$dir"
        ;;
    unmount)
        if mountpoint -q "$dir" 2>/dev/null; then umount "$dir"; fi
        ;;
    *)
        echo "usage: $0 mount|unmount DIR" >&2
        exit 2
        ;;
esac
