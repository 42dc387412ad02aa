; Velto installer. Two install modes, as Windows programs offer them:
;   for the current user only: no administrator rights needed; under the
;     user's Programs folder in local application data, a shortcut in the
;     user's own Start menu, the uninstall entry under HKEY_CURRENT_USER;
;   for all users: Program Files, the all-users Start menu, the entry under
;     HKEY_LOCAL_MACHINE; needs an elevated (administrator) process.
; Interactively a page offers both, defaulting to the current user unless
; the installer runs elevated. Silently: /S /CurrentUser, /S /AllUsers, and
; /S alone picks the current user unless elevated.
;
; Installing over an installation of the same mode upgrades it in place (its
; folder, one uninstall entry). An installation of the other mode is removed
; first, after asking (silently: without asking). The user's settings under
; HKEY_CURRENT_USER\Software\Halvorn Industries\Velto are never touched.
;
; While Velto runs, installer and uninstaller ask the operator to close it;
; silently they change nothing and end with exit code 2. A silent install or
; uninstall that needs administrator rights it does not have ends with 740
; (ERROR_ELEVATION_REQUIRED) and changes nothing.
;
; Built by CMake (target "dist"), which passes VERSION, EXE, ICON, README
; and OUTFILE on the command line.

Target amd64-unicode
SetCompressor /SOLID lzma
; Elevation is asked for only when the operator chooses all users.
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "nsDialogs.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Velto"
!define COMPANY "Halvorn Industries"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; Held by a running Velto for its whole lifetime.
!define RUNNING_MARK "Local\${COMPANY} ${PRODUCT}"
!define SYNCHRONIZE 0x00100000
!define ERROR_ACCESS_DENIED 5
!define EXIT_VELTO_RUNNING 2
!define EXIT_ELEVATION_REQUIRED 740
; FOLDERID_UserProgramFiles: %LOCALAPPDATA%\Programs
!define FOLDERID_USER_PROGRAM_FILES "{5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${COMPANY} ${PRODUCT} ${VERSION}"
AllowSkipFiles off

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${COMPANY} Ltd"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 ${COMPANY} Ltd"

Var Elevated         ; 1 when the process holds administrator rights
Var Mode             ; "CurrentUser" or "AllUsers"
Var ModeGiven        ; 1 when the command line chose the mode
Var Upgrading        ; 1 when an installation of $Mode exists (then $INSTDIR is its folder)
Var OtherDir         ; folder of an installation of the other mode, or empty
Var GivenDir         ; folder given with /D=, or empty
Var CurrentUserRadio
Var AllUsersRadio

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartVelto
!define MUI_FINISHPAGE_RUN_TEXT "Start Velto now"

Page custom ModePageShow ModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE DirectoryPagePre
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---- shared by installer and uninstaller -----------------------------------

!macro SHARED_FUNCTIONS UN
  ; Pushes 1 when the process runs with administrator rights. The account
  ; type follows the process token: an administrator's unelevated process
  ; counts as "User".
  Function ${UN}IsElevated
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
      Push 1
    ${Else}
      Push 0
    ${EndIf}
  FunctionEnd

  ; Pushes 1 while Velto runs in this session. A Velto started elevated
  ; denies an unelevated process access to its mark, which still proves it
  ; runs.
  Function ${UN}IsVeltoRunning
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${RUNNING_MARK}") p.r0 ?e'
    Pop $1
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      Push 1
    ${ElseIf} $1 = ${ERROR_ACCESS_DENIED}
      Push 1
    ${Else}
      Push 0
    ${EndIf}
  FunctionEnd

  ; Returns only once Velto is not running; asks the operator to close it.
  ; Quits with EXIT_VELTO_RUNNING when silent or when the operator cancels.
  Function ${UN}WaitUntilVeltoClosed
    check:
    Call ${UN}IsVeltoRunning
    Pop $0
    ${If} $0 = 0
      Return
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_VELTO_RUNNING}
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Velto is running. Close Velto (its control window), then choose Retry.$\n$\nNothing has been changed yet." \
      IDRETRY check
    SetErrorLevel ${EXIT_VELTO_RUNNING}
    Quit
  FunctionEnd

  ; Pushes the folder recorded by the installation of the given mode
  ; ("AllUsers" or "CurrentUser"), or "" when there is none.
  Function ${UN}InstalledFolder
    Exch $0
    ${If} $0 == "AllUsers"
      ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${Else}
      ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${EndIf}
    Exch $0
  FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; ---- installer --------------------------------------------------------------

