#!/usr/bin/env bash
# The native hack from outside, on a private 640x480 Xvfb with Mesa: picture, logo, window and
# standard options, frame rate and its overlay, exits; the picture by both renderers, and on a
# server without MIT-SHM.
# Usage: hack_xvfb_check.sh VYK WINDOW_HOST PICTURE_PY WORKDIR SWAP_COUNTER
vyk=$1 window_host=$2 picture_py=$3 work=$4 swap_counter=$5
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

source "$(dirname "$0")/checks.sh"
# The screenshot checks the Windows saver's end-to-end suite uses too; PICTURE_PY is theirs.
source "$(dirname "$picture_py")/picture_checks.sh"

source "$(dirname "$0")/../../scripts/lib/display.sh"
# -noreset: clients start right after the last one left, when a resetting server would drop them.
vyk_start_xvfb 640x480x24 "$work/xvfb.pid" "$work/xvfb.log" -noreset || exit 1
xvfb_pid=$vyk_xvfb_pid
hack_pid=
host_pid=
cleanup() {
  [ -n "$hack_pid" ] && kill "$hack_pid" 2>/dev/null
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null
  vyk_stop_xvfb "$work/plain.pid"
  wait 2>/dev/null
}
trap cleanup EXIT

crop() { convert "$1" -crop "$2+0+0" +repage "$3"; }
# $launcher, when set, is a command that starts the hack in its own process (by exec).
start_hack() { ${launcher:-} "$vyk" "$@" >"$work/hack.log" 2>&1 & hack_pid=$!; }
# The root window keeps the last picture of a hack that drew there (the server does not reset
# between runs): a film starts once the new hack has presented two frames, counted by the swap
# counter in $work/swaps.
start_counted_hack() {
  rm -f "$work/swaps"
  VYK_BENCH_COUNTER="$work/swaps" LD_PRELOAD="$swap_counter" start_hack "$@"
  presented_at_least "$work/swaps" 2 30 || echo "no frame from vyk $*"
}

# The hack ends within SECONDS (default 10, times VYK_SLOWDOWN) with exit code 0.
ends_with_zero_within() {
  local i status
  for i in $(seq $((${1:-10} * 20 * ${VYK_SLOWDOWN:-1}))); do
    if ! kill -0 "$hack_pid" 2>/dev/null; then
      wait "$hack_pid"
      status=$?
      hack_pid=
      [ "$status" -eq 0 ] || { echo "exit $status; $(cat "$work/hack.log")"; return 1; }
      return 0
    fi
    sleep 0.05
  done
  echo "still running after ${1:-10} s"
  return 1
}
# The hack ends by signal $1 (its shell status 128 + the number) within 10 s (times
# VYK_SLOWDOWN) of it: an idle machine sees it end within one frame period.
ends_by_signal() {
  local expected i status
  expected=$((128 + $(kill -l "$1")))
  kill "-$1" "$hack_pid"
  for i in $(seq $((200 * ${VYK_SLOWDOWN:-1}))); do
    if ! kill -0 "$hack_pid" 2>/dev/null; then
      wait "$hack_pid"
      status=$?
      hack_pid=
      [ "$status" -eq "$expected" ] || { echo "status $status, not $expected; $(cat "$work/hack.log")"; return 1; }
      return 0
    fi
    sleep 0.05
  done
  echo "still running 10 s after SIG$1"
  kill -KILL "$hack_pid"
  wait "$hack_pid" 2>/dev/null
  hack_pid=
  return 1
}
# The swap counter's file $1 as "presents, time of the latest, microseconds since the first",
# read again until two reads agree: the shim writes the time before the count, so a single
# read may pair one frame's count with the next one's time.
counted() {
  python3 -c 'import struct, sys
def read():
    data = open(sys.argv[1], "rb").read(24)
    return struct.unpack("<Qqq", data) if len(data) == 24 else (0, 0, 0)
a, b = read(), read()
while a != b:
    a, b = b, read()
print(a[0], a[2], a[2] - a[1])' "$1" 2>/dev/null || echo "0 0 0"
}
# presented_at_least COUNTER FRAMES SECONDS: the hack counted in COUNTER has presented FRAMES
# frames, waited for up to SECONDS (times VYK_SLOWDOWN).
presented_at_least() {
  local deadline=$((SECONDS + $3 * ${VYK_SLOWDOWN:-1}))
  until [ "$(counted "$1" | cut -d" " -f1)" -ge "$2" ]; do
    [ "$SECONDS" -lt "$deadline" ] || { echo "fewer than $2 frames in $3 s"; return 1; }
    sleep 0.1
  done
}
# The hack still runs after it has presented two more frames: it has taken every event that
# came before, since it takes them all before each frame.
still_running_two_frames_on() {
  local n
  read -r n _ <<<"$(counted "$1")"
  presented_at_least "$1" $((n + 2)) 30 || return 1
  kill -0 "$hack_pid" 2>/dev/null || { echo "ended; $(cat "$work/hack.log")"; return 1; }
}
# presented_rate COUNTER FRAMES: frames a second the hack presented, from the swap counter's
# file: over FRAMES frames from the first present counted a second after its first frame, when
# start-up no longer weighs; they are waited for up to 60 s (times VYK_SLOWDOWN). Both ends
# are presents, so the figure is that of the frames, whenever they are read.
presented_rate() {
  local deadline=$((SECONDS + 60 * ${VYK_SLOWDOWN:-1})) n last span n0= last0=
  while [ "$SECONDS" -lt "$deadline" ]; do
    read -r n last span <<<"$(counted "$1")"
    if [ -z "$n0" ]; then
      [ "$span" -lt 1000000 ] || n0=$n last0=$last
    elif [ $((n - n0)) -ge "$2" ]; then
      awk -v n="$((n - n0))" -v t="$((last - last0))" 'BEGIN { printf "%.3f\n", n * 1000000 / t }'
      return 0
    fi
    sleep 0.05
  done
  echo "fewer than $2 frames counted after the first second"
  return 1
}
# rate_between COUNTER FRAMES LOW HIGH: presented_rate over FRAMES frames lies in LOW..HIGH.
rate_between() {
  local rate
  rate=$(presented_rate "$1" "$2") || { echo "$rate"; return 1; }
  at_least "$rate" "$3" && at_most "$rate" "$4"
}
# film_frames NAME COUNTER FRAMES: screenshots NAME-1, NAME-2 and on, one about every 0.2 s: at
# least 30, and on until the hack counted in COUNTER has presented FRAMES frames, or for
# 60 s (times VYK_SLOWDOWN) at most. So the film spans those frames on any machine.
film_frames() {
  local i=0 deadline=$((SECONDS + 60 * ${VYK_SLOWDOWN:-1}))
  until [ "$i" -ge 30 ] && { [ "$(counted "$2" | cut -d" " -f1)" -ge "$3" ] || [ "$SECONDS" -ge "$deadline" ]; }; do
    i=$((i + 1))
    shot "$work/$1-$i.ppm"
    sleep 0.1
  done
}

