#!/usr/bin/env bash
# A system without DirectDraw: the saver still opens its window, leaves it black, writes the
# reason to vykerror.txt in its current folder (in the user's temporary folder when the
# current one refuses it) and closes on input.
# Usage: no_directx.sh BUILD SAVER HOST LAUNCHER
source "$(dirname "$0")/lib.sh" "$@"
rm -f "$control_ini" "$work/vykerror.txt"

# The user's temporary folder (%TEMP%) of the prefix, as a Linux path.
temp_folder=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
temp_log="${temp_folder%/}/vykerror.txt"
rm -f "$temp_log"

# error_file_says_why [FILE]: FILE (default the saver's folder's vykerror.txt) holds the message.
error_file_says_why() {
  local expected file=${1:-$work/vykerror.txt}
  expected=$(printf 'Failed to create DirectDraw.\r\n.')
  [ -f "$file" ] || { echo "no $file"; return 1; }
  [ "$(cat "$file"; echo .)" = "$expected" ] ||
    { echo "$file holds: $(od -c "$file" | head -n 3 | tr '\n' ' ')"; return 1; }
}
no_file() { [ ! -e "$1" ] || { echo "$1 exists"; return 1; }; }

export WINEDLLOVERRIDES="$base_overrides;ddraw=d"
# Without DirectDraw the log is written while the window is made, before the first tick.
wait_file() {
  local deadline=$((SECONDS + 30 * VYK_SLOWDOWN))
  until [ -s "$1" ]; do [ "$SECONDS" -lt "$deadline" ] || return 1; sleep 0.1; done
}
if start_full_screen black && { wait_file "$work/vykerror.txt" || { problem="no vykerror.txt appeared"; false; }; }; then
  pause 1
  shot "$work/black.ppm"
  check "without DirectDraw the saver's screen stays black" at_most "$(picture brightest "$work/black.ppm")" 8
  check "vykerror.txt says \"Failed to create DirectDraw.\" and nothing else" error_file_says_why
  check "with its folder writable, no vykerror.txt goes to the temporary folder" no_file "$temp_log"
  keys_until_closed x
  check "without DirectDraw the saver still closes on a key with exit code 0" closes_with "$saver_pid" 1 0
else
  fail "without DirectDraw the saver's screen stays black" "$problem"
fi
end_all

# The current folder refuses new files, as the system folder does for a standard user.
locked="$work/locked"
mkdir -p "$locked"
chattr +i "$locked"
if touch "$locked/probe" 2>/dev/null; then
  fail "an unwritable current folder sends vykerror.txt to the temporary folder" "chattr +i did not lock $locked"
else
  (cd "$locked" && exec wine "$saver" /s) &
  saver_pid=$!
  started+=("$saver_pid")
  if saver_window=$(vyk_wait_window "Screen Saver" 20); then
    wait_file "$temp_log"
    pause 1
    check "an unwritable current folder sends vykerror.txt to the temporary folder, same bytes" \
      error_file_says_why "$temp_log"
    check "the unwritable current folder stays without vykerror.txt" no_file "$locked/vykerror.txt"
    keys_until_closed x
    check "the saver in an unwritable folder still closes on a key with exit code 0" closes_with "$saver_pid" 1 0
  else
    fail "an unwritable current folder sends vykerror.txt to the temporary folder" "no saver window appeared"
  fi
fi
chattr -i "$locked"
rm -f "$temp_log"
end_all
finish
