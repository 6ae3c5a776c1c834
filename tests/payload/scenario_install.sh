#!/bin/sh
# A full run of the x64 installer in a fresh prefix set to one Windows
# version. Checks what the payload expansion leaves behind: the layout, the
# expansion's log lines and system type, and the exit code.
# Arguments: bench, build and source folders, Windows version, driver
# package expected in "4780DV", expected system type.
set -eu
bench=$1
build=$2
source=$3
version=$4
package=$5
sys_type=$6
. "$source/tests/bench/common.sh"
bench_env "$bench"

scenario_prefix "$bench" "$version"

status=0
wine_in "$prefix" 300 "$build/quorvanta_setup.exe" >"$QV_RESULTS/stdout.txt" 2>&1 || status=$?

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

install="$prefix/drive_c/Program Files (x86)/QUORVANTA"
[ "$status" -eq 0 ] || fail "exit code $status"

for member in Disc_eject.exe Vodorodeveroz.exe uninstall.exe; do
    cmp -s "$install/$member" "$build/carried/$member" || fail "$member is not the built program"
done
[ -s "$install/qv4780_fw.bin" ] || fail "no firmware image"
[ -f "$install/mvla_settings.ini" ] && [ ! -s "$install/mvla_settings.ini" ] ||
    fail "settings file missing or not empty"
drivers=$(cd "$install/4780DV" 2>/dev/null && ls | tr '\n' ' ')
[ "$drivers" = "$package.cat $package.inf $package.sys " ] || fail "4780DV holds: $drivers"
[ -d "$install/Temp" ] || fail "no Temp folder"
leftovers=$(ls -A "$install/Temp" 2>/dev/null || true)
[ -z "$leftovers" ] || fail "Temp still holds: $leftovers"

# The expansion's own lines, in order, without timestamps.
inf='C:\Program Files (x86)\QUORVANTA\4780DV\'"$package.inf"
setup='C:\Program Files (x86)\QUORVANTA\Temp\setup.txt'
expected=$(printf '%s\n' "Start decompress..." "Start decompress file" "src_path:$setup" "drv=" \
    "sys_type=$sys_type" "Start decompress file" "src_path:$setup" "drv=$inf")
actual=$(tr -d '\r' <"$install/install_log.txt" | cut -c30- |
    grep -E '^(Start decompress|src_path:|drv=|sys_type=|decompress cab|unsupport|system type)' ||
    true)
if [ "$actual" != "$expected" ]; then
    fail "expansion log lines differ"
    printf 'expected:\n%s\nactual:\n%s\n' "$expected" "$actual" >&2
fi

if [ "$failed" -ne 0 ]; then
    echo "== install log:" >&2
    tr -d '\r' <"$install/install_log.txt" >&2 || true
fi
prefix_stop "$prefix"
rm -rf "$prefix"
exit $failed
