#!/usr/bin/env bash
# Installs what is missing, builds the native and both Windows builds and runs every test:
# the native tests (under AddressSanitizer and UndefinedBehaviorSanitizer), each libFuzzer
# target for 25 s (build/fuzz, clang; tools/fuzz.sh runs them longer), the packages
# (tools/check-reproducible.sh: made twice, in two folders, byte for byte the same; each zip
# must hold the very kelvora.exe that the tests run), the Windows
# tests under Wine on the 64-bit build, then the program's own tests (label every_arch) on
# the 32-bit build. Exits non-zero when any test fails. On a machine that cannot run 32-bit
# programs (or with KELVORA_NO_I386=1) the 32-bit build is still built, packaged and its bytes
# checked by the 64-bit resource test; its Wine tests are reported as skipped, and the last
# line says so.
set -euo pipefail
cd "$(dirname "$0")/.."
# Whether this machine runs 32-bit programs: asked once, handed to every script below.
KELVORA_I386_ANSWER=$(tools/wine.sh --i386-answer)
export KELVORA_I386_ANSWER
tools/install-deps.sh

jobs=$(nproc)
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVORA_SANITIZE=ON >/dev/null
cmake --build build/native -j "$jobs"
tools/build-windows.sh
KELVORA_ARCH=win32 tools/build-windows.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKELVORA_SANITIZE=ON -DKELVORA_FUZZ_SECONDS=25 >/dev/null
cmake --build build/fuzz -j "$jobs" --target kelvora_fuzzers

status=0

# check_package ZIP EXE: the zip holds its four files, they match its SHA256SUMS, and its
# kelvora.exe is EXE, byte for byte.
check_package() {
    local zip=$1 exe=$2 name unpacked files failed=0
    name=$(basename "$zip" .zip)
    unpacked=$(mktemp -d)
    if ! unzip -q "$zip" -d "$unpacked"; then
        echo "$zip: cannot unpack"
        rm -rf "$unpacked"
        return 1
    fi
    files=$(cd "$unpacked" && find . -type f | sort | tr '\n' ' ')
    if [ "$files" != "./$name/LICENSE.txt ./$name/README.txt ./$name/SHA256SUMS ./$name/kelvora.exe " ]; then
        echo "$zip: holds $files"
        failed=1
    fi
    if ! (cd "$unpacked/$name" && sha256sum --quiet -c SHA256SUMS); then
        echo "$zip: SHA256SUMS does not match"
        failed=1
    fi
    local packed tested
    packed=$(sha256sum <"$unpacked/$name/kelvora.exe" | cut -d' ' -f1)
    tested=$(sha256sum <"$exe" | cut -d' ' -f1)
    if [ "$packed" = "$tested" ]; then
        echo "$zip: kelvora.exe is $exe (sha256 $tested)"
    else
        echo "$zip: kelvora.exe (sha256 $packed) is not $exe (sha256 $tested)"
        failed=1
    fi
    # dist/SHA256SUMS names the zip and the program in it.
    if ! grep -qx "$(sha256sum <"$zip" | cut -d' ' -f1)  $(basename "$zip")" dist/SHA256SUMS ||
        ! grep -qx "$tested  $name/kelvora.exe" dist/SHA256SUMS; then
        echo "$zip: dist/SHA256SUMS does not list it or its kelvora.exe"
        failed=1
    fi
    rm -rf "$unpacked"
    return $failed
}

echo "== Packages, made twice in different folders (tools/check-reproducible.sh)"
version=$(tr -d ' \r\n' <VERSION)
if tools/check-reproducible.sh; then
    check_package "dist/kelvora-$version-win32.zip" build/win32/app/kelvora.exe || status=1
    check_package "dist/kelvora-$version-win64.zip" build/windows/app/kelvora.exe || status=1
else
    echo "tools/check-reproducible.sh failed"
    status=1
fi

echo "== Native tests"
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=1
echo "== Fuzzing, 25 s per target (tools/fuzz.sh runs them longer)"
ctest --test-dir build/fuzz -L fuzz --output-on-failure -j "$jobs" || status=1
grep -h '^fuzz [a-z_]*:' build/fuzz/Testing/Temporary/LastTest.log || true
echo "== Windows tests under Wine, 64-bit build"
ctest --test-dir build/windows --output-on-failure -j "$jobs" || status=1
echo "== The program's own tests under Wine, 32-bit build"
ctest --test-dir build/win32 --output-on-failure -j "$jobs" -L every_arch || status=1
win32_tests=$(ctest --test-dir build/win32 -N -L every_arch -FA '.*' | sed -n 's/^Total Tests: //p')
if [ "$KELVORA_I386_ANSWER" = yes ]; then
    echo "32-bit build: built, its bytes checked and its $win32_tests Wine tests run"
else
    echo "32-bit build: built and its bytes checked; its $win32_tests Wine tests skipped: this machine cannot run 32-bit programs (${KELVORA_I386_ANSWER#no: })"
fi
exit $status
