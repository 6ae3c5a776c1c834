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
