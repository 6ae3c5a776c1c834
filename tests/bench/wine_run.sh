#!/bin/sh
# Runs a Windows test program in the bench's working prefix.
bench=$1
shift
here=$(dirname "$0")
. "$here/common.sh"
bench_env "$bench"
output=$(mktemp)
trap 'rm -f "$output"' EXIT

# run_once: the program's output goes to the caller and to $output.
run_once() {
    started=$(date +%s.%N)
    status=0
    { wine_in "$bench/prefix" "${QV_WINE_TIMEOUT:-280}" "$@" 2>&1 || echo "$?" >"$output.status"; } |
        tee "$output"
    if [ -f "$output.status" ]; then
        status=$(cat "$output.status")
        rm -f "$output.status"
    fi
    elapsed=$(echo "$(date +%s.%N) - $started" | bc)
}

run_once "$@"
# Seen once in a whole CI run: a test program that ended in a few hundredths
# of a second with no output at all, before any of its own code could have
# printed. That is Wine failing to start it, not the test failing: try once
# more, and say so. A program that printed anything is never run again.
if [ "$status" -ne 0 ] && [ ! -s "$output" ] && [ "$(echo "$elapsed < 1" | bc)" -eq 1 ]; then
    echo "wine_run: $1 ended with status $status after $elapsed s without output; starting it once more" >&2
    run_once "$@"
fi
if [ "$status" -ne 0 ]; then
    echo "wine_run: $1 ended with status $status after $elapsed s" >&2
fi
exit "$status"
