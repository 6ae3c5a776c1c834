#!/bin/sh
# Two runs of the installer in one prefix (win10). The first publishes the
# driver INF into the INF folder; the second meets the same INF there and
# publishes over it: its no-overwrite copy fails and the replacing copy
# succeeds, seen in a relay trace limited to SetupCopyOEMInfA. Each run
# removes earlier packages ("Previous version are deleted"), fails to
# locate the root device node as Wine does, and exits 0.
# Arguments: bench folder, build folder, source folder.
set -eu
bench=$1
build=$2
source=$3
. "$source/tests/bench/common.sh"
bench_env "$bench"

results=$QV_RESULTS
scenario_prefix "$bench" win10
wine_in "$prefix" 60 reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'SetupCopyOEMInfA' \
    /f >/dev/null 2>&1

install_dir="$prefix/drive_c/Program Files (x86)/QUORVANTA"
installed_inf="$install_dir/4780DV/wlanbox_ndis650.inf"
published_inf="$prefix/drive_c/windows/inf/wlanbox_ndis650.inf"
inf_path='C:\Program Files (x86)\QUORVANTA\4780DV\wlanbox_ndis650.inf'

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The driver step's own log lines, in order, without timestamps.
driver_lines() {
    tr -d '\r' <"$1" | cut -c30- |
        grep -E '^(inf_path=|Uninstall |Previous version|Replace \.inf|The [0-9]+ time trying|First try for copying|CM_|DisableDevice|EnableDevice|Windows directory)' ||
        true
}

# copy_calls TRACE: "style:result" of each SetupCopyOEMInfA call, in order.
copy_calls() {
    awk '/Call setupapi\.SetupCopyOEMInfA\(/ {
             split($0, args, ","); style = args[4]; sub(/^0+/, "", style) }
         /Ret  setupapi\.SetupCopyOEMInfA\(/ {
             result = $0; sub(/.*retval=/, "", result); sub(/ .*/, "", result)
             sub(/^0+/, "", result); if (result == "") result = "0"
             printf "%s:%s ", style, result }' "$1"
}

run_installer() {
    run=$1
    status=0
    WINEDEBUG=+relay wine_in "$prefix" 300 "$build/quorvanta_setup.exe" \
        >"$results/stdout_$run.txt" 2>"$results/trace_$run.txt" || status=$?
    echo "run $run: exit code $status"
    [ "$status" -eq 0 ] || fail "run $run: exit code $status"
    if [ ! -f "$install_dir/install_log.txt" ]; then
        fail "run $run: no install log"
        return
    fi
    cp "$install_dir/install_log.txt" "$results/install_log_$run.txt"

    expected=$(printf '%s\n' "inf_path=$inf_path" "Previous version are deleted" \
        "CM_Locate_DevNode failed: 13")
    actual=$(driver_lines "$results/install_log_$run.txt")
    if [ "$actual" != "$expected" ]; then
        fail "run $run: driver log lines differ"
        printf 'expected:\n%s\nactual:\n%s\n' "$expected" "$actual" >&2
    fi
    # Wine stops at the locate: the fallback never runs, so no status lines.
    if grep -q -i 'device' "$results/stdout_$run.txt"; then
        fail "run $run: device status lines on standard output"
    fi
    [ -f "$published_inf" ] || fail "run $run: nothing published as wlanbox_ndis650.inf"
    cmp -s "$published_inf" "$installed_inf" ||
        fail "run $run: the published INF is not the installed one"
    calls=$(copy_calls "$results/trace_$run.txt")
    [ "$calls" = "$2" ] || fail "run $run: copy calls [$calls], expected [$2]"
    # Wine names a new package oemN.inf only when its own name is taken by
    # another text: the replacement must not have published a second copy.
    extra=$(cd "$prefix/drive_c/windows/inf" && ls | grep -i '^oem[0-9]*\.inf$' || true)
    [ -z "$extra" ] || fail "run $run: published as well: $extra"
}

run_installer 1 "8:1 "
run_installer 2 "8:0 2:1 "

if [ "$failures" -ne 0 ]; then
    for run in 1 2; do
        echo "== install log of run $run:" >&2
        tr -d '\r' <"$results/install_log_$run.txt" >&2 2>/dev/null || true
    done
fi
exit "$failures"
