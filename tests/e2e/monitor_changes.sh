#!/usr/bin/env bash
# The full-screen saver follows the desktop while it runs: a monitor switched on shows the
# tunnel within 2 s and leaves no pixel of the desktop uncovered; after the primary's
# resolution changes the tunnel fills it again, centred, within 2 s; a monitor switched off
# leaves the others drawing; a key then still closes it with exit code 0.
# Usage: monitor_changes.sh BUILD SAVER HOST LAUNCHER
e2e_desktop=monitors
source "$(dirname "$0")/lib.sh" "$@"
rm -f "$control_ini"

# How soon the saver must follow a change of the desktop, in seconds (times VYK_SLOWDOWN).
follow=2

# drawn_everywhere_within SECONDS: the desktop as it stands SECONDS (times VYK_SLOWDOWN) after
# a change shows every monitor that is on drawn, and not one pixel of the root's colour;
# tunnel_on then judges each monitor's picture.
drawn_everywhere_within() {
  local output at
  last_shot_within "$1" "$work/now.ppm"
  no_root_colour "$work/now.ppm" || return 1
  while read -r output at; do
    at_least "$(picture --crop "$at" covered "$work/now.ppm")" 0.95 || { echo "on $output"; return 1; }
  done < <(vyk_monitors)
}

if start_on_desktop; then
  vyk_monitor_on DUMMY1 640x480 --right-of DUMMY0
  check "a monitor switched on shows the tunnel within $follow s, no pixel of the desktop left" \
    drawn_everywhere_within $follow
  check "the monitor switched on shows the moving tunnel, centred on it" tunnel_on DUMMY1
  check "the primary goes on showing the moving tunnel" tunnel_on DUMMY0

  vyk_monitor_on DUMMY0 640x480
  check "after the primary's resolution changes, the tunnel fills it again within $follow s" \
    drawn_everywhere_within $follow
  check "the primary at its new resolution shows the moving tunnel, centred on it" tunnel_on DUMMY0

  vyk_monitor_off DUMMY1
  check "after a monitor is switched off, the primary goes on showing the moving tunnel" tunnel_on DUMMY0
  check "after a monitor is switched off, no pixel of the desktop shows" no_root_colour

  key_on DUMMY0 >/dev/null
  check "a key then closes the saver with exit code 0" closes_with "$saver_pid" 30 0
else
  fail "the saver starts on the desktop" "$problem"
fi
end_all
finish
