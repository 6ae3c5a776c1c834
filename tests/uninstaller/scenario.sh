#!/bin/sh
# Uninstalling after a real installation (win10), each case in a prefix of
# its own:
#   silent          the installed uninstall.exe /S, run from the install
#                   folder: services, entry, driver package and folder go,
#                   the policy value stays, the moved program goes at restart
#   missing_pieces  a service, the entry and the driver folder removed
#                   beforehand; a copy run from another folder with "/s",
#                   then again with "/S": exit 0, nothing else touched
#   declined        the confirmation answered with real clicks: No changes
#                   nothing (exit 1), then Yes removes everything
#   programs_list   as a person does it: the entry found in the list of
#                   installed programs (Wine's "uninstaller"), removed from
#                   there, Yes clicked; then the list no longer shows it
#   linked_folder   a folder outside linked into the install folder (a Unix
#                   symbolic link, which Wine shows as a linked folder)
# Arguments: bench, build and source folders, case, and the window_button
# tool that tells where a box's button is on the screen.
set -eu
bench=$1
build=$2
source=$3
case=$4
window_button=$5
. "$source/tests/bench/common.sh"
bench_env "$bench"

mkdir -p "$bench/scenarios"
prefix="$bench/scenarios/$QV_TEST_NAME"
results=$QV_RESULTS
drive="$prefix/drive_c"
program_files="$drive/Program Files (x86)"
install="$program_files/QUORVANTA"
install_win='C:\Program Files (x86)\QUORVANTA'
published_inf="$drive/windows/inf/wlanbox_ndis650.inf"
entry='HKLM\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\QUORVANTA4780'
policy='HKLM\SOFTWARE\Policies\Microsoft\Windows\WcmSvc\GroupPolicy'
services_key='HKLM\System\CurrentControlSet\Services'
pending='HKLM\System\CurrentControlSet\Control\Session Manager'

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

finish() {
    if [ $failures -ne 0 ]; then
        echo "$case: $failures failures; outputs and logs in $results, prefix kept in $prefix" >&2
        exit 1
    fi
    prefix_stop "$prefix"
    rm -rf "$prefix"
    echo "$case: all checks passed"
    exit 0
}

prefix_copy "$bench" "$prefix"
trap 'prefix_stop "$prefix"' EXIT
set_windows_version "$prefix" win10

