; Windows installer of the Vyk screen saver. What belongs to the machine (VykSaver.scr in the
; Windows directory, the control.ini mapping of Vista and later, the uninstaller and its entry
; under HKLM) is written by an elevated run of the installer itself (/MACHINE); what belongs
; to the user (the chosen screen saver and the carried-over settings) is written by the run
; the user started, in that user's own profile, not in the profile of the account that
; approved the elevation. The uninstaller undoes both, for every user signed in. Either
; ends with the exit code of its outcome (OUTCOME_ below) and tells the user that outcome,
; the elevated run's included, which it hands back through its own exit code.
; Built by cmake/nsis-installer.cmake with makensis -DVYK_TARGET=... -DVYK_SAVER=...
; -DVYK_LICENSE=... -DVYK_VERSION=... -DVYK_CARRIED_SETTINGS=... -DVYK_OUTFILE=...

Target "${VYK_TARGET}"

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinVer.nsh"
!include "WinMessages.nsh"
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

; How the machine's part ended, and the exit code of the run that reports it.
!define OUTCOME_DONE 0
; The administrator's approval was refused: nothing was done.
!define OUTCOME_REFUSED 2
; VykSaver.scr in the Windows directory is held open by a running saver, its preview or its
; settings, so it could not be replaced.
!define OUTCOME_IN_USE 3
; The machine's part failed otherwise: the saver could not be written, or the elevated run
; could not be started or ended with a code that is no outcome of it.
!define OUTCOME_FAILED 4
; A limited user of 2000 or XP, which have no elevation.
!define OUTCOME_NOT_ADMIN 5
; Removed, VykSaver.scr only when Windows restarts: ERROR_SUCCESS_REBOOT_REQUIRED, the exit
; code by which installers ask for a restart.
!define OUTCOME_REBOOT 3010
!define ERROR_SHARING_VIOLATION 32
!define ERROR_LOCK_VIOLATION 33
; ShellExecuteEx's error when the approval was refused.
!define ERROR_CANCELLED 1223

Var machinePart  ; "1" in the elevated run that does the machine's part
Var elevation    ; "none": this run does the machine's part itself; "ask": an elevated copy does it;
                 ; "refused": as "ask", with the approval refused (see ElevationWay)
Var outcome      ; how the machine's part ended: one of the OUTCOME_ codes, or another exit code of the elevated run
Var failure      ; for OUTCOME_FAILED, the cause when it is not the saver's copy

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
; VykCarrySettings: VykCarrySetting for every setting of the saver, listed by the build from
; the saver's own list of its settings.
!include "${VYK_CARRIED_SETTINGS}"

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
  ${EndIf}
!macroend

; ElevationWay: sets $elevation for a run that is not the elevated one. An administrator's run
; (XP, or one already elevated) does the machine's part itself; a standard user of Vista and
; later has an elevated copy do it, and stays the user. Wine runs every program as an
; administrator, so the release check takes the standard user's way by setting the
; environment variable VYK_SETUP_ELEVATION to "ask", or to "refused" for an approval refused,
; which Wine never asks for.
!macro VykElevationWay prefix
Function ${prefix}ElevationWay
  ReadEnvStr $elevation VYK_SETUP_ELEVATION
  ${If} $elevation != "ask"
  ${AndIf} $elevation != "refused"
    UserInfo::GetAccountType
    Pop $elevation
    ${If} $elevation == "Admin"
      StrCpy $elevation "none"
    ${Else}
      StrCpy $elevation "ask"
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro VykElevationWay ""
!insertmacro VykElevationWay "un."

