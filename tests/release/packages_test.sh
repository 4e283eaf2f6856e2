#!/usr/bin/env bash
# Makes the release packages into a scratch folder and checks what the ZIP holds. Only the
# 32-bit build makes packages, the one saver for every Windows; the 64-bit build, which no
# 64-bit Windows draws with, makes none. The 32-bit build also makes the one installer: it is installed and
# uninstalled under the (64-bit) Wine prefix, and the Windows directory, the registry, the
# exit codes and the messages the user is shown are checked. Wine runs every program as an
# administrator and approves every elevation, so a standard user's way (an elevated copy of
# the installer does the machine's part) is taken through VYK_SETUP_ELEVATION=ask, a refused
# approval through VYK_SETUP_ELEVATION=refused, the elevated copy alone through its own switch
# (/MACHINE), and other users signed in through hives added under HKEY_USERS. Exit codes are
# read through STARTER (e2e_exit_code), which passes on the whole code (3010, not 3010 modulo
# 256) as Wine keeps it for the process.
# Usage: packages_test.sh BUILD_DIR SAVER CPACK CMAKE [STARTER]
set -u
build=$1 saver=$2 cpack=$3 cmake=$4 starter=${5:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../harness/wine-env.sh" "$build" || exit 1

failures=0
pass() { printf 'ok   %s\n' "$1"; }
fail() { printf 'FAIL %s: %s\n' "$1" "$2"; failures=$((failures + 1)); }

work=$(mktemp -d)
# A run that stops half-way must not leave the mapping behind: it would send every other
# test's control.ini to the registry.
trap 'chattr -i "$installed" 2>/dev/null; rm -rf "$work"; wine reg delete "$mapping_key" /v "Screen Saver.Vyk" /f /reg:64 >/dev/null 2>&1;
  wine reg delete "$mapping_key" /v "Screen Saver.Vyk" /f /reg:32 >/dev/null 2>&1' EXIT

windir="$WINEPREFIX/drive_c/windows"
installed="$windir/VykSaver.scr"
uninstaller="$windir/VykSaverUninstall.exe"
desktop='HKCU\Control Panel\Desktop'
# The 32-bit installer's uninstall entry lives in the 32-bit view of HKLM.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VykScreenSaver'
user_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VykScreenSaver'
user_key='HKCU\Software\Vyk Screen Saver'
# Another user signed in, whose hive sits beside the current user's.
other_user='HKU\S-1-5-21-0-0-0-1001'

# Prints the data of one registry value, or nothing when the value is absent; the uninstall
# entry is read in the 32-bit view.
reg_value() {
  local view=
  [ "$1" = "$uninstall_key" ] && view=/reg:32
  wine reg query "$1" /v "$2" $view 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]+/, ""); print; exit }'
}

# Waits up to 60 s (times the slowdown) for the uninstaller, which reruns itself from a
# temporary copy and so returns before the work is done, to have removed the saver, its own
# file and its entry.
wait_uninstalled() {
  local i
  for i in $(seq $((120 * ${VYK_SLOWDOWN:-1}))); do
    [ ! -e "$installed" ] && [ ! -e "$uninstaller" ] && [ -z "$(reg_value "$uninstall_key" DisplayName)" ] && return 0
    sleep 0.5
  done
  return 1
}

# The IniFileMapping value in one view of HKLM (32 or 64): nothing when it is absent.
mapping_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\IniFileMapping\control.ini'
mapping_in_view() {
  wine reg query "$mapping_key" /v "Screen Saver.Vyk" "/reg:$1" 2>/dev/null | tr -d '\r' |
    awk '$1 " " $2 == "Screen Saver.Vyk" { sub(/^.*REG_SZ[ \t]+/, ""); print; exit }'
}
# mapping_is WANT: both views hold WANT (empty: no value in either).
mapping_is() {
  local view value
  for view in 64 32; do
    value=$(mapping_in_view "$view")
    [ "$value" = "$1" ] || { echo "$view-bit view holds '$value'"; return 1; }
  done
}

# Runs the uninstaller that the installer registered, silently; fails only when none is
# registered. Its exit code says nothing (it reruns itself from a temporary copy and ends at
# once, and Wine may pass on 137 for it), so what it did is judged by what it leaves.
run_registered_uninstaller() {
  local command
  command=$(reg_value "$uninstall_key" QuietUninstallString)
  if [ "$command" != '"C:\windows\VykSaverUninstall.exe" /S' ]; then
    fail "the installer registers a silent uninstaller" "QuietUninstallString is '$command'"
    return 1
  fi
  pass "the installer registers a silent uninstaller"
  timeout $((120 * ${VYK_SLOWDOWN:-1})) wine 'C:\windows\VykSaverUninstall.exe' /S
  return 0
}

