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

# The logo slides in over the first 40 frames, which a busy machine or the emulated build may
# draw before wait_drawn has seen the picture: so this film runs from the window's appearance
# (black shots first) until it holds 30 screenshots taken after the first picture was seen.
film_from_window() {
  local i=0
  while [ ! -e "$work/$1.stop" ] && [ "$i" -lt 1000 ]; do
    i=$((i + 1))
    shot "$work/$1-$i.ppm"
    pause 0.1
  done
}
shots_of() { find "$work" -maxdepth 1 -name "$1-*.ppm" | wc -l; }
end_film_after() {
  local wanted=$(($(shots_of "$1") + $2)) deadline=$((SECONDS + 60 * VYK_SLOWDOWN))
  while [ "$(shots_of "$1")" -lt "$wanted" ] && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.2; done
  touch "$work/$1.stop"
  wait "$film_pid"
}

# Logo on (the default), fastest redraw.
rm -f "$control_ini"
xdotool mousemove 320 240
start_saver /s
if saver_window=$(vyk_wait_window "Screen Saver" 20); then
  film_from_window logo-on &
  film_pid=$!
  check "the saver's window is titled \"Screen Saver\" and covers the screen" window_covers_screen
  check "the picture is not black" wait_drawn "$work/a.ppm"
  end_film_after logo-on 30
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