; RunElevated: runs this program again with the arguments $0, elevated (Windows asks for an
; administrator's approval), and waits for it to end. $outcome becomes its exit code, or
; OUTCOME_REFUSED when the approval was refused, or OUTCOME_FAILED (with $failure) when it
; could not be started or followed, or ended with OUTCOME_REFUSED, which only the refusal
; itself may mean. The outcome travels as the elevated process's own exit code, read
; through the process handle that ShellExecuteEx hands back: an administrator who approves
; with their own account runs that copy in their own profile, where no folder of the user's
; is sure to be writable, and a file or a registry value it left behind could be an earlier
; run's.
!macro VykRunElevated prefix
Function ${prefix}RunElevated
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $outcome ${OUTCOME_REFUSED}
  ${If} $elevation != "refused"
    ; SHELLEXECUTEINFO, with SEE_MASK_NOCLOSEPROCESS (0x40), which hands the process back,
    ; and SEE_MASK_NOASYNC (0x100).
    System::Call '*(&l4, i 0x140, p $HWNDPARENT, t "runas", t "$EXEPATH", t r0, p 0, i ${SW_SHOWNORMAL}, p 0, p 0, p 0, p 0, i 0, p 0, p 0) p .r1'
    System::Call 'shell32::ShellExecuteEx(p r1) i .r2 ?e'
    Pop $3
    System::Call '*$1(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r4)'
    System::Free $1
    ${If} $2 = 0
      ${If} $3 <> ${ERROR_CANCELLED}
        StrCpy $outcome ${OUTCOME_FAILED}
        StrCpy $failure "the administrator's part could not be started (error $3)."
      ${EndIf}
    ${Else}
      StrCpy $2 0
      ${If} $4 P<> 0
        System::Call 'kernel32::WaitForSingleObject(p r4, i -1) i'
        System::Call 'kernel32::GetExitCodeProcess(p r4, *i .r3) i .r2'
        System::Call 'kernel32::CloseHandle(p r4) i'
      ${EndIf}
      StrCpy $outcome $3
      ${If} $2 = 0
        StrCpy $outcome ${OUTCOME_FAILED}
        StrCpy $failure "the outcome of the administrator's part could not be read."
      ${ElseIf} $3 = ${OUTCOME_REFUSED}
        StrCpy $outcome ${OUTCOME_FAILED}
        StrCpy $failure "the administrator's part ended with code $3."
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro VykRunElevated ""
!insertmacro VykRunElevated "un."

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
      SetErrorLevel ${OUTCOME_NOT_ADMIN}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; SaverHeld: $outcome becomes OUTCOME_IN_USE when another process holds VykSaver.scr open
; (a saver runs from it, or its preview or settings), which Windows refuses writing with a
; sharing violation, else OUTCOME_FAILED.
Function SaverHeld
  Push $1
  Push $2
  System::Call 'kernel32::CreateFile(t "${SAVER_PATH}", i 0x40000000, i 7, p 0, i 3, i 0, p 0) p .r1 ?e'
  Pop $2
  ${If} $1 <> -1
    System::Call 'kernel32::CloseHandle(p r1) i'
  ${EndIf}
  ${If} $2 = ${ERROR_SHARING_VIOLATION}
  ${OrIf} $2 = ${ERROR_LOCK_VIOLATION}
    StrCpy $outcome ${OUTCOME_IN_USE}
  ${Else}
    StrCpy $outcome ${OUTCOME_FAILED}
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd

; InstallForMachine: the machine's part; $outcome says how it ended.
Function InstallForMachine
  SetOutPath "$WINDIR"
  ; A file that cannot be written is reported by its cause, never answered by Abort, Retry or Ignore.
  SetOverwrite try
  ClearErrors
  File "/oname=VykSaver.scr" "${VYK_SAVER}"
  ${If} ${Errors}
    Call SaverHeld
    Return
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
  StrCpy $outcome ${OUTCOME_DONE}
FunctionEnd

; ReportInstall: tells the user why the machine's part was not done, if it was not, and then
; ends the installer with the exit code of that outcome.
Function ReportInstall
  ${Select} $outcome
  ${Case} ${OUTCOME_DONE}
    Return
  ${Case} ${OUTCOME_REFUSED}
    StrCpy $1 "an administrator must approve the installation."
  ${Case} ${OUTCOME_IN_USE}
    StrCpy $1 "VykSaver.scr in $WINDIR is in use. Close the Screen Saver settings and any running screen saver, then run the installer again."
  ${Case} ${OUTCOME_FAILED}
    StrCpy $1 "$failure"
    ${If} $1 == ""
      StrCpy $1 "VykSaver.scr could not be written into $WINDIR."
    ${EndIf}
  ${CaseElse}
    StrCpy $1 "the administrator's part ended with code $outcome."
    StrCpy $outcome ${OUTCOME_FAILED}
  ${EndSelect}
  StrCpy $1 "Vyk Screen Saver was not installed: $1"
  DetailPrint "$1"
  MessageBox MB_OK|MB_ICONSTOP "$1" /SD IDOK
  SetErrorLevel $outcome
  Quit
FunctionEnd

Section "Vyk Screen Saver"
  ${If} $machinePart == 1
    Call InstallForMachine
    SetErrorLevel $outcome
    Return
  ${EndIf}

  ; Carried over before the machine's part maps the section away from control.ini.
  ${If} ${AtLeastWinVista}
    StrCpy $3 "$WINDIR" "" 2
    StrCpy $3 "$LOCALAPPDATA\VirtualStore$3\control.ini"
    !insertmacro VykCarrySettings
  ${EndIf}

  Call ElevationWay
  ${If} $elevation == "none"
    Call InstallForMachine
  ${Else}
    StrCpy $0 "/S /MACHINE"
    Call RunElevated
  ${EndIf}
  Call ReportInstall

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
  StrCpy $outcome ${OUTCOME_DONE}
  ClearErrors
  Delete /REBOOTOK "${SAVER_PATH}"
  ${If} ${RebootFlag}
    StrCpy $outcome ${OUTCOME_REBOOT}
  ${EndIf}

  !define MAPPING_ARGUMENT ""
  !insertmacro VykMapping DeleteRegValue
  !undef MAPPING_ARGUMENT

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete /REBOOTOK "${UNINSTALLER_PATH}"
FunctionEnd

; ReportRemoval: tells the user how the machine's part of the removal ended, unless it was
; done in full, and ends the uninstaller with the exit code of that outcome.
Function un.ReportRemoval
  ${Select} $outcome
  ${Case} ${OUTCOME_DONE}
    Return
  ${Case} ${OUTCOME_REBOOT}
    StrCpy $1 "VykSaver.scr is in use by a running screen saver. It will be removed when Windows restarts."
    DetailPrint "$1"
    MessageBox MB_OK|MB_ICONINFORMATION "$1" /SD IDOK
    SetErrorLevel $outcome
    Return
  ${Case} ${OUTCOME_REFUSED}
    StrCpy $1 "an administrator must approve the removal."
  ${Case} ${OUTCOME_FAILED}
    StrCpy $1 "$failure"
    ${If} $1 == ""
      StrCpy $1 "the administrator's part ended with code $outcome."
    ${EndIf}
  ${CaseElse}
    StrCpy $1 "the administrator's part ended with code $outcome."
    StrCpy $outcome ${OUTCOME_FAILED}
  ${EndSelect}
  StrCpy $1 "Vyk Screen Saver was not removed: $1"
  DetailPrint "$1"
  MessageBox MB_OK|MB_ICONSTOP "$1" /SD IDOK
  SetErrorLevel $outcome
  Quit
FunctionEnd

Section "Uninstall"
  ${If} $machinePart == 1
    Call un.UninstallForMachine
    SetErrorLevel $outcome
    Return
  ${EndIf}
  Call un.ElevationWay
  ${If} $elevation == "none"
    Call un.UninstallForMachine
  ${Else}
    StrCpy $0 "/S /MACHINE _?=$INSTDIR"
    Call un.RunElevated
  ${EndIf}
  Call un.ReportRemoval
SectionEnd
