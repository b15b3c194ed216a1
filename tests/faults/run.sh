#!/usr/bin/env bash
# Seeded faults: applies each tests/faults/*.patch alone to a scratch copy of the sources, builds it
# there, runs the test suite and records which tests caught the fault (a test that fails, and fails
# again alone). Not part of CI: a whole run takes well over an hour.
#   tests/faults/run.sh [WORKDIR] [PATCH...]   (default WORKDIR /tmp/quor-faults; default all patches)
# The scratch copy is a clone of the current commit plus the working tree's changes to tests/, so that
# a trimmed suite can be compared with the committed one. Results go to WORKDIR/results.txt.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=${1:-/tmp/quor-faults}
shift || true
patches=("$@")
[ ${#patches[@]} -gt 0 ] || patches=("$root"/tests/faults/*.patch)
src="$work/src"
results="$work/results.txt"
mkdir -p "$work"

if [ ! -d "$src/.git" ]; then
    git clone -q "$root" "$src" || exit 1
fi
git -C "$src" fetch -q "$root" HEAD && git -C "$src" reset -q --hard FETCH_HEAD && git -C "$src" clean -qfd -e build || exit 1
# The working tree's own test changes (a trim under way) go along.
(cd "$root" && git diff HEAD -- tests e2e) | git -C "$src" apply --allow-empty - || exit 1
git -C "$src" add -A && git -C "$src" -c user.name=faults -c user.email=faults@localhost commit -qm base --allow-empty

build() { (cd "$src" && bash scripts/dev.sh build >/dev/null 2>&1); }
build || exit 1

echo "# $(date -u +%FT%TZ) suite at $(git -C "$root" rev-parse --short HEAD)$(cd "$root" && git diff --quiet HEAD -- tests e2e || echo ' + working tree tests')" >>"$results"
for patch in "${patches[@]}"; do
    name=$(basename "$patch" .patch)
    git -C "$src" reset -q --hard HEAD
    if ! git -C "$src" apply "$patch"; then
        echo "$name: patch does not apply" | tee -a "$results"
        continue
    fi
    if ! build; then
        echo "$name: caught (does not build)" | tee -a "$results"
        continue
    fi
    log="$work/$name.log"
    ctest --test-dir "$src/build/mingw64" --timeout 300 >"$log" 2>&1
    "$src/tests/wine/stop.sh" "$src/build/mingw64" >/dev/null 2>&1
    failed=$(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .*\*\*\*(Failed|Timeout|Exception).*/\1/p' "$log" | sort -u)
    # A test counts as catching the fault only when it fails again alone (on a loaded machine a Wine
    # test now and then fails by itself); the first that does is named.
    caught=""
    for test in $failed; do
        if ! ctest --test-dir "$src/build/mingw64" -R "^${test//./\\.}\$" --timeout 300 >>"$log.again" 2>&1; then
            caught=" $test ($(echo $failed | wc -w) failed)"
            break
        fi
    done
    "$src/tests/wine/stop.sh" "$src/build/mingw64" >/dev/null 2>&1
    if [ -n "$caught" ]; then
        echo "$name: caught by$caught" | tee -a "$results"
    else
        echo "$name: MISSED${failed:+ (failed once, passed again: $(echo $failed))}" | tee -a "$results"
    fi
done
git -C "$src" reset -q --hard HEAD
