#!/usr/bin/env bash
# Installs Velto silently into the test prefix, checks what the installer put
# in place and that the installed program starts, uninstalls silently and
# checks that everything but the user's settings is gone. Also checks the
# portable zip. Needs WINEPREFIX and DISPLAY as the test command sets them.
# Usage: installer-test.sh SETUP.exe PORTABLE.zip
set -uo pipefail
setup=$1
zip=$2
tests_exe=$(dirname "$setup")/../velto_tests.exe
: "${WINEPREFIX:?}" "${DISPLAY:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

dir="$WINEPREFIX/drive_c/Program Files/Halvorn Industries/Velto"
link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Velto/Velto.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velto'
settings_key='HKCU\Software\Halvorn Industries\Velto\Settings'

wine "$(winepath -w "$setup")" /S
check "installer exits" true
check "Velto.exe installed" test -f "$dir/Velto.exe"
check "uninstaller installed" test -f "$dir/Uninstall.exe"
check "Start-menu shortcut" test -f "$link"
check "Programs and Features entry" bash -c "wine reg query '$uninstall_key' /v DisplayVersion /reg:64 2>/dev/null | grep -q DisplayVersion"
check "installed program is the built one" cmp -s "$dir/Velto.exe" "$(dirname "$setup")/../Velto.exe"

# The installed program starts (and is closed again) under the test program's watch.
run_installed() {
  VELTO_INSTALLED_EXE='C:\Program Files\Halvorn Industries\Velto\Velto.exe' \
    wine "$tests_exe" --gtest_filter='InstalledProgram.*' >/dev/null 2>&1
}
check "installed program starts" run_installed

wine reg add "$settings_key" /v Counters /t REG_SZ /d "1,2" /f >/dev/null 2>&1
wine "C:\\Program Files\\Halvorn Industries\\Velto\\Uninstall.exe" /S
# The uninstaller runs from a copy of itself and returns at once: wait for
# its work to show.
for _ in $(seq 1 300); do
  [ -e "$dir" ] || wine reg query "$uninstall_key" /reg:64 >/dev/null 2>&1 || break
  sleep 0.2
done
check "program files removed" test ! -e "$dir"
check "shortcut removed" test ! -e "$link"
check "Programs and Features entry removed" bash -c "! wine reg query '$uninstall_key' /reg:64 >/dev/null 2>&1"
check "user settings kept" bash -c "wine reg query '$settings_key' /v Counters 2>/dev/null | grep -q '1,2'"
wine reg delete 'HKCU\Software\Halvorn Industries' /f >/dev/null 2>&1

unpacked=$(mktemp -d)
(cd "$unpacked" && cmake -E tar xf "$zip")
check "portable zip holds Velto.exe" cmp -s "$unpacked/Velto/Velto.exe" "$(dirname "$setup")/../Velto.exe"
check "portable zip holds the read-me" test -s "$unpacked/Velto/README.txt"
rm -rf "$unpacked"

echo "installer: $(stat -c %s "$setup") bytes, portable zip: $(stat -c %s "$zip") bytes"
[ "$failures" -eq 0 ]