# The picture, by each renderer: auto draws with the CPU on this software OpenGL, and
# --renderer gl keeps OpenGL.
for renderer in auto gl; do
  # --root, logo on: the tunnel, its symmetry and motion, the logo; SIGTERM ends it. The logo's
  # first slide-in ends 40 frames after the start and it stays on the top band until frame 128.
  start_counted_hack --root --renderer $renderer
  check "--root --logo ($renderer): the logo comes in along the top" until_shot 30 "$work/logo.ppm" logo_shown "$work/logo.ppm"
  shot "$work/a.ppm"
  check "--root ($renderer): the tunnel covers the screen" at_least "$(picture covered "$work/a.ppm")" 0.95
  check "--root ($renderer): the tunnel is mirror-symmetric about the vertical centre line" mirrored "$work/a.ppm"
  check "--root ($renderer): a later screenshot differs, the tunnel moves" until_shot 20 "$work/b.ppm" tunnel_moved "$work/a.ppm" "$work/b.ppm"
  check "without --fps no frame-rate overlay is drawn ($renderer)" overlay_absent "$work/a.ppm"
  check "SIGTERM ends the hack by SIGTERM ($renderer)" ends_by_signal TERM

  # --no-logo, at the slowest speed with point filtering: never a logo, over the 48 frames in
  # which the logo would have come in whole; SIGINT ends it.
  start_counted_hack --root --no-logo --no-linear --speed 10 --renderer $renderer
  film_frames logo-off "$work/swaps" 48
  check "--no-logo ($renderer): the tunnel covers the screen" at_least "$(picture covered "$work/logo-off-30.ppm")" 0.95
  check "--no-logo ($renderer): the film spans the logo's slide-in" presented_at_least "$work/swaps" 48 1
  check "--no-logo ($renderer): no logo appears" logo_never_appears logo-off
  check "SIGINT ends the hack by SIGINT ($renderer)" ends_by_signal INT
done

# XScreenSaver's standard options, the harmless ones included, with the display named on
# the command line alone: the tunnel with the overlay, at the pace --delay and --speed give.
# The periods are long beside a frame's drawing, even on a machine that draws a tenth as fast
# as today's, so the rate is the period's alone; each is judged over 4 s of frames.
display=$DISPLAY
env -u DISPLAY VYK_BENCH_COUNTER="$work/fps.counter" LD_PRELOAD="$swap_counter" \
  "$vyk" -root -fps -delay 200000 -install -noinstall -mono -visual default -display "$display" >"$work/hack.log" 2>&1 &
