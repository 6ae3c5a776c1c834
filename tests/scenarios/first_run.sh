#!/bin/sh
# A first installation in a fresh prefix (win10): the installer exits 0
# in time, its log holds worker lines only, and a screenshot of its window
# (title, green bar, percent label) is kept as an artifact.
set -u
bench=$1
build=$2
here=$(dirname "$0")
. "$here/../bench/common.sh"

prefix="$bench/scenarios/$QV_TEST_NAME"
artifacts=$QV_RESULTS
mkdir -p "$bench/scenarios"
shot="$artifacts/first_run_window.png"
rm -f "$shot"
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# A display of our own, so that no other test's window is photographed.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
while [ ! -s "$display_file" ]; do sleep 0.1; done
DISPLAY=":$(cat "$display_file")"
export DISPLAY
trap 'prefix_stop "$prefix"; kill $xvfb 2>/dev/null; rm -f "$display_file"' EXIT

prefix_copy "$bench" "$prefix"
set_windows_version "$prefix" win10

started=$(date +%s)
wine_in "$prefix" 300 "$build/quorvanta_setup.exe" >"$artifacts/first_run_stdout.txt" 2>&1 &
installer=$!

capture_window $installer "$shot" || true
status=0
wait $installer || status=$?
elapsed=$(($(date +%s) - started))
echo "installer exit code $status after ${elapsed}s"

[ "$status" -eq 0 ] || fail "exit code $status"
[ "$elapsed" -lt 240 ] || fail "took ${elapsed}s"

log="$prefix/drive_c/Program Files (x86)/QUORVANTA/install_log.txt"
if [ ! -f "$log" ]; then
    fail "no install log at $log"
else
    tr -d '\r' <"$log" | sed 's/^/    log: /'
    # Every record: timestamp and separator; no line of the initialisation.
    if tr -d '\r' <"$log" | grep -v -E '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}######' | grep -q .; then
        fail "a line without timestamp and separator"
    fi
    if grep -q -E 'major=|get system version' "$log"; then
        fail "the initialisation's version lines survived start-up"
    fi
    first=$(head -1 "$log" | cut -c30- | tr -d '\r')
    [ "$first" = "Start decompress..." ] || fail "first line is '$first', not the worker's first"
fi

if [ ! -f "$shot" ]; then
    fail "the window with a green bar was never seen"
else
    echo "screenshot: $shot"
    [ "$(pixel "$shot" 175 20)" = "240,240,240" ] || fail "title area is not light grey"
    [ "$(pixel "$shot" 10 175)" = "255,255,255" ] || fail "strip below the title is not white"
    # The title line is drawn in black somewhere in the middle row.
    dark=$(convert "$shot" -crop 300x20+25+65 -threshold 50% -format '%[fx:mean]' info:)
    awk "BEGIN { exit !($dark < 0.999) }" || fail "no title text"
fi

exit $failures
