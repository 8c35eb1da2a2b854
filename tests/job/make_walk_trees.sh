#!/usr/bin/env bash
# Builds, on the Unix side of the Wine drive, the folder trees the walk tests cannot make
# from Windows: symbolic links (a loop, a link to a sibling, a link to a folder outside the
# walked tree), a folder path longer than the platform's search accepts, and one file under
# four names (itself, a hard link, a symbolic link, and a name that code page 1252 cannot
# hold, which the search reports by the best-fit name of the first). One copy per
# ANSI code page, so the two runs of the test program do not share files.
#   make_walk_trees.sh DIR
set -euo pipefail
base=$1
rm -rf "$base"
for cp in 1252 932; do
    t="$base/$cp"
    # A loop: sub/back leads to the start folder again, sub/self to sub itself.
    mkdir -p "$t/loop/sub"
    ln -s .. "$t/loop/sub/back"
    ln -s . "$t/loop/sub/self"
    # A link to a sibling folder that the walk also reaches directly.
    mkdir -p "$t/sibling/a" "$t/sibling/b"
    ln -s ../a "$t/sibling/b/to_a"
    # A folder reached only through a link.
    mkdir -p "$t/outside/target" "$t/linked"
    ln -s ../outside/target "$t/linked/l"
    # Nested long names: the deepest folder's path is past the search's 260-byte limit.
    long=$(printf 'n%.0s' $(seq 1 120))
    mkdir -p "$t/deep/$long/$long/$long"
    printf x >"$t/deep/$long/$long/f.txt"
    printf x >"$t/deep/$long/$long/$long/f.txt"
    mkdir -p "$t/names"
    printf x >"$t/names/a.txt"
    ln "$t/names/a.txt" "$t/names/h.txt"
    ln -s a.txt "$t/names/s.txt"
    printf x >"$t/names/$(printf '\xef\xbd\x81').txt"  # U+FF41 in UTF-8
done