# The packages. The 64-bit build's package target makes nothing a user could take for a saver.
if [ "$vyk_target_arch" != i686 ]; then
  packages() { find "$build" \( -name 'Vyk-*.zip' -o -name 'Vyk-*.exe' \) -newer "$work/start" 2>/dev/null | tr '\n' ' '; }
  touch "$work/start"
  output=$("$cmake" --build "$build" --target package 2>&1)
  status=$?
  made=$(packages)
  [ $status -eq 0 ] && [ -z "$made" ] && [ ! -e "$build/CPackConfig.cmake" ] &&
    pass "the 64-bit package target makes no package" ||
    fail "the 64-bit package target makes no package" "exit $status, made: $made"
  grep -q 'makes no package' <<<"$output" && grep -q 'windows-x86 --target package' <<<"$output" &&
    pass "the 64-bit package target says it makes none and where the release comes from" ||
    fail "the 64-bit package target says it makes none and where the release comes from" "it said: $output"
  [ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
  exit 0
fi
if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  fail "the package target makes the packages" "cpack failed"
  exit 1
fi
# CPack's External generator also leaves its JSON description beside the packages.
made=$(cd "$work" && ls Vyk-*.zip Vyk-*.exe 2>/dev/null | tr '\n' ' ')
win64=$(cd "$work" && ls -d *win64* 2>/dev/null | tr '\n' ' ')
zip=$(ls "$work"/Vyk-*-win32.zip 2>/dev/null)
installer=$(ls "$work"/Vyk-*-setup.exe 2>/dev/null)
case "$installer" in */Vyk-[0-9]*.[0-9]*-setup.exe) ;; *) installer= ;; esac
[ -n "$zip" ] && [ -n "$installer" ] && [ "$made" = "$(basename "$installer") $(basename "$zip") " ] && [ -z "$win64" ] &&
  pass "the 32-bit package target makes the win32 ZIP and the installer, and nothing else" ||
  { fail "the 32-bit package target makes the win32 ZIP and the installer, and nothing else" "made: $made$win64"; exit 1; }

listing=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$listing" = "INSTALL.txt LICENSE.txt VykSaver.scr " ] && pass "the ZIP holds the saver, the install text and the licence" ||
  fail "the ZIP holds the saver, the install text and the licence" "it holds: $listing"
unzip -q "$zip" -d "$work/zip"
cmp -s "$work/zip/VykSaver.scr" "$saver" && pass "the saver in the ZIP is the one built" ||
  fail "the saver in the ZIP is the one built" "files differ"
lines=$(wc -l <"$work/zip/INSTALL.txt") crlf=$(grep -c $'\r$' "$work/zip/INSTALL.txt")
[ "$lines" -gt 3 ] && [ "$lines" = "$crlf" ] && grep -q 'right-click VykSaver.scr and choose Install' "$work/zip/INSTALL.txt" &&
  tr -d '\r' <"$work/zip/INSTALL.txt" | tr '\n' ' ' | grep -q "installer $(basename "$installer") does both" &&
  pass "the install text says how to install, in Windows line ends" ||
  fail "the install text says how to install, in Windows line ends" "$lines lines, $crlf ending in CR LF"
# The licence is the source tree's LICENSE, in Windows line ends, and the install text names it.
lines=$(wc -l <"$work/zip/LICENSE.txt") crlf=$(grep -c $'\r$' "$work/zip/LICENSE.txt")
[ "$lines" = "$crlf" ] && [ "$(tr -d '\r' <"$work/zip/LICENSE.txt")" = "$(cat "$here/../../LICENSE")" ] &&
  grep -q 'MIT licence, which LICENSE.txt holds' "$work/zip/INSTALL.txt" &&
  pass "the ZIP's LICENSE.txt is the MIT licence of LICENSE, in Windows line ends, named by the install text" ||
  fail "the ZIP's LICENSE.txt is the MIT licence of LICENSE, in Windows line ends, named by the install text" \
    "$lines lines, $crlf ending in CR LF; differs: $(diff <(tr -d '\r' <"$work/zip/LICENSE.txt") "$here/../../LICENSE" | head -n 3 | tr '\n' ' ')"

