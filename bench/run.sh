#!/usr/bin/env bash
# Extraction benchmark: the setup program's ExtractAll under wine64 against a native inflate + MD5 +
# write of the same members, each into an empty directory; prints MB/s (10^6 bytes of inflated
# members per second, best of the runs) for both and their ratio.
#   bash bench/run.sh [ARCHIVE]     (after scripts/dev.sh build)
# Without ARCHIVE it uses the build's payload when it has members, otherwise a generated stand-in of
# about 11 MB. QUOR_BENCH_RUNS sets the number of runs (default 5).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
host=$root/build/host
win=$root/build/mingw64
work=$root/build/bench
runs=${QUOR_BENCH_RUNS:-5}
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
elif [ -f "$host/payload/payload.quz" ] && [ "$(stat -c %s "$host/payload/payload.quz")" -gt 10 ]; then
    archive=$host/payload/payload.quz
    source_text="the demo payload ($archive)"
else
    "$host/bench/make_bench_inputs" "$work/inputs" >/dev/null
    "$quzpack" pack "$work/standin.quz" "@$work/inputs/members.lst" >/dev/null
    archive=$work/standin.quz
    source_text="a generated stand-in (no demo payload built yet)"
fi
"$quzpack" verify "$archive" >/dev/null
members=$(od -An -tu4 -j 6 -N 4 "$archive" | tr -d ' ')

native=$("$host/bench/native_extract" "$archive" "$work/native" "$runs")

source "$root/tests/wine/env.sh"
quor_init "$win"
trap '"$root/tests/wine/stop.sh" "$win" >/dev/null 2>&1' EXIT
rm -rf "$QUOR_SHARED/drive_c/quorbench"
windows_archive="Z:$(printf '%s' "$archive" | tr '/' '\\')"
setup=$("$root/tests/wine/run.sh" "$win" "$win/bench/extract_bench.exe" "$windows_archive" 'C:\quorbench\' "$runs" |
    tr -d '\r')
rm -rf "$QUOR_SHARED/drive_c/quorbench" "$work/native"

value() { printf '%s\n' "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
bytes=$(value "$native" bytes)
awk -v bytes="$bytes" -v members="$members" -v runs="$runs" -v source_text="$source_text" \
    -v setup_best="$(value "$setup" best_ms)" -v setup_median="$(value "$setup" median_ms)" \
    -v native_best="$(value "$native" best_ms)" -v native_median="$(value "$native" median_ms)" \
    -v by_name="$(value "$setup" md5_by_name_us)" -v direct="$(value "$setup" md5_direct_us)" \
    -v steps="$(printf '%s\n' "$setup" | grep inflate_ms)" \
    -v native_steps="$(printf '%s\n' "$native" | grep inflate_ms)" 'BEGIN {
    setup_rate = bytes / setup_best / 1000; native_rate = bytes / native_best / 1000
    printf "archive: %s\n", source_text
    printf "         %d members, %.2f MB inflated; best of %d runs into an empty directory\n", members, bytes / 1e6, runs
    printf "setup ExtractAll under wine64:   %8.1f ms  %7.1f MB/s  (median %.1f ms)\n", setup_best, setup_rate, setup_median
    printf "native inflate + MD5 + write:    %8.1f ms  %7.1f MB/s  (median %.1f ms)\n", native_best, native_rate, native_median
    printf "ratio setup / native:            %.2f\n", setup_rate / native_rate
    printf "steps on their own, setup under wine64: %s\n", steps
    printf "steps on their own, native:             %s\n", native_steps
    printf "MD5 functions loaded by name per digest: %.2f us each (%.2f us through kept pointers), %.2f ms for the archive\n",
        by_name, direct, (by_name - direct) * members / 1000
}'