; The folder of the installation being upgraded, else the one given with /D=,
; else the default of $Mode.
Function ChooseFolder
  ${If} $Upgrading = 1
    Return
  ${ElseIf} $GivenDir != ""
    StrCpy $INSTDIR $GivenDir
  ${Else}
    Call DefaultFolder
    Pop $INSTDIR
  ${EndIf}
FunctionEnd

Function DefaultFolder
  ${If} $Mode == "AllUsers"
    StrCpy $0 "$PROGRAMFILES64\${COMPANY}\${PRODUCT}"
  ${Else}
    GetKnownFolderPath $0 ${FOLDERID_USER_PROGRAM_FILES}
    ${If} $0 == ""
      SetShellVarContext current
      StrCpy $0 "$LOCALAPPDATA\Programs"
    ${EndIf}
    StrCpy $0 "$0\${PRODUCT}"
  ${EndIf}
  Push $0
FunctionEnd

; For $Mode: sets the shell folders, finds an installation of the other
; mode, and finds an installation of this mode to upgrade (then $INSTDIR is
; its folder).
Function ApplyMode
  ${If} $Mode == "AllUsers"
    SetShellVarContext all
    Push "CurrentUser"
  ${Else}
    SetShellVarContext current
    Push "AllUsers"
  ${EndIf}
  Call InstalledFolder
  Pop $OtherDir
  Push $Mode
  Call InstalledFolder
  Pop $0
  ${If} $0 != ""
    StrCpy $Upgrading 1
    StrCpy $INSTDIR $0
  ${Else}
    StrCpy $Upgrading 0
  ${EndIf}
FunctionEnd