if [ -z "${installer:-}" ]; then
  [ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
  exit 0
fi

# press WINDOW KEY: presses KEY in a top-level window. Wine hands keys to the window it has in
# front whatever has the X focus, and another program's window (the saver's dialog, say) may
# have come in front late; a click into the window's corner, where no control lies, is real
# input that brings it in front first.
press() {
  timeout 10 xdotool mousemove --window "$1" 2 2 click 1 2>/dev/null
  timeout 10 xdotool windowfocus --sync "$1" key "$2" 2>/dev/null
}

# Presses Escape in window until the process pid has ended, for up to seconds (scaled by
# VYK_SLOWDOWN). A key that reaches the window before it has the focus is lost, so it is
# pressed again every 2 s. At the deadline the process is ended and the status is 1.
escape_until_gone() {
  local window=$1 pid=$2 seconds=$3 press tick
  for press in $(seq $((seconds * ${VYK_SLOWDOWN:-1} / 2))); do
    press "$window" Escape
    for tick in $(seq 20); do
      kill -0 "$pid" 2>/dev/null || { wait "$pid"; return 0; }
      sleep 0.1
    done
  done
  kill "$pid" 2>/dev/null
  wait "$pid"
  return 1
}

# The Windows path of a file of this machine, through Wine's Z: drive.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# exit_of PROGRAM [ARGUMENT...]: runs a Windows program (a Windows path) until it ends, for up
# to 120 s (times VYK_SLOWDOWN), and prints its exit code, or nothing when it did not end.
exit_of() {
  timeout $((120 * ${VYK_SLOWDOWN:-1})) wine "$starter" "$@" 2>/dev/null | tr -d '\r' | sed -n 's/^exit //p'
}

# run_as_user PROGRAM [ARGUMENT...]: runs a Windows program as a user does and accepts what it
# shows, the installer's licence page, the uninstaller's confirmation, a message box and the
# last page, pressing Return on it again every 2 s while it shows, until the program has
# ended, for up to 120 s (times VYK_SLOWDOWN). Sets shown to the text of the message boxes it
# put up, one a line, as Wine sets their text, code to its exit code (empty when it did not
# end in time) and ran to what the starter said, how long it all took and, when it did not
# end, the windows left.
run_as_user() {
  local pid round tick window start=$SECONDS
  WINEDEBUG=-all,+msgbox wine "$starter" "$@" >"$work/run.out" 2>"$work/run.err" &
  pid=$!
  for round in $(seq $((60 * ${VYK_SLOWDOWN:-1}))); do
    window=$(xdotool search --name '^Vyk Screen Saver (Setup|Uninstall)(: (License Agreement|Confirmation|Completed))?$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && press "$window" Return
    for tick in $(seq 20); do
      kill -0 "$pid" 2>/dev/null || break 2
      sleep 0.1
    done
  done
  ran="starter said '$(tr -d '\r' <"$work/run.out" | tr '\n' ' ')' after $((SECONDS - start)) s"
  if kill "$pid" 2>/dev/null; then
    ran="$ran, windows left:$(for window in $(xdotool search --name Vyk 2>/dev/null); do
      printf ' "%s"' "$(xdotool getwindowname "$window" 2>/dev/null)"; done)"
  fi
  wait "$pid"
  code=$(tr -d '\r' <"$work/run.out" | sed -n 's/^exit //p')
  shown=$(tr -d '\r' <"$work/run.err" | sed -n 's/.*:trace:msgbox:MSGBOX_OnInit L"\(.*\)"$/\1/p' | sed 's/\\\\/\\/g')
}
if [ -z "$starter" ]; then
  fail "the installer's checks have a starter that reads exit codes" "no STARTER argument"
  exit 1
fi

# What a run that was stopped half-way may have left: the saver, its entry and the mapping.
rm -f "$installed" "$uninstaller"
wine reg delete "$uninstall_key" /f /reg:32 >/dev/null 2>&1
for view in 64 32; do wine reg delete "$mapping_key" /v "Screen Saver.Vyk" /f "/reg:$view" >/dev/null 2>&1; done

# Run by a user (not silently), the installer first shows the licence; cancelled there, it
# installs nothing.
wine "$installer" &
running=$!
if page=$(vyk_wait_window "Vyk Screen Saver Setup: License Agreement" 60 "$running"); then
  pass "the installer opens on the licence page"
  escape_until_gone "$page" "$running" 60 ||
    fail "Escape on the licence page ends the installer" "it still ran after 60 s of Escape"
  [ ! -e "$installed" ] && [ -z "$(reg_value "$uninstall_key" DisplayName)" ] &&
    pass "cancelled on the licence page, the installer installs nothing" ||
    fail "cancelled on the licence page, the installer installs nothing" "saver or uninstall entry present"
else
  fail "the installer opens on the licence page" "no window \"Vyk Screen Saver Setup: License Agreement\""
  kill "$running" 2>/dev/null
  wait "$running"
fi

# A fresh user, such as one of XP who upgraded: no screen saver chosen before, and every
# setting of the saver (each row of its list) that an earlier Vyk left in control.ini, all
# off (0) but the speed and the logo; the user's key already holds Logos, which stays as it is.
settings_key='HKCU\Control Panel\Screen Saver.Vyk'
control_ini="$WINEPREFIX/drive_c/windows/control.ini"
setting_keys=$(sed -n 's/^VYK_SETTING("\([A-Za-z0-9]*\)".*/\1/p' "$here/../../settings/setting_list.def")
wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1
wine reg delete "$settings_key" /f >/dev/null 2>&1
wine reg add "$settings_key" /v Logos /d 0 /f >/dev/null 2>&1
{
  printf '[Screen Saver.Vyk]\r\n'
  for key in $setting_keys; do
    case $key in RedrawSpeed) value=7 ;; Logos) value=1 ;; *) value=0 ;; esac
    printf '%s=%s\r\n' "$key" "$value"
  done
} >"$control_ini"
# ... and, written by an older Vyk run by a standard user, the VirtualStore copy.
local_appdata=$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
virtual_store=$(winepath -u "$local_appdata\VirtualStore\windows" 2>/dev/null)
mkdir -p "$virtual_store"
printf '[Screen Saver.Vyk]\r\nRedrawSpeed=5\r\nLinear=0\r\n' >"$virtual_store/control.ini"
rm -f "$installed" "$uninstaller"
status=$(exit_of "$(windows_path "$installer")" /S)
[ "$status" = 0 ] && pass "the silent installer exits 0" || fail "the silent installer exits 0" "exit '$status'"
cmp -s "$installed" "$saver" && pass "the installer puts the saver in the Windows directory" ||
  fail "the installer puts the saver in the Windows directory" "$installed missing or different"
