#!/usr/bin/env bash
# check-imports.sh OBJDUMP BINARY: fails when BINARY imports a DLL that is not part
# of Windows itself (a compiler runtime left as a DLL would not be installed).
set -euo pipefail
allowed='^(kernel32|user32|gdi32|msvcrt|oleaut32|ole32|advapi32|comctl32|comdlg32|shell32|dbghelp|ws2_32|version|uxtheme)\.dll$'
imports=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p')
[ -n "$imports" ] || { echo "no imports found in $2" >&2; exit 1; }
echo "$2 imports: $(echo $imports)"
others=$(echo "$imports" | tr 'A-Z' 'a-z' | grep -Ev "$allowed" || true)
[ -z "$others" ] || { echo "$2 imports $(echo $others), which are not system DLLs" >&2; exit 1; }
