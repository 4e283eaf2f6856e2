# Sourced by the scripts and checks that run the Windows saver under Wine (after
# tests/harness/wine-env.sh, which gives them WINEPREFIX and DISPLAY): its settings, its start
# and the wait for its end.

# vyk_write_settings [KEY=VALUE...]: writes the prefix's control.ini with the given settings
# under the saver's section, each line ended by CR LF as the profile functions write them;
# without any, every setting takes its default.
vyk_write_settings() {
  { printf '[Screen Saver.Vyk]\r\n'; [ $# -eq 0 ] || printf '%s\r\n' "$@"; } \
    >"$WINEPREFIX/drive_c/windows/control.ini"
}

# vyk_start_saver DIR PROGRAM ARGS...: starts the Windows PROGRAM (the saver, or another
# program of the build) under Wine in the background, in folder DIR (where the saver writes
# vykerror.txt); sets vyk_started_pid.
vyk_start_saver() {
  local dir=$1
  shift
  (cd "$dir" && exec wine "$@") &
  vyk_started_pid=$!
}

# vyk_wait_exit PID SECONDS: waits up to SECONDS times VYK_SLOWDOWN for process PID, a child of
# this shell, to end, and sets vyk_exit_code to its exit code; fails while it still runs.
vyk_wait_exit() {
  local pid=$1 seconds=$2 i
  for i in $(seq $((seconds * 10 * ${VYK_SLOWDOWN:-1}))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      vyk_exit_code=0
      wait "$pid" || vyk_exit_code=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}