value=$(reg_value "$desktop" SCRNSAVE.EXE)
[ "$value" = 'C:\windows\VykSaver.scr' ] && pass "the installer makes Vyk the user's screen saver" ||
  fail "the installer makes Vyk the user's screen saver" "SCRNSAVE.EXE is '$value'"
[ "$(reg_value "$uninstall_key" DisplayName)" = "Vyk Screen Saver" ] && [ -z "$(reg_value "$user_uninstall_key" DisplayName)" ] &&
  pass "Vyk Screen Saver is listed among the programs to uninstall, for the machine" ||
  fail "Vyk Screen Saver is listed among the programs to uninstall, for the machine" \
    "HKLM '$(reg_value "$uninstall_key" DisplayName)', HKCU '$(reg_value "$user_uninstall_key" DisplayName)'"
carried= wanted=
for key in $setting_keys; do
  carried="$carried $key=$(reg_value "$settings_key" "$key")"
  case $key in RedrawSpeed) wanted="$wanted $key=5" ;; *) wanted="$wanted $key=0" ;; esac
done
[ -n "$setting_keys" ] && [ "$carried" = "$wanted" ] &&
  pass "the installer carries every setting, the VirtualStore copy's first, then control.ini's, into the user's key, keeping what it held:$carried" ||
  fail "the installer carries every setting, the VirtualStore copy's first, then control.ini's, into the user's key, keeping what it held" \
    "the key holds$carried, not$wanted"
rm -f "$control_ini" "$virtual_store/control.ini"
wine reg delete "$settings_key" /f >/dev/null 2>&1
why=$(mapping_is 'USR:Control Panel\Screen Saver.Vyk') &&
  pass "the installer maps control.ini's \"Screen Saver.Vyk\" to the user's key, in both registry views" ||
  fail "the installer maps control.ini's \"Screen Saver.Vyk\" to the user's key, in both registry views" "$why"

