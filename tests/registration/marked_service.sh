#!/bin/sh
# A second installation while a handle to the eject service stays open, as
# an open services console keeps one: the cleanup's delete then only marks
# the service. A probe of ours holds it from before the second run until
# HOLD_MS after the USB service runs anew, which is when the installer
# comes to the eject service.
# Let go within the installer's bound (3000): Disc_eject is awaited,
# created anew and runs at the end; nothing is logged.
# Held past it (30000): one line says a restart is needed, the run still
# ends with exit code 0, and the USB service runs.
# Arguments: bench folder, build folder, source folder, probe program,
# HOLD_MS.
set -eu
bench=$1
build=$2
source=$3
probe=$4
hold_ms=$5
. "$source/tests/bench/common.sh"
bench_env "$bench"

installer="$build/quorvanta_setup.exe"
results=$QV_RESULTS
scenario_prefix "$bench" win10
install_dir="$prefix/drive_c/Program Files (x86)/QUORVANTA"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}


run_installer() {
    status=0
    wine_in "$prefix" 300 "$installer" >"$results/console$1.txt" 2>&1 || status=$?
    [ $status -eq 0 ] || fail "run $1: exit code $status"
    cp "$install_dir/install_log.txt" "$results/install_log$1.txt" ||
        fail "run $1: no install log"
}

run_installer 1
for service in Vodorodeveroz Disc_eject; do
    wait_service_state "$prefix" $service RUNNING 30 || fail "run 1: $service does not run"
done
[ $failures -eq 0 ] || exit 1

wine_in "$prefix" 400 "$probe" Disc_eject Vodorodeveroz "$hold_ms" >"$results/probe.txt" 2>&1 &
probe_job=$!
tries=0
until grep -q '^holding' "$results/probe.txt" 2>/dev/null; do
    tries=$((tries + 1))
    if [ $tries -gt 300 ] || ! kill -0 $probe_job 2>/dev/null; then
        cat "$results/probe.txt" >&2
        fail "the probe did not take hold of Disc_eject"
        exit 1
    fi
    sleep 0.1
done

started=$(date +%s)
run_installer 2
echo "second run: $(($(date +%s) - started)) s"
probe_status=0
wait $probe_job || probe_status=$?
tr -d '\r' <"$results/probe.txt"
[ $probe_status -eq 0 ] || fail "probe ended with $probe_status"
tr -d '\r' <"$results/install_log2.txt" | sed 's/^/    log: /'

marked_line="Service Disc_eject is marked for deletion; restart Windows to finish"
wait_service_state "$prefix" Vodorodeveroz RUNNING 30 || fail "run 2: Vodorodeveroz does not run"
if [ "$hold_ms" -lt 10000 ]; then
    wait_service_state "$prefix" Disc_eject RUNNING 30 || fail "run 2: Disc_eject is [$(service_state "$prefix" Disc_eject)], not running"
    image=$(reg_value "$prefix" 'HKLM\System\CurrentControlSet\Services\Disc_eject' ImagePath)
    [ "${image#* }" = '"C:\Program Files (x86)\QUORVANTA\Disc_eject.exe"' ] ||
        fail "run 2: Disc_eject ImagePath is [$image]"
    if grep -E "Open sc|Create sc service failed|Service start failed|marked for deletion" \
        "$results/install_log2.txt" >&2; then
        fail "run 2: the registration logged a line"
    fi
else
    [ "$(grep -c "######$marked_line" "$results/install_log2.txt")" -eq 1 ] ||
        fail "run 2: no single line [$marked_line]"
    if grep -E "Open sc|Create sc service failed|Service start failed" \
        "$results/install_log2.txt" >&2; then
        fail "run 2: the registration logged another line"
    fi
    # Once the probe let go, the marked service went, as the line says.
    wait_service_state "$prefix" Disc_eject "" 30 || fail "Disc_eject stayed after the probe let go"
fi

if [ $failures -ne 0 ]; then
    echo "$failures failures; logs in $results, prefix kept in $prefix" >&2
    exit 1
fi
prefix_stop "$prefix"
rm -rf "$prefix"
echo "$QV_TEST_NAME: all checks passed"
