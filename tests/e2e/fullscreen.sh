#!/usr/bin/env bash
# The full-screen saver as the user sees it: its window, the moving tunnel and the logo.
# Usage: fullscreen.sh BUILD SAVER HOST LAUNCHER
source "$(dirname "$0")/lib.sh" "$@"

# Thirty screenshots, one about every 0.2 s (times the slowdown), from the saver's first picture
# on: the logo's first slide-in (40 frames) is caught even when the saver draws only 10 frames
# a second.
film() {
  local i
  for i in $(seq 30); do shot "$work/$1-$i.ppm"; pause 0.1; done
}

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

# The centre row mirrors pixel for pixel (at least 80 %) and the halves of each ring match in
# mean colour (within 1 of 255); a pattern shifted by a pixel or turned by a few degrees fails.
mirrored() {
  local measures row rings
  measures=$(picture mirror "$1") || { echo "$measures"; return 1; }
  read -r row rings <<<"$measures"
  at_least "$row" 0.8 && at_most "$rings" 1.0
}

logo_appears() {
  local most=0 n
  for n in $(picture logo "$work"/$1-*.ppm); do [ "$n" -gt "$most" ] && most=$n; done
  [ "$most" -ge 1000 ] || { echo "at most $most more yellow pixels on one side of the top band than on the other"; return 1; }
}

# Frames before the saver's first one are black and say nothing; most must show the tunnel.
logo_never_appears() {
  local most=0 drawn=0 n
  for n in $(picture logo "$work"/$1-*.ppm); do
    [ "$n" -ge 0 ] || continue
    drawn=$((drawn + 1))
    [ "$n" -gt "$most" ] && most=$n
  done
  [ "$drawn" -ge 20 ] || { echo "only $drawn of 30 screenshots show the tunnel"; return 1; }
  [ "$most" -le 150 ] || { echo "up to $most more yellow pixels on one side of the top band than on the other"; return 1; }
}

# Logo on (the default), fastest redraw.
rm -f "$control_ini"
xdotool mousemove 320 240
start_saver /s
if saver_window=$(vyk_wait_window "Screen Saver" 20); then
  check "the saver's window is titled \"Screen Saver\" and covers the screen" window_covers_screen
  check "the picture is not black" wait_drawn "$work/a.ppm"
  film logo-on
  shot "$work/a.ppm"
  pause 0.2
  shot "$work/b.ppm"
  check "the tunnel is mirror-symmetric about the vertical centre line" mirrored "$work/a.ppm"
  check "consecutive frames differ: the tunnel moves" at_least "$(picture changed "$work/a.ppm" "$work/b.ppm")" 0.2
  check "with the logo on, the logo comes in along the top within the first seconds" logo_appears logo-on
else
  fail "the saver's window is titled \"Screen Saver\" and covers the screen" "no such window appeared"
fi
end_all

# Logo off.
write_settings RedrawSpeed=1 Logos=0 Linear=1 Hardware=1
xdotool mousemove 320 240
start_saver /s
if saver_window=$(vyk_wait_window "Screen Saver" 20); then
  wait_drawn "$work/first-drawn.ppm" >/dev/null
  film logo-off
  check "the picture with the logo off is not black either" at_least "$(picture covered "$work/logo-off-20.ppm")" 0.95
  check "with the logo off, no logo appears" logo_never_appears logo-off
else
  fail "with the logo off, no logo appears" "no saver window appeared"
fi
end_all
rm -f "$control_ini"
finish
