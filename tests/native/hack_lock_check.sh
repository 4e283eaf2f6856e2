#!/usr/bin/env bash
# The native hack as the picture of a Wayland lock screen: its package installed in a Debian 13
# root, where sway 1.10 (whose ext-session-lock-v1 Debian 12's sway lacks) runs headless with two
# outputs as an ordinary user and swaylock-plugin locks it. With --command-each, one hack per
# output draws the moving tunnel on it, and every hack ends when the locker is killed; with
# --command, one hack draws it on both outputs and ends when the locker is ended by SIGTERM; and
# the README's swayidle line locks the session with it and then turns the outputs off. Unlocked,
# with every output powered off, the hack costs next to nothing until they come back.
# Needs root (chroot and mounts): any other user gets exit code 77, which ctest reports as skipped.
# Usage: hack_lock_check.sh BUILD PICTURE_PY WORKDIR
build=$1 picture_py=$2 work=$3
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the lock screen's Debian 13 root needs root"
  exit 77
fi
# In a mount namespace of its own, the root's mounts go with this check however it ends.
[ -n "${vyk_lock_private:-}" ] || exec env vyk_lock_private=1 unshare --mount --propagation private bash "$0" "$@"
rm -rf --one-file-system "$work" && mkdir -p "$work" && work=$(realpath "$work") || exit 1
failures=0

source "$(dirname "$0")/checks.sh"
# The screenshot measures the Windows saver's end-to-end suite uses too; PICTURE_PY is theirs.
source "$(dirname "$picture_py")/picture_checks.sh"
source "$(dirname "$0")/installed_package.sh"
source "$(dirname "$0")/../../scripts/lib/common.sh"
source "$vyk_root/scripts/lib/wine-i386.sh"
source "$vyk_root/scripts/lib/trixie-lock.sh"
vyk_sway_root=$work/root
source "$vyk_root/scripts/lib/sway.sh"
source "$(dirname "$0")/sway_pictures.sh"

