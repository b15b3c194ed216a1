# Shell functions of the Wine test environment, sourced by run.sh, start.sh, stop.sh and the
# scripted tests. Everything lives in BUILD/wine: the generated Chinese locales, an Xvfb display,
# the template prefix made once per test run, the shared prefix that a persistent wineserver
# serves, and throwaway copies of the template for tests that need a pristine machine.
# The host's own ~/.wine is never used: every Wine process gets WINEPREFIX and HOME inside BUILD.

QUOR_WINE64=/usr/lib/wine/wine64
QUOR_WINESERVER=/usr/lib/wine/wineserver

# quor_init BUILD_DIR [NAME]: names the folders of this build's environment (BUILD_DIR/NAME, by
# default BUILD_DIR/wine; the run command uses its own).
quor_init() {
    QUOR_BUILD=$(cd "$1" && pwd)
    QW="$QUOR_BUILD/${2:-wine}"
    QUOR_TEMPLATE="$QW/template"
    QUOR_SHARED="$QW/shared"
    mkdir -p "$QW/home" "$QUOR_BUILD/locale"
}

quor_log() { printf '[wine-env] %s\n' "$*" >&2; }

# quor_wine_vars PREFIX: sets QUOR_ENV to the environment of a Wine process in PREFIX, for use as
# env "${QUOR_ENV[@]}" COMMAND. QUOR_CODEPAGE=950 selects Big5 (zh_TW), otherwise GBK (zh_CN); the
# locale goes to Wine only. With HOME inside the build, Wine's XDG folders stay there too.
quor_wine_vars() {
    QUOR_ENV=(WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" HOME="$QW/home"
              LOCPATH="$QUOR_BUILD/locale" LC_ALL="$([ "${QUOR_CODEPAGE:-936}" = 950 ] && echo zh_TW || echo zh_CN).UTF-8")
    if [ -f "$QW/display" ]; then QUOR_ENV+=(DISPLAY=":$(cat "$QW/display")"); fi
}

# quor_wine PREFIX ARGS...: runs wine64 ARGS in PREFIX.
quor_wine() {
    quor_wine_vars "$1"
    shift
    env "${QUOR_ENV[@]}" "$QUOR_WINE64" "$@"
}

quor_make_locales() {
    local name
    for name in zh_CN zh_TW; do
        [ -f "$QUOR_BUILD/locale/$name.UTF-8/LC_CTYPE" ] ||
            localedef -i "$name" -f UTF-8 "$QUOR_BUILD/locale/$name.UTF-8" >/dev/null 2>&1 ||
            [ -f "$QUOR_BUILD/locale/$name.UTF-8/LC_CTYPE" ] || { quor_log "localedef $name failed"; return 1; }
    done
}

quor_xvfb_running() { [ -f "$QW/xvfb.pid" ] && kill -0 "$(cat "$QW/xvfb.pid")" 2>/dev/null; }

# An X display must exist before the first Wine process of a server session, or later windows fail.
quor_start_xvfb() {
    quor_xvfb_running && return 0
    rm -f "$QW"/display*
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 3>"$QW/display.tmp" 9>&- &
    echo $! >"$QW/xvfb.pid"
    for _ in $(seq 100); do [ -s "$QW/display.tmp" ] && break; sleep 0.05; done
    [ -s "$QW/display.tmp" ] || { quor_log "Xvfb did not start"; return 1; }
    tr -d '\n' <"$QW/display.tmp" >"$QW/display"
}

# Starts a persistent server for PREFIX and Wine's background services, with their output detached
# (they inherit the descriptors of the process that starts them, and would hold a pipe open).
# Descriptor 9 is the environment's lock: daemons must not inherit it, or they would hold the lock.
quor_start_server() {
    quor_wine_vars "$1"
    env "${QUOR_ENV[@]}" "$QUOR_WINESERVER" -p </dev/null >/dev/null 2>&1 9>&-
    env "${QUOR_ENV[@]}" setsid "$QUOR_WINE64" cmd /c exit </dev/null >/dev/null 2>&1 9>&-
}

