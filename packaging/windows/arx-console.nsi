; The Windows installer of the console, built by makensis on the build machine
; (cmake/ArxInstaller.cmake). Defined on the command line: VERSION (the project's, x.y.z), PROGRAM
; (arx-console.exe), LICENSE, OUTFILE and, when the build is given the firmware, FIRMWARE_DIR.
;
; For all users into Program Files (as administrator) or for the current user into the user's
; programs folder: the installer asks, or /AllUsers or /CurrentUser on its command line; /S is
; silent. The user's preferences and sessions are the user's: the uninstaller leaves them.

; A 64-bit installer for the 64-bit program: it runs where the program runs.
Target amd64-unicode
SetCompressor /SOLID lzma

!define APP_NAME "Vantrel ARX Console"
!define APP_ID "com.vantrel.arxconsole"
!define PUBLISHER "Vantrel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_ID}"
!define SETTINGS_KEY "Software\Vantrel\ARX Console"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP_NAME}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${SETTINGS_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${SETTINGS_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
!include MUI2.nsh

Name "${APP_NAME}"
OutFile "${OUTFILE}"
BrandingText "${APP_NAME} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP_NAME} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\arx-console.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "!${APP_NAME}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=arx-console.exe" "${PROGRAM}"
  ; The firmware update looks for its files next to the program.
  !ifdef FIRMWARE_DIR
    File "${FIRMWARE_DIR}\arxarm.dat"
    File "${FIRMWARE_DIR}\arxfpga.dat"
    File /nonfatal "${FIRMWARE_DIR}\guitar_body.pt2"
  !endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\arx-console.exe"

  WriteRegStr SHCTX "${SETTINGS_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\arx-console.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The same value the tray menu's "Start at login" switches (the user's Run value).
Section "Start at login" SecStartAtLogin
  WriteRegStr HKCU "${RUN_KEY}" "${APP_ID}" '"$INSTDIR\arx-console.exe"'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The console and its Start menu entry."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartAtLogin} "Start the console, in the system tray, when you log in."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
  ; A running console keeps its file: ask it to end (it writes its sessions back on the way) and
  ; give it time, as a console that has just ended may hold its file a moment longer.
  nsExec::Exec 'taskkill /IM arx-console.exe'
  StrCpy $0 0
  retry:
    Delete "$INSTDIR\arx-console.exe"
    IfFileExists "$INSTDIR\arx-console.exe" 0 deleted
    IntOp $0 $0 + 1
    IntCmp $0 40 deleted
    Sleep 250
    Goto retry
  deleted:
  Delete "$INSTDIR\arxarm.dat"
  Delete "$INSTDIR\arxfpga.dat"
  Delete "$INSTDIR\guitar_body.pt2"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP_NAME}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${APP_ID}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "${SETTINGS_KEY}"
  DeleteRegKey /ifempty SHCTX "Software\Vantrel"
SectionEnd
