#!/usr/bin/env bash
# Exits 0 when the kernel executes i386 Linux programs, before any 32-bit package is
# installed: it writes the smallest such program (an ELF header, one program header and
# "exit(42)" through int 0x80), runs it and looks for its exit code. Used by wine.sh when no
# 32-bit Wine loader is installed yet.
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
probe=$dir/probe
# ELF header: 32-bit, little-endian, executable, machine 3 (i386), entry 0x08048054.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000' >>"$probe"
# One loadable segment of the file's 96 bytes at 0x08048000, readable and executable.
printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
# mov eax, 1; mov ebx, 42; int 0x80
printf '\270\001\000\000\000\273\052\000\000\000\315\200' >>"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
[ $? -eq 42 ]