# XP's Display settings store the path in another form; another user signed in chose Vyk
# too, after another saver.
wine reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\WINDOWS\VYKSAVER.SCR' /f >/dev/null 2>&1
wine reg add "$other_user\Control Panel\Desktop" /v SCRNSAVE.EXE /d 'c:\windows\vyksaver.scr' /f >/dev/null 2>&1
wine reg add "$other_user\Software\Vyk Screen Saver" /v PreviousScreenSaver /d 'C:\windows\theirs.scr' /f >/dev/null 2>&1
if run_registered_uninstaller; then
  wait_uninstalled && pass "the uninstaller removes the saver, itself and its entry" ||
    fail "the uninstaller removes the saver, itself and its entry" "still there after 60 s"
  value=$(reg_value "$desktop" SCRNSAVE.EXE)
  [ -z "$value" ] && pass "after uninstalling, no screen saver is chosen, whatever the form of its path" ||
    fail "after uninstalling, no screen saver is chosen, whatever the form of its path" "SCRNSAVE.EXE is '$value'"
  value=$(reg_value "$other_user\Control Panel\Desktop" SCRNSAVE.EXE)
  [ "$value" = 'C:\windows\theirs.scr' ] && pass "another user signed in gets their screen saver back" ||
    fail "another user signed in gets their screen saver back" "SCRNSAVE.EXE is '$value'"
  why=$(mapping_is '') && pass "the uninstaller removes the control.ini mapping from both registry views" ||
    fail "the uninstaller removes the control.ini mapping from both registry views" "$why"
fi

# A standard user who had chosen another screen saver: an elevated copy does the machine's
# part (Wine approves it), the user's own run makes Vyk their screen saver, and uninstalling
# gives the other one back.
wine reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\other.scr' /f >/dev/null 2>&1
status=$(VYK_SETUP_ELEVATION=ask exit_of "$(windows_path "$installer")" /S)
value=$(reg_value "$desktop" SCRNSAVE.EXE)
[ "$status" = 0 ] && cmp -s "$installed" "$saver" && [ "$(reg_value "$uninstall_key" DisplayName)" = "Vyk Screen Saver" ] &&
  [ "$value" = 'C:\windows\VykSaver.scr' ] &&
  pass "approved, the standard user's installer exits 0, with the saver in place and chosen instead of another" ||
  fail "approved, the standard user's installer exits 0, with the saver in place and chosen instead of another" \
    "exit '$status', SCRNSAVE.EXE '$value'"
if run_registered_uninstaller; then
  wait_uninstalled || fail "the uninstaller removes the saver, itself and its entry" "still there after 60 s"
  value=$(reg_value "$desktop" SCRNSAVE.EXE)
  [ "$value" = 'C:\windows\other.scr' ] && pass "uninstalling gives back the screen saver chosen before" ||
    fail "uninstalling gives back the screen saver chosen before" "SCRNSAVE.EXE is '$value'"
fi
wine reg delete "$other_user" /f >/dev/null 2>&1

# The elevated copy does the machine's part alone and touches no user's profile: it runs as
# the administrator who approved it, not as the user who started the installer.
wine reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\other.scr' /f >/dev/null 2>&1
wine reg delete "$settings_key" /f >/dev/null 2>&1
wine reg delete "$user_key" /f >/dev/null 2>&1
printf '[Screen Saver.Vyk]\r\nRedrawSpeed=7\r\n' >"$control_ini"
status=$(exit_of "$(windows_path "$installer")" /S /MACHINE)
value=$(reg_value "$desktop" SCRNSAVE.EXE) speed=$(reg_value "$settings_key" RedrawSpeed) previous=$(reg_value "$user_key" PreviousScreenSaver)
[ "$status" = 0 ] && cmp -s "$installed" "$saver" && [ "$(reg_value "$uninstall_key" DisplayName)" = "Vyk Screen Saver" ] &&
  [ "$value" = 'C:\windows\other.scr' ] && [ -z "$speed" ] && [ -z "$previous" ] &&
  pass "the elevated part installs for the machine, exits 0 and leaves the user's profile alone" ||
  fail "the elevated part installs for the machine, exits 0 and leaves the user's profile alone" \
    "exit '$status', SCRNSAVE.EXE '$value', RedrawSpeed '$speed', PreviousScreenSaver '$previous'"
rm -f "$control_ini"

# What a standard user is told, and the exit code, when the machine's part is not done. The
# user's part is then left undone: the other screen saver stays chosen.
not_installed='Vyk Screen Saver was not installed:'
# check_not_installed NAME CODE MESSAGE: the last run_as_user exited CODE, showed MESSAGE
# alone and left the user's screen saver as it was.
check_not_installed() {
  value=$(reg_value "$desktop" SCRNSAVE.EXE)
  [ "$code" = "$2" ] && [ "$shown" = "$3" ] && [ "$value" = 'C:\windows\other.scr' ] && pass "$1: exit $2, \"$3\"" ||
    fail "$1" "exit '$code', shown '$shown', SCRNSAVE.EXE '$value'; $ran"
}
VYK_SETUP_ELEVATION=refused run_as_user "$(windows_path "$installer")"
check_not_installed "a refused approval installs nothing and says so" 2 \
  "$not_installed an administrator must approve the installation."
