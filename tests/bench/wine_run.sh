#!/bin/sh
# Runs a Windows test program in the bench's working prefix.
bench=$1
shift
here=$(dirname "$0")
. "$here/common.sh"
bench_env "$bench"
wine_in "$bench/prefix" "${QV_WINE_TIMEOUT:-280}" "$@"
