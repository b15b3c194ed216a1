#!/usr/bin/env bash
# Seeded faults: applies each tests/faults/*.patch alone to a scratch copy of the sources, builds it
# there, runs the test suite and records which tests caught the fault (a test that fails, and fails
# again alone). Not part of CI: a whole run takes well over an hour.
#   tests/faults/run.sh [WORKDIR] [PATCH...]   (default WORKDIR /tmp/quor-faults; default all patches)
# A patch may open with a line "First: REGEX" (git apply skips text before the diff): the tests it
# names run first, and the whole suite only when none of them catches the fault.
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
[ -d "$src/.git" ] || git clone -q "$root" "$src" || exit 1
git -C "$src" fetch -q "$root" HEAD && git -C "$src" reset -q --hard FETCH_HEAD && git -C "$src" clean -qfd -e build || exit 1
# The working tree's own test changes (a trim under way) go along.
(cd "$root" && git diff HEAD -- tests e2e) | git -C "$src" apply --allow-empty - || exit 1
git -C "$src" add -A && git -C "$src" -c user.name=faults -c user.email=faults@localhost commit -qm base --allow-empty

build() { (cd "$src" && bash scripts/dev.sh build >/dev/null 2>&1); }
build || exit 1
echo "# $(date -u +%FT%TZ) suite at $(git -C "$root" rev-parse --short HEAD)$(cd "$root" && git diff --quiet HEAD -- tests e2e || echo ' + working tree tests')" >>"$results"
record() { echo "$name: $*" | tee -a "$results"; }
suite() { ctest --test-dir "$src/build/mingw64" --timeout 300 "$@"; }
failed_in() { sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .*\*\*\*(Failed|Timeout|Exception).*/\1/p' "$1" | sort -u; }
# The first of the tests that fails again alone: on a loaded machine a Wine test now and then fails by
# itself. A parameterised test's ctest name goes on after a space.
first_failing_alone() {
    local test
    for test in $(failed_in "$1"); do
        suite -R "^${test//./\\.}( |\$)" >>"$log.again" 2>&1 || { echo "$test"; return; }
    done
}

for patch in "${patches[@]}"; do
    name=$(basename "$patch" .patch)
    log="$work/$name.log"
    rm -f "$log" "$log".*
    git -C "$src" reset -q --hard HEAD
    git -C "$src" apply "$patch" || { record "patch does not apply"; continue; }
    build || { record "caught (does not build)"; continue; }
    first=$(sed -n '1s/^First: //p' "$patch")
    caught=""
    if [ -n "$first" ]; then
        suite -R "$first" >"$log.first" 2>&1
        caught=$(first_failing_alone "$log.first")
    fi
    # Until the first failure; the whole suite only when that one passes again alone.
    [ -n "$caught" ] || suite --stop-on-failure >"$log" 2>&1
    [ -n "$caught" ] || caught=$(first_failing_alone "$log")
    if [ -z "$caught" ] && [ -n "$(failed_in "$log")" ]; then
        suite >"$log.all" 2>&1
        caught=$(first_failing_alone "$log.all")
    fi
    "$src/tests/wine/stop.sh" "$src/build/mingw64" >/dev/null 2>&1
    failed=$(for f in "$log" "$log.all"; do [ -f "$f" ] && failed_in "$f"; done)
    if [ -n "$caught" ]; then record "caught by $caught"; else record "MISSED${failed:+ (failed once but not again alone: $(echo $failed))}"; fi
done
git -C "$src" reset -q --hard HEAD
