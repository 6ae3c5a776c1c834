#!/bin/sh
# Stops the bench's Wine servers and its Xvfb; leaves other prefixes alone.
bench=$1
here=$(dirname "$0")
. "$here/common.sh"

for prefix in "$bench"/prefix "$bench"/scenarios/*; do
    if [ -d "$prefix" ]; then
        prefix_stop "$prefix"
    fi
done
if [ -f "$bench/xvfb.pid" ]; then
    kill "$(cat "$bench/xvfb.pid")" 2>/dev/null || true
    rm -f "$bench/xvfb.pid"
fi
exit 0
