#!/usr/bin/env bash
# Extraction benchmark: the setup program's ExtractAll under wine64 against a native inflate + MD5 +
# write of the same members, each into an empty directory; prints MB/s (10^6 bytes of inflated
# members per second, best of the runs) for both and their ratio.
#   bash bench/run.sh [ARCHIVE]     (after scripts/dev.sh build)
# Without ARCHIVE it uses the build's payload when it has members, otherwise a generated stand-in of
# about 11 MB. QUOR_BENCH_ROUNDS sets the number of rounds (default 5, two runs of each pipeline per round).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
host=$root/build/host
win=$root/build/mingw64
work=$root/build/bench
rounds=${QUOR_BENCH_ROUNDS:-5}
quzpack=$host/tools/quzpack
for program in "$quzpack" "$host/bench/native_extract" "$host/bench/make_bench_inputs" "$win/bench/extract_bench.exe"; do
    [ -x "$program" ] || { echo "bench: $program is missing: run bash scripts/dev.sh build first" >&2; exit 1; }
done

rm -rf "$work"
mkdir -p "$work/inputs"
archive=${1:-}
if [ -n "$archive" ]; then
    archive=$(realpath "$archive")
    source_text="$archive"
elif [ -f "$win/resources/payload.quz" ] && [ "$(stat -c %s "$win/resources/payload.quz")" -gt 10 ]; then
    archive=$win/resources/payload.quz
    source_text="the demo payload ($archive)"
else
    "$host/bench/make_bench_inputs" "$work/inputs" >/dev/null
    "$quzpack" pack "$work/standin.quz" "@$work/inputs/members.lst" >/dev/null
    archive=$work/standin.quz
    source_text="a generated stand-in (no demo payload built yet)"
fi
"$quzpack" verify "$archive" >/dev/null
value() { printf '%s\n' "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
best() { printf '%s\n' $1 | sort -g | head -1; }
median() { printf '%s\n' $1 | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
members=$(od -An -tu4 -j 6 -N 4 "$archive" | tr -d ' ')

source "$root/tests/wine/env.sh"
quor_init "$win"
# An environment that was up already (the test run's) stays up.
quor_env_is_up || trap '"$root/tests/wine/stop.sh" "$win" >/dev/null 2>&1' EXIT
quor_env_up
rm -rf "$QUOR_SHARED/drive_c/quorbench"
windows_archive="Z:$(printf '%s' "$archive" | tr '/' '\\')"
# Rounds alternate between the two pipelines, so that both meet the same load on a shared machine;
# each round makes two runs of each, and the best and median are taken over all of them.
native_times=""
setup_times=""
for ((round = 0; round < rounds; round++)); do
    mkdir -p "$QUOR_SHARED/drive_c/quorbench" "$work/native"
    native=$("$host/bench/native_extract" "$archive" "$work/native/round$round" 2)
    setup=$("$root/tests/wine/run.sh" "$win" "$win/bench/extract_bench.exe" "$windows_archive" \
        "C:\\quorbench\\round$round\\" 2 | tr -d '\r')
    native_times+=" $(value "$native" best_ms) $(value "$native" median_ms)"
    setup_times+=" $(value "$setup" best_ms) $(value "$setup" median_ms)"
    rm -rf "$QUOR_SHARED/drive_c/quorbench" "$work/native"
done

bytes=$(value "$native" bytes)
awk -v bytes="$bytes" -v members="$members" -v runs="$((rounds * 2))" -v source_text="$source_text" \
    -v setup_best="$(best "$setup_times")" -v setup_median="$(median "$setup_times")" \
    -v native_best="$(best "$native_times")" -v native_median="$(median "$native_times")" \
    -v by_name="$(value "$setup" md5_by_name_us)" -v direct="$(value "$setup" md5_direct_us)" \
    -v steps="$(printf '%s\n' "$setup" | grep inflate_ms)" \
    -v native_steps="$(printf '%s\n' "$native" | grep inflate_ms)" 'BEGIN {
    setup_rate = bytes / setup_best / 1000; native_rate = bytes / native_best / 1000
    printf "archive: %s\n", source_text
    printf "         %d members, %.2f MB inflated; best of %d runs each, alternating, into empty directories\n", members, bytes / 1e6, runs
    printf "setup ExtractAll under wine64:   %8.1f ms  %7.1f MB/s  (median %.1f ms)\n", setup_best, setup_rate, setup_median
    printf "native inflate + MD5 + write:    %8.1f ms  %7.1f MB/s  (median %.1f ms)\n", native_best, native_rate, native_median
    printf "ratio setup / native:            %.2f\n", setup_rate / native_rate
    printf "steps on their own, setup under wine64: %s\n", steps
    printf "steps on their own, native:             %s\n", native_steps
    printf "MD5 functions loaded by name per digest: %.2f us each (%.2f us through kept pointers), %.2f ms for the archive\n",
        by_name, direct, (by_name - direct) * members / 1000
}'