hack_pid=$!
check "-delay 200000: 5 frames a second" rate_between "$work/fps.counter" 20 4.25 5.125
shot "$work/fps.ppm"
check "-fps -install -noinstall -mono -visual default -display: the tunnel covers the screen" at_least "$(picture covered "$work/fps.ppm")" 0.95
check "-fps: the frame-rate overlay sits in the bottom-left corner" until_shot 20 "$work/fps.ppm" overlay_shown "$work/fps.ppm"
# "FPS: 5.0 CPU" is one glyph (12 pixels) wider than "FPS: 5.0 GL": the box's width tells the renderer.
overlay_names() { overlay_figure_shown "$1" && overlay_box "$1" "$2"; }
check "-fps: the overlay names the CPU renderer, which auto takes on software OpenGL" \
  until_shot 20 "$work/fps.ppm" overlay_names "$work/fps.ppm" 150
check "SIGTERM ends the hack with the overlay by SIGTERM" ends_by_signal TERM
# Counted, so the judged shots are this hack's frames and not the last one's left on the root.
start_counted_hack -root -fps -delay 200000 --renderer gl
check "-fps --renderer gl: the overlay names OpenGL" until_shot 20 "$work/fps-gl.ppm" overlay_names "$work/fps-gl.ppm" 138
check "-fps --renderer gl: the overlay's box is no wider" eval '! overlay_box "$work/fps-gl.ppm" 150'
check "SIGTERM ends the OpenGL hack with the overlay by SIGTERM" ends_by_signal TERM
VYK_BENCH_COUNTER="$work/slow.counter" LD_PRELOAD="$swap_counter" start_hack -root -delay 200000 -speed 2
check "-delay 200000 -speed 2: 2.5 frames a second" rate_between "$work/slow.counter" 10 2.125 2.5625
check "SIGTERM ends the slower hack by SIGTERM" ends_by_signal TERM

# Started with the stop signals blocked, as a parent's mask may leave them: they still end it.
cat >"$work/blocked.py" <<'BLOCKED'
import os, signal, sys
signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM, signal.SIGINT})
os.execv(sys.argv[1], sys.argv[1:])
BLOCKED
launcher="python3 $work/blocked.py" start_counted_hack --root
check "started with SIGTERM and SIGINT blocked, SIGTERM still ends the hack by SIGTERM" ends_by_signal TERM

