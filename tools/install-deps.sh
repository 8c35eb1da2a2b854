#!/usr/bin/env bash
# Installs, with apt-get, whatever of the project's Debian packages is missing.
# Runs "apt-get update" once, and only when something has to be installed.
#   install-deps.sh         what building, running and testing need
#   install-deps.sh bench   that, and the tools bench/run compares with and plots by
set -euo pipefail

packages=(
    cmake ninja-build g++
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686
    wine wine64 wine32:i386 xvfb x11-utils imagemagick fonts-ipafont-gothic locales
    googletest zip
    clang libclang-rt-14-dev
)
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
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