Function .onInit
  SetRegView 64
  Call IsElevated
  Pop $Elevated

  ${GetParameters} $R0
  StrCpy $ModeGiven 1
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    StrCpy $Mode "AllUsers"
  ${Else}
    ClearErrors
    ${GetOptions} $R0 "/CurrentUser" $R1
    ${IfNot} ${Errors}
      StrCpy $Mode "CurrentUser"
    ${ElseIf} $Elevated = 1
      StrCpy $Mode "AllUsers"
      StrCpy $ModeGiven 0
    ${Else}
      StrCpy $Mode "CurrentUser"
      StrCpy $ModeGiven 0
    ${EndIf}
  ${EndIf}

  ; An explicit /D= wins over the default folder but not over the folder of
  ; an installation being upgraded.
  StrCpy $GivenDir $INSTDIR
  Call ApplyMode
  Call ChooseFolder

  ${If} ${Silent}
    ; Removing an all-users installation (the other mode of a current-user
    ; install) needs the same rights as making one.
    ${If} $Elevated = 0
      ${If} $Mode == "AllUsers"
      ${OrIf} $OtherDir != ""
        SetErrorLevel ${EXIT_ELEVATION_REQUIRED}
        Quit
      ${EndIf}
    ${EndIf}
    Call WaitUntilVeltoClosed
  ${ElseIf} $ModeGiven = 1
  ${AndIf} $Mode == "AllUsers"
  ${AndIf} $Elevated = 0
    Call RestartElevated
    MessageBox MB_OK|MB_ICONSTOP "Installing for anyone using this computer needs administrator rights."
    SetErrorLevel ${EXIT_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
FunctionEnd

; Starts this installer again with administrator rights for an all-users
; install, and quits this unelevated one. Returns when the operator refused,
; or when this is already the restarted one and still has no rights (a shell
; that does not elevate would otherwise restart it again and again).
Function RestartElevated
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ElevationAsked" $1
  ${IfNot} ${Errors}
    Return
  ${EndIf}
  ClearErrors
  ExecShell "runas" "$EXEPATH" "/AllUsers /ElevationAsked"
  ${IfNot} ${Errors}
    Quit
  ${EndIf}
FunctionEnd

Function ModePageShow
  ${If} $ModeGiven = 1
    Call OfferToRemoveOtherMode
    Pop $0
    ${If} $0 = 0
      Quit
    ${EndIf}
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose Installation Options" "Who should be able to use Velto on this computer?"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 10u 10u -10u 12u "Only for &me"
  Pop $CurrentUserRadio
  ${NSD_CreateLabel} 22u 24u -22u 10u "Into your own Programs folder. No administrator rights needed."
  Pop $0
  ${NSD_CreateRadioButton} 10u 44u -10u 12u "For &anyone using this computer"
  Pop $AllUsersRadio
  ${NSD_CreateLabel} 22u 58u -22u 10u "Into Program Files. Needs administrator rights."
  Pop $0
  ${NSD_OnClick} $CurrentUserRadio ModePageShowShield
  ${NSD_OnClick} $AllUsersRadio ModePageShowShield
  ${If} $Mode == "AllUsers"
    ${NSD_Check} $AllUsersRadio
  ${Else}
    ${NSD_Check} $CurrentUserRadio
  ${EndIf}
  Push 0
  Call ModePageShowShield
  nsDialogs::Show
FunctionEnd

; The Next button carries the shield when it will ask for elevation.
Function ModePageShowShield
  Pop $0 ; the clicked control, when called as a click handler
  GetDlgItem $1 $HWNDPARENT 1
  ${NSD_GetState} $AllUsersRadio $2
  ${If} $2 = ${BST_CHECKED}
  ${AndIf} $Elevated = 0
    SendMessage $1 ${BCM_SETSHIELD} 0 1
  ${Else}
    SendMessage $1 ${BCM_SETSHIELD} 0 0
  ${EndIf}
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $AllUsersRadio $0
  ${If} $0 = ${BST_CHECKED}
    ${If} $Elevated = 0
      Call RestartElevated
      MessageBox MB_OK|MB_ICONEXCLAMATION "Installing for anyone using this computer needs administrator rights."
      Abort
    ${EndIf}
    StrCpy $Mode "AllUsers"
  ${Else}
    StrCpy $Mode "CurrentUser"
  ${EndIf}
  Call ApplyMode
  Call ChooseFolder
  Call OfferToRemoveOtherMode
  Pop $0
  ${If} $0 = 0
    Abort
  ${EndIf}
  ${If} $Upgrading = 1
    Call WaitUntilVeltoClosed
  ${EndIf}
FunctionEnd

; Says that Velto is installed in the other mode and offers to remove that
; installation first (the install section removes it). Pushes 1 to go on,
; 0 when the operator declined or cannot remove it.
Function OfferToRemoveOtherMode
  ${If} $OtherDir == ""
    Push 1
    Return
  ${EndIf}
  ${If} $Mode == "AllUsers"
    StrCpy $0 "for your account only"
  ${Else}
    StrCpy $0 "for anyone using this computer"
    ${If} $Elevated = 0
      MessageBox MB_OK|MB_ICONEXCLAMATION \
        "Velto is already installed $0, in$\n$OtherDir.$\n$\nRemoving that installation needs administrator rights: choose $\"For anyone using this computer$\" to update it instead."
      Push 0
      Return
    ${EndIf}
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION \
    "Velto is already installed $0, in$\n$OtherDir.$\n$\nRemove that installation first? Your settings are kept." \
    IDYES remove
  Push 0
  Return
  remove:
  Push 1
FunctionEnd

; An elevated installer may run as another account (the administrator who
; gave the rights): the shell, running as the signed-in operator, starts
; Velto for them unelevated, so that it uses the operator's settings.
Function StartVelto
  ${If} $Elevated = 1
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\Velto.exe"'
  ${Else}
    Exec '"$INSTDIR\Velto.exe"'
  ${EndIf}
FunctionEnd

Function DirectoryPagePre
  ; An upgrade stays in the folder of the installation it replaces.
  ${If} $Upgrading = 1
    Abort
  ${EndIf}
FunctionEnd

Function DirectoryPageLeave
  Call WaitUntilVeltoClosed
FunctionEnd

; Runs the uninstaller of the other mode's installation silently and waits for
; it. Quits with its exit code when it fails.
Function RemoveOtherMode
  ${If} $OtherDir == ""
    Return
  ${EndIf}
  DetailPrint "Removing the installation in $OtherDir"
  InitPluginsDir
  CopyFiles /SILENT "$OtherDir\Uninstall.exe" "$PLUGINSDIR\OtherUninstall.exe"
  ClearErrors
  ExecWait '"$PLUGINSDIR\OtherUninstall.exe" /S _?=$OtherDir' $0
  ${If} ${Errors}
  ${OrIf} $0 <> 0
    ${If} $0 == ""
      StrCpy $0 1
    ${EndIf}
    MessageBox MB_OK|MB_ICONSTOP "The installation in $OtherDir could not be removed." /SD IDOK
    SetErrorLevel $0
    Quit
  ${EndIf}
  Delete "$PLUGINSDIR\OtherUninstall.exe"
FunctionEnd

Section "Velto" SecMain
  SectionIn RO
  Call WaitUntilVeltoClosed
  Call RemoveOtherMode
  ${If} $Mode == "AllUsers"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=Velto.exe" "${EXE}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Velto.exe" "" "$INSTDIR\Velto.exe" 0

  !macro WRITE_ENTRY HIVE
    WriteRegStr ${HIVE} "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr ${HIVE} "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr ${HIVE} "${UNINSTALL_KEY}" "Publisher" "${COMPANY} Ltd"
    WriteRegStr ${HIVE} "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velto.exe,0"
    WriteRegStr ${HIVE} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr ${HIVE} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr ${HIVE} "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD ${HIVE} "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD ${HIVE} "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
    WriteRegDWORD ${HIVE} "${UNINSTALL_KEY}" "EstimatedSize" $1
  !macroend
  ${If} $Mode == "AllUsers"
    !insertmacro WRITE_ENTRY HKLM
  ${Else}
    !insertmacro WRITE_ENTRY HKCU
  ${EndIf}
SectionEnd

; ---- uninstaller ------------------------------------------------------------

Var un.Mode

Function un.onInit
  SetRegView 64
  ; The mode is that of the installation whose entry names this folder.
  Push "AllUsers"
  Call un.InstalledFolder
  Pop $0
  ${If} $0 == $INSTDIR
    StrCpy $un.Mode "AllUsers"
  ${Else}
    StrCpy $un.Mode "CurrentUser"
  ${EndIf}

  ${If} $un.Mode == "AllUsers"
    Call un.IsElevated
    Pop $0
    ${If} $0 = 0
      ${If} ${Silent}
        SetErrorLevel ${EXIT_ELEVATION_REQUIRED}
        Quit
      ${EndIf}
      ; Once only: see RestartElevated.
      ${un.GetParameters} $0
      ClearErrors
      ${un.GetOptions} $0 "/ElevationAsked" $1
      ${If} ${Errors}
        ClearErrors
        ExecShell "runas" "$EXEPATH" "/ElevationAsked _?=$INSTDIR"
        ${IfNot} ${Errors}
          Quit
        ${EndIf}
      ${EndIf}
      MessageBox MB_OK|MB_ICONSTOP "Removing Velto for anyone using this computer needs administrator rights."
      SetErrorLevel ${EXIT_ELEVATION_REQUIRED}
      Quit
    ${EndIf}
  ${EndIf}
  Call un.WaitUntilVeltoClosed
FunctionEnd

Section "Uninstall"
  Call un.WaitUntilVeltoClosed
  ${If} $un.Mode == "AllUsers"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\Velto.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ; The entry goes only when it is this installation's own.
  Push $un.Mode
  Call un.InstalledFolder
  Pop $0
  ${If} $un.Mode == "AllUsers"
    ${If} $INSTDIR == "$PROGRAMFILES64\${COMPANY}\${PRODUCT}"
      RMDir "$PROGRAMFILES64\${COMPANY}"
    ${EndIf}
    ${If} $0 == $INSTDIR
      DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${EndIf}
  ${ElseIf} $0 == $INSTDIR
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