quor_stop_server() {
    [ -d "$1" ] || return 0
    WINEPREFIX="$1" "$QUOR_WINESERVER" -k >/dev/null 2>&1 9>&-
    WINEPREFIX="$1" "$QUOR_WINESERVER" -w >/dev/null 2>&1 9>&-
    return 0
}

# A new prefix with real user folders (not links into the host's home), the 8.3 name that the
# program's external commands use for Program Files, a second fixed drive D:, Wine's settings (no
# window manager, Song and Kai faces, no crash dialog), the test programs' Windows versions and
# the stand-in system programs.
quor_make_template() {
    local t="$QUOR_TEMPLATE" link reg
    rm -rf "$t"
    mkdir -p "$t"
    quor_wine_vars "$t"
    env "${QUOR_ENV[@]}" setsid "$QUOR_WINE64" wineboot -i </dev/null >"$QW/wineboot.log" 2>&1 9>&- ||
        { quor_log "wineboot failed (see $QW/wineboot.log)"; return 1; }
    for link in "$t"/drive_c/users/*/*; do [ -L "$link" ] && rm -f "$link" && mkdir -p "$link"; done
    ln -sfn "Program Files" "$t/drive_c/Progra~1"
    mkdir -p "$t/drive_d"
    ln -sfn ../drive_d "$t/dosdevices/d:"
    # regedit always reads UTF-16LE with a byte-order mark.
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$QW/settings.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="AR PL UMing CN"
"楷体"="AR PL UKai CN"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Wine\Drives]
"d:"="hd"
REG
    for reg in "$QW/settings.reg" "$QUOR_BUILD/tests/appdefaults.reg"; do
        [ -f "$reg" ] && quor_wine "$t" regedit /S "$(quor_winpath "$reg")" </dev/null >/dev/null 2>&1 9>&-
    done
    [ -d "$QUOR_BUILD/tests/prefix" ] && cp -a "$QUOR_BUILD/tests/prefix/." "$t/drive_c/"
    quor_stop_server "$t"
}

# The Windows name (on drive Z:) of a host path.
quor_winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }

# quor_env_up: brings the environment up once (under a lock); later calls return at once.
quor_env_up() {
    exec 9>"$QW/lock"
    flock 9
    local started=$SECONDS
    if ! [ -f "$QW/ready" ] || ! quor_xvfb_running; then
        quor_stop_server "$QUOR_SHARED"
        rm -rf "$QW/ready" "$QUOR_SHARED"
        quor_make_locales && quor_start_xvfb && quor_make_template || { exec 9>&-; return 1; }
        cp -a "$QUOR_TEMPLATE" "$QUOR_SHARED"
        quor_start_server "$QUOR_SHARED"
        touch "$QW/ready"
        quor_log "environment up in $((SECONDS - started)) s (display :$(cat "$QW/display"))"
    fi
    exec 9>&-
}

# quor_fresh_prefix: prints the path of a new pristine copy of the template prefix, with its own
# persistent server running; quor_drop_prefix PREFIX stops that server and removes the copy.
quor_fresh_prefix() {
    local prefix
    prefix=$(mktemp -d "$QW/fresh.XXXXXX") && cp -a "$QUOR_TEMPLATE/." "$prefix/" || return 1
    quor_start_server "$prefix"
    printf '%s\n' "$prefix"
}
quor_drop_prefix() { quor_stop_server "$1"; rm -rf "$1"; }

# quor_env_is_up: whether the environment is up (a benchmark run from ctest leaves it so).
quor_env_is_up() { [ -f "$QW/ready" ] && quor_xvfb_running; }

# quor_env_down: stops every wineserver and the Xvfb that quor_env_up started, removes the prefixes.
quor_env_down() {
    exec 9>"$QW/lock"
    flock 9
    rm -f "$QW/ready"
    local prefix
    for prefix in "$QUOR_SHARED" "$QUOR_TEMPLATE" "$QW"/fresh.*; do quor_stop_server "$prefix"; done
    quor_xvfb_running && kill "$(cat "$QW/xvfb.pid")"
    rm -rf "$QW"/xvfb.pid "$QW"/display* "$QUOR_SHARED" "$QUOR_TEMPLATE" "$QW"/fresh.* "$QW"/output.*
    exec 9>&-
}

