#!/usr/bin/env bash
# Runs the built setup.exe (x86_64) under wine64 in a throwaway prefix inside the build folder:
# run-setup.sh BUILD_DIR [ARGS...]. With a DISPLAY the window opens there and the script waits for
# the program to end. Without one it runs under its own Xvfb, saves a picture of the window into
# the build folder, prints its path and closes the window.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/tests/wine/env.sh"
quor_init "$1" run-wine
shift
setup="$QUOR_BUILD/app/setup.exe"
snapshot="$QUOR_BUILD/e2e/snapshot.exe"

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

quor_wine "$QUOR_TEMPLATE" "$setup" "$@" </dev/null &
setup_pid=$!
picture="$QUOR_BUILD/setup-window.bmp"
rm -f "$picture" "$QUOR_BUILD/setup-window.png"
quor_wine "$QUOR_TEMPLATE" "$snapshot" "$(quor_winpath "$picture")"
snap_status=$?
wait "$setup_pid"
echo "setup.exe ended with exit code $?"
[ "$snap_status" = 0 ] || { echo "No picture of the window was taken." >&2; exit 1; }
if command -v convert >/dev/null && convert "$picture" "$QUOR_BUILD/setup-window.png" 2>/dev/null; then
    picture="$QUOR_BUILD/setup-window.png"
fi
echo "Screenshot of the setup window: $picture"
