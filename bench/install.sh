#!/usr/bin/env bash
# Install benchmark: the setup program's whole silent install of its embedded demo payload
# ("setup.exe setqusrf32") against a peer installer of the same files made with makensis (amd64 zlib
# stub, run with /S). Each installer runs under wine64 on a fresh machine, twice (the first install,
# then the same install again over it), each run timed from the creation of its process to its exit.
# One more silent install, with a relay trace of Sleep and WinExec, counts the fixed pauses the
# install procedure prescribes (reported apart and taken off for the comparison) and the programs it
# starts, whose cost is timed apart. Prints both installers' times (best and median), the bytes
# installed and the ratios. The window mode is timed too, on fresh machines of its own (window_bench):
# from the start of the process to the first page painted, and the install through the window from
# the click that confirms page 6 to the finished page painted, against the silent install of the
# same choices (the IMM interface), both less the prescribed pauses (the same Sleep calls: the window
# adds none).
#   bash bench/install.sh      (after bash scripts/dev.sh build)
# QUOR_BENCH_RUNS sets the number of fresh machines per installer (default 5).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
host=$root/build/host
win=$root/build/mingw64
work=$root/build/bench-install
runs=${QUOR_BENCH_RUNS:-5}
members=$work/members
setup=$win/app/setup.exe
timer=$win/bench/install_timer.exe
window_bench=$win/bench/window_bench.exe
for program in "$setup" "$timer" "$window_bench"; do
    [ -x "$program" ] || [ -f "$program" ] ||
        { echo "bench: $program is missing: run bash scripts/dev.sh build first" >&2; exit 1; }
done
command -v makensis >/dev/null || { echo "bench: makensis is missing: bash scripts/dev.sh deps" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
# The peer installs the very members setup.exe carries.
"$host/tools/quzpack" extract "$win/resources/payload.quz" "$members" >/dev/null
# The peer: every payload member into one directory under the native Program Files.
cat >"$work/peer.nsi" <<NSI
Unicode true
Target amd64-unicode
SetCompressor zlib
Name "quorpeer"
OutFile "$work/peer.exe"
InstallDir "\$PROGRAMFILES64\\quorpeer"
RequestExecutionLevel admin
Section
  SetOutPath "\$INSTDIR"
  File "$members/*"
SectionEnd
NSI
LC_ALL=C.UTF-8 makensis -V1 "$work/peer.nsi" >/dev/null

source "$root/tests/wine/env.sh"
quor_init "$win"
quor_env_up
trap '"$root/tests/wine/stop.sh" "$win" >/dev/null 2>&1' EXIT

# time_installs NAME DIR PROGRAM ARGUMENTS...: on a fresh machine, the install and then the same
# install again; appends "ms bytes" to $work/NAME-first.times and $work/NAME-again.times, bytes being
# what the install directory (DIR under drive_c) then holds.
time_installs() {
    local name=$1 dir=$2 prefix line round
    shift 2
    prefix=$(quor_fresh_prefix)
    for round in first again; do
        # Programs the install starts inherit the output: keep only the timer's line.
        line=$(quor_wine "$prefix" "$(quor_winpath "$timer")" "$@" </dev/null 2>/dev/null | tr -d '\r' |
            grep '^ms=' || true)
        case "$line" in
            *" exit=0") ;;
            *) echo "bench: $name did not install ($line)" >&2; quor_drop_prefix "$prefix"; exit 1 ;;
        esac
        printf '%s %s\n' "$(printf '%s' "$line" | sed 's/^ms=\([0-9.]*\).*/\1/')" \
            "$(du -sb "$prefix/drive_c/$dir" | cut -f1)" >>"$work/$name-$round.times"
    done
    quor_drop_prefix "$prefix"
}

for run in $(seq 1 "$runs"); do
    # Alternate the order, so neither installer always runs while the other's machine is cleared.
    if [ $((run % 2)) = 1 ]; then
        time_installs setup "Program Files/quorel8" "$(quor_winpath "$setup")" setqusrf32
        time_installs peer "Program Files/quorpeer" "$(quor_winpath "$work/peer.exe")" /S
    else
        time_installs peer "Program Files/quorpeer" "$(quor_winpath "$work/peer.exe")" /S
        time_installs setup "Program Files/quorel8" "$(quor_winpath "$setup")" setqusrf32
    fi
done

# The window mode: one walk per fresh machine; appends "first-paint-ms install-ms" to window.times.
for run in $(seq 1 "$runs"); do
    prefix=$(quor_fresh_prefix)
    line=$(quor_wine "$prefix" "$(quor_winpath "$window_bench")" "$(quor_winpath "$setup")" </dev/null 2>/dev/null |
        tr -d '\r' | grep '^first_paint_ms=' || true)
    quor_drop_prefix "$prefix"
    case "$line" in
        *" finished=1 exit=0") ;;
        *) echo "bench: the window walk did not finish ($line)" >&2; exit 1 ;;
    esac
    printf '%s\n' "$line" | sed 's/^first_paint_ms=\([0-9.]*\) install_ms=\([0-9.]*\).*/\1 \2/' >>"$work/window.times"
done

# The setup process's own calls (it is the first process of the trace): the count and milliseconds of
# its pauses, and the programs it starts. Under wine64 WinExec returns only when a program without a
# message queue has ended, so each start costs a whole run of the program: timed on its own on the
# same machine afterwards (best of three), for the breakdown.
prefix=$(quor_fresh_prefix)
quor_wine "$prefix" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'kernel32.Sleep;kernel32.WinExec' /f \
    </dev/null >/dev/null 2>&1
