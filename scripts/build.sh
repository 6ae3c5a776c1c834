#!/bin/sh
# Sets up the machine if needed and builds both presets: the shipped 32-bit
# installer (build/release) and the x64 build with its tests (build/wine).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
cmake --preset wine >/dev/null
cmake --build --preset wine
