#!/bin/sh
# Two installers started 0.4 s apart in one prefix, as a double-click twice
# does. Whichever takes the mutex first runs to its end; the other leaves
# at once with exit code 0 and touches nothing. Afterwards the log holds
# one expansion and both services run.
# Arguments: bench folder, build folder, source folder.
set -eu
bench=$1
build=$2
source=$3
. "$source/tests/bench/common.sh"
bench_env "$bench"

name=${QV_TEST_NAME:-two_installers}
installer="$build/quorvanta_setup.exe"
mkdir -p "$bench/scenarios"
prefix="$bench/scenarios/$name"
install_dir="$prefix/drive_c/Program Files (x86)/QUORVANTA"
results="${QV_RESULTS:-$build/$name}"
rm -rf "$results"
mkdir -p "$results"

prefix_copy "$bench" "$prefix"
trap 'prefix_stop "$prefix"' EXIT
set_windows_version "$prefix" win10

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
        wine_in "$prefix" 300 "$installer" >"$results/console$1.txt" 2>&1 || status=$?
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
# The one that found the mutex taken ended long before the other, whose
# run includes the cleanup, the expansion and the services.
if [ "$(echo "$seconds2 + 5 < $seconds1" | bc)" -eq 1 ]; then
    echo "installer 2 left early"
elif [ "$(echo "$seconds1 + 5 < $seconds2" | bc)" -eq 1 ]; then
    echo "installer 1 left early: installer 2 took the mutex first"
else
    fail "neither installer left early"
fi

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
    state=""
    tries=0
    while [ $tries -lt 30 ]; do
        state=$(service_state "$prefix" "$service")
        [ "$state" = RUNNING ] && break
        tries=$((tries + 1))
        sleep 1
    done
    [ "$state" = RUNNING ] || fail "$service is [$state], not running"
done

if [ $failures -ne 0 ]; then
    echo "$failures failures; logs in $results, prefix kept in $prefix" >&2
    exit 1
fi
prefix_stop "$prefix"
rm -rf "$prefix"
echo "two installers: all checks passed"
