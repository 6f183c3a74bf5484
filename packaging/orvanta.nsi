; The Orvanta installer: for the current user or for all users, a Start-menu shortcut, the help
; document beside the program, and an uninstaller registered with Windows.
;
; Built by the CMake target "packages" (scripts/package), which defines VERSION, VERSION_QUAD,
; DESCRIPTION, PROGRAM, HELP, NOTICES, ICON and OUTFILE.
;
; Command line: /S runs silently. Silent or not, the default is an installation for all users in
; Program Files when the account has administrator rights, else one for the current user in
; %LOCALAPPDATA%\Programs; /AllUsers or /CurrentUser choose. The uninstaller keeps the user's
; settings when it runs silently, unless it is given /RemoveSettings.

Target amd64-unicode ; 64-bit like the program; a 32-bit setup would need a 32-bit Wine to test
SetCompressor /SOLID lzma
SetDateSave off ; installed files get the time of installation; the setup file stays reproducible
ManifestDPIAware true

!define PRODUCT "Orvanta"
!define PUBLISHER "The Orvanta developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The program's names for its own things (its text table holds the same values).
!define MUTEX_NAME "Orvanta" ; the single-copy guard
!define MAIN_CLASS "OrvantaMain" ; the hidden main window
!define CMD_QUIT 14 ; the tray menu's Quit command
!define PREFS_NAME "Orvanta.ini"
!define POLICY_NAME "OrvantaPolicy.ini"
!define HELP_NAME "Orvanta-Help.html"
!define NOTICES_NAME "Third-Party-Notices.txt"

!define TEXT_RUNNING "${PRODUCT} is running. Choose OK to close it and continue, or Cancel to stop."
!define TEXT_NOT_CLOSED "${PRODUCT} did not close. Quit it from its tray menu and try again."
!define TEXT_KEEP_SETTINGS "Keep your ${PRODUCT} settings for a later installation?"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
; An earlier installation's folder and scope are found again through its uninstall entry.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running copy keeps its program file open and would write its settings and autostart value
; after we are done. It is asked to quit as through its tray menu, which saves both, and we
; wait for its single-copy guard to go away. Silent runs close it without asking.
!macro DEFINE_CLOSE_RUNNING_COPY PREFIX
Function ${PREFIX}CloseRunningCopy
  Push $0
  Push $1
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX_NAME}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "${TEXT_RUNNING}" /SD IDOK IDOK close
    DetailPrint "${PRODUCT} is still running; nothing was changed."
    SetErrorLevel 3
    Abort
  close:
    DetailPrint "Closing the running ${PRODUCT}"
    FindWindow $1 "${MAIN_CLASS}" "${PRODUCT}"
    ${If} $1 P<> 0
      System::Call 'user32::PostMessageW(p r1, i ${WM_COMMAND}, p ${CMD_QUIT}, p 0)'
    ${EndIf}
    StrCpy $1 0
    ${Do}
      Sleep 100
      IntOp $1 $1 + 1
      System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX_NAME}") p .r0'
      ${If} $0 P= 0
        ${Break}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r0)'
      ${If} $1 >= 150
        MessageBox MB_OK|MB_ICONSTOP "${TEXT_NOT_CLOSED}" /SD IDOK
        DetailPrint "${PRODUCT} did not close; nothing was changed."
        SetErrorLevel 3
        Abort
      ${EndIf}
    ${Loop}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING_COPY ""
!insertmacro DEFINE_CLOSE_RUNNING_COPY "un."

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Section "${PRODUCT}"
  SectionIn RO
  Call CloseRunningCopy

  SetOutPath "$INSTDIR"
  File "/oname=orvanta.exe" "${PROGRAM}"
  File "/oname=${HELP_NAME}" "${HELP}"
  File "/oname=${NOTICES_NAME}" "${NOTICES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; $SMPROGRAMS is the current user's or everybody's Start menu, after the installation scope.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\orvanta.exe" "" "$INSTDIR\orvanta.exe" 0 \
      SW_SHOWNORMAL "" "${DESCRIPTION}"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvanta.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
      '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
      '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; The autostart value goes only when it starts this copy: a portable copy's stays.
Function un.RemoveAutostart
  ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
  StrCpy $1 $0 1
  ${If} $1 == '"'
    StrCpy $0 $0 "" 1
    StrCpy $0 $0 -1
  ${EndIf}
  ${If} $0 == "$INSTDIR\orvanta.exe" ; compared without regard to case, as Windows does
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    DetailPrint "Removed the autostart value"
  ${EndIf}
FunctionEnd

; The program keeps its settings beside itself when it may write there, else in the user's
; application-data folder, and reads the newer of the two (the one beside it on a tie, compared
; to the second). Kept settings end up in the user's folder, where a later installation finds
; them; removed settings go from both places.
Function un.KeepOrRemoveSettings
  SetShellVarContext current
  StrCpy $R0 "$INSTDIR\${PREFS_NAME}"
  StrCpy $R1 "$APPDATA\${PRODUCT}"
  StrCpy $R2 "$R1\${PREFS_NAME}"
  ${If} ${FileExists} $R0
  ${OrIf} ${FileExists} $R2
    StrCpy $R3 keep
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/RemoveSettings" $1
    ${IfNot} ${Errors}
      StrCpy $R3 remove
    ${Else}
      MessageBox MB_YESNO|MB_ICONQUESTION "${TEXT_KEEP_SETTINGS}" /SD IDYES IDYES +2
      StrCpy $R3 remove
    ${EndIf}

    ${If} $R3 == remove
      Delete $R0
      Delete $R2
      RMDir $R1
      DetailPrint "Removed the settings"
    ${ElseIf} ${FileExists} $R0
      StrCpy $2 1 ; the copy beside the program moves unless the user's is newer by a second
      ${If} ${FileExists} $R2
        Push $R0
        Call un.FileSeconds
        Pop $3
        Push $R2
        Call un.FileSeconds
        Pop $5
        System::Int64Op $3 < $5
        Pop $2
        IntOp $2 $2 !
      ${EndIf}
      ${If} $2 = 1
        CreateDirectory $R1
        CopyFiles /SILENT $R0 $R2
      ${EndIf}
      Delete $R0
      DetailPrint "Kept the settings in $R2"
    ${EndIf}
  ${EndIf}
  ${If} $MultiUser.InstallMode == "AllUsers"
    SetShellVarContext all
  ${EndIf}
FunctionEnd

; The last-write time of the file named on the stack, in whole seconds.
Function un.FileSeconds
  Exch $0
  Push $1
  GetFileTime $0 $0 $1
  System::Int64Op $1 & 0xFFFFFFFF ; both halves as unsigned numbers
  Pop $1
  System::Int64Op $0 & 0xFFFFFFFF
  Pop $0
  System::Int64Op $0 << 32
  Pop $0
  System::Int64Op $0 | $1
  Pop $0
  System::Int64Op $0 / 10000000
  Pop $0
  Pop $1
  Exch $0
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCopy
  Call un.RemoveAutostart
  Call un.KeepOrRemoveSettings

  Delete "$INSTDIR\orvanta.exe"
  Delete "$INSTDIR\${HELP_NAME}"
  Delete "$INSTDIR\${NOTICES_NAME}"
  Delete "$INSTDIR\${POLICY_NAME}"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
