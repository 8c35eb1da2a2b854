#!/usr/bin/env bash
# Runs a command as on a machine whose kernel refuses i386 programs, on one that runs them:
# in a mount namespace of its own, Wine's installed 32-bit loader and server are replaced by
# a file that the kernel refuses with "Exec format error" (an ELF header for another
# machine). Debian's "wine" and "wineboot" then fail as they do there. Needs root.
#   tools/without-i386.sh ./tools/test.sh
set -euo pipefail
if [ "${KELVORA_WITHOUT_I386_INSIDE:-}" != 1 ]; then
    exec unshare --mount --propagation private env KELVORA_WITHOUT_I386_INSIDE=1 "$0" "$@"
fi
refused=$(mktemp)
# A 64-byte ELF header for machine 40 (ARM): execve answers ENOEXEC.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\050\000' >"$refused"
head -c 44 /dev/zero >>"$refused"
chmod +x "$refused"
for loader in /usr/lib/wine/wine /usr/lib/wine/wineserver32; do
    [ -e "$loader" ] && mount --bind "$refused" "$loader"
done
unset KELVORA_WITHOUT_I386_INSIDE KELVORA_I386_ANSWER
"$@"
