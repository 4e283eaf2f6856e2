#!/usr/bin/env bash
# The package with the real xsecurelock on a desktop of two 640x480 monitors (Xorg with the
# dummy driver): installed, XSECURELOCK_SAVER=saver_vyk alone runs the installed hack once
# per monitor, each in the window xsecurelock hands it, each showing the moving tunnel on its
# monitor; SIGTERM to xsecurelock (what ends it without a password) ends every hack with it.
# Usage: xsecurelock_check.sh BUILD PICTURE_PY WORKDIR
build=$1 picture_py=$2 work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0
source "$(dirname "$picture_py")/picture_checks.sh"
source "$(dirname "$0")/../../scripts/lib/display.sh"
source "$(dirname "$0")/../../scripts/lib/xorg.sh"
source "$(dirname "$0")/checks.sh"
source "$(dirname "$0")/installed_package.sh"
hack=/usr/libexec/xscreensaver/vyk
monitors=("640x480+0+0" "640x480+640+0")

locker_pid= xorg_started=
cleanup() {
  local pid
  if [ -n "$locker_pid" ]; then
    kill "$locker_pid" 2>/dev/null
    wait "$locker_pid" 2>/dev/null
  fi
  # A hack that outlives xsecurelock is ended by its own id.
  for pid in ${hacks:-}; do kill "$pid" 2>/dev/null; done
  [ -z "$xorg_started" ] || vyk_stop_xorg "$work/xorg.pid"
  vyk_remove_built_package
}
trap cleanup EXIT
vyk_install_built_package "$build" || { echo "FAIL: the built package does not install"; exit 1; }

vyk_start_xorg_dummy "$work/xorg.pid" 640x480 || exit 1
xorg_started=1
vyk_monitor_on DUMMY1 640x480 --right-of DUMMY0 || { echo "FAIL: no second monitor"; exit 1; }

# The installed hacks running under xsecurelock (its children's children), one pid a line.
descendants() {
  local pid
  for pid in $(pgrep -P "$1"); do echo "$pid"; descendants "$pid"; done
}
hacks_of_locker() {
  local pid
  for pid in $(descendants "$locker_pid"); do
    [ "$(readlink "/proc/$pid/exe")" = "$hack" ] && echo "$pid"
  done
}
one_hack_per_monitor() {
  hacks=$(hacks_of_locker | tr '\n' ' ')
  [ "$(wc -w <<<"$hacks")" -eq "${#monitors[@]}" ] || { echo "hacks: $hacks"; return 1; }
}
# Each hack draws in a window of its own from XSCREENSAVER_WINDOW, the size of a monitor.
own_windows() {
  local pid window windows=
  for pid in $hacks; do
    window=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
    [ -n "$window" ] && xwininfo -id "$window" | grep -q 'Width: 640' || { echo "$pid: window '$window'"; return 1; }
    windows="$windows $window"
  done
  [ "$(tr ' ' '\n' <<<"$windows" | grep . | sort -u | wc -l)" -eq "${#monitors[@]}" ] || { echo "windows:$windows"; return 1; }
}
tunnels_shown() {
  local monitor
  shot "$work/$1.ppm" || return 1
  for monitor in "${monitors[@]}"; do
    at_least "$(picture --crop "$monitor" covered "$work/$1.ppm")" 0.95 || { echo "on $monitor"; return 1; }
  done
}
all_gone() {
  local pid
  for pid in $hacks; do ! kill -0 "$pid" 2>/dev/null || return 1; done
}

env XSECURELOCK_SAVER=saver_vyk xsecurelock >"$work/xsecurelock.log" 2>&1 &
locker_pid=$!
check "XSECURELOCK_SAVER=saver_vyk runs the installed hack once per monitor" until_true 30 one_hack_per_monitor
check "each hack draws in its own monitor-sized window from XSCREENSAVER_WINDOW" own_windows
check "the tunnel covers each monitor" until_true 30 tunnels_shown a
for monitor in "${monitors[@]}"; do
  check "the tunnel on $monitor moves" until_shot 20 "$work/b.ppm" tunnel_moved "$work/a.ppm" "$work/b.ppm" "$monitor"
  check "the tunnel on $monitor is mirror-symmetric" mirrored "$work/b.ppm" "$monitor"
done

kill -TERM "$locker_pid"
check "SIGTERM ends xsecurelock" until_true 20 eval '! kill -0 "$locker_pid"'
check "every hack ends with xsecurelock" until_true 10 all_gone

echo "$failures failed"
[ "$failures" -eq 0 ]
