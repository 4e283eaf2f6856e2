; Windows installer of the Vyk screen saver. What belongs to the machine (VykSaver.scr in the
; Windows directory, the control.ini mapping of Vista and later, the uninstaller and its entry
; under HKLM) is written by an elevated run of the installer itself (/MACHINE); what belongs
; to the user (the chosen screen saver and the carried-over settings) is written by the run
; the user started, in that user's own profile, not in the profile of the account that
; approved the elevation. The uninstaller undoes both, for every user signed in.
; Built by cmake/nsis-installer.cmake with makensis -DVYK_TARGET=... -DVYK_SAVER=...
; -DVYK_LICENSE=... -DVYK_VERSION=... -DVYK_OUTFILE=...

Target "${VYK_TARGET}"

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinVer.nsh"
!include "x64.nsh"
Name "Vyk Screen Saver"
OutFile "${VYK_OUTFILE}"
; The run the user starts stays theirs; only the machine's part asks for elevation.
RequestExecutionLevel user
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
; Per user: the screen saver chosen before Vyk, given back by the uninstaller.
!define USER_KEY "Software\Vyk Screen Saver"
; SystemParametersInfo's SPI_SETSCREENSAVEACTIVE, stored and announced to running programs.
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3

Var machinePart  ; "1" in the elevated run that does the machine's part
Var machineToken ; in that run, the word its parent gave it to leave behind once the machine's part is done

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
; each only where the key does not hold it yet. An older Vyk run by a standard user of
; Vista or later wrote its settings into the user's VirtualStore copy of control.ini,
; which therefore comes first.
!macro VykCarrySetting name
  ReadRegStr $2 HKCU "${SETTINGS_KEY}" "${name}"
  ${If} $2 == ""
    ReadINIStr $1 "$3" "${MAPPING_VALUE}" "${name}"
    ${If} $1 == ""
      ReadINIStr $1 "$WINDIR\control.ini" "${MAPPING_VALUE}" "${name}"
    ${EndIf}
    ${If} $1 != ""
      WriteRegStr HKCU "${SETTINGS_KEY}" "${name}" "$1"
    ${EndIf}
  ${EndIf}
!macroend

; NamesSaver: $9 (a SCRNSAVE.EXE value) becomes 1 when it names this saver, else 0. Case
; and short (8.3) against long forms do not count: XP's Display settings store the short
; path. Call it while the saver's file still exists, which the long form needs.
!macro VykNamesSaver prefix
Function ${prefix}NamesSaver
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
!macroend
!insertmacro VykNamesSaver ""
!insertmacro VykNamesSaver "un."

; The elevated run: nothing of any user's profile is touched here.
!macro VykElevatedArguments out
  ${GetParameters} ${out}
  ClearErrors
  ${GetOptions} ${out} "/MACHINE" ${out}
  ${IfNot} ${Errors}
    StrCpy $machinePart 1
    ; "/MACHINE=word" gives "=word".
    StrCpy $machineToken ${out} "" 1
  ${EndIf}
!macroend

VIProductVersion "${VYK_VERSION}"
VIAddVersionKey "ProductName" "Vyk Screen Saver"
VIAddVersionKey "FileDescription" "Vyk Screen Saver Setup"
VIAddVersionKey "FileVersion" "${VYK_VERSION}"
VIAddVersionKey "ProductVersion" "${VYK_VERSION}"
VIAddVersionKey "LegalCopyright" "The Vyk developers"

; The licence (MIT) is shown before anything is installed; a silent run, the elevated copy's
; among them, shows no page.
LicenseData "${VYK_LICENSE}"
Page license
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Windows 2000 and XP have no elevation: a limited user cannot install for the machine at
; all, and is told so before anything is written.
Function .onInit
  !insertmacro VykElevatedArguments $0
  ${If} $machinePart != 1
  ${AndIfNot} ${AtLeastWinVista}
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Vyk Screen Saver can only be installed by an administrator. Log on as an administrator, or ask one to install it for you." /SD IDOK
      SetErrorLevel 5
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function InstallForMachine
  SetOutPath "$WINDIR"
  ; A file that cannot be written is reported below, never answered by Abort, Retry or Ignore.
  SetOverwrite try
  ClearErrors
  File "/oname=VykSaver.scr" "${VYK_SAVER}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "VykSaver.scr could not be copied into $WINDIR. Close the screen saver and its settings, then run the installer again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  !define MAPPING_ARGUMENT '"${MAPPING_TARGET}"'
  !insertmacro VykMapping WriteRegStr
  !undef MAPPING_ARGUMENT

  WriteUninstaller "${UNINSTALLER_PATH}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vyk Screen Saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VYK_VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${SAVER_PATH}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Vyk developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${UNINSTALLER_PATH}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${UNINSTALLER_PATH}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; Written last: its parent knows from it that the machine's part was done by this run.
  ${If} $machineToken != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "SetupToken" "$machineToken"
  ${EndIf}
