#!/usr/bin/env bash
# The full-screen saver follows the desktop while it runs: a monitor switched on shows the
# tunnel and leaves no pixel of the desktop uncovered; after the primary's resolution
# changes the tunnel fills it again, centred; a monitor switched off leaves the others
# drawing; the cursor the server moves with each change closes nothing, and a key then
# still closes the saver with exit code 0.
# Usage: monitor_changes.sh BUILD SAVER HOST LAUNCHER
e2e_desktop=monitors
source "$(dirname "$0")/lib.sh" "$@"
rm -f "$control_ini"

# How soon the saver must follow a change of the desktop, in seconds (times VYK_SLOWDOWN).
# On Windows it is 2 s. Under Wine the saver has its new window open and brought up within
# half a second of the notice, but Wine's X side shows that window about 2 s later and its
# first frames a second or two after that (4 to 6 s in all, measured with the machine
# otherwise idle, over 30 s for the 32-bit build on a busy one, and ten times as long with
# Wine held to a tenth of a CPU), so the checks here allow 60 s and print how long it took.
follow=60

# drawn_everywhere: a screenshot shows every monitor that is on drawn, and not one pixel of
# the root's colour; tunnel_on then judges each monitor's picture.
drawn_everywhere() {
  local output at
  shot "$work/now.ppm" || return 1
  no_root_colour "$work/now.ppm" || return 1
  while read -r output at; do
    at_least "$(picture --crop "$at" covered "$work/now.ppm")" 0.95 || { echo "on $output"; return 1; }
  done < <(vyk_monitors)
}

# drawn_everywhere_within SECONDS: waits up to SECONDS (times VYK_SLOWDOWN) from now for
# drawn_everywhere and prints how long it took.
drawn_everywhere_within() {
  local start
  start=$(now_ms)
  wait_until "$1" drawn_everywhere || return 1
  echo "     drawn everywhere $(($(now_ms) - start)) ms after the change" >&3
}
exec 3>&1

# Wine 8 tells running programs of an output switched on only when display settings are
# applied (see display_notice.cpp); the notice stands in for the system's, and the time
# allowed runs from it.
display_notice="$(dirname "$launcher")/e2e_display_notice.exe"
announce() { wine "$display_notice" || echo "the display notice failed with exit code $?"; }

if start_on_desktop; then
  vyk_monitor_on DUMMY1 640x480 --right-of DUMMY0
  announce
  check "a monitor switched on shows the tunnel, no pixel of the desktop left" \
    drawn_everywhere_within $follow
  check "the monitor switched on shows the moving tunnel, centred on it" tunnel_on DUMMY1
  check "the primary goes on showing the moving tunnel" tunnel_on DUMMY0

  vyk_monitor_on DUMMY0 640x480
  check "after the primary's resolution changes, the tunnel fills it again" \
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
