# Sourced by lib.sh for the suites on the desktop of several monitors: where each monitor
# is, starting the saver there, input on one monitor and the screenshot checks of one
# monitor. The X root is painted in root_colour, so any pixel that no window covers shows.
root_colour=ff00ff
xsetroot -solid "#$root_colour"

# monitor OUTPUT: prints the rectangle WxH+X+Y (X coordinates) of OUTPUT; fails when it is off.
monitor() { vyk_monitors | awk -v o="$1" '$1 == o { print $2; found = 1 } END { exit !found }'; }

# centre_of WxH+X+Y: prints "X Y", the rectangle's centre.
centre_of() { echo "$1" | awk -F'[x+]' '{ print int($3 + $1 / 2), int($4 + $2 / 2) }'; }

# second_monitor MODE PLACE...: the desktop of the 800x600 primary at 0,0 and DUMMY1 at MODE,
# placed by the xrandr options PLACE. Every Wine process of the prefix is ended first, so the
# next program starts with Wine's view of the new desktop rather than one it still updates.
second_monitor() {
  end_all
  wineserver -w 2>/dev/null
  vyk_monitor_on DUMMY0 800x600
  vyk_monitor_on DUMMY1 "$@"
}

# start_on_desktop [OUTPUT]: with the pointer at the centre of OUTPUT (default DUMMY0), the
# saver's reference point, starts the full-screen saver and waits for its window (sets
# saver_window), for its first frame on the primary monitor and for every monitor to be
# covered (no pixel of the root's colour left). Says why not in $problem.
start_on_desktop() {
  local at
  at=$(monitor "${1:-DUMMY0}") || { problem="${1:-DUMMY0} is off"; return 1; }
  xdotool mousemove $(centre_of "$at")
  start_saver /s
  saver_window=$(vyk_wait_window "Screen Saver" 60 "$saver_pid") ||
    { problem="no window titled \"Screen Saver\" appeared"; return 1; }
  problem=$(wait_until 60 drawn_on DUMMY0 "$work/first.ppm") || return 1
  problem=$(wait_until 60 no_root_colour) || return 1
}

# drawn_on OUTPUT FILE: a screenshot into FILE shows OUTPUT at least 95 % not black.
drawn_on() {
  local at
  at=$(monitor "$1") || { echo "$1 is off"; return 1; }
  shot "$2"
  at_least "$(picture --crop "$at" covered "$2")" 0.95 || { echo "on $1"; return 1; }
}

# tunnel_on OUTPUT: OUTPUT shows the tunnel within 60 s, centred on it: mirror-symmetric
# about its own vertical centre line, its centre column (at least 60 %, against about 75 %
# centred and 35 % one pixel off) mirrored about its horizontal one, and moving (a later
# screenshot, within 30 s, differs in at least 20 % of the tunnel). The deadlines allow for a
# Wine held to a tenth of its speed; a picture that shows ends the wait at once.
tunnel_on() {
  local at
  at=$(monitor "$1") || { echo "$1 is off"; return 1; }
  wait_until 60 centred_on "$1" "$at" "$work/t.ppm" || return 1
  wait_until 30 moved_on "$at" "$work/t.ppm" "$work/u.ppm" || { echo "(moved share)"; return 1; }
}
# centred_on OUTPUT WxH+X+Y FILE: a screenshot into FILE shows OUTPUT drawn and its picture
# centred. Taken again until one passes: a further monitor's frame arrives by a GDI copy,
# which a screenshot of a busy machine can catch half done.
centred_on() {
  drawn_on "$1" "$3" || return 1
  mirrored "$3" "$2" || return 1
  at_least "$(picture --crop "$2" column "$3")" 0.6 || { echo "(centre column)"; return 1; }
}

# moved_on WxH+X+Y FILE LATER: a screenshot into LATER differs from FILE in at least 20 % of
# the tunnel inside the rectangle.
moved_on() {
  shot "$3"
  at_least "$(picture --crop "$1" changed "$2" "$3")" 0.2
}

# black_on OUTPUT: a screenshot shows OUTPUT black all over (no pixel with a channel sum of
# 24 or more, so none of the root's colour either).
black_on() {
  local at share
  at=$(monitor "$1") || { echo "$1 is off"; return 1; }
  shot "$work/black.ppm"
  share=$(picture --crop "$at" covered "$work/black.ppm")
  [ "$share" = 0.0000 ] || { echo "a share of $share of $1 is not black"; return 1; }
}

# no_root_colour [FILE]: a screenshot (or FILE, when given) shows not one pixel of the root's
# colour on any monitor that is on.
no_root_colour() {
  local output at n bad=0 file=${1:-$work/root.ppm}
  [ $# -gt 0 ] || shot "$file"
  while read -r output at; do
    n=$(picture --crop "$at" colour "$file" "$root_colour")
    [ "$n" -eq 0 ] || { echo "$n pixels of the root colour on $output"; bad=1; }
  done < <(vyk_monitors)
  return "$bad"
}

# window_on OUTPUT: prints the saver's visible top-level X window that covers OUTPUT exactly
# (Wine's own desktop windows may cover a monitor too).
window_on() {
  local at id X Y WIDTH HEIGHT
  at=$(monitor "$1") || return 1
  # The saver may have made its windows anew since it started (after a change of the desktop).
  saver_window=$(xdotool search --name '^Screen Saver$' 2>/dev/null | head -n 1) || return 1
  for id in $(xdotool search --onlyvisible --maxdepth 1 --pid "$(xdotool getwindowpid "$saver_window" 2>/dev/null)" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    [ "${WIDTH}x${HEIGHT}+${X}+${Y}" = "$at" ] && { echo "$id"; return 0; }
  done
  return 1
}

# Input on one monitor; the pointer is where start_on_desktop put it. Without a window
# manager a key reaches only the window with the X input focus.
key_on() {
  local id
  id=$(window_on "$1") || { echo "no window covers $1"; return 1; }
  xdotool windowfocus --sync "$id" 2>/dev/null
  sleep 0.1
  xdotool key x
}
click_here() { xdotool click 1; }
nudge_here() { xdotool mousemove_relative -- 10 0; }

# last_shot_within SECONDS FILE: takes screenshots into FILE one after the other for SECONDS
# (a decimal) times VYK_SLOWDOWN; FILE is left with the last one begun within that time, the
# desktop as it stands at the deadline.
last_shot_within() {
  local deadline
  deadline=$(deadline_after "$1")
  while [ "$(now_ms)" -lt "$deadline" ]; do shot "$2.next.ppm" && mv "$2.next.ppm" "$2"; done
}
