#!/usr/bin/env bash
# The full-screen saver on a desktop of two monitors of different sizes: the tunnel on each,
# centred on it and moving, no pixel of the desktop left uncovered; a key, a click or a mouse
# movement on either monitor closes it with exit code 0; with AllMonitors=0 only the primary
# draws and the other monitor is black.
# Usage: monitors.sh BUILD SAVER HOST LAUNCHER
e2e_desktop=monitors
source "$(dirname "$0")/lib.sh" "$@"
rm -f "$control_ini"

# Exits under Wine without a window manager wait up to 2 s for X per top-level window.
exit_wait=30

# Each desktop: a name, then the second monitor's mode and place beside the 800x600 primary.
desktops=(
  "640x480 right of the primary|640x480|--right-of DUMMY0"
  "640x480 left of the primary, at negative coordinates|640x480|--left-of DUMMY0"
)
for desktop in "${desktops[@]}"; do
  IFS='|' read -r name mode place <<<"$desktop"
  second_monitor "$mode" $place
  if start_on_desktop; then
    check "$name: the primary shows the moving tunnel, centred on it" tunnel_on DUMMY0
    check "$name: the second monitor shows the moving tunnel, centred on it" tunnel_on DUMMY1
    check "$name: no pixel of the desktop shows through" no_root_colour
    key_on DUMMY1 >/dev/null
    check "$name: a key on the second monitor closes the saver with exit code 0" closes_with "$saver_pid" $exit_wait 0
  else
    fail "$name: the saver starts" "$problem"
  fi
  end_all
done

# Input on either monitor of the first desktop; the pointer starts at the centre of the
# monitor named, the saver's reference point.
second_monitor 640x480 --right-of DUMMY0
inputs=(
  "a key on the primary|DUMMY0|key_on DUMMY0"
  "a click on the primary|DUMMY0|click_here"
  "a click on the second monitor|DUMMY1|click_here"
  "a 10-pixel mouse movement on the primary|DUMMY0|nudge_here"
  "a 10-pixel mouse movement on the second monitor|DUMMY1|nudge_here"
)
for input in "${inputs[@]}"; do
  IFS='|' read -r name output action <<<"$input"
  if start_on_desktop "$output"; then
    $action >/dev/null
    check "$name closes the saver with exit code 0" closes_with "$saver_pid" $exit_wait 0
  else
    fail "$name closes the saver with exit code 0" "$problem"
  fi
  end_all
done

write_settings AllMonitors=0
if start_on_desktop; then
  check "AllMonitors=0: the primary shows the moving tunnel" tunnel_on DUMMY0
  check "AllMonitors=0: the second monitor is black" black_on DUMMY1
  key_on DUMMY0 >/dev/null
  check "AllMonitors=0: a key closes the saver with exit code 0" closes_with "$saver_pid" $exit_wait 0
else
  fail "AllMonitors=0: the saver starts" "$problem"
fi
end_all
rm -f "$control_ini"
finish
