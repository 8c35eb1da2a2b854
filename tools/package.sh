#!/usr/bin/env bash
# Builds both Windows builds in Release and packs each program for Windows users:
#   dist/kelvora-<version>-win32.zip  the 32-bit program (build/win32), runs on every Windows
#   dist/kelvora-<version>-win64.zip  the 64-bit program (build/windows)
# Each zip holds one folder kelvora-<version>-<arch>/ with kelvora.exe, README.txt (the user
# guide, docs/windows-user-guide.txt), LICENSE.txt and SHA256SUMS. The version is the file
# VERSION. dist/SHA256SUMS lists the zips and the programs in them (by their path in the
# unpacked zip).
#
# The same commit gives the same zips byte for byte, in any folder and at any time: the
# programs carry no path and no time (cmake/KelvoraReproducible.cmake), and the zips hold
# their files in a fixed order, with fixed modes, no extra fields and the last commit's time
# (SOURCE_DATE_EPOCH when set, as in a copy of the tree without git).
# tools/check-reproducible.sh checks it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

version=$(tr -d ' \r\n' <VERSION)
stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export SOURCE_DATE_EPOCH=$stamp
export TZ=UTC
stage=build/package
rm -rf "$stage"
mkdir -p "$stage" dist

for arch in win32 win64; do
    case $arch in
        win32) build=build/win32 bits=32-bit ;;
        win64) build=build/windows bits=64-bit ;;
    esac
    KELVORA_ARCH=$arch tools/build-windows.sh --target kelvora >/dev/null

    name=kelvora-$version-$arch
    dir=$stage/$name
    mkdir -p "$dir"
    cp "$build/app/kelvora.exe" "$dir/kelvora.exe"
    # Windows line ends, for Notepad.
    sed -e "s/@VERSION@/$version/g" -e "s/@BITS@/$bits/g" -e 's/$/\r/' \
        docs/windows-user-guide.txt >"$dir/README.txt"
    sed -e 's/$/\r/' LICENSE >"$dir/LICENSE.txt"
    (cd "$dir" && sha256sum kelvora.exe README.txt LICENSE.txt >SHA256SUMS)
    # zip keeps each file's Unix mode and (in local time) its date.
    chmod 0644 "$dir"/*
    touch -d "@$stamp" "$dir" "$dir"/*

    rm -f "dist/$name.zip"
    (cd "$stage" && zip -q -X -D "../../dist/$name.zip" "$name/kelvora.exe" "$name/README.txt" \
        "$name/LICENSE.txt" "$name/SHA256SUMS")
    echo "dist/$name.zip"
done
(cd dist && sha256sum "kelvora-$version-win32.zip" "kelvora-$version-win64.zip" >SHA256SUMS)
(cd "$stage" && sha256sum "kelvora-$version-win32/kelvora.exe" "kelvora-$version-win64/kelvora.exe") \
    >>dist/SHA256SUMS
