#!/usr/bin/env bash
# The native hack from outside, on a private 640x480 Xvfb with Mesa: picture, logo, window options, exits.
# Usage: hack_xvfb_check.sh VYK WINDOW_HOST PICTURE_PY WORKDIR
vyk=$1 window_host=$2 picture_py=$3 work=$4
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

# Runs a check in this shell, so that it may wait for the hack, and reports it on one line.
check() {
  local name=$1
  shift
  if "$@" >"$work/check.out" 2>&1; then
    echo "ok: $name"
  else
    echo "FAIL: $name: $(tr '\n' ' ' <"$work/check.out")"
    failures=$((failures + 1))
  fi
}
# The screenshot checks the Windows saver's end-to-end suite uses too; PICTURE_PY is theirs.
source "$(dirname "$picture_py")/picture_checks.sh"

source "$(dirname "$0")/../../scripts/lib/display.sh"
vyk_start_xvfb 640x480x24 "$work/xvfb.pid" "$work/xvfb.log" || exit 1
xvfb_pid=$vyk_xvfb_pid
hack_pid=
host_pid=
cleanup() {
  [ -n "$hack_pid" ] && kill "$hack_pid" 2>/dev/null
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

crop() { convert "$1" -crop "$2+0+0" +repage "$3"; }
start_hack() { "$vyk" "$@" >"$work/hack.log" 2>&1 & hack_pid=$!; }

# The hack ends within SECONDS (default 1) with exit code 0.
ends_with_zero_within() {
  local i status
  for i in $(seq $((${1:-1} * 20))); do
    if ! kill -0 "$hack_pid" 2>/dev/null; then
      wait "$hack_pid"
      status=$?
      hack_pid=
      [ "$status" -eq 0 ] || { echo "exit $status; $(cat "$work/hack.log")"; return 1; }
      return 0
    fi
    sleep 0.05
  done
  echo "still running after ${1:-1} s"
  return 1
}
exits_zero_on() {
  kill "-$1" "$hack_pid"
  ends_with_zero_within 1
}

# --root, logo on: the tunnel, its symmetry and motion, the logo; SIGTERM ends it.
start_hack --root
film logo-on
shot "$work/a.ppm"
shot "$work/b.ppm"
check "--root: the tunnel covers the screen" at_least "$(picture covered "$work/a.ppm")" 0.95
check "--root: the tunnel is mirror-symmetric about the vertical centre line" mirrored "$work/a.ppm"
check "--root: consecutive screenshots differ, the tunnel moves" at_least "$(picture changed "$work/a.ppm" "$work/b.ppm")" 0.2
check "--root --logo: the logo comes in along the top" logo_appears logo-on
check "SIGTERM ends the hack with exit code 0 within a second" exits_zero_on TERM

# --no-logo, at the slowest speed with point filtering: never a logo; SIGINT ends it.
start_hack --root --no-logo --no-linear --speed 10
film logo-off
check "--no-logo: the tunnel covers the screen" at_least "$(picture covered "$work/logo-off-30.ppm")" 0.95
check "--no-logo: no logo appears" logo_never_appears logo-off
check "SIGINT ends the hack with exit code 0 within a second" exits_zero_on INT

# A window given by XScreenSaver, by option or by environment: drawn at its size, followed
# when it changes, and the end of the run when it goes away.
exec {host_in}> >("$window_host" 400 300 >"$work/host.out" 2>&1)
host_pid=$!
for _ in $(seq 50); do [ -s "$work/host.out" ] && break; sleep 0.1; done
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
start_hack --window-id "$host_window"
sleep 1.5
shot "$work/full.ppm"
check "--window-id: the tunnel fills the 400x300 window, centred in it" draws_in_window 400x300 given
echo "resize 560 420" >&"$host_in"
sleep 1.5
shot "$work/full.ppm"
check "--window-id: the tunnel follows the window to 560x420" draws_in_window 560x420 resized
echo "destroy" >&"$host_in"
check "the hack ends with exit code 0 when its window goes away" ends_with_zero_within 3
exec {host_in}>&-
wait "$host_pid" 2>/dev/null
host_pid=

exec {host_in}> >("$window_host" 360 270 >"$work/host2.out" 2>&1)
host_pid=$!
for _ in $(seq 50); do [ -s "$work/host2.out" ] && break; sleep 0.1; done
XSCREENSAVER_WINDOW=$(head -n 1 "$work/host2.out") start_hack --root
sleep 1.5
shot "$work/full.ppm"
check "--root with XSCREENSAVER_WINDOW: the tunnel fills that 360x270 window" draws_in_window 360x270 environment
check "SIGTERM ends the hack in a given window with exit code 0" exits_zero_on TERM
exec {host_in}>&-
wait "$host_pid" 2>/dev/null
host_pid=

# Bad command lines: one usage line on stderr, exit code 1, nothing drawn.
bad_line() {
  local status lines
  "$vyk" "$@" >"$work/bad.out" 2>"$work/bad.err"
  status=$?
  lines=$(wc -l <"$work/bad.err")
  [ "$status" -eq 1 ] || { echo "exit $status"; return 1; }
  [ "$lines" -eq 1 ] && grep -q '^usage: vyk ' "$work/bad.err" || { echo "stderr: $(cat "$work/bad.err")"; return 1; }
  [ ! -s "$work/bad.out" ] || { echo "stdout: $(cat "$work/bad.out")"; return 1; }
}
for line in "--speed 0" "--speed 11" "--speed fast" "--speed" "--window-id" "--window-id nothing" "--fps" "extra"; do
  # shellcheck disable=SC2086
  check "bad option \"$line\": usage line, exit code 1" bad_line $line
done

echo "$failures failed"
[ "$failures" -eq 0 ]
