; Windows installer of the Vyk screen saver: puts VykSaver.scr in the Windows directory,
; makes it the current user's screen saver, maps its control.ini section to the user's
; registry on Windows Vista and later, and registers an uninstaller that undoes all three.
; Built by cmake/nsis-installer.cmake with makensis -DVYK_TARGET=... -DVYK_SAVER=...
; -DVYK_VERSION=... -DVYK_OUTFILE=...

Target "${VYK_TARGET}"

!include "LogicLib.nsh"
!include "WinVer.nsh"
!include "x64.nsh"
Name "Vyk Screen Saver"
OutFile "${VYK_OUTFILE}"
; The Windows directory is writable only by administrators.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
InstallDir "$WINDIR"

!define SAVER_PATH "$WINDIR\VykSaver.scr"
!define UNINSTALLER_PATH "$WINDIR\VykSaverUninstall.exe"
!define DESKTOP_KEY "Control Panel\Desktop"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VykScreenSaver"
!define MAPPING_KEY "Software\Microsoft\Windows NT\CurrentVersion\IniFileMapping\control.ini"
!define MAPPING_VALUE "Screen Saver.Vyk"
!define MAPPING_TARGET "USR:Control Panel\Screen Saver.Vyk"
!define SETTINGS_KEY "Control Panel\Screen Saver.Vyk"

; The saver's section of control.ini is sent to the user's own key, where the saver
; itself stores its settings on Vista and later, so that the profile functions of any
; program read the same values. The Windows 95 family has no mapping and NT 4 to XP
; keep control.ini as it always was. A 32-bit saver on 64-bit Windows reads the
; 32-bit view of HKLM, so both views carry the value.
!macro VykMapping command
  ${If} ${AtLeastWinVista}
    ${If} ${RunningX64}
      SetRegView 64
      ${command} HKLM "${MAPPING_KEY}" "${MAPPING_VALUE}" ${MAPPING_ARGUMENT}
      SetRegView 32
    ${EndIf}
    ${command} HKLM "${MAPPING_KEY}" "${MAPPING_VALUE}" ${MAPPING_ARGUMENT}
    SetRegView default
  ${EndIf}
!macroend

; Once the mapping is in place, the profile functions no longer see the section in
; control.ini, so settings a user chose before are carried into the user's key first,
; each only where the key does not hold it yet.
!macro VykCarrySetting name
  ReadRegStr $2 HKCU "${SETTINGS_KEY}" "${name}"
  ${If} $2 == ""
    ReadINIStr $1 "$WINDIR\control.ini" "${MAPPING_VALUE}" "${name}"
    ${If} $1 != ""
      WriteRegStr HKCU "${SETTINGS_KEY}" "${name}" "$1"
    ${EndIf}
  ${EndIf}
!macroend

; NamesSaver: $9 (a SCRNSAVE.EXE value) becomes 1 when it names this saver, else 0. Case
; and short (8.3) against long forms do not count: XP's Display settings store the short
; path. Call it while the saver's file still exists, which the long form needs.
Function un.NamesSaver
  Push $8
  Push $7
  ${If} $9 == ""
    StrCpy $9 0
  ${Else}
    System::Call 'kernel32::GetLongPathName(t r9, t .r8, i ${NSIS_MAX_STRLEN}) i .r7'
    ${If} $7 <> 0
      StrCpy $9 $8
    ${EndIf}
    System::Call 'kernel32::GetLongPathName(t "${SAVER_PATH}", t .r8, i ${NSIS_MAX_STRLEN}) i .r7'
    ${If} $7 == 0
      StrCpy $8 "${SAVER_PATH}"
    ${EndIf}
    ${If} $9 == $8
      StrCpy $9 1
    ${Else}
      StrCpy $9 0
    ${EndIf}
  ${EndIf}
  Pop $7
  Pop $8
FunctionEnd

VIProductVersion "${VYK_VERSION}"
VIAddVersionKey "ProductName" "Vyk Screen Saver"
VIAddVersionKey "FileDescription" "Vyk Screen Saver Setup"
VIAddVersionKey "FileVersion" "${VYK_VERSION}"
VIAddVersionKey "ProductVersion" "${VYK_VERSION}"
VIAddVersionKey "LegalCopyright" "The Vyk developers"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Vyk Screen Saver"
  SetOutPath "$WINDIR"
  File "/oname=VykSaver.scr" "${VYK_SAVER}"

  ; The screen saver chosen before is kept, so that uninstalling gives it back.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrCmp $0 "${SAVER_PATH}" +2
    WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver" "$0"
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "${SAVER_PATH}"

  ${If} ${AtLeastWinVista}
    !insertmacro VykCarrySetting RedrawSpeed
    !insertmacro VykCarrySetting Logos
    !insertmacro VykCarrySetting Linear
    !insertmacro VykCarrySetting Hardware
  ${EndIf}
  !define MAPPING_ARGUMENT '"${MAPPING_TARGET}"'
  !insertmacro VykMapping WriteRegStr
  !undef MAPPING_ARGUMENT

  WriteUninstaller "${UNINSTALLER_PATH}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vyk Screen Saver"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VYK_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "${SAVER_PATH}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Vyk developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"${UNINSTALLER_PATH}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"${UNINSTALLER_PATH}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; SCRNSAVE.EXE is touched only while it still names this saver; a screen saver the
  ; user chose since then stays.
  ReadRegStr $9 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call un.NamesSaver
  ${If} $9 == 1
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ${If} $1 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$1"
    ${EndIf}
  ${EndIf}

  ; A saver or preview still running keeps its file until Windows restarts.
  Delete /REBOOTOK "${SAVER_PATH}"
  ${If} ${RebootFlag}
    DetailPrint "VykSaver.scr is in use and will be removed when Windows restarts."
    MessageBox MB_OK|MB_ICONINFORMATION "VykSaver.scr is in use by a running screen saver. It will be removed when Windows restarts." /SD IDOK
    ; ERROR_SUCCESS_REBOOT_REQUIRED, the exit code by which installers ask for a restart.
    SetErrorLevel 3010
  ${EndIf}

  !define MAPPING_ARGUMENT ""
  !insertmacro VykMapping DeleteRegValue
  !undef MAPPING_ARGUMENT

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete /REBOOTOK "${UNINSTALLER_PATH}"
SectionEnd