# The temp folder as the prefix names it ("C:\users\NAME\Temp"), and as a
# path under drive_c.
temp_win=$(wine_in "$prefix" 60 cmd /c echo %TEMP% | tr -d '\r')
temp="$drive/$(printf '%s' "${temp_win#[Cc]:\\}" | tr '\\' /)"
[ -d "$temp" ] || fail "temp folder $temp_win not found at $temp"
# Each run works in a new folder of its own under the temp folder; $log is
# set to the log in it after the run, empty when there is none.
work_glob="$temp/QUORVANTA_uninstall_*"
log=

key_exists() {
    wine_in "$prefix" 60 reg query "$1" >/dev/null 2>&1
}

# The installation the uninstaller meets; without it nothing can be judged.
install_product() {
    status=0
    wine_in "$prefix" 300 "$build/quorvanta_setup.exe" >"$results/install.out" 2>&1 || status=$?
    ready=true
    [ $status -eq 0 ] || { fail "installer exit code $status"; ready=false; }
    [ -f "$install/uninstall.exe" ] || { fail "no uninstall.exe installed"; ready=false; }
    [ -f "$published_inf" ] || { fail "no driver package published"; ready=false; }
    key_exists "$entry" || { fail "no uninstall entry written"; ready=false; }
    for name in Vodorodeveroz Disc_eject; do
        wait_service_state "$prefix" "$name" RUNNING 30 || { fail "service $name not running"; ready=false; }
    done
    [ -n "$(reg_value "$prefix" "$policy" fMinimizeConnections)" ] || { fail "no policy value"; ready=false; }
    $ready || finish
}

# run_uninstaller LABEL PROGRAM [ARGS...]: its exit code in $status, its
# output and log kept under LABEL.
run_uninstaller() {
    label=$1
    shift
    rm -rf $work_glob
    status=0
    wine_in "$prefix" 120 "$@" >"$results/$label.out" 2>"$results/$label.err" || status=$?
    keep_log "$label"
    echo "$label: exit code $status"
    sed 's/^/    /' "$results/$label.log"
}

# find_log: $log, the log in the run's working folder; empty when none.
find_log() {
    log=
    for work in $work_glob; do
        if [ -f "$work/uninstall_log.txt" ]; then
            log="$work/uninstall_log.txt"
        fi
    done
}

# keep_log LABEL: the run's log, kept under LABEL (empty when none).
keep_log() {
    find_log
    if [ -n "$log" ] && [ -f "$log" ]; then
        tr -d '\r' <"$log" >"$results/$1.log"
    else
        : >"$results/$1.log"
    fi
}

# The log holds records only, and ends with the exit code.
check_log() {
    label=$1
    code=$2
    if grep -v -E '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}######' \
        "$results/$label.log" | grep -q .; then
        fail "$label: a log line without timestamp and separator"
    fi
    last=$(tail -1 "$results/$label.log" | cut -c30-)
    [ "$last" = "Uninstall finished, exit code $code" ] || fail "$label: last log line [$last]"
}

# Everything the installation made is gone; its neighbours and the policy
# value are not.
check_removed() {
    label=$1
    if [ -e "$install" ]; then
        fail "$label: the install folder is still there: $(ls -A "$install" | tr '\n' ' ')"
    fi
    [ -d "$program_files/Common Files" ] || fail "$label: a neighbour of the install folder went"
    for name in Vodorodeveroz Disc_eject; do
        ! key_exists "$services_key\\$name" || fail "$label: service $name is still registered"
        [ -z "$(companion_pids "$prefix" "$name")" ] || fail "$label: $name still runs"
    done
    ! key_exists "$entry" || fail "$label: the uninstall entry is still there"
    [ ! -e "$published_inf" ] || fail "$label: the driver package is still published"
    [ "$(reg_value "$prefix" "$policy" fMinimizeConnections)" = "REG_DWORD 0x0" ] ||
        fail "$label: the policy value was touched"
}

# snapshot NAME: the drive's files (the temp folder aside) and the
# registry keys the uninstaller could reach.
snapshot() {
    find "$drive" -path "$temp" -prune -o -printf '%P %y %s %T@ %l\n' | sort >"$results/$1.files"
    {
        wine_in "$prefix" 60 reg query "$services_key"
        wine_in "$prefix" 60 reg query 'HKLM\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall' /s
        wine_in "$prefix" 60 reg query "$policy" /s
        for name in Vodorodeveroz Disc_eject; do
            echo "$name $(service_state "$prefix" "$name") $(companion_pids "$prefix" "$name")"
        done
    } 2>&1 | tr -d '\r' >"$results/$1.registry"
}

same_snapshot() {
    for part in files registry; do
        if ! diff "$results/$1.$part" "$results/$2.$part" >"$results/$2.$part.diff"; then
            fail "$2: the $part changed:"
            head -20 "$results/$2.$part.diff" >&2
        fi
    done
}

caption='QUORVANTA 4780 uninstaller'
display_name='Dodu6 802.11 ZI1800 ZUR Ezirova'

# click BUTTON: clicks that button of the confirmation box on the X display,
# as a person would, once the box shows; false when it never shows.
click() {
    point=$(wine_in "$prefix" 60 "$window_button" "$caption" "$1" 30) || return 1
    # shellcheck disable=SC2086
    set -- $point
    xdotool mousemove --sync "$1" "$2" click 1
}

# answer_box LABEL BUTTON PROGRAM [ARGS...]: runs the program, answers its
# confirmation box with a click on BUTTON and waits for its end; its exit
# code in $status. Both buttons must be there: a Yes/No question.
answer_box() {
    label=$1
    button=$2
    shift 2
    rm -rf $work_glob
    wine_in "$prefix" 120 "$@" >"$results/$label.out" 2>"$results/$label.err" &
    program=$!
    wine_in "$prefix" 60 "$window_button" "$caption" '&Yes' 30 >/dev/null ||
        fail "$label: no Yes button in a box [$caption]"
    click "$button" || fail "$label: could not click $button"
    status=0
    wait $program || status=$?
    keep_log "$label"
    echo "$label: clicked $button, exit code $status"
    sed 's/^/    /' "$results/$label.log"
}

# listed: the installed-programs list's line of the product, if any.
listed() {
    wine_in "$prefix" 60 uninstaller --list 2>/dev/null | tr -d '\r' | grep '^QUORVANTA4780|' || true
}

case $case in
silent)
    install_product
    run_uninstaller silent "$install_win\\uninstall.exe" /S
    [ $status -eq 0 ] || fail "silent: exit code $status"
    check_removed silent
    check_log silent 0

    # The running program moved itself out and is deleted at restart.
    moved_win=$(sed -n 's/^.*######Moved .*\\uninstall\.exe to \(.*\)$/\1/p' "$results/silent.log")
    moved="$(dirname "$log")/${moved_win##*\\}"
    if [ -z "$moved_win" ] || ! cmp -s "$moved" "$build/carried/uninstall.exe"; then
        fail "silent: the moved uninstaller [$moved_win] is not in the run's own folder"
    fi
    wine_in "$prefix" 60 reg query "$pending" /v PendingFileRenameOperations 2>/dev/null |
        tr -d '\r' | grep -qF "$moved_win" ||
        fail "silent: the moved uninstaller is not scheduled for deletion"
    wine_in "$prefix" 120 wineboot -r >/dev/null 2>&1 || true
    [ ! -e "$moved" ] || fail "silent: the moved uninstaller survived the restart"
    ;;

