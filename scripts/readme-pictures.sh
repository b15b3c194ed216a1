#!/usr/bin/env bash
# Makes the pictures of the wizard's four pages that the README shows, from the real program: runs
# the run command without a display, so that the walker goes through the wizard, and copies the
# pictures it took into docs/pictures. Run after bash scripts/dev.sh build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
env -u DISPLAY bash "$root/scripts/run-setup.sh" "$root/build/mingw64"
mkdir -p "$root/docs/pictures"
for page in page-1-first page-2-user-info page-3-install page-4-finished; do
    cp "$root/build/mingw64/run-pictures/$page.png" "$root/docs/pictures/$page.png"
done
echo "Pictures of the four pages: $root/docs/pictures"
