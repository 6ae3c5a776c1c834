#!/bin/sh
# Starts one scenario: SCRIPT BENCH BUILD SOURCE [ARGS...]. A scenario of
# the shipped 32-bit build is skipped (exit code 77) on a machine that
# cannot run 32-bit programs, and says why. Each scenario gets an empty
# results folder of its own, QV_RESULTS.
set -eu
script=$1
bench=$2
build=$3
here=$(dirname "$0")
. "$here/common.sh"

if is_pe32 "$build/quorvanta_setup.exe"; then
    answer=$(cat "$bench/wow64" 2>/dev/null || echo "no: the bench did not probe for 32-bit support")
    if [ "$answer" != yes ]; then
        echo "SKIP: the shipped 32-bit build cannot run here: ${answer#no: }"
        exit 77
    fi
fi
: "${QV_RESULTS:?QV_RESULTS names the scenario's results folder}"
rm -rf "$QV_RESULTS"
mkdir -p "$QV_RESULTS"
shift
exec "$script" "$@"
