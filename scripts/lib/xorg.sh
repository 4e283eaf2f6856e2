# Sourced by the checks and the benchmark that need a desktop of several monitors: an Xorg
# server with the dummy video driver, whose RandR outputs DUMMY0 (the primary) to DUMMY15 are
# switched on, off and to other modes with xrandr while programs run. Wine reports one
# monitor per output that is on.

# vyk_start_xorg_dummy PIDFILE [MODE [OPTION...]]: starts Xorg on the dummy driver with DUMMY0
# alone on, at MODE (default 800x600), on a display number that no other X server holds,
# without TCP, input devices or virtual terminal switching, with any further Xorg OPTIONs. Writes its configuration, log and display
# number beside PIDFILE (.conf, .log, .display in place of .pid), its pid to PIDFILE, sets
# vyk_xorg_pid and exports DISPLAY. Waits until the display answers, up to 20 s times
# VYK_SLOWDOWN; fails with a line on stderr when it does not. Needs root.
# Must run in the calling shell, not in $(...), or DISPLAY and the child are lost.
vyk_start_xorg_dummy() {
  local pidfile=$1 mode=${2:-800x600} base num="" fd deadline
  shift
  [ $# -eq 0 ] || shift
  base=${pidfile%.pid}
  [ "$base" != "$pidfile" ] || base=$pidfile
  # The largest desktop the checks build: room for four 1024x768 monitors side by side.
  cat >"$base.conf" <<EOF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2400
    Modes "$mode"
  EndSubSection
EndSection
EOF
  : >"$base.display"
  exec {fd}>"$base.display"
  # fd 9 is the harness's lock: a server that kept it would hold every later waiter up.
  Xorg -displayfd "$fd" -config "$base.conf" -noreset -nolisten tcp -logfile "$base.log" \
    -novtswitch -sharevts "$@" </dev/null >/dev/null 2>&1 9>&- &
  vyk_xorg_pid=$!
  exec {fd}>&-
  echo "$vyk_xorg_pid" >"$pidfile"
  deadline=$((SECONDS + 20 * ${VYK_SLOWDOWN:-1}))
  while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$vyk_xorg_pid" 2>/dev/null; do
    num=$(cat "$base.display" 2>/dev/null || true)
    [ -n "$num" ] && xdpyinfo -display ":$num" >/dev/null 2>&1 && break
    num=""
    sleep 0.1
  done
  [ -n "$num" ] || { echo "Xorg with the dummy driver did not start (log: $base.log)" >&2; return 1; }
  export DISPLAY=":$num"
}

# vyk_stop_xorg PIDFILE: ends the Xorg that vyk_start_xorg_dummy recorded there, if it still
# runs, waits up to 10 s for it to go and removes its files (the log stays).
vyk_stop_xorg() {
  local pidfile=$1 pid base i
  base=${pidfile%.pid}
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
    wait "$pid" 2>/dev/null || true
    for i in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -f "$pidfile" "$base.display" "$base.conf"
}

# vyk_monitor_on OUTPUT MODE [PLACE...]: switches OUTPUT on at MODE (WxH), placed by the
# xrandr options PLACE (--right-of DUMMY0, --left-of ..., --pos XxY; default --pos 0x0),
# or, for an output already on, changes its mode and place.
vyk_monitor_on() {
  local output=$1 mode=$2
  shift 2
  [ $# -gt 0 ] || set -- --pos 0x0
  # Adding a mode the output already has fails harmlessly.
  xrandr --addmode "$output" "$mode" 2>/dev/null || true
  xrandr --output "$output" --mode "$mode" "$@"
}

# vyk_monitor_off OUTPUT: switches OUTPUT off.
vyk_monitor_off() { xrandr --output "$1" --off; }

# vyk_monitors: the outputs that are on, one line each "OUTPUT WxH+X+Y", in xrandr's order
# (DUMMY0 first).
vyk_monitors() {
  xrandr --query | awk '$2 == "connected" || $2 == "disconnected" {
      for (i = 3; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+[+-][0-9]+[+-][0-9]+$/) { print $1, $i; break }
    }'
}

# vyk_screen_size: the size of the whole X screen (every monitor's bounding box from 0,0), WxH.
vyk_screen_size() { xdpyinfo | awk '$1 == "dimensions:" { print $2; exit }'; }
