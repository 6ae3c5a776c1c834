#!/bin/sh
# Two installers started 0.4 s apart in one prefix, as a double-click twice
# does. Whichever takes the mutex first runs to its end; the other leaves
# at once with exit code 0 and touches nothing: a relay trace restricted to
# the mutex and to the first calls that would touch something (window,
# log file, log deletion, cleanup commands) shows which did what.
# Afterwards the log holds one expansion and both services run.
# Arguments: bench folder, build folder, source folder.
set -eu
bench=$1
build=$2
source=$3
. "$source/tests/bench/common.sh"
bench_env "$bench"

installer="$build/quorvanta_setup.exe"
results=$QV_RESULTS
scenario_prefix "$bench" win10
install_dir="$prefix/drive_c/Program Files (x86)/QUORVANTA"
wine_in "$prefix" 60 reg add 'HKCU\Software\Wine\Debug' /v RelayInclude \
    /d 'CreateMutexA;CreateWindowExA;DeleteFileA;fopen_s;CreateProcessA' /f >/dev/null 2>&1

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# start_installer N: runs it in the background; its exit code and the
# seconds it took land in $results.
start_installer() {
    (
        started=$(date +%s.%N)
        status=0
        WINEDEBUG=+relay wine_in "$prefix" 300 "$installer" >"$results/console$1.txt" \
            2>"$results/relay$1.txt" || status=$?
        echo "$status $(echo "$(date +%s.%N) - $started" | bc)" >"$results/end$1.txt"
    ) &
}

start_installer 1
sleep 0.4
start_installer 2
wait

read -r status1 seconds1 <"$results/end1.txt"
read -r status2 seconds2 <"$results/end2.txt"
echo "installer 1: exit code $status1 after $seconds1 s"
echo "installer 2: exit code $status2 after $seconds2 s"
[ "$status1" -eq 0 ] || fail "installer 1: exit code $status1"
[ "$status2" -eq 0 ] || fail "installer 2: exit code $status2"
# calls NAME RUN: how many calls of that name the run's trace holds.
calls() {
    grep -c -E "Call [A-Za-z0-9_]+\.$1\(" "$results/relay$2.txt" || true
}
touched() {
    echo $(($(calls CreateWindowExA "$1") + $(calls DeleteFileA "$1") + $(calls fopen_s "$1") +
        $(calls CreateProcessA "$1")))
}
ran=""
left=""
for run in 1 2; do
    echo "installer $run: $(calls CreateMutexA $run) mutex, $(touched $run) other calls"
    [ "$(calls CreateMutexA $run)" -eq 1 ] || fail "installer $run did not ask for the mutex once"
    if [ "$(touched $run)" -eq 0 ]; then
        left="$left $run"
    else
        ran="$ran $run"
    fi
done
[ "$left" = " 1" ] || [ "$left" = " 2" ] ||
    fail "not exactly one installer left untouched: [$left]"
echo "ran to the end:$ran; left at once:$left"

log="$install_dir/install_log.txt"
if [ -f "$log" ]; then
    cp "$log" "$results/install_log.txt"
    tr -d '\r' <"$log" | sed 's/^/    log: /'
    expansions=$(grep -c '######Start decompress\.\.\.' "$log" || true)
    [ "$expansions" -eq 1 ] || fail "the log holds $expansions expansions, not one"
else
    fail "no install log"
fi
for service in Vodorodeveroz Disc_eject; do
    wait_service_state "$prefix" "$service" RUNNING 30 ||
        fail "$service is [$(service_state "$prefix" "$service")], not running"
done

if [ $failures -ne 0 ]; then
    echo "$failures failures; logs in $results, prefix kept in $prefix" >&2
    exit 1
fi
prefix_stop "$prefix"
rm -rf "$prefix"
echo "two installers: all checks passed"