# The session folder, as sway's user sees it inside the root.
session=/tmp/vyk-lock
locker_pid=
idle_pid=
hack_pid=
# root_pids [NAME]: this run's processes (of that name), those whose root is its copy of Debian 13.
root_pids() {
  local pid
  for pid in $(if [ -n "${1:-}" ]; then pgrep -x "$1"; else cd /proc && ls -d [0-9]*; fi); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$vyk_sway_root" ] && echo "$pid"
  done
  # Other checks run hacks outside the root at the same time: the last one looked at may not be ours.
  return 0
}
# stop_locker: ends swayidle and the locker outright, the locker that swayidle started too.
stop_locker() {
  local pid
  for pid in $idle_pid $locker_pid $hack_pid $(root_pids swaylock-plugin); do kill -KILL "$pid" 2>/dev/null; done
  # With no pid, wait would wait for sway too.
  [ -z "$idle_pid$locker_pid$hack_pid" ] || wait $idle_pid $locker_pid $hack_pid 2>/dev/null
  idle_pid= locker_pid= hack_pid=
}
cleanup() {
  local pid
  stop_locker
  vyk_stop_sway
  for pid in $(root_pids); do kill -KILL "$pid" 2>/dev/null; done
  wait 2>/dev/null
  vyk_trixie_lock_release "$vyk_sway_root"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

vyk_trixie_lock_ready || { echo "skipped: no Debian 13 root, nor swaylock-plugin's source release to build it from"; exit 77; }
vyk_trixie_lock >/dev/null || exit 1
vyk_make_built_package "$build" || exit 1
vyk_trixie_lock_unpack "$vyk_sway_root" || exit 1
cp "$vyk_built_package" "$vyk_sway_root/tmp/vyk.deb" &&
  chroot "$vyk_sway_root" dpkg -i /tmp/vyk.deb >"$work/dpkg.log" 2>&1 ||
  { echo "FAIL: the package does not install in the Debian 13 root (a new dependency belongs in"
    echo "vyk_trixie_lock_packages, scripts/lib/trixie-lock.sh): $(cat "$work/dpkg.log")"; exit 1; }
mkdir -p "$vyk_sway_root$session/shots" && chmod 755 "$vyk_sway_root$session" &&
  chmod 1777 "$vyk_sway_root$session/shots" || exit 1

# fresh_session: a new sway of two outputs side by side; a session stays locked after its locker
# has died, so each case begins with one.
fresh_session() {
  vyk_stop_sway
  vyk_start_sway "$session" 2 480x360 560x420 || return 1
}
# lock COMMAND...: swaylock-plugin, with COMMAND as its arguments, locks the session.
lock() {
  vyk_sway_prefix
  "${vyk_sway_command[@]}" swaylock-plugin "$@" >"$work/locker.log" 2>&1 &
  locker_pid=$!
}
# magenta_on OUTPUT: the output shows swaybg's magenta all over.
magenta_on() {
  local pixels magenta
  grab "$1" "$work/$1-plain.ppm" || return 1
  pixels=$(identify -format '%[fx:w*h]' "$work/$1-plain.ppm") || return 1
  magenta=$(picture colour "$work/$1-plain.ppm" ff00ff) || return 1
  [ "$magenta" -eq "$pixels" ] || { echo "$magenta of $pixels pixels magenta on $1"; return 1; }
}
# hacks COUNT: exactly COUNT of this run's hacks run.
hacks() {
  local pids
  pids=$(root_pids vyk | wc -l)
  [ "$pids" -eq "$1" ] || { echo "$pids hacks run, not $1"; return 1; }
}
# The locker ended by signal $1: within 5 s every hack has ended.
hacks_end_with_locker() {
  kill "-$1" "$locker_pid"
  wait_until 5 hacks 0 || { echo "(5 s after the locker's SIG$1)"; return 1; }
}
# powered_off: sway has powered every output off.
powered_off() {
  local outputs
  outputs=$(vyk_as_sway_user swaymsg -t get_outputs) || return 1
  grep -q '"power": false' <<<"$outputs" && ! grep -q '"power": true' <<<"$outputs" ||
    { echo "$outputs" | grep '"name"\|"power"' | tr -s ' \n' ' '; return 1; }
}
# show_logs: what the locker (or swayidle) and sway printed, after a failed case.
show_logs() {
  echo "--- swaylock-plugin:"; cat "$work/locker.log"
  [ -z "$idle_pid" ] || { echo "--- swayidle:"; cat "$work/swayidle.log"; }
  echo "--- sway:"; tail -n 40 "$vyk_sway_root$session/sway.log"
}
# run_case: runs the checks given as "NAME|COMMAND" lines on stdin; on a failure, shows the logs.
run_case() {
  local before=$failures name command
  while IFS='|' read -r name command; do
    eval "check \"\$name\" $command"
  done
  [ "$failures" -eq "$before" ] || show_logs
}

# The host alone: the plainest plugin locks both outputs, and grim sees them while locked.
fresh_session || exit 1
lock --command 'swaybg -c "#ff00ff"'
run_case <<'CASE'
the host: swaylock-plugin --command swaybg locks, and grim shows HEADLESS-1 magenta|wait_until 30 magenta_on HEADLESS-1
the host: and HEADLESS-2 magenta|wait_until 30 magenta_on HEADLESS-2
CASE
stop_locker

fresh_session || exit 1
lock --command-each '/usr/libexec/xscreensaver/vyk --wayland'
run_case <<'CASE'
--command-each: one hack for each output|wait_until 30 hacks 2
--command-each: the tunnel covers HEADLESS-1, 480x360, centred and moving|tunnel_on HEADLESS-1 480x360
--command-each: the tunnel covers HEADLESS-2, 560x420, centred and moving|tunnel_on HEADLESS-2 560x420
--command-each: the locker killed, every hack ends within 5 s|hacks_end_with_locker KILL
CASE

fresh_session || exit 1
lock --command '/usr/libexec/xscreensaver/vyk --wayland'
run_case <<'CASE'
--command: the tunnel covers HEADLESS-1, 480x360, centred and moving|tunnel_on HEADLESS-1 480x360
--command: the tunnel covers HEADLESS-2, 560x420, centred and moving|tunnel_on HEADLESS-2 560x420
--command: one hack for both outputs|hacks 1
--command: the locker ended by SIGTERM, the hack ends within 5 s|hacks_end_with_locker TERM
CASE

# Unlocked, with every output powered off, as swayidle's second timeout does: no output gets a
# frame callback, and the hack costs next to nothing; powered on, it draws again.
fresh_session || exit 1
vyk_sway_prefix
"${vyk_sway_command[@]}" /usr/libexec/xscreensaver/vyk --wayland >"$work/hack.log" 2>&1 &
hack_pid=$!
# idle_while_off: once the hack is idle, it stays under 1 % of a core over 5 s; the figure is kept.
idle_while_off() {
  local pid
  pid=$(root_pids vyk)
  [ "$(wc -w <<<"$pid")" -eq 1 ] || { echo "not one hack in the root: ${pid:-none}"; return 1; }
  wait_until 20 used_little "$pid" 1 || { echo "(never idle)"; return 1; }
  used_little "$pid" 5 >"$work/powered-off.txt"
  local status=$?
  cat "$work/powered-off.txt"
  return "$status"
}
power() { vyk_as_sway_user swaymsg "output * power $1" >/dev/null; }
power_on_and_drawn() { power on && tunnel_on "$@"; }
run_case <<'CASE'
power off: the tunnel covers HEADLESS-1 first|tunnel_on HEADLESS-1 480x360
power off: every output powered off|power off
power off: the hack uses under 1 % of a core over 5 s|idle_while_off
power off: powered on again, the tunnel moves on HEADLESS-1|power_on_and_drawn HEADLESS-1 480x360
power off: and on HEADLESS-2|tunnel_on HEADLESS-2 560x420
CASE
kill "$hack_pid" 2>/dev/null
wait "$hack_pid" 2>/dev/null
hack_pid=

# The README's swayidle line with timeouts of 1 and 3 s: with -w and without the locker's -f,
# swayidle would wait for the unlock and never power the outputs off.
fresh_session || exit 1
vyk_sway_prefix
: >"$work/locker.log"
"${vyk_sway_command[@]}" swayidle -w timeout 1 "swaylock-plugin -f --command-each '/usr/libexec/xscreensaver/vyk --wayland'" \
  timeout 3 'swaymsg "output * power off"' resume 'swaymsg "output * power on"' >"$work/swayidle.log" 2>&1 &
idle_pid=$!
run_case <<'CASE'
swayidle -w ... swaylock-plugin -f --command-each: the session locks, one hack for each output|wait_until 30 hacks 2
swayidle: the outputs are then powered off, while locked|wait_until 30 powered_off
CASE
stop_locker

echo "$failures failed"
[ "$failures" -eq 0 ]
