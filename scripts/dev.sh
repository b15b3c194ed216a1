#!/usr/bin/env bash
# Front door of the project: dev.sh run | test | build | deps | package DIR.
#   deps     install the Debian packages that are missing
#   build    build the host tools and the demo payload's members, then setup.exe for x86_64 (with the
#            tests) and i686
#   package  build the two setup.exe to ship from a folder of the input method's files
#            (scripts/package.sh)
#   run      build, then run setup.exe (x86_64) under wine64 in a throwaway prefix
#   test     build, then run every test through ctest (the Wine environment is set up and shut down)
set -euo pipefail
caller=$PWD
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

# The host tree makes the packer, the icon and the demo payload's members; each mingw-w64 tree then
# packs them with its own uninstaller (of its architecture) into the payload of its setup.exe.
build() {
    for preset in host mingw64 mingw32; do
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset"
    done
}

case "${1:-}" in
    deps)
        bash scripts/deps.sh
        ;;
    build)
        bash scripts/deps.sh
        build
        ;;
    run)
        bash scripts/deps.sh
        build
        bash scripts/run-setup.sh "$root/build/mingw64"
        ;;
    package)
        [ $# = 2 ] || { echo "usage: scripts/dev.sh package DIR" >&2; exit 2; }
        bash scripts/deps.sh
        # DIR is named from where the command was given.
        cd "$caller"
        bash "$root/scripts/package.sh" "$2"
        ;;
    test)
        bash scripts/deps.sh
        build
        trap 'tests/wine/stop.sh "$root/build/mingw64"' EXIT
        ctest --test-dir build/mingw64 --output-on-failure
        ;;
    *)
        echo "usage: scripts/dev.sh run|test|build|deps|package DIR" >&2
        exit 2
        ;;
esac