missing_pieces)
    install_product
    wine_in "$prefix" 60 sc stop Disc_eject >/dev/null 2>&1 || true
    wait_service_state "$prefix" Disc_eject STOPPED 30 || true
    wine_in "$prefix" 60 sc delete Disc_eject >/dev/null 2>&1 || fail "Disc_eject not deleted"
    wine_in "$prefix" 60 reg delete "$entry" /f >/dev/null 2>&1 || fail "entry not deleted"
    rm -rf "$install/4780DV"

    # A copy elsewhere removes the installation, never its own surroundings.
    mkdir -p "$drive/tools"
    cp "$build/carried/uninstall.exe" "$drive/tools/uninstall.exe"
    echo "a neighbour" >"$drive/tools/neighbour.txt"
    run_uninstaller first 'C:\tools\uninstall.exe' /s
    [ $status -eq 0 ] || fail "first: exit code $status"
    check_removed first
    check_log first 0
    cmp -s "$drive/tools/uninstall.exe" "$build/carried/uninstall.exe" ||
        fail "first: the copy that ran went"
    [ "$(cat "$drive/tools/neighbour.txt" 2>/dev/null)" = "a neighbour" ] ||
        fail "first: its neighbour went"
    grep -q '######Service Disc_eject not installed$' "$results/first.log" ||
        fail "first: the missing service was not noticed"
    grep -q '######Uninstall entry not found$' "$results/first.log" ||
        fail "first: the missing entry was not noticed"
    ! grep -q 'failed' "$results/first.log" || fail "first: a failure was logged"

    # Again, with nothing left. The box is not asked under /S either: an
    # unanswered box would hold the program until its time limit.
    snapshot before_second
    run_uninstaller second 'C:\tools\uninstall.exe' /S
    [ $status -eq 0 ] || fail "second: exit code $status"
    check_log second 0
    snapshot after_second
    same_snapshot before_second after_second
    [ "$(grep -c -E '######Service [A-Za-z_]+ not installed$' "$results/second.log")" -eq 2 ] ||
        fail "second: both services should be reported missing"
    grep -qF "######Install folder $install_win not found" "$results/second.log" ||
        fail "second: the missing folder was not noticed"
    ;;

