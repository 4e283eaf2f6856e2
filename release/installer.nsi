; Windows installer of the Vyk screen saver: puts VykSaver.scr in the Windows directory,
; makes it the current user's screen saver and registers an uninstaller that undoes both.
; Built by cmake/nsis-installer.cmake with makensis -DVYK_TARGET=... -DVYK_SAVER=...
; -DVYK_VERSION=... -DVYK_OUTFILE=...

Target "${VYK_TARGET}"
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
  Delete "${SAVER_PATH}"

  ; SCRNSAVE.EXE is touched only while it still names this saver; a screen saver the
  ; user chose since then stays.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrCmp $0 "${SAVER_PATH}" 0 desktop_done
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver"
    StrCmp $1 "" 0 +3
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
      Goto desktop_done
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$1"
  desktop_done:

  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "${UNINSTALLER_PATH}"
SectionEnd
