#!/bin/sh
# The installer started from a Downloads folder that holds a planted
# comctl32.dll, with Wine told to search for that library as Windows does
# (native first): the planted library is never loaded, and the
# installation runs to its end as usual. Only a library that the installer
# loads itself is planted: under a native-first override Wine's builtin
# setupapi takes its own imports (version, cabinet) from the program's
# folder whatever the program asked for, where Windows treats them as
# dependencies of a KnownDLL.
set -u
bench=$1
build=$2
source=$3
. "$source/tests/bench/common.sh"
bench_env "$bench"

results=$QV_RESULTS
installer="$build/quorvanta_setup.exe"
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

# The planted library must match the installer's processor to be loaded.
compiler=x86_64-w64-mingw32-gcc
if is_pe32 "$installer"; then
    compiler=i686-w64-mingw32-gcc
fi
planted="$results/comctl32.dll"
"$compiler" -shared -O2 -Wl,--kill-at -o "$planted" "$source/tests/scenarios/planted_comctl32.c" ||
    {
        echo "FAIL: cannot build the planted library" >&2
        exit 1
    }

scenario_prefix "$bench" win10

public="$prefix/drive_c/users/Public"
downloads="$public/Downloads"
marker="$public/planted_comctl32_loaded.txt"
mkdir -p "$downloads"
rm -f "$marker"
cp "$installer" "$downloads/quorvanta_setup.exe"
cp "$planted" "$downloads/comctl32.dll"

# Started from Downloads, as a user does; native first for comctl32 only,
# the bench's own overrides kept.
status=0
(cd "$downloads" &&
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES;comctl32=n,b" wine_in "$prefix" 300 \
        'C:\users\Public\Downloads\quorvanta_setup.exe') >"$results/stdout.txt" 2>&1 || status=$?
echo "installer exit code $status"

if [ -f "$marker" ]; then
    fail "the planted comctl32.dll was loaded by: $(tr -d '\r' <"$marker" | tr '\n' ' ')"
fi
[ "$status" -eq 0 ] || fail "exit code $status"

install="$prefix/drive_c/Program Files (x86)/QUORVANTA"
log="$install/install_log.txt"
if [ ! -f "$log" ]; then
    fail "no install log"
else
    cp "$log" "$results/install_log.txt"
    for line in "Start decompress..." "drv=C:\\Program Files (x86)\\QUORVANTA\\4780DV\\wlanbox_ndis650.inf"; do
        tr -d '\r' <"$log" | cut -c30- | grep -qxF "$line" || fail "the log lacks '$line'"
    done
    # Under Wine the device tree has no root to re-enumerate; everything
    # the installer writes itself must have gone through.
    if tr -d '\r' <"$log" | grep -E 'decompress cab common failed|failed!|sc service failed|sc manager failed'; then
        fail "the log reports a failure of the installation"
    fi
fi
for service in Vodorodeveroz Disc_eject; do
    [ -n "$(service_state "$prefix" "$service")" ] || fail "service $service is not registered"
done
exit $failed
