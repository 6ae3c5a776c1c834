#!/bin/sh
# Starts the test bench: a private Xvfb display, a booted Wine prefix kept as
# a pristine template for scenarios, and a working copy of it whose server
# stays up for the whole test run.
set -eu
bench=$1
here=$(dirname "$0")
. "$here/common.sh"

if [ -f "$bench/xvfb.pid" ]; then
    "$here/bench_stop.sh" "$bench" || true
fi
rm -rf "$bench"
mkdir -p "$bench"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$bench/display" >"$bench/xvfb.log" 2>&1 &
echo $! >"$bench/xvfb.pid"
tries=0
while [ ! -s "$bench/display" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ]; then
        echo "Xvfb did not start" >&2
        cat "$bench/xvfb.log" >&2
        exit 1
    fi
    sleep 0.1
done
bench_env "$bench"

template="$bench/template"
export WINEPREFIX="$template"
timeout 150 "$WINE64" wineboot -i </dev/null >"$bench/boot.log" 2>&1
set_windows_version "$template" win10
# Classic controls: themed ones ignore the progress bar's colour.
wine_in "$template" 60 reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
    /v ThemeActive /d 0 /f >/dev/null 2>&1
# 32-bit programs run under WOW64 when Wine's 32-bit loader was present at
# boot: then syswow64 holds the 32-bit system DLLs. A machine without it
# still runs everything else; the shipped-build tests skip themselves.
probe_wow64 "$bench" "$template"
cat "$bench/wow64"
# Ending the server writes the registry to disk before the copy.
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true

prefix_copy "$bench" "$bench/prefix"
echo "bench ready: DISPLAY=$DISPLAY prefix=$bench/prefix"
