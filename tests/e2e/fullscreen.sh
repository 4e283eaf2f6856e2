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
# draw before wait_drawn has seen the picture, or only over a minute: so this film runs from
# the window's appearance (black shots first) until a shot shows the logo coming in, or a
# minute (times the slowdown) has gone.
film_from_window() {
  local i=0
  while [ ! -e "$work/$1.stop" ] && [ "$i" -lt 2000 ]; do
    i=$((i + 1))
    shot "ppm:$work/$1-$i.ppm.part" && mv "$work/$1-$i.ppm.part" "$work/$1-$i.ppm"
    pause 0.1
  done
}
# Judges the film's shots as they come; ends the film.
logo_comes_in() {
  local deadline=$((SECONDS + 60 * VYK_SLOWDOWN)) checked=0 most=0 n
  while :; do
    # The film may shoot faster than its shots are judged.
    while [ -f "$work/logo-on-$((checked + 1)).ppm" ] && [ "$most" -lt 1000 ] && [ "$SECONDS" -lt "$deadline" ]; do
      checked=$((checked + 1))
      n=$(picture logo "$work/logo-on-$checked.ppm")
      [ "$n" -gt "$most" ] && most=$n
    done
    [ "$most" -ge 1000 ] || [ "$SECONDS" -ge "$deadline" ] || ! kill -0 "$film_pid" 2>/dev/null && break
    sleep 0.2
  done
  touch "$work/logo-on.stop"
  wait "$film_pid"
  [ "$most" -ge 1000 ] || { echo "at most $most more yellow pixels on one side of the top band than on the other in $checked shots"; return 1; }
}
# Two shots that differ by at least a fifth of their pixels, the second taken until it does or
# 30 s (times the slowdown) have gone: the emulated build on a busy machine may draw less than
# a frame a second.
moves() {
  local deadline=$((SECONDS + 30 * VYK_SLOWDOWN)) share
  shot "$work/a.ppm"
  while :; do
    pause 0.2
    shot "$work/b.ppm"
    share=$(picture changed "$work/a.ppm" "$work/b.ppm")
    at_least "$share" 0.2 >/dev/null && return 0
    [ "$SECONDS" -lt "$deadline" ] || break
  done
  echo "after $((30 * VYK_SLOWDOWN)) s only a share of $share of the pixels changed"
  return 1
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
  check "with the logo on, the logo comes in along the top within the first seconds" logo_comes_in
  check "consecutive frames differ: the tunnel moves" moves
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
  film logo-off
  check "the picture with the logo off is not black either" at_least "$(picture covered "$work/logo-off-20.ppm")" 0.95
  check "with the logo off, no logo appears" logo_never_appears logo-off
else
  fail "with the logo off, no logo appears" "no saver window appeared"
fi
end_all
rm -f "$control_ini"
finish
