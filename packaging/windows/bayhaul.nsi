; Bayhaul's Windows installer, built by scripts/package-windows.sh with
; makensis. Defines it passes:
;   ARCH          i686 (the program that ships) or x86_64 (the test build)
;   VERSION       the package version, 1.1.2
;   FILE_VERSION  the four-part file version, 1.1.0.2
;   STAGE         the folder holding Bayhaul.exe, bayhaul-worker.exe and TetherDll.dll
;   ICON          the program's icon
;   OUTFILE       the installer to write
;
; The program goes to Program Files; the Start-menu shortcut starts it in the
; installing user's %APPDATA%\Bayhaul, made here, where settings.ini is always
; writable. Shortcut and folder are the installing user's own: all-users
; shortcuts would need an all-users folder, and %APPDATA% of the all-users
; context (ProgramData) is not writable by ordinary users. The uninstaller
; removes only the files it installed, so the user's settings and received
; files, and anything else in the program's folder, stay.
;
; An optional part starts "Bayhaul.exe --watch" at each log-on of the
; installing user, from a shortcut in the user's Start-up folder: it runs
; in the user's session with the user's settings, needs no rights beyond
; the user's, and the user sees it and can remove it (Task Manager's
; start-up list). A silent install takes it with /WATCH.

!ifndef ARCH | VERSION | FILE_VERSION | STAGE | ICON | OUTFILE
  !error "makensis needs /DARCH, /DVERSION, /DFILE_VERSION, /DSTAGE, /DICON and /DOUTFILE"
!endif

!if "${ARCH}" == "x86_64"
  Target amd64-unicode
  !define PROGRAMS "$PROGRAMFILES64"
!else if "${ARCH}" == "i686"
  Target x86-unicode
  !define PROGRAMS "$PROGRAMFILES"
!else
  !error "ARCH must be i686 or x86_64, not ${ARCH}"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Bayhaul"
!define SHORTCUT_NAME "Bayhaul.lnk"
!define WATCH_SHORTCUT_NAME "Bayhaul collects terminals.lnk"

Name "Bayhaul"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS}\Bayhaul"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true

VIProductVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "Bayhaul"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${FILE_VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Bayhaul ${VERSION} Setup"
VIAddVersionKey /LANG=0 "LegalCopyright" ""

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The registry and shell folders both installer and uninstaller use.
!macro BAYHAUL_CONTEXT
  SetShellVarContext current
  !if "${ARCH}" == "x86_64"
    SetRegView 64
  !endif
!macroend


Function un.onInit
  !insertmacro BAYHAUL_CONTEXT
FunctionEnd

Section "Bayhaul" PROGRAM_SECTION
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\Bayhaul.exe"
  File "${STAGE}\bayhaul-worker.exe"
  File "${STAGE}\TetherDll.dll"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; SetOutPath makes the folder and becomes the shortcut's "Start in".
  SetOutPath "$APPDATA\Bayhaul"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT_NAME}" "$INSTDIR\Bayhaul.exe" "" "$INSTDIR\Bayhaul.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Bayhaul"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Bayhaul.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; The shortcut sits in the installing user's menu; another administrator
  ; who uninstalls finds it here.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "StartMenuShortcut" "$SMPROGRAMS\${SHORTCUT_NAME}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Collect terminals as they are docked (starts at log-on)" WATCH_SECTION
  SetOutPath "$APPDATA\Bayhaul"
  CreateShortCut "$SMSTARTUP\${WATCH_SHORTCUT_NAME}" "$INSTDIR\Bayhaul.exe" "--watch" "$INSTDIR\Bayhaul.exe" 0 \
    SW_SHOWMINIMIZED
  WriteRegStr HKLM "${UNINSTALL_KEY}" "StartupShortcut" "$SMSTARTUP\${WATCH_SHORTCUT_NAME}"
SectionEnd

Function .onInit
  !insertmacro BAYHAUL_CONTEXT
  ; /WATCH on the command line (for /S) takes the start at log-on.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/WATCH" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${WATCH_SECTION}
  ${EndIf}
FunctionEnd

; Deletes the shortcut the registry value names, only when its name is NAME,
; whatever else the registry holds.
!macro BAYHAUL_DELETE_RECORDED_SHORTCUT VALUE NAME
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "${VALUE}"
  StrLen $1 "\${NAME}"
  IntOp $1 0 - $1
  StrCpy $2 $0 "" $1
  ${If} $2 == "\${NAME}"
    Delete "$0"
  ${EndIf}
!macroend

Section "Uninstall"
  !insertmacro BAYHAUL_DELETE_RECORDED_SHORTCUT "StartMenuShortcut" "${SHORTCUT_NAME}"
  Delete "$SMPROGRAMS\${SHORTCUT_NAME}"
  !insertmacro BAYHAUL_DELETE_RECORDED_SHORTCUT "StartupShortcut" "${WATCH_SHORTCUT_NAME}"
  Delete "$SMSTARTUP\${WATCH_SHORTCUT_NAME}"

  ; The files installed, one by one: never the folder's other contents.
  Delete "$INSTDIR\Bayhaul.exe"
  Delete "$INSTDIR\bayhaul-worker.exe"
  Delete "$INSTDIR\TetherDll.dll"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