status=$(VYK_SETUP_ELEVATION=refused exit_of 'C:\windows\VykSaverUninstall.exe' /S '_?=C:\windows')
[ "$status" = 2 ] && [ -e "$installed" ] && [ "$(reg_value "$uninstall_key" DisplayName)" = "Vyk Screen Saver" ] &&
  pass "a refused approval removes nothing and the uninstaller exits 2" ||
  fail "a refused approval removes nothing and the uninstaller exits 2" "exit '$status'"
# A saver that cannot be written (an immutable file refuses even Wine's administrator).
if chattr +i "$installed" 2>/dev/null; then
  VYK_SETUP_ELEVATION=ask run_as_user "$(windows_path "$installer")"
  chattr -i "$installed"
  check_not_installed "a saver the elevated part cannot write is reported as such" 4 \
    "$not_installed VykSaver.scr could not be written into C:\windows."
else
  echo "skip a saver the elevated part cannot write: chattr +i is refused here (root on a file system with attributes needed)"
fi

# A saver still running (here its settings dialog) keeps its file. The installer cannot
# replace it and says why. The uninstaller has it deleted at the next restart, and says so
# with the exit code that asks for a restart: the elevated part's, passed on by the
# standard user's run, and an administrator's own. It runs in place (_?=), so that its exit
# code is its own.
session='HKLM\System\CurrentControlSet\Control\Session Manager'
wine reg delete "$session" /v PendingFileRenameOperations /f >/dev/null 2>&1
wine 'C:\windows\VykSaver.scr' /c &
running=$!
if dialog=$(vyk_wait_window "Vyk ScreenSaver Setup" 30 "$running"); then
  VYK_SETUP_ELEVATION=ask run_as_user "$(windows_path "$installer")"
  check_not_installed "a saver in use is not replaced, and the installer says why" 3 \
    "$not_installed VykSaver.scr in C:\windows is in use. Close the Screen Saver settings and any running screen saver, then run the installer again."
  reboot_notice='VykSaver.scr is in use by a running screen saver. It will be removed when Windows restarts.'
  VYK_SETUP_ELEVATION=ask run_as_user 'C:\windows\VykSaverUninstall.exe' '_?=C:\windows'
  pending=$(wine reg query "$session" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r')
  [ "$code" = 3010 ] && [ "$shown" = "$reboot_notice" ] && [ -e "$installed" ] &&
    grep -qi 'windows\\VykSaver\.scr' <<<"$pending" && [ -z "$(reg_value "$uninstall_key" DisplayName)" ] &&
    pass "a saver in use is deleted at the next restart; the standard user's uninstaller says so and exits 3010" ||
    fail "a saver in use is deleted at the next restart; the standard user's uninstaller says so and exits 3010" \
      "exit '$code', shown '$shown', pending '$pending'; $ran"
  wine reg delete "$session" /v PendingFileRenameOperations /f >/dev/null 2>&1
  status=$(exit_of 'C:\windows\VykSaverUninstall.exe' /S '_?=C:\windows')
  pending=$(wine reg query "$session" /v PendingFileRenameOperations 2>/dev/null | tr -d '\r')
  [ "$status" = 3010 ] && [ -e "$installed" ] && grep -qi 'windows\\VykSaver\.scr' <<<"$pending" &&
    pass "an administrator's uninstaller, too, has a saver in use deleted at the next restart and exits 3010" ||
    fail "an administrator's uninstaller, too, has a saver in use deleted at the next restart and exits 3010" \
      "exit '$status', pending '$pending'"
  escape_until_gone "$dialog" "$running" 60 ||
    fail "Escape closes the saver's settings dialog" "it was still open after 60 s of Escape"
else
  fail "a saver in use is not replaced, and the uninstaller has it deleted at the next restart" \
    "the saver's settings dialog did not open"
  kill "$running" 2>/dev/null
  wait "$running"
fi
rm -f "$installed" "$uninstaller"
wine reg delete "$session" /v PendingFileRenameOperations /f >/dev/null 2>&1
wine reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1
wine reg delete "$user_key" /f >/dev/null 2>&1

[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
