#!/bin/sh
# Runs one test program in a prefix of its own, copied from the bench's
# template, for tests that change machine-wide state (services, the driver
# store, named shared memory) and so must not meet other tests.
# Arguments: bench folder, build folder, source folder, program.
set -eu
bench=$1
source=$3
program=$4
. "$source/tests/bench/common.sh"
bench_env "$bench"

mkdir -p "$bench/scenarios"
prefix="$bench/scenarios/$(basename "$program" .exe)"
prefix_copy "$bench" "$prefix"
status=0
wine_in "$prefix" 400 "$program" || status=$?
prefix_stop "$prefix"
rm -rf "$prefix"
exit $status
