#!/usr/bin/env bash
# Fails when an executable imports a DLL that Windows does not ship: the
# programs are linked statically and must run from a bare copy.
set -euo pipefail
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|oleaut32|winmm|msimg32|setupapi|hid|version|uxtheme|msvcrt|ntdll|ws2_32|iphlpapi|shlwapi|api-ms-win-.*)\.dll$'
status=0
for exe in "$@"; do
  imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  if [ -z "$imports" ]; then
    echo "$exe: no import table found"
    status=1
  fi
  for dll in $imports; do
    if ! [[ $dll =~ $system_dlls ]]; then
      echo "$exe imports $dll, which is not a system DLL"
      status=1
    fi
  done
  echo "$(basename "$exe"): $(echo $imports)"
done
exit $status