quor_wine_vars "$prefix"
env "${QUOR_ENV[@]}" WINEDEBUG=+pid,+relay "$QUOR_WINE64" "$(quor_winpath "$setup")" setqusrf32 \
    </dev/null >/dev/null 2>"$work/relay.log" || true
quor_wine "$prefix" reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f </dev/null >/dev/null 2>&1
best_run() {
    local i
    for i in 1 2 3; do
        quor_wine "$prefix" "$(quor_winpath "$timer")" "$@" </dev/null 2>/dev/null | tr -d '\r' |
            sed -n 's/^ms=\([0-9.]*\).*/\1/p'
    done | sort -n | head -1
}
icacls_ms=$(best_run icacls.exe 'c:\Progra~1\quorel8' /SetIntegrityLevel Level: L)
setup64_ms=$(best_run 'C:\Program Files\quorel8\setupw64.exe' 'regqu32=c:\Progra~1\quorel8\')
quor_drop_prefix "$prefix"
setup_pid=$(grep -a -m1 -o '^[0-9a-f]*:' "$work/relay.log" | tr -d : || true)
traced=$(grep -a "^${setup_pid}:[0-9a-f]*:Call KERNEL32\.\(Sleep\|WinExec\)" "$work/relay.log" |
    awk -v icacls_ms="$icacls_ms" -v setup64_ms="$setup64_ms" '
    function hex(text,    i, value) {
        value = 0
        for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
        return value
    }
    /Call KERNEL32.Sleep\(/ { sleeps++; split($0, a, "Sleep[(]"); sleep_ms += hex(substr(a[2], 1, 8)) }
    /Call KERNEL32.WinExec\(.*icacls/ { icacls++ }
    /Call KERNEL32.WinExec\(.*setupw64/ { setup64++ }
    END { printf "%d %d %d %d %.0f %.0f\n", sleeps, sleep_ms, icacls, setup64, icacls_ms, setup64_ms }')

payload_bytes=$(du -sb "$members" | cut -f1)
payload_files=$(find "$members" -maxdepth 1 -type f | wc -l)
# "best median installed-bytes" of a .times file
summary() { sort -n "$work/$1.times" | awk '{ t[NR] = $1; b = $2 } END { print t[1], t[int((NR + 1) / 2)], b }'; }
# "best median" of a column of window.times
column() { awk -v c="$1" '{ print $c }' "$work/window.times" | sort -n | awk '{ t[NR] = $1 } END { print t[1], t[int((NR + 1) / 2)] }'; }
awk -v runs="$runs" -v traced="$traced" -v payload_bytes="$payload_bytes" -v payload_files="$payload_files" \
    -v setup_first="$(summary setup-first)" -v setup_again="$(summary setup-again)" \
    -v peer_first="$(summary peer-first)" -v peer_again="$(summary peer-again)" \
    -v first_paint="$(column 1)" -v window_install="$(column 2)" '
function row(label, times,    t) {
    split(times, t, " ")
    printf "  %-32s best %7.1f ms  median %7.1f ms  (%.2f MB installed)\n", label, t[1], t[2], t[3] / 1e6
}
function ratio(label, ours, peer, less,    o, p) {
    split(ours, o, " "); split(peer, p, " ")
    printf "  %-32s best %.2f  median %.2f\n", label, (o[1] - less) / p[1], (o[2] - less) / p[2]
}
BEGIN {
    split(traced, c, " "); pause_ms = c[2]; starts_ms = c[3] * c[5] + c[4] * c[6]
    printf "payload: %d members, %.2f MB; %d fresh machines per installer under wine64, two installs on each\n",
        payload_files, payload_bytes / 1e6, runs
    printf "setup.exe setqusrf32 (IMM install):\n"
    row("first install", setup_first)
    row("the same install again", setup_again)
    printf "  prescribed pauses:               %d Sleep calls, %d ms\n", c[1], pause_ms
    printf "  prescribed program starts:       %d icacls (%.0f ms each), %d setupw64 (%.0f ms): about %.0f ms\n",
        c[3], c[5], c[4], c[6], starts_ms
    printf "peer installer (makensis, amd64 zlib stub, /S):\n"
    row("first install", peer_first)
    row("the same install again", peer_again)
    printf "ratio setup / peer, first install:\n"
    ratio("as timed", setup_first, peer_first, 0)
    ratio("setup less its pauses", setup_first, peer_first, pause_ms)
    ratio("less pauses and program starts", setup_first, peer_first, pause_ms + starts_ms)
    printf "ratio setup / peer, the same install again:\n"
    ratio("as timed", setup_again, peer_again, 0)
    ratio("setup less its pauses", setup_again, peer_again, pause_ms)
    ratio("less pauses and program starts", setup_again, peer_again, pause_ms + starts_ms)
    split(first_paint, f, " "); split(window_install, w, " "); split(setup_first, s, " ")
    printf "window mode (%d fresh machines; Pinyin, IMM; the skin dialog answered at once):\n", runs
    printf "  %-32s best %7.1f ms  median %7.1f ms\n", "process start to first page", f[1], f[2]
    printf "  %-32s best %7.1f ms  median %7.1f ms\n", "confirmation to finished page", w[1], w[2]
    printf "  %-32s best %7.1f ms  median %7.1f ms\n", "  less its pauses", w[1] - pause_ms, w[2] - pause_ms
    printf "  %-32s best %7.1f ms  median %7.1f ms\n", "silent install less its pauses", s[1] - pause_ms, s[2] - pause_ms
    printf "  %-32s best %.2f  median %.2f\n", "ratio window / silent", (w[1] - pause_ms) / (s[1] - pause_ms),
        (w[2] - pause_ms) / (s[2] - pause_ms)
}'
