#!/bin/sh
# Two full runs of the installer in one prefix whose server stays up, so
# that the first run's companion services are still running when the second
# run's cleanup meets them. After each run: both services, the uninstall
# entry and the policy value as registered, and the companions' answer to
# the handshake. After the second: the first run's services were stopped
# and deleted and a file planted in the install folder is gone.
# The checkpoints are timed from a relay trace restricted to the calls that
# open them (the log itself has no line at checkpoints 10, 90 and 99).
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
    /d 'OpenFileMappingA;CreateFileA;RegCreateKeyExA;StartServiceA;UnmapViewOfFile;ExitProcess' \
    /f >/dev/null 2>&1

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

expect_value() {
    got=$(reg_value "$prefix" "$1" "$2")
    if [ "$got" != "$3" ]; then
        fail "$1 $2: expected [$3], found [$got]"
    fi
}

service_key() {
    echo "HKLM\\System\\CurrentControlSet\\Services\\$1"
}

check_registration() {
    run=$1
    for name in Vodorodeveroz Disc_eject; do
        key=$(service_key "$name")
        # Windows stores the path as REG_EXPAND_SZ, Wine as REG_SZ: the text counts.
        image=$(reg_value "$prefix" "$key" ImagePath)
        [ "${image#* }" = "\"C:\\Program Files (x86)\\QUORVANTA\\$name.exe\"" ] ||
            fail "run $run: $name ImagePath is [$image]"
        expect_value "$key" Start "REG_DWORD 0x2"
        wait_service_state "$prefix" "$name" RUNNING 30 ||
            fail "run $run: $name is [$(service_state "$prefix" "$name")], not running"
    done

    entry='HKLM\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\QUORVANTA4780'
    expect_value "$entry" DisplayName 'REG_SZ Dodu6 802.11 ZI1800 ZUR Ezirova'
    expect_value "$entry" UninstallString 'REG_SZ "C:\Program Files (x86)\QUORVANTA\uninstall.exe"'
    expect_value "$entry" Publisher 'REG_SZ QUOR'
    expect_value "$entry" DisplayVersion 'REG_SZ 1.0.312'
    expect_value "$entry" InstallLocation 'REG_SZ C:\Program Files (x86)\QUORVANTA'
    expect_value "$entry" EstimatedSize 'REG_DWORD 0x2800'
    expect_value 'HKLM\SOFTWARE\Policies\Microsoft\Windows\WcmSvc\GroupPolicy' \
        fMinimizeConnections 'REG_DWORD 0x0'

    if grep -E "Open sc|Create sc service failed|Service start failed|Create mapping file failed" \
        "$results/install_log$run.txt" >&2; then
        fail "run $run: the registration logged a failure"
    fi
}

# timeline RUN: milliseconds between the checkpoints, from the relay trace.
# Checkpoint 20 and 40 are the worker's log lines "Start decompress..." and
# "inf_path="; the worker's n-th opening of the log writes the n-th line.
timeline() {
    run=$1
    status=0
    inf_line=$(grep -n -m1 "######inf_path=" "$results/install_log$run.txt" | cut -d: -f1 || true)
    awk -F: -v inf_line="${inf_line:-0}" -v wall="$2" -v run="$run" '
        function ms(t) { return int(t * 1000 + 0.5) }
        NR == 1 { start = $1; main = $2 }
        /Call [A-Za-z0-9_]+\.OpenFileMappingA\(/ && worker == "" { worker = $2; cp10 = $1 }
        worker != "" && $2 == worker && /Call KERNEL32\.CreateFileA\(.*install_log\.txt/ {
            lines++
            if (lines == 1) cp20 = $1
            if (lines == inf_line) cp40 = $1
        }
        $2 == worker && /Call [A-Za-z0-9_]+\.RegCreateKeyExA\(/ && cp90 == "" { cp90 = $1 }
        $2 == worker && /Ret  [A-Za-z0-9_]+\.StartServiceA\(/ { cp99 = $1 }
        $2 == worker && /Call KERNEL32\.UnmapViewOfFile\(/ && cp99 != "" { acknowledged = $1 }
        $2 == main && /Call KERNEL32\.ExitProcess\(/ { finish = $1 }
        END {
            if (cp10 == "" || cp20 == "" || cp90 == "" || cp99 == "" || acknowledged == "" ||
                finish == "") {
                print "run " run ": checkpoints missing from the trace"
                exit 1
            }
            if (cp40 == "") cp40 = cp20
            printf "run %s: wall %d ms; start-10 %d, 10-20 %d, 20-40 %d, 40-90 %d, " \
                   "90-99 %d, 99 wait %d, to exit %d (ms)\n", run, wall, ms(cp10 - start),
                   ms(cp20 - cp10), ms(cp40 - cp20), ms(cp90 - cp40), ms(cp99 - cp90),
                   ms(acknowledged - cp99), ms(finish - acknowledged)
            # Without an answer the wait is 2001 pauses of at least 1 ms.
            if (ms(acknowledged - cp99) >= 2000) {
                print "run " run ": no acknowledgement, checkpoint 99 took " \
                      ms(acknowledged - cp99) " ms"
                exit 1
            }
        }' "$results/relay$run.txt" >"$results/timeline$run.txt" || status=$?
    cat "$results/timeline$run.txt"
    cat "$results/timeline$run.txt" >>"$results/timings.txt"
    return $status
}

run_installer() {
    run=$1
    started=$(date +%s%N)
    status=0
    WINEDEBUG=+timestamp,+relay wine_in "$prefix" 300 "$installer" \
        >"$results/console$run.txt" 2>"$results/relay$run.txt" || status=$?
    ended=$(date +%s%N)
    [ $status -eq 0 ] || fail "run $run: exit code $status"
    cp "$install_dir/install_log.txt" "$results/install_log$run.txt" ||
        fail "run $run: no install log"
    timeline "$run" $(((ended - started) / 1000000)) || fail "run $run: timeline"
}

run_installer 1
check_registration 1

# What the second run's cleanup must take away.
echo planted >"$install_dir/planted.txt"
first_pids=""
for name in Vodorodeveroz Disc_eject; do
    wine_in "$prefix" 60 reg add "$(service_key "$name")" /v QvFirstRun /d 1 /f >/dev/null 2>&1
    pids=$(companion_pids "$prefix" "$name")
    [ -n "$pids" ] || fail "run 1: no process of $name"
    first_pids="$first_pids $pids"
done

run_installer 2
check_registration 2

[ ! -e "$install_dir/planted.txt" ] || fail "run 2: the planted file is still there"
for name in Vodorodeveroz Disc_eject; do
    # The marker went with the service: it was deleted and created anew.
    [ -z "$(reg_value "$prefix" "$(service_key "$name")" QvFirstRun)" ] ||
        fail "run 2: $name was not deleted and created anew"
    [ -n "$(companion_pids "$prefix" "$name")" ] || fail "run 2: no process of $name"
done
for pid in $first_pids; do
    if tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" | grep -q 'QUORVANTA' &&
        ! grep -q '^[0-9]* ([^)]*) Z' "/proc/$pid/stat" 2>/dev/null; then
        fail "run 2: first run's companion $pid still runs"
    fi
done

if [ $failures -ne 0 ]; then
    echo "$failures failures; traces and logs in $results, prefix kept in $prefix" >&2
    exit 1
fi
prefix_stop "$prefix"
rm -rf "$prefix"
echo "two runs: all checks passed"
