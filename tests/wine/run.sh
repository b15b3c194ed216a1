#!/usr/bin/env bash
# Runs a Windows program under wine64 in the test environment: run.sh BUILD_DIR PROGRAM [ARGS...].
# The test build uses it as its cross-compiling emulator. The environment comes up on first use.
# QUOR_CODEPAGE=950 runs with code page 950 (default 936); QUOR_FRESH_PREFIX=1 runs the program in
# a pristine copy of the template prefix that is thrown away afterwards.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
quor_init "$1"
shift
quor_env_up || exit 1

if [ "${QUOR_FRESH_PREFIX:-0}" = 1 ]; then
    prefix=$(quor_fresh_prefix) || exit 1
    trap 'quor_drop_prefix "$prefix"' EXIT
    quor_wine "$prefix" "$@"
    exit $?
fi

quor_wine_vars "$QUOR_SHARED"
exec env "${QUOR_ENV[@]}" "$QUOR_WINE64" "$@"
