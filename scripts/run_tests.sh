#!/bin/sh
# Every test: set up, build the shipped 32-bit installer and the x64 build
# with its tests, then run them all under Wine through CTest.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/build.sh
ctest --preset wine -j 2 "$@"