# A window given by XScreenSaver, by option or by environment: drawn at its size, followed
# when it changes, and the end of the run when it goes away.
exec {host_in}> >("$window_host" 400 300 >"$work/host.out" 2>&1)
host_pid=$!
until_true 10 test -s "$work/host.out"
host_window=$(head -n 1 "$work/host.out")
# Covered, and centred in the window: the centre row mirrors about the window's own centre.
# Small rings make the mean-colour measure jumpy, so only the row is asked for here.
draws_in_window() {
  local size=$1 name=$2 measures row rings
  crop "$work/full.ppm" "$size" "$work/$name.ppm"
  at_least "$(picture covered "$work/$name.ppm")" 0.95 || return 1
  measures=$(picture mirror "$work/$name.ppm") || { echo "$measures"; return 1; }
  read -r row rings <<<"$measures"
  at_least "$row" 0.7
}
# The same, on screenshots taken until one passes or 30 s (times VYK_SLOWDOWN) have gone.
drawn_in_window() {
  local deadline=$((SECONDS + 30 * ${VYK_SLOWDOWN:-1}))
  until shot "$work/full.ppm" && draws_in_window "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}
start_hack --window-id "$host_window"
check "--window-id: the tunnel fills the 400x300 window, centred in it" drawn_in_window 400x300 given
echo "resize 560 420" >&"$host_in"
check "--window-id: the tunnel follows the window to 560x420" drawn_in_window 560x420 resized
echo "destroy" >&"$host_in"
check "the hack ends with exit code 0 when its window goes away" ends_with_zero_within
exec {host_in}>&-
wait "$host_pid" 2>/dev/null
host_pid=

exec {host_in}> >("$window_host" 360 270 >"$work/host2.out" 2>&1)
host_pid=$!
until_true 10 test -s "$work/host2.out"
XSCREENSAVER_WINDOW=$(head -n 1 "$work/host2.out") start_hack --root
check "--root with XSCREENSAVER_WINDOW: the tunnel fills that 360x270 window" drawn_in_window 360x270 environment
check "SIGTERM ends the hack in a given window by SIGTERM" ends_by_signal TERM
exec {host_in}>&-
wait "$host_pid" 2>/dev/null
host_pid=

# Its own window: a window manager's other messages leave it running, WM_DELETE_WINDOW closes it.
exec {host_in}> >("$window_host" 10 10 >"$work/host3.out" 2>&1)
host_pid=$!
rm -f "$work/swaps"
VYK_BENCH_COUNTER="$work/swaps" LD_PRELOAD="$swap_counter" start_hack --window
own_window=$(vyk_wait_window Vyk 30 "$hack_pid")
printf 'message %x WM_PROTOCOLS _NET_WM_PING\n' "$own_window" >&"$host_in"
printf 'message %x VYK_OTHER WM_DELETE_WINDOW\n' "$own_window" >&"$host_in"
# The host has sent both once it has answered both (its window id is its first line).
until_true 10 eval '[ "$(grep -c "^done" "$work/host3.out")" -ge 2 ]'
check "--window: other client messages leave the hack running" still_running_two_frames_on "$work/swaps"
printf 'message %x WM_PROTOCOLS WM_DELETE_WINDOW\n' "$own_window" >&"$host_in"
check "--window: WM_DELETE_WINDOW ends the hack with exit code 0" ends_with_zero_within
exec {host_in}>&-
wait "$host_pid" 2>/dev/null
host_pid=

# ends_with STATUS OUT ERR COMMAND...: COMMAND ends within 30 s (times VYK_SLOWDOWN) with
# STATUS, its whole stdout and stderr matching the extended regular expressions OUT and ERR.
# The refusals come after OpenGL's set-up, which a slow machine takes seconds over.
ends_with() {
  local status=$1 out=$2 err=$3 got
  shift 3
  timeout $((30 * ${VYK_SLOWDOWN:-1})) "$@" >"$work/run.out" 2>"$work/run.err"
  got=$?
  [ "$got" -eq "$status" ] || { echo "exit $got"; return 1; }
  [[ "$(cat "$work/run.out")" =~ ^$out$ ]] || { echo "stdout: $(cat "$work/run.out")"; return 1; }
  [[ "$(cat "$work/run.err")" =~ ^$err$ ]] || { echo "stderr: $(cat "$work/run.err")"; return 1; }
}
usage_line='usage: vyk [^[:cntrl:]]*--fps[^[:cntrl:]]*'

# Start-up failures name their cause: the window that cannot be drawn into, the missing
# first-vertex flat shading (a context of OpenGL 3.1 without the extensions).
check "--window-id of no window: the message names that window" \
  ends_with 1 '' "vyk: cannot draw into window 0x3fffff1" "$vyk" --window-id 0x3fffff1
check "OpenGL 3.1 without provoking-vertex extensions: refused with its reason" \
  ends_with 1 '' "vyk: OpenGL lacks glProvokingVertex" env MESA_GL_VERSION_OVERRIDE=3.1 \
  MESA_EXTENSION_OVERRIDE="-GL_ARB_provoking_vertex -GL_EXT_provoking_vertex" "$vyk" --root --renderer gl

check "--help: the usage line on stdout, exit code 0" ends_with 0 "$usage_line" '' "$vyk" --help
check "-help: the usage line on stdout, exit code 0" ends_with 0 "$usage_line" '' "$vyk" -help

# Bad command lines: one usage line on stderr, exit code 1, nothing drawn.
for line in "--speed 0" "--speed 11" "--speed fast" "--speed" "--window-id" "--window-id nothing" "--frames" "extra" \
  "--delay" "--delay -1" "--delay 1000001" "--display" "--visual"; do
  # shellcheck disable=SC2086
  check "bad option \"$line\": usage line, exit code 1" ends_with 1 '' "$usage_line" "$vyk" $line
done

# An X server without MIT-SHM, as one across a network is: the frames go by XPutImage.
vyk_start_xvfb 320x240x24 "$work/plain.pid" "$work/plain.log" -extension MIT-SHM || exit 1
start_hack --root --renderer cpu
check "without MIT-SHM: the tunnel covers the screen" until_shot 30 "$work/plain-a.ppm" \
  eval 'at_least "$(picture covered "$work/plain-a.ppm")" 0.95'
check "without MIT-SHM: the tunnel moves" until_shot 20 "$work/plain-b.ppm" tunnel_moved "$work/plain-a.ppm" "$work/plain-b.ppm"
check "SIGTERM ends the hack without MIT-SHM by SIGTERM" ends_by_signal TERM
vyk_stop_xvfb "$work/plain.pid"

echo "$failures failed"
[ "$failures" -eq 0 ]
