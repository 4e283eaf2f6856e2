#!/usr/bin/env bash
# Ending the full-screen saver: a key, a mouse button or a mouse movement closes it with exit
# code 0; a small movement does not; a second start steps aside for the running saver.
# Usage: dismissal.sh BUILD SAVER HOST LAUNCHER
source "$(dirname "$0")/lib.sh" "$@"
rm -f "$control_ini"

# closes_on NAME INPUT...: starts the saver, gives the input, expects it to close with 0.
closes_on() {
  local name=$1
  shift
  if start_full_screen; then
    "$@"
    check "$name" closes_with "$saver_pid" 30 0
  else
    fail "$name" "$problem"
  fi
  end_all
}

click_button() { xdotool click 1; }
# The pointer starts at (320, 240), where the saver took its reference point.
travel_5() { xdotool mousemove 323 242; }

# The key goes to the window with the X input focus; giving the saver the focus alone must
# not be what closes it.
focus_then_key() {
  xdotool windowfocus --sync "$saver_window" 2>/dev/null
  check "giving the saver the input focus leaves it running" keeps_drawing
  xdotool key x
}
closes_on "a key press closes the saver with exit code 0" focus_then_key
closes_on "a mouse button closes the saver with exit code 0" click_button
closes_on "moving the mouse by 5 pixels closes the saver with exit code 0" travel_5

if start_full_screen; then
  xdotool mousemove 322 241
  check "moving the mouse by 3 pixels leaves the saver running" keeps_drawing
  # A further 2 pixels from the same reference point make 5.
  xdotool mousemove 323 242
  check "small movements add up: 2 more pixels close it with exit code 0" closes_with "$saver_pid" 30 0
else
  fail "moving the mouse by 3 pixels leaves the saver running" "$problem"
fi
end_all

if start_full_screen; then
  first_pid=$saver_pid first_window=$saver_window
  start_saver /s
  check "a second start while the saver runs exits with 0" closes_with "$saver_pid" 30 0
  saver_pid=$first_pid saver_window=$first_window
  check "the first saver keeps running after the second start" keeps_drawing
  press_key x
  check "the first saver still closes on a key press afterwards" closes_with "$first_pid" 30 0
else
  fail "a second start while the saver runs exits with 0" "$problem"
fi
end_all
finish
