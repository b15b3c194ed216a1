#!/usr/bin/env bash
# A bounded fuzzing run: run_bounded.sh FUZZER SEED_CORPUS WORK_DIR SECONDS [LIBFUZZER OPTIONS...].
# New inputs go to WORK_DIR/corpus and any crashing input to WORK_DIR/, never into the seed corpus.
# Exit status 0 when the run ends without a finding.
set -uo pipefail
fuzzer=$1
seeds=$2
work=$3
seconds=$4
shift 4
mkdir -p "$work/corpus"
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=65536 \
    -artifact_prefix="$work/" -print_final_stats=1 "$@" "$work/corpus" "$seeds"
