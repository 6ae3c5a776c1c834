#!/bin/sh
# Installs everything the build and the tests need, from Debian's packages.
# Safe to run again: apt-get runs only when something is missing, and then
# updates its lists first.
set -eu

# wine32 runs the shipped 32-bit programs under WOW64 in a 64-bit prefix.
PACKAGES="cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 mingw-w64-tools \
wine64 wine32:i386 xvfb x11-apps x11-utils xdotool imagemagick bc googletest \
gcab xxd file python3 clang-format osslsigncode openssl"

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update
    # shellcheck disable=SC2086
    $SUDO apt-get install -y --no-install-recommends $missing
fi
