#!/usr/bin/env bash
# Install benchmark: the setup program's whole silent install of its embedded demo payload
# ("setup.exe setqusrf32") against a peer installer of the same files made with makensis (amd64 zlib
# stub, run with /S). Each installer runs under wine64 on a fresh machine, twice (the first install,
# then the same install again over it), each run timed from the creation of its process to its exit.
# One more silent install, with a relay trace of Sleep, counts the fixed pauses the
# install procedure prescribes (reported apart and taken off for the comparison); what the programs it
# starts cost it is read from its logs. Prints both installers' times (best and median), the bytes
# installed and the ratios. The window mode is timed too, on fresh machines of its own (window_bench):
# from the start of the process to the first page painted, and the install through the window from
# the click that confirms page 6 to the finished page painted, against the silent install of the
# same choices (the IMM interface), both less the prescribed pauses (the same Sleep calls: the window
# adds none).
#   bash bench/install.sh      (after bash scripts/dev.sh build)
# QUOR_BENCH_RUNS sets the number of fresh machines per installer (default 5); QUOR_BENCH_SETUP names
# another setup.exe to time. The setup program writes
# its log (/LOG) on each run, and the figures end with the time of each step read from the logs; one
# more install on each machine goes without the log, to show what the log costs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
host=$root/build/host
win=$root/build/mingw64
work=$root/build/bench-install
runs=${QUOR_BENCH_RUNS:-5}
members=$work/members
# QUOR_BENCH_SETUP times another build's setup.exe (an earlier version, say) with this build's tools.
setup=${QUOR_BENCH_SETUP:-$win/app/setup.exe}
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
# An environment that was up already (the test run's) stays up.
quor_env_is_up || trap '"$root/tests/wine/stop.sh" "$win" >/dev/null 2>&1' EXIT
quor_env_up

# time_installs NAME DIR PROGRAM ARGUMENTS...: on a fresh machine, the install and then the same
# install again; appends "ms bytes" to $work/NAME-first.times and $work/NAME-again.times, bytes being
# what the install directory (DIR under drive_c) then holds. The setup program writes its log
# (/LOG) into logs/, for the breakdown by step, and installs once more without it (NAME-nolog.times),
# for what the log costs.
time_installs() {
    local name=$1 dir=$2 prefix line round words
    shift 2
    prefix=$(quor_fresh_prefix)
    for round in first again nolog; do
        words=()
        if [ "$name" = setup ]; then
            [ "$round" = nolog ] || words=("/LOG=C:\\$round.log")
        else
            [ "$round" = nolog ] && continue
        fi
        # Programs the install starts inherit the output: keep only the timer's line.
        line=$(quor_wine "$prefix" "$(quor_winpath "$timer")" "$@" "${words[@]}" </dev/null 2>/dev/null |
            tr -d '\r' | grep '^ms=' || true)
        case "$line" in
            *" exit=0") ;;
            *) echo "bench: $name did not install ($line)" >&2; quor_drop_prefix "$prefix"; exit 1 ;;
        esac
        printf '%s %s\n' "$(printf '%s' "$line" | sed 's/^ms=\([0-9.]*\).*/\1/')" \
            "$(du -sb "$prefix/drive_c/$dir" | cut -f1)" >>"$work/$name-$round.times"
        [ -f "$prefix/drive_c/$round.log" ] && cp "$prefix/drive_c/$round.log" "$work/logs/$round-$run.log"
    done
    quor_drop_prefix "$prefix"
}

# steps KIND...: the median milliseconds of each step of the setup's logs of that kind (first, again,
# window), as "KIND<TAB>ORDER<TAB>STEP<TAB>MS": a step lasts from its "step:" line to the next one (or
# the exit code); the finished page waits for a click and is left out; "backup of the earlier data"
# lasts from the install directory's line to the last line of the backup. ORDER is where the step
# first comes in a log.
steps() {
    local kind log
    for kind in "$@"; do
        for log in "$work/logs/$kind"-*.log; do
            [ -f "$log" ] || continue
            awk -v kind="$kind" '
                { sub(/\r$/, ""); t = $2 + 0; text = $0; sub(/^[^]]*\] /, "", text) }
                text ~ /^install directory .*earlier install directory/ { start = t }
                text ~ /^(backup|no backup)/ && start != "" { backup = t - start }
                text ~ /^step: / || text ~ /^exit code/ {
                    if (current != "" && current != "finished page") add(current, t - since)
                    current = text; sub(/^step: /, "", current); sub(/ C:.*$/, "", current); since = t
                    if (text ~ /^exit code/) current = ""
                }
                function add(step, ms) { if (!(step in order)) order[step] = ++n; spent[step] += ms }
                END {
                    printf "%s\t0\tbackup of the earlier data\t%d\n", kind, backup
                    for (s in spent) printf "%s\t%d\t%s\t%d\n", kind, order[s], s, spent[s]
                }' "$log"
        done
    done | sort -t "$(printf '\t')" -k1,1 -k3,3 -k4,4n |
        awk -F'\t' '{ k = $1 "\t" $3; if (k != last) flush(); last = k; v[++n] = $4; o = ($2 < o || n == 1) ? $2 : o }
            function flush(    f) { if (!n) return; split(last, f, "\t"); print f[1] "\t" o "\t" f[2] "\t" v[int((n + 1) / 2)]; n = 0 }
            END { flush() }'
}

