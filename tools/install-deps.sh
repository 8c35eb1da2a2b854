#!/usr/bin/env bash
# Installs, with apt-get, whatever of the project's Debian packages is missing.
# Runs "apt-get update" once, and only when something has to be installed.
#   install-deps.sh         what building, running and testing need
#   install-deps.sh bench   that, and the tools bench/run compares with and plots by
# wine32:i386 (Wine's 32-bit side, for the 32-bit build's tests) only where the machine runs
# 32-bit programs (tools/wine.sh --runs-32-bit): elsewhere it cannot run, its package scripts
# fail, and it turns Debian's "wine" command to a loader that does not start.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")

packages=(
    cmake ninja-build g++
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686
    wine wine64 xvfb x11-utils imagemagick fonts-ipafont-gothic locales
    googletest zip
    clang libclang-rt-14-dev
)
i386=0
if "$here/wine.sh" --runs-32-bit >/dev/null; then
    i386=1
    packages+=(wine32:i386)
fi
if [ "${1:-}" = bench ]; then
    packages+=(sed perl sd rpl python3 gnuplot-nox coreutils findutils)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    # wine32 (so that the win64 prefix runs the 32-bit build) comes from the i386 architecture.
    if [ $i386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
