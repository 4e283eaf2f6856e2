#!/usr/bin/env bash
# A system without DirectDraw: the saver still opens its window, leaves it black, writes the
# reason to vykerror.txt in its current folder and closes on input.
# Usage: no_directx.sh BUILD SAVER HOST LAUNCHER
source "$(dirname "$0")/lib.sh" "$@"
rm -f "$control_ini" "$work/vykerror.txt"

error_file_says_why() {
  local expected
  expected=$(printf 'Failed to create DirectDraw.\r\n.')
  [ -f "$work/vykerror.txt" ] || { echo "no vykerror.txt in the saver's folder"; return 1; }
  [ "$(cat "$work/vykerror.txt"; echo .)" = "$expected" ] ||
    { echo "vykerror.txt holds: $(od -c "$work/vykerror.txt" | head -n 3 | tr '\n' ' ')"; return 1; }
}

export WINEDLLOVERRIDES="$base_overrides;ddraw=d"
if start_full_screen; then
  pause 1
  shot "$work/black.ppm"
  check "without DirectDraw the saver's screen stays black" at_most "$(picture brightest "$work/black.ppm")" 8
  check "vykerror.txt says \"Failed to create DirectDraw.\" and nothing else" error_file_says_why
  press_key x
  check "without DirectDraw the saver still closes on a key with exit code 0" closes_with "$saver_pid" 10 0
else
  fail "without DirectDraw the saver's screen stays black" "$problem"
fi
end_all
finish
