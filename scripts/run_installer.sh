#!/bin/sh
# The main job: set up, build, run the x64 installer in a throwaway Wine
# prefix under Xvfb, then show its log, the tree it installed and a
# screenshot of its window (build/run/screenshot.png).
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

start=$(date +%s.%N)
wine_in "$prefix" 300 "$root/build/wine/quorvanta_setup.exe" >"$run/stdout.txt" 2>"$run/stderr.txt" &
installer=$!

# Photograph the window once it is mapped: 350 by 200 pixels at 320,180.
rm -f "$run/screenshot.png"
shots=0
while kill -0 "$installer" 2>/dev/null && [ $shots -lt 200 ]; do
    if xwininfo -root -children 2>/dev/null | grep -q '350x200+320+180'; then
        sleep 0.3
        import -window root -crop 350x200+320+180 "$run/screenshot.png" 2>/dev/null || true
        break
    fi
    shots=$((shots + 1))
    sleep 0.05
done
status=0
wait "$installer" || status=$?
end=$(date +%s.%N)

install_dir="$prefix/drive_c/Program Files (x86)/QUORVANTA"
echo
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
if [ -f "$run/screenshot.png" ]; then
    echo "== screenshot: $run/screenshot.png"
else
    echo "== screenshot: the window was not seen"
fi
