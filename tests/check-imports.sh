#!/usr/bin/env bash
# check-imports.sh OBJDUMP BINARY: fails when BINARY imports a DLL that is not part
# of Windows itself (a compiler runtime left as a DLL would not be installed).
set -euo pipefail
objdump="$1"
binary="$2"
allowed='^(kernel32|user32|gdi32|msvcrt|oleaut32|ole32|advapi32|comctl32|comdlg32|shell32|dbghelp|ws2_32|version|uxtheme)\.dll$'
imports=$("$objdump" -p "$binary" | sed -n 's/^\s*DLL Name: //p')
[ -n "$imports" ] || { echo "no imports found in $binary" >&2; exit 1; }
status=0
while read -r dll; do
  if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
    echo "$binary imports $dll, which is not a system DLL" >&2
    status=1
  fi
done <<< "$imports"
echo "$binary imports: $(echo $imports)"
exit $status
