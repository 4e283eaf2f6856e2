#!/usr/bin/env bash
# The full-screen saver as the user sees it: its window, the moving tunnel and the logo.
# Usage: fullscreen.sh BUILD SAVER HOST LAUNCHER
source "$(dirname "$0")/lib.sh" "$@"

window_covers_screen() {
  local name geometry
  name=$(xdotool getwindowname "$saver_window")
  [ "$name" = "Screen Saver" ] || { echo "title \"$name\""; return 1; }
  geometry=$(xdotool getwindowgeometry --shell "$saver_window" | tr '\n' ' ')
  case "$geometry" in
    *"X=0 Y=0 WIDTH=640 HEIGHT=480 "*) ;;
    *) echo "window geometry $geometry"; return 1 ;;
  esac
}

# Logo on (the default), fastest redraw.
rm -f "$control_ini"
xdotool mousemove 320 240
start_saver /s
if saver_window=$(vyk_wait_window "Screen Saver" 20); then
  check "the saver's window is titled \"Screen Saver\" and covers the screen" window_covers_screen
  check "the picture is not black" wait_drawn "$work/a.ppm"
  # Within one cycle of the logo (1024 frames) from the first frame on.
  check "with the logo on, the logo comes in along the top" watch_picture logo-on 60 judge_logo_in
  check "consecutive frames differ: the tunnel moves" watch_picture moves 30 judge_moves
  check "the tunnel is mirror-symmetric about the vertical centre line" mirrored "$work/a.ppm"
else
  fail "the saver's window is titled \"Screen Saver\" and covers the screen" "no such window appeared"
fi
end_all

# Logo off.
write_settings RedrawSpeed=1 Logos=0 Linear=1 Hardware=1
xdotool mousemove 320 240
start_saver /s
if saver_window=$(vyk_wait_window "Screen Saver" 20); then
  check "with the logo off, the saver draws" wait_drawn "$work/first-drawn.ppm"
  check "with the logo off, no logo appears" watch_picture logo-off 120 judge_logo_off
  check "the picture with the logo off is not black either" at_least "$(picture covered "$watched")" 0.95
else
  fail "with the logo off, no logo appears" "no saver window appeared"
fi
end_all
rm -f "$control_ini"
finish
