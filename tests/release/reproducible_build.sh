#!/bin/sh
# Builds the shipped installer twice from one exported source tree, unsigned,
# in two folders of different depth, one after the other, with source files
# of different modification times, and requires byte-identical installers.
# The tree is exported as `git archive` exports it (no history, commit time
# in cmake/source_date_epoch.txt), so the build dates itself the way a
# release archive does. Uncommitted changes to tracked files are included;
# new files must be added to the index first.
#
# usage: reproducible_build.sh SOURCE_DIR WORK_DIR
set -eu
source=$(cd "$1" && pwd -P)
work=$2
unset SOURCE_DATE_EPOCH

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd -P)
archive=$work/source.tar

top=$(git -C "$source" rev-parse --show-toplevel 2>/dev/null || true)
if [ -n "$top" ] && [ "$(cd "$top" && pwd -P)" = "$source" ]; then
    # A commit object of the working tree, on no branch; it needs a name.
    commit=$(GIT_AUTHOR_NAME=build GIT_AUTHOR_EMAIL=build@localhost \
        GIT_COMMITTER_NAME=build GIT_COMMITTER_EMAIL=build@localhost \
        git -C "$source" stash create)
    git -C "$source" archive --format=tar -o "$archive" "${commit:-HEAD}"
else
    tar -C "$source" --exclude=./build -cf "$archive" .
fi

build() {
    tree=$1
    mkdir -p "$tree"
    tar -C "$tree" -xf "$archive"
    if [ "${2:-}" = newer ]; then
        # Files newer than the archive's: nothing may depend on file times.
        sleep 2
        find "$tree" -exec touch {} +
    fi
    started=$(date +%s)
    if ! (cd "$tree" && cmake --preset release -DQV_SIGN=OFF && cmake --build --preset release -j 2) \
        >"$tree.log" 2>&1; then
        tail -n 40 "$tree.log"
        echo "the build in $tree failed"
        exit 1
    fi
    echo "built in $tree: $(($(date +%s) - started)) s"
}

first=$work/a/src
second=$work/second-build/source-tree
build "$first"
build "$second" newer

# The commit time as `git archive` wrote it; a plain copy without git holds
# the placeholder, and the build then dates itself 1980-01-01.
epoch=$(cat "$first/cmake/source_date_epoch.txt" 2>/dev/null || echo none)
if [ "$epoch" = '$Format:%ct$' ]; then
    epoch=315532800
fi
status=0
for file in quorvanta_setup.exe carried/uninstall.exe carried/Vodorodeveroz.exe \
    carried/Disc_eject.exe carried/cabinets/common.cab; do
    if cmp -s "$first/build/release/$file" "$second/build/release/$file"; then
        echo "identical: $file"
    else
        echo "DIFFERENT: $file ($(cmp -l "$first/build/release/$file" \
            "$second/build/release/$file" 2>/dev/null | wc -l) bytes differ)"
        status=1
    fi
done

# The time stamps are the commit's, not the build's.
python3 - "$epoch" "$first/build/release/quorvanta_setup.exe" "$first"/build/release/carried/*.exe <<'PY' || status=1
import struct
import sys

epoch = sys.argv[1]
failed = False
if not epoch.isdigit():
    print("source_date_epoch.txt of the exported tree holds %r, not a time" % epoch)
    failed = True
for path in sys.argv[2:]:
    with open(path, "rb") as stream:
        image = stream.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    stamp = struct.unpack_from("<I", image, pe + 8)[0]
    if str(stamp) != epoch:
        print("%s: PE time stamp %d, want the commit time %s" % (path, stamp, epoch))
        failed = True
sys.exit(1 if failed else 0)
PY
exit $status
