#!/bin/sh
# Verifies the Authenticode signatures of the shipped build with
# osslsigncode: the installer, the three carried programs as built, and the
# same programs as taken out of the common cabinet inside the installer.
# Throwaway certificates are checked against the build's signing/ca.pem,
# a vendor's against the system's CA list. Skipped (77) when the release
# was configured unsigned.
#
# usage: check_signatures.sh RELEASE_DIR WORK_DIR
set -u
release=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)

if grep -q '^QV_SIGN:BOOL=OFF$' "$release/CMakeCache.txt" 2>/dev/null; then
    echo "the release build is configured with QV_SIGN=OFF: nothing to verify"
    exit 77
fi
# A vendor's certificate chains to a public CA; the throwaway one to ca.pem.
set --
if ! grep -q '^QV_SIGN_PKCS12:FILEPATH=.' "$release/CMakeCache.txt" 2>/dev/null; then
    set -- -CAfile "$release/signing/ca.pem"
fi

failures=0
verify() {
    if osslsigncode verify "$@" -in "$program" >"$work/verify.txt" 2>&1; then
        echo "signed: $program"
    else
        echo "NOT VERIFIED: $program"
        sed 's/^/    /' "$work/verify.txt"
        failures=$((failures + 1))
    fi
}

rm -rf "$work"
mkdir -p "$work/cabinets" "$work/common"
for program in "$release/quorvanta_setup.exe" "$release/carried/uninstall.exe" \
    "$release/carried/Vodorodeveroz.exe" "$release/carried/Disc_eject.exe"; do
    verify "$@"
done

# The carried programs that ship are the ones inside the installer's image.
python3 "$here/carve_cabinets.py" "$release/quorvanta_setup.exe" "$work/cabinets" || exit 1
common=
for cabinet in "$work/cabinets"/*.cab; do
    if gcab -t "$cabinet" 2>/dev/null | grep -qx 'uninstall.exe'; then
        common=$cabinet
    fi
done
if [ -z "$common" ]; then
    echo "no cabinet with uninstall.exe in $release/quorvanta_setup.exe"
    exit 1
fi
gcab -x -C "$work/common" "$common" || exit 1
for name in uninstall.exe Vodorodeveroz.exe Disc_eject.exe; do
    program="$work/common/$name"
    if [ ! -f "$program" ]; then
        echo "missing from the common cabinet: $name"
        failures=$((failures + 1))
        continue
    fi
    verify "$@"
done

[ "$failures" -eq 0 ]
