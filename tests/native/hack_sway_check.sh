#!/usr/bin/env bash
# The native hack as a Wayland client with no X server, on a headless sway of two outputs run as
# an ordinary user: the tunnel full screen and centred on each output as layer surfaces, on an
# output created while it runs and on one whose mode changes; idle while the compositor answers
# no frame, moving again when it does; a key ends it with 0 and SIGTERM by SIGTERM; and
# swayidle starts it by the README's line.
# Usage: hack_sway_check.sh VYK PICTURE_PY WORKDIR
vyk=$1 picture_py=$2 work=$3
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

source "$(dirname "$0")/checks.sh"
# The screenshot measures the Windows saver's end-to-end suite uses too; PICTURE_PY is theirs.
source "$(dirname "$picture_py")/picture_checks.sh"
source "$(dirname "$0")/../../scripts/lib/sway.sh"
source "$(dirname "$0")/sway_pictures.sh"

# sway's user must reach the hack, the session and the screenshots, and the build folder may
# lie where that user cannot go: they get a folder of their own.
session=$(mktemp -d /tmp/vyk-sway.XXXXXX) || exit 1
chmod 755 "$session"
cp "$vyk" "$session/vyk" && chmod 755 "$session/vyk" || exit 1
mkdir "$session/shots" && chmod 1777 "$session/shots" || exit 1
hack_pid=
idle_pid=
# The hacks swayidle started: found by the path of this run's copy, which no other process has.
idle_hack_pids() { pgrep -f -- "^$session/vyk --wayland"; }
cleanup() {
  [ -n "$hack_pid" ] && kill "$hack_pid" 2>/dev/null
  [ -n "$idle_pid" ] && kill "$idle_pid" 2>/dev/null
  [ -n "${vyk_sway_pid:-}" ] && kill -CONT "$vyk_sway_pid" 2>/dev/null
  for pid in $(idle_hack_pids); do kill "$pid" 2>/dev/null; done
  vyk_stop_sway
  wait 2>/dev/null
  rm -rf "$session"
}
trap cleanup EXIT

# Two outputs side by side; the third mode is that of the output created later.
vyk_start_sway "$session" 2 480x360 560x420 400x300 || { cp "$session/sway.log" "$work/" 2>/dev/null; exit 1; }

start_hack() {
  vyk_sway_prefix
  "${vyk_sway_command[@]}" "$session/vyk" "$@" >"$work/hack.log" 2>&1 &
  hack_pid=$!
}
hack_ended() { ! kill -0 "$hack_pid" 2>/dev/null; }
# ended_with STATUS: the hack has ended with that shell status.
ended_with() {
  local status
  wait "$hack_pid"
  status=$?
  hack_pid=
  [ "$status" -eq "$1" ] || { echo "status $status, not $1; $(cat "$work/hack.log")"; return 1; }
}
# A key typed on a virtual keyboard that lives a while before it (so the hack has taken the
# seat's new keyboard and its keymap): 1 s at the first try, twice as long at each next one up
# to 8 s, for a slow machine; typed again every try until the hack ends within 60 s.
key_ends_with_zero() {
  local deadline=$((SECONDS + 60 * ${VYK_SLOWDOWN:-1})) wait_ms=1000
  until hack_ended; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "still running 60 s after the first key"; return 1; }
    vyk_as_sway_user wtype -s "$wait_ms" -k space
    wait_until 2 hack_ended
    [ "$wait_ms" -ge 8000 ] || wait_ms=$((wait_ms * 2))
  done
  ended_with 0
}
# The hack ends by signal $1 (its shell status 128 + the number) within 10 s of it.
ends_by_signal() {
  kill "-$1" "$hack_pid"
  wait_until 10 hack_ended || { echo "still running 10 s after SIG$1"; return 1; }
  ended_with $((128 + $(kill -l "$1")))
}

# With no X display and WAYLAND_DISPLAY set, no option is needed.
start_hack
check "without DISPLAY: the tunnel fills HEADLESS-1, 480x360, centred and moving" tunnel_on HEADLESS-1 480x360
check "without DISPLAY: the tunnel fills HEADLESS-2, 560x420, centred and moving" tunnel_on HEADLESS-2 560x420
# Layer surfaces are no windows: sway's tree, which lists every toplevel, has none of the hack's.
no_vyk_window() {
  local tree
  tree=$(vyk_as_sway_user swaymsg -t get_tree) || return 1
  ! grep -q '"app_id": "vyk"' <<<"$tree" || { echo "a vyk window is in sway's tree"; return 1; }
}
check "without DISPLAY: the outputs are covered by layer surfaces, not by windows" no_vyk_window
vyk_as_sway_user swaymsg create_output >/dev/null
check "an output created while it runs is drawn: HEADLESS-3, 400x300" tunnel_on HEADLESS-3 400x300
# The rightmost of the first two shrinks, so that no output overlaps another in the layout.
vyk_as_sway_user swaymsg output HEADLESS-2 mode 512x384 >/dev/null
check "an output's new mode is drawn at its size: HEADLESS-2, 512x384" tunnel_on HEADLESS-2 512x384
check "the other outputs are still drawn: HEADLESS-1" tunnel_on HEADLESS-1 480x360

# A compositor that shows no frame sends no frame callback, and the hack then waits without
# cost. Headless sway 1.7 cannot power its outputs off (the commit of "output * dpms off" fails
# on its headless backend), so a stopped sway stands in for outputs that are all off: it
# answers nothing until it is continued.
idle_while_sway_stopped() {
  kill -STOP "$vyk_sway_pid" || return 1
  wait_until 20 used_little "$hack_pid" 1 || { kill -CONT "$vyk_sway_pid"; echo "(never idle)"; return 1; }
  used_little "$hack_pid" 5
  local status=$?
  kill -CONT "$vyk_sway_pid"
  return "$status"
}
check "while sway answers no frame, the hack uses under 1 % of a core over 5 s" idle_while_sway_stopped
check "once sway answers again, the tunnel moves on HEADLESS-1" tunnel_on HEADLESS-1 480x360
check "a key ends the hack with exit code 0" key_ends_with_zero

start_hack --wayland --no-logo
check "--wayland: the tunnel fills HEADLESS-2" tunnel_on HEADLESS-2 512x384
check "SIGTERM ends the Wayland hack by SIGTERM" ends_by_signal TERM

# swayidle, as the README and the manual give it, with a timeout of 1 s: the session's idle
# time starts the hack.
vyk_sway_prefix
"${vyk_sway_command[@]}" swayidle timeout 1 "$session/vyk --wayland" >"$work/swayidle.log" 2>&1 &
idle_pid=$!
check "swayidle timeout 1 '.../vyk --wayland': the hack starts when the session is idle" \
  wait_until 30 eval '[ -n "$(idle_hack_pids)" ]'
check "swayidle's hack: the tunnel fills HEADLESS-1" tunnel_on HEADLESS-1 480x360
kill "$idle_pid" 2>/dev/null
wait "$idle_pid" 2>/dev/null
idle_pid=
for pid in $(idle_hack_pids); do kill "$pid"; done

echo "$failures failed"
[ "$failures" -eq 0 ]
