#!/bin/sh
# Signs one program in place with Authenticode (SHA-256), time-stamped when
# a time-stamp server is given.
#
# usage: sign_program.sh OSSLSIGNCODE PKCS12 PASSWORD_FILE timestamp=[URL] DESCRIPTION PROGRAM
set -eu
osslsigncode=$1
pkcs12=$2
password_file=$3
timestamp_url=${4#timestamp=}
description=$5
program=$6
signed="$program.signed"
rm -f "$signed"
if [ -n "$timestamp_url" ]; then
    set -- -ts "$timestamp_url"
else
    set --
fi
if ! "$osslsigncode" sign -pkcs12 "$pkcs12" -readpass "$password_file" -h sha256 \
    -n "$description" "$@" -in "$program" -out "$signed" >/dev/null; then
    rm -f "$signed"
    echo "sign_program.sh: cannot sign $program" >&2
    exit 1
fi
chmod --reference="$program" "$signed"
mv -f "$signed" "$program"
