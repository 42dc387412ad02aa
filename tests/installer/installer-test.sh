#!/usr/bin/env bash
# The installer under Wine, in both install modes: silent installs (files,
# Start-menu shortcut, uninstall entry in the mode's hive, the installed
# program starts), upgrades over an older build in place, an install in the
# other mode removing the existing one, the refusal to touch a running Velto,
# the refusal of an all-users install without administrator rights, and the
# uninstall of each mode keeping the user's settings. Also checks the portable
# zip. Needs WINEPREFIX and DISPLAY as the test command sets them.
#
# Wine runs every program as an elevated administrator; velto_run_command
# --without-admin-rights gives the installer the token of an unelevated one.
# Usage: installer-test.sh SETUP.exe PORTABLE.zip OLDER-SETUP.exe VERSION
set -uo pipefail
setup=$1
zip=$2
older_setup=$3
version=$4
build=$(dirname "$setup")/..
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

new=$(winepath -w "$setup")
older=$(winepath -w "$older_setup")
unix_path() { winepath -u "$(wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')" 2>/dev/null; }
user_programs=$(unix_path LOCALAPPDATA)/Programs
user_menu=$(unix_path APPDATA)/Microsoft/Windows/Start\ Menu/Programs
common_menu=$(unix_path ProgramData)/Microsoft/Windows/Start\ Menu/Programs
program_files="$WINEPREFIX/drive_c/Program Files"
entry='Software\Microsoft\Windows\CurrentVersion\Uninstall\Velto'
settings_key='HKCU\Software\Halvorn Industries\Velto\Settings'
ELEVATION_REQUIRED=$((740 % 256))  # Wine passes the low byte of the exit code on
VELTO_RUNNING=2

as_admin() { wine "$build/velto_run_command.exe" "$1" >/dev/null 2>&1; }
as_user() { wine "$build/velto_run_command.exe" --without-admin-rights "$1" >/dev/null 2>&1; }
# Runs the uninstaller of the installation in the Windows folder $2 the way it
# runs itself, from a copy, but waits for it and passes its exit code on.
uninstall() {  # uninstall as_admin|as_user WINDOWS-FOLDER
  local copy status
  copy=$(mktemp -d)
  cp "$(winepath -u "$2")/Uninstall.exe" "$copy/" || return 99
  "$1" "\"$(winepath -w "$copy/Uninstall.exe")\" /S _?=$2"
  status=$?
  rm -rf "$copy"
  return "$status"
}
# Prints a value of the uninstall entry in HKLM or HKCU ("" when missing).
entry_value() {  # entry_value HIVE VALUE
  wine reg query "$1\\$entry" /v "$2" /reg:64 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$2 +REG_[A-Z]+ +//p"
}
has_entry() { wine reg query "$1\\$entry" /reg:64 >/dev/null 2>&1; }
only_entry_is() {  # only_entry_is HIVE VERSION WINDOWS-FOLDER
  local other=HKLM
  [ "$1" = HKLM ] && other=HKCU
  ! has_entry "$other" && [ "$(entry_value "$1" DisplayVersion)" = "$2" ] &&
    [ "$(entry_value "$1" InstallLocation)" = "$3" ]
}
installed() {  # installed UNIX-FOLDER: the built program, read-me and uninstaller
  cmp -s "$1/Velto.exe" "$build/Velto.exe" && test -s "$1/README.txt" && test -f "$1/Uninstall.exe"
}
starts() {  # starts WINDOWS-PATH: shows its control sheet and closes cleanly
  VELTO_INSTALLED_EXE=$1 wine "$build/velto_tests.exe" --gtest_filter='InstalledProgram.*' >/dev/null 2>&1
}
exited_with() { [ "$1" -eq "$2" ]; }  # exited_with STATUS EXPECTED
settings_kept() { wine reg query "$settings_key" /v Counters 2>/dev/null | grep -q '1,2'; }
gone() {  # gone UNIX-FOLDER MENU: program folder, shortcut and menu folder removed
  test ! -e "$1" && test ! -e "$2/Velto"
}

# A clean start, whatever an earlier run left behind.
wine reg delete "HKLM\\$entry" /f /reg:64 >/dev/null 2>&1
wine reg delete "HKCU\\$entry" /f /reg:64 >/dev/null 2>&1
rm -rf "$WINEPREFIX/drive_c/Show" "$program_files/Halvorn Industries" "$user_programs/Velto" "$user_menu/Velto" "$common_menu/Velto"
wine reg add "$settings_key" /v Counters /t REG_SZ /d "1,2" /f >/dev/null 2>&1

echo "== all users: upgrade over an older build in a folder of the operator's choice"
show_dir='C:\Show\Velto'
show_unix=$(winepath -u "$show_dir")
check "older build installs for all users" as_admin "\"$older\" /S /AllUsers /D=$show_dir"
check "/S alone installs for all users when elevated" as_admin "\"$new\" /S"
check "one entry, under HKLM, new version, same folder" only_entry_is HKLM "$version" "$show_dir"
check "program replaced in the same folder" installed "$show_unix"
check "shortcut in the all-users menu" test -f "$common_menu/Velto/Velto.lnk"
check "settings kept" settings_kept
check "installed program starts" starts "$show_dir\\Velto.exe"

