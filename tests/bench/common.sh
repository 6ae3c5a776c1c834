# Shared by the bench scripts and the scenarios: where Wine lives and how a
# prefix is run. Debian's wine64 keeps its loader and server off PATH.
WINE_DIR=${WINE_DIR:-/usr/lib/wine}
WINE64="$WINE_DIR/wine64"
WINESERVER="$WINE_DIR/wineserver"
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: a prefix boots without asking for them.
export WINEDLLOVERRIDES="mscoree,mshtml="

# bench_env BENCH: exports DISPLAY of the bench's Xvfb.
bench_env() {
    DISPLAY=":$(cat "$1/display")"
    export DISPLAY
}

# prefix_copy BENCH DEST: a fresh prefix, copied from the booted template,
# with a persistent server of its own.
prefix_copy() {
    rm -rf "$2"
    cp -a "$1/template" "$2"
    prefix_keep "$2"
}

# scenario_prefix BENCH VERSION: the scenario's own prefix,
# BENCH/scenarios/$QV_TEST_NAME, fresh from the template and set to that
# Windows version, in $prefix; its server stops when the script ends.
scenario_prefix() {
    mkdir -p "$1/scenarios"
    prefix="$1/scenarios/$QV_TEST_NAME"
    prefix_copy "$1" "$prefix"
    trap 'prefix_stop "$prefix"' EXIT
    set_windows_version "$prefix" "$2"
}

# prefix_keep PREFIX: starts the prefix's persistent server and its helper
# processes (services, explorer) with no terminal or pipe of ours open, so
# that nothing long-lived holds a caller's output open.
prefix_keep() {
    WINEPREFIX="$1" "$WINESERVER" -p </dev/null >/dev/null 2>&1
    wine_in "$1" 120 wineboot </dev/null >/dev/null 2>&1 || true
}

# prefix_stop PREFIX: ends the server of that prefix only.
prefix_stop() {
    WINEPREFIX="$1" "$WINESERVER" -k 2>/dev/null || true
}

# wine_in PREFIX SECONDS PROGRAM [ARGS...]: runs a Windows program with
# stdin closed and a time limit; its exit code is the result.
wine_in() {
    _prefix=$1
    _limit=$2
    shift 2
    WINEPREFIX="$_prefix" timeout "$_limit" "$WINE64" "$@" </dev/null
}

# set_windows_version PREFIX VERSION (win10, win81, win7, winxp)
set_windows_version() {
    wine_in "$1" 60 reg add 'HKCU\Software\Wine' /v Version /d "$2" /f >/dev/null 2>&1
}

# reg_value PREFIX KEY NAME: "TYPE DATA" of one value, empty when it is missing.
reg_value() {
    wine_in "$1" 60 reg query "$2" /v "$3" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$3  *\(REG_[A-Z_]*\)  *\(.*\)\$/\1 \2/p"
}

# service_state PREFIX NAME: RUNNING, STOPPED, ...; empty when not registered.
service_state() {
    wine_in "$1" 60 sc query "$2" 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *STATE *: *[0-9]* *\([A-Z_]*\).*$/\1/p'
}

# wait_service_state PREFIX NAME STATE SECONDS: waits until the service is
# in that state; false when it was not within SECONDS (polled each second).
wait_service_state() {
    _tries=0
    while [ "$(service_state "$1" "$2")" != "$3" ]; do
        _tries=$((_tries + 1))
        [ $_tries -lt "$4" ] || return 1
        sleep 1
    done
}

# companion_pids PREFIX NAME: the Unix processes of that companion program
# running in that prefix.
companion_pids() {
    for dir in /proc/[0-9]*; do
        if tr '\0' '\n' 2>/dev/null <"$dir/cmdline" | grep -q "QUORVANTA\\\\$2\\.exe" &&
            tr '\0' '\n' 2>/dev/null <"$dir/environ" | grep -qx "WINEPREFIX=$1"; then
            echo "${dir#/proc/}"
        fi
    done
}

# probe_wow64 BENCH PREFIX: writes BENCH/wow64, "yes" when 32-bit programs
# run in that prefix, else "no: <reason>". With Wine's 32-bit loader
# installed, a prefix booted without syswow64 is a broken bench, not a
# machine without 32-bit support, and ends the bench start.
probe_wow64() {
    if [ ! -x "$WINE_DIR/wine" ]; then
        echo "no: Wine's 32-bit loader ($WINE_DIR/wine, package wine32:i386) is not installed" >"$1/wow64"
        return 0
    fi
    if [ ! -f "$2/drive_c/windows/syswow64/kernel32.dll" ]; then
        echo "the prefix was booted without syswow64\\kernel32.dll although wine32 is installed" >&2
        exit 1
    fi
    # The 32-bit command interpreter answers with its exit code.
    _code=0
    wine_in "$2" 60 'C:\windows\syswow64\cmd.exe' /c exit 7 >/dev/null 2>&1 || _code=$?
    if [ "$_code" -eq 7 ]; then
        echo "yes" >"$1/wow64"
    else
        echo "no: a 32-bit program ended with $_code instead of 7 (this kernel may not run 32-bit code)" >"$1/wow64"
    fi
}

# is_pe32 FILE: true when FILE is a 32-bit (i386) Windows program.
is_pe32() {
    [ "$(od -An -tx1 -j "$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')" -N 6 "$1" | tr -d ' \n')" = 504500004c01 ]
}

# pixel IMAGE X Y: "R,G,B" of one pixel.
pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | tail -1 |
        sed 's/.*(\([0-9]*,[0-9]*,[0-9]*\).*/\1/' | cut -d, -f1-3
}

# capture_window PID SHOT: photographs the screen over and over while the
# process PID runs (xwd is quick), then keeps in SHOT the last frame that
# shows the progress window (350x200 at 320,180) with its light grey title
# area and some green in its bar. False when no frame showed it.
capture_window() {
    _frames=$(mktemp -d)
    _frame=0
    while kill -0 "$1" 2>/dev/null && [ $_frame -lt 2000 ]; do
        xwd -root -silent >"$_frames/$(printf %05d $_frame).xwd" 2>/dev/null || true
        _frame=$((_frame + 1))
    done
    rm -f "$2"
    for _raw in $(ls -r "$_frames"/*.xwd 2>/dev/null); do
        convert "xwd:$_raw" -crop 350x200+320+180 +repage "$2.tmp.png" 2>/dev/null || continue
        if [ "$(pixel "$2.tmp.png" 24 180)" = "65,150,79" ] &&
            [ "$(pixel "$2.tmp.png" 175 20)" = "240,240,240" ]; then
            mv "$2.tmp.png" "$2"
            break
        fi
    done
    rm -rf "$_frames" "$2.tmp.png"
    [ -f "$2" ]
}
