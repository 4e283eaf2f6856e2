#!/usr/bin/env bash
# The several-monitor desktop of the harness: Xorg on the dummy driver starts on a display of
# its own, xrandr switches outputs on (beside, left of the primary), to other modes and off,
# and the server ends with its files removed.
# Usage: xorg_desktop.sh FOLDER
source "$(dirname "$0")/../../scripts/lib/xorg.sh"
dir=$1/xorg-desktop-check
mkdir -p "$dir"
failures=0
expect() {
  if [ "$2" = "$3" ]; then printf 'ok   %s\n' "$1"; else printf 'FAIL %s: got "%s", expected "%s"\n' "$1" "$2" "$3"; failures=$((failures + 1)); fi
}
trap 'vyk_stop_xorg "$dir/xorg.pid"' EXIT

vyk_start_xorg_dummy "$dir/xorg.pid" 800x600 || exit 1
pid=$vyk_xorg_pid
expect "the display answers as DISPLAY" "$(xdpyinfo >/dev/null 2>&1 && echo yes)" yes
expect "the primary alone is on" "$(vyk_monitors | tr '\n' ' ')" "DUMMY0 800x600+0+0 "
vyk_monitor_on DUMMY1 640x480 --right-of DUMMY0
expect "a monitor switched on right of the primary" "$(vyk_monitors | tr '\n' ' ')" "DUMMY0 800x600+0+0 DUMMY1 640x480+800+0 "
expect "the screen spans both" "$(vyk_screen_size)" 1440x600
vyk_monitor_on DUMMY1 640x480 --left-of DUMMY0
expect "left of the primary, the primary moves right" "$(vyk_monitors | tr '\n' ' ')" "DUMMY0 800x600+640+0 DUMMY1 640x480+0+0 "
vyk_monitor_on DUMMY0 1024x768 --pos 0x0
vyk_monitor_off DUMMY1
expect "the primary at another mode, the other switched off" "$(vyk_monitors | tr '\n' ' ')" "DUMMY0 1024x768+0+0 "
vyk_stop_xorg "$dir/xorg.pid"
expect "stopping ends the server" "$(kill -0 "$pid" 2>/dev/null && echo running)" ""
expect "stopping removes its pid, display and configuration files (Xorg keeps its logs)" "$(ls "$dir" | grep -v -E '\.log(\.old)?$' | tr '\n' ' ')" ""
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
