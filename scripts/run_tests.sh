#!/bin/sh
# Every test: set up, build the shipped 32-bit installer and the x64 build
# with its tests, then run them all under Wine through CTest.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
cmake --preset wine >/dev/null
cmake --build --preset wine
ctest --preset wine -j 2 "$@"
