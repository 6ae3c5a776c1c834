#!/bin/sh
# The release's SHA256SUMS: it lists the installer and, when the build is
# signed, the certificate to verify it against, and `sha256sum -c` accepts
# it in the release folder as a user would run it next to the download.
#
# usage: check_checksums.sh RELEASE_DIR
set -u
release=$1
cd "$release" || exit 1
if [ ! -f SHA256SUMS ]; then
    echo "no SHA256SUMS in $release"
    exit 1
fi
listed=$(sed 's/^[0-9a-f]\{64\}  //' SHA256SUMS | sort | tr '\n' ' ')
if grep -q '^QV_SIGN:BOOL=OFF$' CMakeCache.txt 2>/dev/null; then
    expected="quorvanta_setup.exe "
elif grep -q '^QV_SIGN_PKCS12:FILEPATH=.' CMakeCache.txt 2>/dev/null; then
    expected="quorvanta_setup.exe signing/certificate.pem "
else
    expected="quorvanta_setup.exe signing/ca.pem "
fi
if [ "$listed" != "$expected" ]; then
    echo "SHA256SUMS lists '$listed', want '$expected'"
    exit 1
fi
sha256sum -c SHA256SUMS
