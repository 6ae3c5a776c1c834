#!/bin/sh
# Installs everything the build and the tests need, from Debian's packages.
# Safe to run again: apt-get skips what is already installed.
set -eu

PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 mingw-w64-tools \
wine64 xvfb x11-apps x11-utils imagemagick bc googletest gcab xxd file python3 clang-format"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update
    # shellcheck disable=SC2086
    $SUDO apt-get install -y --no-install-recommends $missing
fi
