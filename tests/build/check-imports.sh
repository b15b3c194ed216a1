#!/usr/bin/env bash
# check-imports.sh PROGRAM...: every program must import system DLLs only (static C/C++ runtime and
# zlib), so that setup.exe and the uninstaller run on a bare Windows.
set -u
status=0
for program in "$@"; do
    [ -f "$program" ] || { echo "missing: $program"; status=1; continue; }
    dlls=$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p')
    echo "$program:" $dlls
    # Windows matches DLL names without regard to case (the i686 import library names IMM32.DLL).
    others=$(grep -viE '^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|IMM32|msvcrt|ntdll|COMCTL32|OLE32)\.dll$' <<<"$dlls")
    [ -z "$others" ] || { echo "  not a system DLL:" $others; status=1; }
done
exit $status
