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
; start-up list). A silent install takes it with /WATCH. Another puts a
; shortcut on the user's desktop (/DESKTOP). The Finish page offers to start
; Bayhaul as the Start-menu shortcut starts it.
;
; The uninstaller keeps the user's settings and history unless its part
; "Remove my settings and history" is ticked (/REMOVESETTINGS when silent);
; received files, and the copies of files a press replaced, always stay.

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
; Where the shortcuts start Bayhaul: its settings.ini lives there.
!define SETTINGS_FOLDER "$APPDATA\Bayhaul"
; Bayhaul's state folder: the history of presses, and the press lock.
!define STATE_FOLDER "$LOCALAPPDATA\Bayhaul"

Name "Bayhaul"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS}\Bayhaul"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Bayhaul ${VERSION}"

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
; The description under the list, which then has the page's whole width for
; the parts' names.
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run Bayhaul"
!define MUI_FINISHPAGE_RUN_FUNCTION RunBayhaul
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The registry and shell folders both installer and uninstaller use.
!macro BAYHAUL_CONTEXT
  SetShellVarContext current
  !if "${ARCH}" == "x86_64"
    SetRegView 64
  !endif
!macroend


; Starts Bayhaul as its Start-menu shortcut does, in the settings folder.
Function RunBayhaul
  SetOutPath "${SETTINGS_FOLDER}"
  Exec '"$INSTDIR\Bayhaul.exe"'
FunctionEnd

Section "Bayhaul" PROGRAM_SECTION
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\Bayhaul.exe"
  File "${STAGE}\bayhaul-worker.exe"
  File "${STAGE}\TetherDll.dll"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; SetOutPath makes the folder and becomes the shortcut's "Start in".
  SetOutPath "${SETTINGS_FOLDER}"
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
  SetOutPath "${SETTINGS_FOLDER}"
  CreateShortCut "$SMSTARTUP\${WATCH_SHORTCUT_NAME}" "$INSTDIR\Bayhaul.exe" "--watch" "$INSTDIR\Bayhaul.exe" 0 \
    SW_SHOWMINIMIZED
  WriteRegStr HKLM "${UNINSTALL_KEY}" "StartupShortcut" "$SMSTARTUP\${WATCH_SHORTCUT_NAME}"
SectionEnd

Section /o "A shortcut on the desktop" DESKTOP_SECTION
  SetOutPath "${SETTINGS_FOLDER}"
  CreateShortCut "$DESKTOP\${SHORTCUT_NAME}" "$INSTDIR\Bayhaul.exe" "" "$INSTDIR\Bayhaul.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DesktopShortcut" "$DESKTOP\${SHORTCUT_NAME}"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  ; Two lines of the page's description box each.
  !insertmacro MUI_DESCRIPTION_TEXT ${PROGRAM_SECTION} "Bayhaul, its terminal library and a Start-menu shortcut."
  !insertmacro MUI_DESCRIPTION_TEXT ${WATCH_SECTION} \
    "Starts with Windows, minimized, and copies each terminal's file as it is docked."
  !insertmacro MUI_DESCRIPTION_TEXT ${DESKTOP_SECTION} "A Bayhaul shortcut on your desktop."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Options on the command line (with /S) take the parts they name.
!macro BAYHAUL_SELECT_ON_OPTION OPTION SECTION
  !ifdef __UNINSTALL__
    ${un.GetParameters} $0
    ClearErrors
    ${un.GetOptions} $0 "${OPTION}" $1
  !else
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "${OPTION}" $1
  !endif
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SECTION}
  ${EndIf}
!macroend

Function .onInit
  !insertmacro BAYHAUL_CONTEXT
  !insertmacro BAYHAUL_SELECT_ON_OPTION "/WATCH" ${WATCH_SECTION}
  !insertmacro BAYHAUL_SELECT_ON_OPTION "/DESKTOP" ${DESKTOP_SECTION}
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

Section "un.Bayhaul" UN_PROGRAM_SECTION
  SectionIn RO
  !insertmacro BAYHAUL_DELETE_RECORDED_SHORTCUT "StartMenuShortcut" "${SHORTCUT_NAME}"
  Delete "$SMPROGRAMS\${SHORTCUT_NAME}"
  !insertmacro BAYHAUL_DELETE_RECORDED_SHORTCUT "StartupShortcut" "${WATCH_SHORTCUT_NAME}"
  Delete "$SMSTARTUP\${WATCH_SHORTCUT_NAME}"
  !insertmacro BAYHAUL_DELETE_RECORDED_SHORTCUT "DesktopShortcut" "${SHORTCUT_NAME}"

  ; The files installed, one by one: never the folder's other contents.
  Delete "$INSTDIR\Bayhaul.exe"
  Delete "$INSTDIR\bayhaul-worker.exe"
  Delete "$INSTDIR\TetherDll.dll"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; Only the files Bayhaul writes for itself, each by name; the folders go only
; when nothing else is left in them.
Section /o "un.Remove my settings and history" UN_SETTINGS_SECTION
  Delete "${SETTINGS_FOLDER}\settings.ini"
  RMDir "${SETTINGS_FOLDER}"
  Delete "${STATE_FOLDER}\history.csv"
  Delete "${STATE_FOLDER}\press.lock"
  RMDir "${STATE_FOLDER}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UN_PROGRAM_SECTION} "Bayhaul, its terminal library and its shortcuts."
  !insertmacro MUI_DESCRIPTION_TEXT ${UN_SETTINGS_SECTION} \
    "Also deletes settings.ini and the history of presses. Received files stay."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  !insertmacro BAYHAUL_CONTEXT
  !insertmacro BAYHAUL_SELECT_ON_OPTION "/REMOVESETTINGS" ${UN_SETTINGS_SECTION}
FunctionEnd
