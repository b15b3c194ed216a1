#!/usr/bin/env bash
# Runs the built setup.exe (x86_64) under wine64 in a throwaway prefix inside the build folder:
# run-setup.sh BUILD_DIR [ARGS...]. With a DISPLAY the window opens there and waits for the user;
# the script waits for the program to end. Without one it runs under its own Xvfb and the walker
# goes through the wizard as a user would (Pinyin, IMM, a mobile number, a name and a password,
# every box answered): it prints the path of a picture of each page it passed (PNG when ImageMagick
# is there) and of a copy of the install directory it filled (the prefix is thrown away), and ends
# with 0 when the walk went through.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/tests/wine/env.sh"
quor_init "$1" run-wine
shift
setup="$QUOR_BUILD/app/setup.exe"
walker="$QUOR_BUILD/tools/walker/walker.exe"

headless=0
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    quor_start_xvfb || exit 1
fi

cleanup() {
    quor_stop_server "$QUOR_TEMPLATE"
    rm -rf "$QUOR_TEMPLATE"
    if [ "$headless" = 1 ] && quor_xvfb_running; then kill "$(cat "$QW/xvfb.pid")"; fi
}
trap cleanup EXIT

quor_make_locales || exit 1
quor_make_template || exit 1
quor_start_server "$QUOR_TEMPLATE"
echo "Prefix: $QUOR_TEMPLATE"

if [ "$headless" = 0 ]; then
    quor_wine "$QUOR_TEMPLATE" "$setup" "$@"
    echo "setup.exe ended with exit code $?"
    exit 0
fi

pictures="$QUOR_BUILD/run-pictures"
rm -rf "$pictures"
mkdir -p "$pictures"
quor_wine "$QUOR_TEMPLATE" "$walker" "$(quor_winpath "$setup")" "$(quor_winpath "$pictures")" </dev/null \
    >"$pictures/walk.log" 2>/dev/null
status=$?
# The walker's own lines: the boxes it answered and what went wrong (the programs the install starts
# print into the same output).
tr -d '\r' <"$pictures/walk.log" | grep '^answered\|^walker' || true
found=0
for bmp in "$pictures"/page-*.bmp; do
    [ -f "$bmp" ] || continue
    found=$((found + 1))
    picture=$bmp
    # Without metadata, so that the same picture makes the same file.
    if command -v convert >/dev/null && convert "$bmp" -strip "${bmp%.bmp}.png" 2>/dev/null; then
        picture=${bmp%.bmp}.png
        rm -f "$bmp"
    fi
    echo "Picture of the setup window: $picture"
done
installed="$QUOR_BUILD/run-installed/quorel8"
rm -rf "$QUOR_BUILD/run-installed"
if [ -d "$QUOR_TEMPLATE/drive_c/Program Files/quorel8" ]; then
    mkdir -p "$QUOR_BUILD/run-installed"
    cp -a "$QUOR_TEMPLATE/drive_c/Program Files/quorel8" "$installed"
    echo "Install directory (C:\\Program Files\\quorel8\\ of the prefix, copied): $installed" \
        "($(find "$installed" -maxdepth 1 -type f | wc -l) files)"
fi
if [ "$status" != 0 ] || [ "$found" -lt 4 ]; then
    echo "The walk through the wizard did not complete (walker status $status, $found pictures)." >&2
    exit 1
fi
