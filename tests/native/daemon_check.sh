#!/usr/bin/env bash
# The native hack inside the real XScreenSaver daemon, run as an ordinary user with a home of
# its own on a private 640x480 Xvfb: Vyk joins the user's list by add-vyk-to-xscreensaver,
# activation shows the moving tunnel, the frame rate shows with -fps, a cycle's end of the
# hack is logged by the daemon as a normal exit, and deactivation ends the hack.
# Usage: daemon_check.sh VYK HELPER PICTURE_PY WORKDIR
vyk=$1 helper=$2 picture_py=$3 work=$4
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0
source "$(dirname "$picture_py")/picture_checks.sh"
source "$(dirname "$0")/../../scripts/lib/display.sh"
source "$(dirname "$0")/checks.sh"

# XScreenSaver refuses to run as root: as root the daemon and its tools run as nobody.
# The home lies under /tmp, which every user can reach, whatever the build folder's modes.
home=$(mktemp -d /tmp/vyk-daemon.XXXXXX) || exit 1
mkdir -p "$home/bin"
cp "$vyk" "$home/bin/vyk" && cp "$helper" "$home/bin/add-vyk-to-xscreensaver" || exit 1
runner=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody:nogroup "$home"
  runner=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

vyk_start_xvfb 640x480x24 "$work/xvfb.pid" "$work/xvfb.log" -noreset || exit 1
xvfb_pid=$vyk_xvfb_pid
as_user() { "${runner[@]}" env -i HOME="$home" DISPLAY="$DISPLAY" PATH="$home/bin:/usr/bin:/bin" "$@"; }

daemon_pid=
cleanup() {
  local pid
  if [ -n "$daemon_pid" ]; then
    # The daemon's helpers (its graphics process, and the hack under it) end with it; any
    # that outlives it is ended by its own id.
    helpers=$(pgrep -P "$daemon_pid")
    kill "$daemon_pid" 2>/dev/null
    wait "$daemon_pid" 2>/dev/null
    for pid in $helpers $(for pid in $helpers; do pgrep -P "$pid"; done); do kill "$pid" 2>/dev/null; done
  fi
  kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  cp "$home/xscreensaver.log" "$home/.xscreensaver" "$work/" 2>/dev/null
  rm -rf "$home"
}
trap cleanup EXIT

log() { cat "$home/xscreensaver.log" 2>/dev/null; }
# The pid of the latest hack the daemon forked with the command line $1.
forked_pid() { log | grep -F "forked \"$1\" in pid " | tail -n 1 | sed 's/.* in pid \([0-9]*\) .*/\1/'; }
hack_runs() {
  local pid
  pid=$(forked_pid "$1")
  [ -n "$pid" ] && [ "$(readlink "/proc/$pid/exe")" = "$home/bin/vyk" ]
}
tunnel_shown() { shot "$work/$1.ppm" && at_least "$(picture covered "$work/$1.ppm")" 0.95; }
# The daemon's log names a hack by the program of its command line, here the full path.
normal_exit_logged() { log | grep -qF "child pid $1 ($home/bin/vyk) exited normally with SIGTERM"; }
# Deactivation: the graphics process kills the hack and exits at once, without logging how
# the hack ended; the hack must then be gone.
ended_by_deactivation() {
  log | grep -qF "killing pid $1 ($home/bin/vyk)" && ! kill -0 "$1" 2>/dev/null
}
# cycle_and_deactivate COMMAND PID: a cycle ends the hack PID, which the daemon logs as a
# normal exit, and starts COMMAND again; deactivation then ends that one.
cycle_and_deactivate() {
  local command=$1 pid=$2 next label=${1#"$home"/bin/}
  as_user xscreensaver-command -cycle >/dev/null 2>&1
  check "\"$label\": a cycle ends the hack, logged as a normal exit" until_true 20 normal_exit_logged "$pid"
  check "\"$label\": the cycle starts it again" until_true 20 eval \
    '[ "$(forked_pid "$command")" != "$pid" ] && hack_runs "$command"'
  next=$(forked_pid "$command")
  as_user xscreensaver-command -deactivate >/dev/null 2>&1
  check "\"$label\": deactivation ends the hack" until_true 20 ended_by_deactivation "$next"
}
no_abnormal_exit() {
  ! log | grep -E "\([^)]*vyk\) (exited abnormally|crashed|terminated with signal)" || return 1
}

# A new user's one step, as the README gives it; then the test's own settings: Vyk alone,
# no locking, no fading, no activation by itself.
check "add-vyk-to-xscreensaver puts Vyk into a new user's list" as_user add-vyk-to-xscreensaver
# The daemon puts its own hack folder first on PATH, where an installed vyk would win over
# this build's: the entry names the build's by its full path, its options as the helper wrote them.
sed -i "s|\tvyk --root|\t$home/bin/vyk --root|" "$home/.xscreensaver"
cat >>"$home/.xscreensaver" <<'SETTINGS'
mode:		one
selected:	0
lock:		False
fade:		False
unfade:		False
splash:		False
timeout:	1:00:00
cycle:		1:00:00
SETTINGS
[ -z "${runner[*]}" ] || chown nobody:nogroup "$home/.xscreensaver"

"${runner[@]}" env -i HOME="$home" DISPLAY="$DISPLAY" PATH="$home/bin:/usr/bin:/bin" \
  xscreensaver -no-splash -verbose -log "$home/xscreensaver.log" >"$work/daemon.out" 2>&1 &
daemon_pid=$!
until_true 20 as_user xscreensaver-command -version || { echo "FAIL: the daemon does not answer: $(cat "$work/daemon.out")"; exit 1; }

# Activation: the entry the helper wrote runs the hack, which draws the moving tunnel.
as_user xscreensaver-command -activate >/dev/null 2>&1
check "activation runs the user's list's \"vyk --root\"" until_true 20 hack_runs "$home/bin/vyk --root"
first=$(forked_pid "$home/bin/vyk --root")
check "activation shows the tunnel over the whole screen" until_true 30 tunnel_shown a
check "the tunnel moves" until_shot 20 "$work/b.ppm" tunnel_moved "$work/a.ppm" "$work/b.ppm"
check "the tunnel is mirror-symmetric" mirrored "$work/b.ppm"

cycle_and_deactivate "$home/bin/vyk --root" "$first"

# The frame rate, as the settings dialog's "Show frame rate" box adds it to the command.
sed -i 's/vyk --root/vyk -root -fps/' "$home/.xscreensaver"
as_user xscreensaver-command -activate >/dev/null 2>&1
check "activation runs \"vyk -root -fps\"" until_true 20 hack_runs "$home/bin/vyk -root -fps"
fps=$(forked_pid "$home/bin/vyk -root -fps")
check "-fps: the tunnel over the whole screen" until_true 30 tunnel_shown fps
check "-fps: the frame-rate overlay in the bottom-left corner" until_shot 20 "$work/overlay.ppm" overlay_shown "$work/overlay.ppm"
# The first figure comes after a second of frames, however many that second held.
check "-fps: the overlay shows the rate" until_shot 20 "$work/figure.ppm" overlay_figure_shown "$work/figure.ppm"
check "-fps: the hack still runs, no crash" kill -0 "$fps"
cycle_and_deactivate "$home/bin/vyk -root -fps" "$fps"
check "no run of vyk ended abnormally or crashed" no_abnormal_exit

echo "$failures failed"
[ "$failures" -eq 0 ]
