#!/bin/sh
# Runs a Windows test program in the bench's working prefix.
bench=$1
shift
here=$(dirname "$0")
. "$here/common.sh"
bench_env "$bench"
started=$(date +%s.%N)
status=0
wine_in "$bench/prefix" "${QV_WINE_TIMEOUT:-280}" "$@" || status=$?
if [ "$status" -ne 0 ]; then
    # A program that dies before its first flush leaves no output of its
    # own: say at least how and when it ended.
    echo "wine_run: $1 ended with status $status after $(echo "$(date +%s.%N) - $started" | bc) s" >&2
fi
exit "$status"
