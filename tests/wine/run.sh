#!/usr/bin/env bash
# Runs a Windows program under wine64 in the test environment: run.sh BUILD_DIR PROGRAM [ARGS...].
# The test build uses it as its cross-compiling emulator. The environment comes up on first use.
# QUOR_RUN_OPTIONS, a comma-separated list, changes how the program runs:
#   cp950       code page 950 (Big5) instead of 936 (GBK)
#   fresh       in a pristine copy of the template prefix, thrown away afterwards
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
quor_init "$1"
shift
quor_env_up || exit 1

prefix=$QUOR_SHARED
case ",${QUOR_RUN_OPTIONS:-}," in *,cp950,*) export QUOR_CODEPAGE=950 ;; esac
case ",${QUOR_RUN_OPTIONS:-}," in *,fresh,*)
    prefix=$(quor_fresh_prefix) || exit 1
    trap 'quor_drop_prefix "$prefix"' EXIT ;;
esac

# Wine now and then fails to start a program at all: it ends at once with a failure status and has
# printed nothing (a program that ran, even one that crashed, always prints). Such a start is tried
# once more and said so; anything else is the program's own verdict.
output=$(mktemp "$QW/output.XXXXXX")
for attempt in 1 2; do
    quor_wine "$prefix" "$@" 2>&1 | tee "$output"
    status=${PIPESTATUS[0]}
    [ "$status" = 0 ] || [ -s "$output" ] || [ "$attempt" = 2 ] && break
    echo "run.sh: $1 ended with status $status before printing anything; starting it once more" >&2
done
rm -f "$output"
[ "$status" = 0 ] || echo "run.sh: $1 ended with status $status" >&2
exit "$status"
