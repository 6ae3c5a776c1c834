#!/bin/sh
# The main job: set up, build, run the shipped 32-bit installer in a
# throwaway Wine prefix under Xvfb (under WOW64, as on 64-bit Windows), then
# show its log, the tree it installed and a screenshot of its window
# (build/run/screenshot.png). On a machine that cannot run 32-bit programs
# it runs the x64 twin instead, and says so.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/build.sh

run="$root/build/run"
bench="$run/bench"
mkdir -p "$run"
. "$root/tests/bench/common.sh"
trap '"$root/tests/bench/bench_stop.sh" "$bench"' EXIT
"$root/tests/bench/bench_start.sh" "$bench"
bench_env "$bench"
prefix="$bench/prefix"

installer="$root/build/release/quorvanta_setup.exe"
which_build="the shipped 32-bit build, under WOW64"
wow64=$(cat "$bench/wow64")
if [ "$wow64" != yes ]; then
    installer="$root/build/wine/quorvanta_setup.exe"
    which_build="the x64 twin: the shipped 32-bit build cannot run here (${wow64#no: })"
fi
echo "== running $installer"
echo "   ($which_build)"

start=$(date +%s.%N)
wine_in "$prefix" 300 "$installer" >"$run/stdout.txt" 2>"$run/stderr.txt" &
pid=$!
# The last frame that shows the window's title and green bar.
window_seen=false
if capture_window "$pid" "$run/screenshot.png"; then
    window_seen=true
fi
status=0
wait "$pid" || status=$?
end=$(date +%s.%N)

install_dir="$prefix/drive_c/Program Files (x86)/QUORVANTA"
echo
echo "== $installer ($which_build)"
echo "== exit code: $status, wall time: $(echo "$end - $start" | bc 2>/dev/null || echo "?") s"
echo "== standard output:"
cat "$run/stdout.txt"
echo "== install log ($install_dir/install_log.txt):"
if [ -f "$install_dir/install_log.txt" ]; then
    tr -d '\r' <"$install_dir/install_log.txt"
else
    echo "(none)"
fi
echo
echo "== installed tree:"
if [ -d "$install_dir" ]; then
    (cd "$install_dir" && find . | sort | while read -r entry; do
        if [ -f "$entry" ]; then
            printf '%10s  %s\n' "$(stat -c %s "$entry")" "$entry"
        else
            printf '%10s  %s/\n' "" "$entry"
        fi
    done)
else
    echo "(none)"
fi
echo "== uninstall entry:"
wine_in "$prefix" 60 reg query 'HKLM\SOFTWARE\WOW6432Node\Microsoft\Windows\CurrentVersion\Uninstall\QUORVANTA4780' 2>/dev/null | tr -d '\r' || true
echo "== connection policy:"
wine_in "$prefix" 60 reg query 'HKLM\SOFTWARE\Policies\Microsoft\Windows\WcmSvc\GroupPolicy' 2>/dev/null | tr -d '\r' || true
echo "== services:"
for service in Vodorodeveroz Disc_eject; do
    wine_in "$prefix" 60 sc query "$service" 2>/dev/null | tr -d '\r' | grep -E 'SERVICE_NAME|STATE' || echo "$service: not registered"
done
echo "== driver packages in C:\\windows\\inf:"
ls "$prefix/drive_c/windows/inf" | grep -i -E '^(wlanbox|oem)' || echo "(none)"
if $window_seen; then
    echo "== screenshot of the window, title and green bar: $run/screenshot.png"
else
    echo "== screenshot: the window with its title and green bar was NOT seen; no screenshot"
fi
