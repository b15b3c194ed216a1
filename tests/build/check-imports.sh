#!/usr/bin/env bash
# check-imports.sh PROGRAM...: every program must import system DLLs only (static C/C++ runtime and
# zlib), so that setup.exe and the uninstaller run on a bare Windows.
set -u
# Windows matches DLL names without regard to case (the i686 import library names IMM32.DLL).
shopt -s nocasematch
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|IMM32|msvcrt|ntdll|COMCTL32|OLE32)\.dll$'
status=0
for program in "$@"; do
    if [ ! -f "$program" ]; then
        echo "missing: $program"
        status=1
        continue
    fi
    dlls=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
    echo "$program: $(echo $dlls)"
    while read -r dll; do
        [ -z "$dll" ] && continue
        if ! [[ "$dll" =~ $allowed ]]; then
            echo "  not a system DLL: $dll"
            status=1
        fi
    done <<<"$dlls"
done
exit $status
