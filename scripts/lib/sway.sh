# Sourced by the checks and the benchmark that need a Wayland desktop: a headless sway with
# virtual outputs, run as an ordinary user, since sway refuses to run as root.

# The user sway and its clients run as when this shell is root; otherwise this shell's own.
vyk_sway_user=nobody
vyk_sway_group=nogroup
# A root folder to run the session in with chroot (as root), or empty for this system's own: every
# path the functions below take or set is then one inside it.
vyk_sway_root=${vyk_sway_root:-}

# vyk_sway_prefix: sets vyk_sway_command to the command that runs what follows it as that user
# in the sway session's environment, and nothing else of this shell's (add variables with env
# after it). Every part hands over by exec, so a program started in the background with it
# has $! for its pid. Before the session is up only its runtime folder is set: sway would take
# an empty SWAYSOCK for its own.
vyk_sway_prefix() {
  vyk_sway_command=(${vyk_sway_root:+chroot "$vyk_sway_root"} env -i PATH=/usr/local/bin:/usr/bin:/bin HOME=/nonexistent XDG_RUNTIME_DIR="$vyk_sway_runtime")
  [ -z "${vyk_sway_display:-}" ] || vyk_sway_command+=(WAYLAND_DISPLAY="$vyk_sway_display")
  [ -z "${vyk_sway_socket:-}" ] || vyk_sway_command+=(SWAYSOCK="$vyk_sway_socket")
  [ "$(id -u)" -ne 0 ] || vyk_sway_command+=(setpriv "--reuid=$vyk_sway_user" "--regid=$vyk_sway_group" --clear-groups)
}

# vyk_as_sway_user COMMAND...: runs COMMAND so, in the foreground.
vyk_as_sway_user() {
  vyk_sway_prefix
  "${vyk_sway_command[@]}" "$@"
}

# vyk_start_sway FOLDER COUNT MODE...: starts a headless sway with COUNT outputs, HEADLESS-1 and
# on, at the first COUNT MODEs (WxH) side by side; the further MODEs are those of the outputs
# that swaymsg create_output adds later, in turn. FOLDER (which that user must be able to
# reach) gets the configuration, the log sway.log and the session's runtime folder, mode 700
# and the user's own. Sets vyk_sway_pid, vyk_sway_runtime, vyk_sway_display and
# vyk_sway_socket. Fails, with a line on stderr, when COUNT outputs are not up within 30 s
# (times VYK_SLOWDOWN), or as soon as sway has ended.
vyk_start_sway() {
  local folder=$1 count=$2 n=0 x=0 mode i up
  shift 2
  vyk_sway_runtime=$folder/run
  local outside=$vyk_sway_root$folder
  mkdir -p "$vyk_sway_root$vyk_sway_runtime" || return 1
  chmod 700 "$vyk_sway_root$vyk_sway_runtime"
  [ "$(id -u)" -ne 0 ] || chown "$vyk_sway_user:$vyk_sway_group" "$vyk_sway_root$vyk_sway_runtime"
  {
    echo "xwayland disable"
    for mode in "$@"; do
      n=$((n + 1))
      echo "output HEADLESS-$n mode $mode position $x 0"
      x=$((x + ${mode%x*}))
    done
  } >"$outside/config"
  vyk_sway_display= vyk_sway_socket=
  vyk_sway_prefix
  "${vyk_sway_command[@]}" env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    WLR_HEADLESS_OUTPUTS="$count" sway -c "$folder/config" >"$outside/sway.log" 2>&1 9>&- &
  vyk_sway_pid=$!
  for i in $(seq $((300 * ${VYK_SLOWDOWN:-1}))); do
    kill -0 "$vyk_sway_pid" 2>/dev/null || break
    vyk_sway_display=$(cd "$vyk_sway_root$vyk_sway_runtime" 2>/dev/null && ls wayland-[0-9]* 2>/dev/null | grep -v lock | head -n 1)
    vyk_sway_socket=$(cd "$vyk_sway_root$vyk_sway_runtime" 2>/dev/null && ls sway-ipc.*.sock 2>/dev/null | head -n 1)
    vyk_sway_socket=${vyk_sway_socket:+$vyk_sway_runtime/$vyk_sway_socket}
    if [ -n "$vyk_sway_display" ] && [ -n "$vyk_sway_socket" ]; then
      up=$(vyk_as_sway_user swaymsg -t get_outputs 2>/dev/null | grep -c '"active": true')
      [ "$up" -ge "$count" ] && return 0
    fi
    sleep 0.1
  done
  echo "sway did not start with $count outputs: $(tail -n 5 "$outside/sway.log" | tr '\n' ' ')" >&2
  return 1
}

# vyk_stop_sway: ends the sway that vyk_start_sway started, if it still runs, and waits for it;
# its clients then lose their connection.
vyk_stop_sway() {
  [ -n "${vyk_sway_pid:-}" ] || return 0
  kill "$vyk_sway_pid" 2>/dev/null || true
  wait "$vyk_sway_pid" 2>/dev/null || true
  vyk_sway_pid=
}