echo "== without administrator rights"
as_user "\"$new\" /S /AllUsers"
check "/S /AllUsers refused without administrator rights" exited_with $? $ELEVATION_REQUIRED
as_user "\"$new\" /S"
check "/S alone over an all-users installation refused without administrator rights" exited_with $? $ELEVATION_REQUIRED
unchanged() { only_entry_is HKLM "$version" "$show_dir" && installed "$show_unix" && test ! -e "$user_programs/Velto"; }
check "nothing changed without administrator rights" unchanged

echo "== current user, elevated, over the all-users installation"
check "/S /CurrentUser installs" as_admin "\"$new\" /S /CurrentUser"
check "all-users installation removed" gone "$show_unix" "$common_menu"
check "one entry, under HKCU" only_entry_is HKCU "$version" "$(winepath -w "$user_programs/Velto")"
check "program in the user's Programs folder" installed "$user_programs/Velto"
check "shortcut in the user's own menu" test -f "$user_menu/Velto/Velto.lnk"
check "installed program starts" starts "$(winepath -w "$user_programs/Velto/Velto.exe")"
check "uninstall for the current user" uninstall as_admin "$(winepath -w "$user_programs/Velto")"
no_entries() { ! has_entry HKLM && ! has_entry HKCU; }
check "current-user installation removed" gone "$user_programs/Velto" "$user_menu"
check "its entry removed" no_entries
check "settings kept" settings_kept

echo "== current user without administrator rights: upgrade over an older build"
mine_dir='C:\Show\Mine'
check "older build installs for the current user" as_user "\"$older\" /S /CurrentUser /D=$mine_dir"
check "/S alone installs for the current user when not elevated" as_user "\"$new\" /S"
check "one entry, under HKCU, new version, same folder" only_entry_is HKCU "$version" "$mine_dir"
check "program replaced in the same folder" installed "$(winepath -u "$mine_dir")"
check "shortcut in the user's own menu" test -f "$user_menu/Velto/Velto.lnk"
check "settings kept" settings_kept

echo "== all users over the current-user installation, then uninstall"
check "/S /AllUsers installs" as_admin "\"$new\" /S /AllUsers"
check "current-user installation removed" gone "$(winepath -u "$mine_dir")" "$user_menu"
check "one entry, under HKLM, in Program Files" only_entry_is HKLM "$version" 'C:\Program Files\Halvorn Industries\Velto'
check "program in Program Files" installed "$program_files/Halvorn Industries/Velto"

echo "== a running Velto is left alone"
wine "$program_files/Halvorn Industries/Velto/Velto.exe" >/dev/null 2>&1 &
velto=$!
wine "$build/velto_drive.exe" wait:500 >/dev/null 2>&1  # until its control sheet shows
wine reg add "HKLM\\$entry" /v DisplayVersion /d unchanged /f /reg:64 >/dev/null 2>&1
as_admin "\"$new\" /S"
check "installer refuses while Velto runs" exited_with $? $VELTO_RUNNING
uninstall as_admin 'C:\Program Files\Halvorn Industries\Velto'
check "uninstaller refuses while Velto runs" exited_with $? $VELTO_RUNNING
untouched() { [ "$(entry_value HKLM DisplayVersion)" = unchanged ] && installed "$program_files/Halvorn Industries/Velto"; }
check "nothing changed while Velto runs" untouched
wine "$build/velto_drive.exe" close >/dev/null 2>&1 || kill "$velto"
wait "$velto"
wine reg add "HKLM\\$entry" /v DisplayVersion /d "$version" /f /reg:64 >/dev/null 2>&1

uninstall as_user 'C:\Program Files\Halvorn Industries\Velto'
check "uninstall for all users refused without administrator rights" exited_with $? $ELEVATION_REQUIRED
check "uninstall for all users" uninstall as_admin 'C:\Program Files\Halvorn Industries\Velto'
check "all-users installation removed, with its company folder" gone "$program_files/Halvorn Industries" "$common_menu"
check "its entry removed" no_entries
check "settings kept" settings_kept
wine reg delete 'HKCU\Software\Halvorn Industries' /f >/dev/null 2>&1

unpacked=$(mktemp -d)
(cd "$unpacked" && cmake -E tar xf "$zip")
check "portable zip holds Velto.exe" cmp -s "$unpacked/Velto/Velto.exe" "$build/Velto.exe"
check "portable zip holds the read-me" test -s "$unpacked/Velto/README.txt"
rm -rf "$unpacked"

echo "installer: $(stat -c %s "$setup") bytes, portable zip: $(stat -c %s "$zip") bytes"
[ "$failures" -eq 0 ]
