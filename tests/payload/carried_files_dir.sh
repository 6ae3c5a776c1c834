#!/bin/sh
# QV_CARRIED_FILES_DIR: a folder lacking one member stops the configure step
# with an error naming it; a complete folder's files are what the cabinets
# carry. Arguments: source folder, toolchain file, scratch folder.
set -eu
source=$1
toolchain=$2
work=$3
rm -rf "$work"
real="$work/real"
mkdir -p "$real"

printf 'real firmware\n' >"$real/qv4780_fw.bin"
for package in ndis650_x64 ndis650_x86 ndis620_x64 ndis620_x86; do
    ndis=${package%_*}
    mkdir -p "$real/$package"
    for extension in cat inf sys; do
        printf 'real %s %s\n' "$package" "$extension" >"$real/$package/wlanbox_$ndis.$extension"
    done
done
missing="$real/ndis620_x86/wlanbox_ndis620.sys"
rm "$missing"

configure() {
    cmake -S "$source" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DQV_BUILD_TESTS=OFF -DQV_CARRIED_FILES_DIR="$real" \
        >"$work/configure.log" 2>&1
}

if configure; then
    echo "FAIL: configure succeeded without $missing" >&2
    exit 1
fi
if ! tr -d '\n' <"$work/configure.log" | tr -s ' ' | grep -qF "missing $missing"; then
    echo "FAIL: the error does not name $missing" >&2
    cat "$work/configure.log" >&2
    exit 1
fi

printf 'real ndis620_x86 sys\n' >"$missing"
if ! configure; then
    echo "FAIL: configure with every member failed" >&2
    cat "$work/configure.log" >&2
    exit 1
fi
cmake --build "$work/build" --target qv_cabinets >"$work/build.log" 2>&1 || {
    cat "$work/build.log" >&2
    exit 1
}

failed=0
check_cabinet() { # cabinet, folder of the expected members, members...
    cabinet=$1
    folder=$2
    shift 2
    out="$work/x_$cabinet"
    mkdir -p "$out"
    gcab -x -C "$out" "$work/build/carried/cabinets/$cabinet.cab" >/dev/null
    for member in "$@"; do
        if ! cmp -s "$out/$member" "$folder/$member"; then
            echo "FAIL: $cabinet.cab carries another $member" >&2
            failed=1
        fi
    done
}
check_cabinet common "$real" qv4780_fw.bin
for package in ndis650_x64 ndis650_x86 ndis620_x64 ndis620_x86; do
    ndis=${package%_*}
    check_cabinet "$package" "$real/$package" "wlanbox_$ndis.cat" "wlanbox_$ndis.inf" \
        "wlanbox_$ndis.sys"
done
[ "$failed" -eq 0 ] && rm -rf "$work"
exit $failed