FunctionEnd

Section "Vyk Screen Saver"
  ${If} $machinePart == 1
    Call InstallForMachine
    Return
  ${EndIf}

  ; Carried over before the machine's part maps the section away from control.ini.
  ${If} ${AtLeastWinVista}
    StrCpy $3 "$WINDIR" "" 2
    StrCpy $3 "$LOCALAPPDATA\VirtualStore$3\control.ini"
    !insertmacro VykCarrySetting RedrawSpeed
    !insertmacro VykCarrySetting Logos
    !insertmacro VykCarrySetting Linear
    !insertmacro VykCarrySetting Hardware
  ${EndIf}

  ; An administrator's run (XP, or one already elevated) does the machine's part itself;
  ; a standard user of Vista and later has it done by an elevated copy, and stays the user.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Call InstallForMachine
  ${Else}
    ; The elevated copy's exit code does not come back through the shell, and an older
    ; Vyk's file may already be there; the word it leaves in the machine's uninstall entry
    ; is what says it ran to the end, not refused, cancelled or failed.
    System::Call 'kernel32::GetTickCount() i .r5'
    ExecShellWait "runas" "$EXEPATH" "/S /MACHINE=vyk$5"
    ReadRegStr $6 HKLM "${UNINSTALL_KEY}" "SetupToken"
    ${If} $6 != "vyk$5"
      MessageBox MB_OK|MB_ICONSTOP "Vyk Screen Saver was not installed: an administrator must approve the installation." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}

  ; As right-click Install on a .scr does: the user's own SCRNSAVE.EXE names the saver, and
  ; the screen saver is switched on and announced. The screen saver chosen before is kept
  ; in the user's profile, so that uninstalling gives it back.
  ReadRegStr $9 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrCpy $0 $9
  Call NamesSaver
  ${If} $9 != 1
    WriteRegStr HKCU "${USER_KEY}" "PreviousScreenSaver" "$0"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "${SAVER_PATH}"
  System::Call 'user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, i 0, i ${SPIF_UPDATE_AND_SEND}) i .r1'
SectionEnd

Function un.onInit
  !insertmacro VykElevatedArguments $0
FunctionEnd

; RestoreSaver: the user whose hive is $R1 under HKEY_USERS gets back the screen saver
; chosen before Vyk, or none, where SCRNSAVE.EXE still names Vyk; a screen saver chosen
; since then stays.
Function un.RestoreSaver
  ReadRegStr $9 HKU "$R1\${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call un.NamesSaver
  ${If} $9 == 1
    ReadRegStr $0 HKU "$R1\${USER_KEY}" "PreviousScreenSaver"
    ${If} $0 == ""
      DeleteRegValue HKU "$R1\${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKU "$R1\${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKU "$R1\${USER_KEY}"
FunctionEnd

; Every user signed in has a hive under HKEY_USERS, the one uninstalling among them. Users
; not signed in keep a SCRNSAVE.EXE that names a missing file, which Windows treats as no
; screen saver.
Function un.UninstallForMachine
  StrCpy $R0 0
  ${Do}
    EnumRegKey $R1 HKU "" $R0
    ${If} $R1 == ""
      ${Break}
    ${EndIf}
    Call un.RestoreSaver
    IntOp $R0 $R0 + 1
  ${Loop}

  ; A saver or preview still running keeps its file until Windows restarts.
  ClearErrors
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

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete /REBOOTOK "${UNINSTALLER_PATH}"
FunctionEnd

Section "Uninstall"
  UserInfo::GetAccountType
  Pop $0
  ${If} $machinePart == 1
  ${OrIf} $0 == "Admin"
    Call un.UninstallForMachine
  ${Else}
    ExecShellWait "runas" "$EXEPATH" "/S /MACHINE _?=$INSTDIR"
    ; The elevated copy removes the machine's uninstall entry last; while it stays, the
    ; removal was refused, cancelled or failed.
    ReadRegStr $6 HKLM "${UNINSTALL_KEY}" "DisplayName"
    ${If} $6 != ""
      MessageBox MB_OK|MB_ICONSTOP "Vyk Screen Saver was not removed: an administrator must approve the removal." /SD IDOK
      SetErrorLevel 2
    ${EndIf}
  ${EndIf}
SectionEnd
