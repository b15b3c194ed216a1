#!/usr/bin/env bash
# Builds the setup programs to ship from a folder of the input method's files: package.sh DIR (run
# through scripts/dev.sh package DIR). quzpack checks the folder first and nothing is built when it
# refuses it. Then an i686 and an x86_64 tree of their own pack the folder's files, in packing order,
# with the uninstaller of their architecture unless the folder brings quordel8.exe, into setup.exe.
# Prints each setup.exe's path, size, member count and SHA-256. The trees lie in build/package, or
# in QUOR_PACKAGE_BUILD when that is set (the tests use their own).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ $# = 1 ] || { echo "usage: scripts/package.sh DIR" >&2; exit 2; }
[ -d "$1" ] || { echo "package: $1: not a folder" >&2; exit 1; }
dir=$(cd "$1" && pwd -P)
# CMake would take a ';' for a list separator and split the folder's path.
case "$dir" in *';'*) echo "package: $dir: a folder path with ';' cannot be passed to the build" >&2; exit 1 ;; esac
out=${QUOR_PACKAGE_BUILD:-$root/build/package}
mkdir -p "$out"
out=$(cd "$out" && pwd -P)
log=$out/build.log
: >"$log"

# The programs of an earlier run go first, so that a refused or failed run leaves none behind to be
# taken for this run's.
rm -rf "$out/i686" "$out/x86_64"

# Build steps write to the log; a failing one shows its end.
step() {
    "$@" >>"$log" 2>&1 && return 0
    tail -n 40 "$log" >&2
    echo "package: failed: $* (whole log: $log)" >&2
    exit 1
}

# The packer and the icon come from a host tree of the package's own.
cd "$root"
step cmake --preset host -B "$out/host"
step cmake --build "$out/host" --target quzpack icon
quzpack=$out/host/tools/quzpack

"$quzpack" check --order "$root/payload/members.txt" --names "$out/members.names" "$dir" >/dev/null ||
    { echo "package: $dir refused: nothing was built" >&2; exit 1; }

for arch in i686 x86_64; do
    preset=$([ "$arch" = i686 ] && echo mingw32 || echo mingw64)
    tree=$out/$preset
    step cmake --preset "$preset" -B "$tree" -DQUOR_BUILD_TESTS=OFF -DQUOR_HOST_BUILD="$out/host" \
        -DQUOR_MEMBERS_DIR="$dir" -DQUOR_MEMBER_NAMES="$out/members.names"
    step cmake --build "$tree" --target setup
    step "$quzpack" verify "$tree/resources/payload.quz"
    mkdir -p "$out/$arch"
    cp "$tree/app/setup.exe" "$out/$arch/setup.exe"
done

for arch in i686 x86_64; do
    setup=$out/$arch/setup.exe
    members=$(od -An -tu4 -j 6 -N 4 "$out/$([ "$arch" = i686 ] && echo mingw32 || echo mingw64)/resources/payload.quz" | tr -d ' ')
    printf '%-6s  %s  %s bytes  %s members  SHA-256 %s\n' "$arch" "$setup" "$(stat -c %s "$setup")" "$members" \
        "$(sha256sum "$setup" | cut -d' ' -f1)"
done
