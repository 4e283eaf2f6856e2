# Sourced by the scripts and checks that need a private X display: starts Xvfb, waits for windows.

# vyk_start_xvfb SIZE PIDFILE [LOG [OPTION...]]: starts an Xvfb with one screen of SIZE (WxH,
# or WxHxDEPTH; depth 24 when none is given) that does not listen on TCP, with any further
# Xvfb OPTIONs (-noreset for one that outlives its clients). Writes its pid to PIDFILE and its
# display number to PIDFILE with .pid replaced by .display, sets vyk_xvfb_pid and exports
# DISPLAY. Its output goes to LOG (default: nowhere). Fails, with a line on stderr, when no
# display number comes within 30 s (times VYK_SLOWDOWN), or as soon as Xvfb has ended.
# Must run in the calling shell, not in $(...), or DISPLAY and the child are lost.
vyk_start_xvfb() {
  local size=$1 pidfile=$2 log=${3:-/dev/null} numfile num="" i fd
  shift 2
  [ $# -eq 0 ] || shift
  case $size in *x*x*) ;; *) size=${size}x24 ;; esac
  numfile=${pidfile%.pid}.display
  [ "$numfile" != "$pidfile" ] || numfile=$pidfile.display
  exec {fd}>"$numfile"
  # fd 9 is the harness's lock: an Xvfb that kept it would hold every later waiter up.
  Xvfb -displayfd "$fd" -screen 0 "$size" -nolisten tcp "$@" >"$log" 2>&1 9>&- &
  vyk_xvfb_pid=$!
  exec {fd}>&-
  echo "$vyk_xvfb_pid" >"$pidfile"
  for i in $(seq $((300 * ${VYK_SLOWDOWN:-1}))); do
    num=$(cat "$numfile" 2>/dev/null || true)
    [ -n "$num" ] && break
    kill -0 "$vyk_xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$num" ] || { echo "Xvfb did not start (screen $size)" >&2; return 1; }
  export DISPLAY=":$num"
}

# vyk_stop_xvfb PIDFILE: ends the Xvfb that vyk_start_xvfb recorded there, if it still runs,
# and removes its files; waits for it when it is a child of this shell.
vyk_stop_xvfb() {
  local pidfile=$1 pid
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -f "$pidfile" "${pidfile%.pid}.display"
}

# vyk_wait_window NAME SECONDS [PID]: prints the X id of the top-level window titled exactly
# NAME, waiting up to SECONDS times VYK_SLOWDOWN (1 when unset); fails when none appears in
# that time, or as soon as process PID, when given, has ended.
vyk_wait_window() {
  local name=$1 seconds=$2 pid=${3:-} id i
  for i in $(seq $((seconds * 10 * ${VYK_SLOWDOWN:-1}))); do
    id=$(xdotool search --name "^$name\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    if [ -n "$pid" ]; then kill -0 "$pid" 2>/dev/null || return 1; fi
    sleep 0.1
  done
  return 1
}
