#!/bin/sh
# The shipped-build scenarios on a machine that cannot run 32-bit programs:
# they must say so and count as skipped (77), never as passed; where the
# bench found 32-bit support they run. No Wine needed: a bench folder with
# each probe answer, and a scenario script that records that it ran.
# Arguments: source folder, shipped build folder, x64 build folder.
set -u
source=$1
shipped=$2
twin=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

printf '#!/bin/sh\necho ran >"$QV_RESULTS/ran"\nexit 0\n' >"$work/scenario"
chmod +x "$work/scenario"
export QV_RESULTS="$work/results"

# start ANSWER BUILD: the wrapper's exit code and output for that probe answer.
start() {
    mkdir -p "$work/bench"
    if [ -n "$1" ]; then echo "$1" >"$work/bench/wow64"; else rm -f "$work/bench/wow64"; fi
    rm -rf "$QV_RESULTS"
    output=$("$source/tests/bench/scenario.sh" "$work/scenario" "$work/bench" "$2" "$source")
    code=$?
}

for answer in "no: a 32-bit program ended with 53 instead of 7" ""; do
    start "$answer" "$shipped"
    [ "$code" -eq 77 ] || fail "[$answer]: exit code $code, not 77"
    case $output in
    SKIP:*) ;;
    *) fail "[$answer]: no SKIP line: $output" ;;
    esac
    [ ! -e "$QV_RESULTS/ran" ] || fail "[$answer]: the scenario ran"
done
start "no: no 32-bit loader" "$twin"
[ "$code" -eq 0 ] && [ -e "$QV_RESULTS/ran" ] || fail "the x64 twin's scenario did not run"
start yes "$shipped"
[ "$code" -eq 0 ] && [ -e "$QV_RESULTS/ran" ] || fail "the shipped scenario did not run with 32-bit support"
[ $failures -eq 0 ] && echo "skips and runs as expected"
exit $failures