# The window mode: one walk on a fresh machine; appends "first-paint-ms install-ms" to window.times.
time_window() {
    local prefix line
    prefix=$(quor_fresh_prefix)
    line=$(quor_wine "$prefix" "$(quor_winpath "$window_bench")" "$(quor_winpath "$setup")" '/LOG=C:\window.log' \
        </dev/null 2>/dev/null | tr -d '\r' | grep '^first_paint_ms=' || true)
    cp "$prefix/drive_c/window.log" "$work/logs/window-$run.log" 2>/dev/null || true
    quor_drop_prefix "$prefix"
    case "$line" in
        *" finished=1 exit=0") ;;
        *) echo "bench: the window walk did not finish ($line)" >&2; exit 1 ;;
    esac
    printf '%s\n' "$line" | sed 's/^first_paint_ms=\([0-9.]*\) install_ms=\([0-9.]*\).*/\1 \2/' >>"$work/window.times"
}

mkdir -p "$work/logs"
# Each round times both installers and the window walk, so that the ratios compare runs that met the
# same load on a shared machine.
for run in $(seq 1 "$runs"); do
    # Alternate the order, so neither installer always runs while the other's machine is cleared.
    if [ $((run % 2)) = 1 ]; then
        time_installs setup "Program Files/quorel8" "$(quor_winpath "$setup")" setqusrf32
        time_installs peer "Program Files/quorpeer" "$(quor_winpath "$work/peer.exe")" /S
    else
        time_installs peer "Program Files/quorpeer" "$(quor_winpath "$work/peer.exe")" /S
        time_installs setup "Program Files/quorel8" "$(quor_winpath "$setup")" setqusrf32
    fi
    time_window
done

# The setup process's own pauses (it is the first process of the trace): their count and milliseconds.
prefix=$(quor_fresh_prefix)
quor_wine "$prefix" reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /d 'kernel32.Sleep' /f \
    </dev/null >/dev/null 2>&1
quor_wine_vars "$prefix"
env "${QUOR_ENV[@]}" WINEDEBUG=+pid,+relay "$QUOR_WINE64" "$(quor_winpath "$setup")" setqusrf32 \
    </dev/null >/dev/null 2>"$work/relay.log" || true
quor_wine "$prefix" reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f </dev/null >/dev/null 2>&1
quor_drop_prefix "$prefix"
# The programs the setup starts, and what a start costs the setup itself, from the first installs'
# logs (mean ms): icacls, a console program, is not waited for, so a start is what lies between the
# two starts of a pair; setupw64, a window program, is waited for until it is ready for input, so its
# start is what lies between the lines around it (its digest check included).
start_costs=$(cat "$work"/logs/first-*.log 2>/dev/null | awk '
    { sub(/\r$/, ""); t = $2 + 0; text = $0; sub(/^[^]]*\] /, "", text) }
    after_setup64 { setup64 += t - before_setup64; setup64_starts++; after_setup64 = 0 }
    previous_icacls && text ~ /^started .*icacls/ { icacls += t - previous_t; icacls_starts++ }
    text ~ /^started .*setupw64/ { before_setup64 = previous_t; after_setup64 = 1 }
    { previous_icacls = text ~ /^started .*icacls/; previous_t = t }
    END { printf "%.1f %.1f\n", icacls_starts ? icacls / icacls_starts : 0, setup64_starts ? setup64 / setup64_starts : 0 }')
icacls_ms=${start_costs% *}
setup64_ms=${start_costs#* }
setup_pid=$(grep -a -m1 -o '^[0-9a-f]*:' "$work/relay.log" | tr -d : || true)
traced=$({ grep -a "^${setup_pid}:[0-9a-f]*:Call KERNEL32\.Sleep" "$work/relay.log"; grep -a '] started ' "$work/logs/first-1.log" 2>/dev/null || true; } |
    awk -v icacls_ms="$icacls_ms" -v setup64_ms="$setup64_ms" '
    function hex(text,    i, value) {
        value = 0
        for (i = 1; i <= length(text); i++) value = value * 16 + index("0123456789abcdef", substr(text, i, 1)) - 1
        return value
    }
    /Call KERNEL32.Sleep\(/ { sleeps++; split($0, a, "Sleep[(]"); sleep_ms += hex(substr(a[2], 1, 8)) }
    /started .*icacls/ { icacls++ }
    /started .*setupw64/ { setup64++ }
    END { printf "%d %d %d %d %.0f %.0f\n", sleeps, sleep_ms, icacls, setup64, icacls_ms, setup64_ms }')

payload_bytes=$(du -sb "$members" | cut -f1)
payload_files=$(find "$members" -maxdepth 1 -type f | wc -l)
# "best median installed-bytes" of a .times file
summary() { sort -n "$work/$1.times" | awk '{ t[NR] = $1; b = $2 } END { print t[1], t[int((NR + 1) / 2)], b }'; }
# "best median" of a column of window.times
column() { awk -v c="$1" '{ print $c }' "$work/window.times" | sort -n | awk '{ t[NR] = $1 } END { print t[1], t[int((NR + 1) / 2)] }'; }
awk -v runs="$runs" -v traced="$traced" -v payload_bytes="$payload_bytes" -v payload_files="$payload_files" \
    -v setup_first="$(summary setup-first)" -v setup_again="$(summary setup-again)" \
    -v setup_nolog="$(summary setup-nolog)" \
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
    row("  again, without the log", setup_nolog)
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

# Where the time goes: each step of the setup's logs, median milliseconds, in the order the steps come.
steps first again window | sort -t "$(printf '\t')" -k2,2n | awk -F'\t' '
    { ms[$3, $1] = $4; if (!($3 in seen)) { seen[$3] = 1; order[++n] = $3 } }
    END {
        printf "steps of the setup program, from its logs (median ms): first install / again / window\n"
        for (i = 1; i <= n; i++) {
            s = order[i]
            printf "  %-34s %6s %6s %6s\n", s, (s, "first") in ms ? ms[s, "first"] : "-",
                (s, "again") in ms ? ms[s, "again"] : "-", (s, "window") in ms ? ms[s, "window"] : "-"
        }
    }'