declined)
    install_product
    snapshot before
    answer_box no '&No' "$install_win\\uninstall.exe"
    [ $status -eq 1 ] || fail "no: exit code $status"
    [ -z "$log" ] || fail "no: a log was written"
    for work in $work_glob; do
        [ ! -e "$work" ] || fail "no: a working folder was made: $work"
    done
    snapshot after_no
    same_snapshot before after_no

    answer_box yes '&Yes' "$install_win\\uninstall.exe"
    [ $status -eq 0 ] || fail "yes: exit code $status"
    check_removed yes
    check_log yes 0
    ;;

programs_list)
    install_product
    line=$(listed)
    [ "$line" = "QUORVANTA4780|||$display_name" ] ||
        fail "list: the product is listed as [$line]"
    answer_box list '&Yes' uninstaller --remove QUORVANTA4780
    [ $status -eq 0 ] || fail "list: the list's remove command ended with $status"
    # The list starts the uninstaller and need not wait for it.
    tries=0
    find_log
    while [ $tries -lt 60 ] && ! grep -q 'Uninstall finished' "$log" 2>/dev/null; do
        tries=$((tries + 1))
        sleep 1
        find_log
    done
    keep_log list
    sed 's/^/    /' "$results/list.log"
    check_removed list
    check_log list 0
    [ -z "$(listed)" ] || fail "list: the product is still listed: $(listed)"
    ;;

linked_folder)
    install_product
    outside="$drive/outside_data"
    mkdir -p "$outside/sub"
    echo "kept" >"$outside/keep.txt"
    echo "kept too" >"$outside/sub/deep.txt"
    ln -s "$outside" "$install/linked_folder"
    ln -s "$outside" "$install/4780DV/linked_again"
    contents() {
        (cd "$outside" && find . -printf '%p %y\n' && find . -type f -exec md5sum {} +) | sort
    }
    contents >"$results/outside_before.txt"

    run_uninstaller linked "$install_win\\uninstall.exe" /S
    contents >"$results/outside_after.txt"
    diff "$results/outside_before.txt" "$results/outside_after.txt" >&2 ||
        fail "linked: the linked folder's target or contents changed"

    # The other pieces go as usual.
    for name in Vodorodeveroz Disc_eject; do
        ! key_exists "$services_key\\$name" || fail "linked: service $name is still registered"
    done
    ! key_exists "$entry" || fail "linked: the uninstall entry is still there"
    [ ! -e "$published_inf" ] || fail "linked: the driver package is still published"

    # Windows unlinks a linked folder with RemoveDirectory; Wine refuses to
    # when its target is not empty (error 145). Either way nothing but the
    # links may remain, and the exit code must tell whether the folder went.
    if [ -e "$install" ]; then
        left=$(cd "$install" && find . -mindepth 1 ! -type d ! -type l | tr '\n' ' ')
        [ -z "$left" ] || fail "linked: files other than links remain: $left"
        [ $status -eq 2 ] || fail "linked: the folder remains but the exit code is $status"
        for link in 'linked_folder' '4780DV\linked_again'; do
            grep -qF "######delete directory path=$install_win\\$link error=" \
                "$results/linked.log" || fail "linked: the remaining $link was not logged"
        done
        check_log linked 2
        echo "linked: the links remain (not unlinked under this Wine), exit code 2"
    else
        [ $status -eq 0 ] || fail "linked: the folder went but the exit code is $status"
        check_log linked 0
    fi
    ;;

*)
    fail "unknown case $case"
    ;;
esac

finish
