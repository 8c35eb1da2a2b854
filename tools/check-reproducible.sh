#!/usr/bin/env bash
# Checks that the packages can be rebuilt byte for byte: makes them here (tools/package.sh),
# then again from a copy of this tree in another folder under /tmp, in fresh build folders and
# at a later time, and compares the two dist/ folders file by file. The copy holds the files
# that git tracks and the untracked ones it does not ignore, so uncommitted changes are
# checked too; it has no git, so both runs take the last commit's time from
# SOURCE_DATE_EPOCH. Prints the time taken; exits non-zero when anything differs.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

tools/package.sh >/dev/null

other=$(mktemp -d /tmp/kelvora-rebuild.XXXXXX)
trap 'rm -rf "$other"' EXIT
copy=$other/another/place/kelvora
mkdir -p "$copy"
git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do
        if [ -e "$file" ]; then printf '%s\0' "$file"; fi
    done |
    tar -c --null -T - | tar -x -C "$copy"
(cd "$copy" && tools/package.sh >/dev/null)

status=0
here=$(cd dist && find . -type f | sort)
there=$(cd "$copy/dist" && find . -type f | sort)
if [ "$here" != "$there" ]; then
    echo "dist/ holds other files in the copy:"
    diff <(echo "$here") <(echo "$there") || true
    status=1
fi
for file in $here; do
    file=${file#./}
    if cmp -s "dist/$file" "$copy/dist/$file"; then
        echo "dist/$file: the same ($(sha256sum <"dist/$file" | cut -c1-16)...)"
    else
        echo "dist/$file: differs ($(cmp -l "dist/$file" "$copy/dist/$file" 2>/dev/null | wc -l) bytes)"
        status=1
    fi
done
echo "reproducible build check: $([ $status -eq 0 ] && echo passed || echo FAILED)" \
    "in $(($(date +%s) - start)) s (the copy was $copy, now removed)"
exit $status
