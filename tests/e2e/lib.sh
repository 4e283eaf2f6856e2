# Shared by the end-to-end checks: sourced as `source lib.sh BUILD SAVER HOST LAUNCHER`.
# Gives them a Wine prefix and a 640x480 virtual display of their own (in BUILD/e2e), so that
# no other test's window shows up in a screenshot or takes the saver's activation, and helpers
# to start and end the saver, send X input and take screenshots. A suite that sets
# e2e_desktop=monitors before sourcing gets, in place of that display, an Xorg desktop of
# its own on the dummy driver with one 800x600 monitor on (more are switched on with
# vyk_monitor_on from scripts/lib/xorg.sh); Wine sees one monitor per output that is on.
e2e_build=$1 saver=$2 preview_host=$3 launcher=$4
e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
session="$e2e_build/e2e"
mkdir -p "$session"
export VYK_SCREEN=640x480x24
unset VYK_KEEP_DISPLAY
if [ "${e2e_desktop:-}" = monitors ]; then
  source "$e2e_dir/../../scripts/lib/xorg.sh"
  source "$e2e_build/harness.env" 2>/dev/null
  vyk_start_xorg_dummy "$session/xorg.pid" 800x600 ${E2E_XORG_OPTIONS:-} || exit 1
  export VYK_KEEP_DISPLAY=1
fi
source "$e2e_dir/../harness/wine-env.sh" "$session" || exit 1
# A suite that sets e2e_prefix=win32 before sourcing runs its programs in a pure 32-bit prefix
# of its own (WINEARCH=win32), made and run by the 32-bit loader itself rather than by the
# 64-bit loader that starts the other suites' programs: only there does Wine accept the
# Windows versions before 7. Its `wine` is that loader, first in PATH.
if [ "${e2e_prefix:-}" = win32 ]; then
  [ "$vyk_target_arch" = i686 ] || { echo "a pure 32-bit prefix needs the 32-bit build" >&2; exit 1; }
  mkdir -p "$session/win32-bin" && ln -sfn "$vyk_wine_i386_loader" "$session/win32-bin/wine" || exit 1
  export PATH="$session/win32-bin:$PATH" WINEARCH=win32 WINEPREFIX="$session/wineprefix-win32"
  {
    flock 9
    # A prefix whose set-up failed stays unmarked, so the next run sets it up again.
    if [ ! -f "$WINEPREFIX/.vyk-ready" ]; then
      wine wineboot -i >/dev/null 2>&1 9>&- || { echo "wineboot -i failed for $WINEPREFIX" >&2; exit 1; }
      wineserver -w 9>&-
      touch "$WINEPREFIX/.vyk-ready"
    fi
  } 9>"$session/wineprefix-win32.lock"
fi
source "$e2e_dir/../../scripts/lib/saver.sh"
base_overrides=$WINEDLLOVERRIDES
control_ini="$WINEPREFIX/drive_c/windows/control.ini"
# Where the saver keeps its settings on Windows Vista and later (Wine reports 6.1); each
# suite starts with it empty, so that only control.ini holds settings.
user_key='HKCU\Control Panel\Screen Saver.Vyk'
wine reg delete "$user_key" /f >/dev/null 2>&1

# The REG_SZ values of the user's settings key as "KEY=VALUE" words, sorted by name (the
# registry keeps no order of its own).
user_settings() {
  wine reg query "$user_key" 2>/dev/null | tr -d '\r' | awk '$2 == "REG_SZ" { print $1 "=" $3 }' | sort | tr '\n' ' '
}

work=$(mktemp -d)
started=()  # every process started in the background by a check (the harness's Xvfb is not one)
failures=0
# A check may leave a folder or file immutable (chattr +i) to stand in for one that a
# standard user may not write; Wine runs as root here and writes anything else.
trap 'end_all; chattr -R -i "$work" 2>/dev/null; rm -rf "$work"; [ "${e2e_desktop:-}" != monitors ] || vyk_stop_xorg "$session/xorg.pid"' EXIT

# Every wait below, every pause of the checks and vyk_wait_window (from the harness) is multiplied
# by VYK_SLOWDOWN (set by the harness: 1, or more for a build whose programs run emulated); no
# check is relaxed by it.
source "$e2e_dir/picture_checks.sh"

pass() { printf 'ok   %s\n' "$1"; }
fail() { printf 'FAIL %s: %s\n' "$1" "$2"; failures=$((failures + 1)); }
# check NAME COMMAND...: passes when the command succeeds; the command may print why not.
# The command runs in this shell (not a subshell), so that it can wait for the saver.
check() {
  local name=$1
  shift
  if "$@" >"$work/why" 2>&1; then pass "$name"; else fail "$name" "$(tr '\n' ' ' <"$work/why")"; fi
}
finish() {
  [ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
  echo "all checks passed"
}

# Ends every Wine process of the private prefix: a check that failed may leave a saver behind,
# and a saver still running would make the next full-screen start step aside.
end_all() {
  # The server writes the registry out as it ends; the next check reads it afresh, so it
  # waits for that rather than racing a server still saving a saver's last writes.
  wineserver -k 2>/dev/null
  timeout $((30 * VYK_SLOWDOWN)) wineserver -w 2>/dev/null
  local pid
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null; done
  started=()
}

# Writes control.ini (the saver's settings) from lines "KEY=VALUE", under the saver's section.
write_settings() { vyk_write_settings "$@"; }

# start_saver ARGS...: starts the saver in $work with the given arguments; sets saver_pid.
start_saver() {
  vyk_start_saver "$work" "$saver" "$@"
  saver_pid=$vyk_started_pid
  started+=("$saver_pid")
}

window_exists() { [ -n "$(xdotool search --name "^$1\$" 2>/dev/null)" ]; }

# Waits up to $2 seconds for process $1 to end and sets exit_code; fails while it still runs.
wait_exit() {
  vyk_wait_exit "$1" "$2" || return 1
  exit_code=$vyk_exit_code
}

# closes_with PID SECONDS EXPECTED: the process ends within SECONDS with exit code EXPECTED.
closes_with() {
  wait_exit "$1" "$2" || { echo "still running after $2 s"; return 1; }
  [ "$exit_code" -eq "$3" ] || { echo "exit code $exit_code, expected $3"; return 1; }
}

still_running() { kill -0 "$1" 2>/dev/null || { echo "it ended"; return 1; }; }


# start_full_screen [black]: starts the full-screen saver with the pointer at the screen centre
# and waits for its window (sets saver_window) and then for its first frame on screen, so that
# the first tick, before which the saver refuses to close, has come. With "black" (a saver that
# cannot draw) it waits a moment instead. When no window or no frame appears it fails and says
# so in $problem.
start_full_screen() {
  xdotool mousemove 320 240
  start_saver /s
  saver_window=$(vyk_wait_window "Screen Saver" 20) || { problem="no window titled \"Screen Saver\" appeared"; return 1; }
  if [ "${1:-}" = black ]; then
    pause 1.5
  else
    wait_drawn "$work/started.ppm" >"$work/why-not-drawn" || { problem=$(cat "$work/why-not-drawn"); return 1; }
  fi
}

# Real key press and mouse input, as the user gives it. Without a window manager a key
# reaches only the window that has the X input focus.
press_key() { xdotool windowfocus --sync "$saver_window" 2>/dev/null; sleep 0.1; xdotool key "$1"; }

# keys_until_closed KEY: presses KEY until the saver ends, once every 2 s, for up to 30 s (times
# the slowdown). A saver that cannot draw shows no sign of its first tick, before which it
# refuses to close, so the key is given again, as a user would give it.
keys_until_closed() {
  local deadline=$((SECONDS + 30 * VYK_SLOWDOWN)) next=0
  while kill -0 "$saver_pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
    [ "$SECONDS" -lt "$next" ] || { press_key "$1"; next=$((SECONDS + 2)); }
    sleep 0.2
  done
}

# keeps_drawing: the saver still runs after it has drawn two new frames since this call, by
# when its message loop has taken any input given before: a saver that closed draws no more.
keeps_drawing() {
  watch_picture new-frame 30 judge_moves >/dev/null || { echo "it drew no new frame"; return 1; }
  watch_picture new-frame 30 judge_moves >/dev/null || { echo "it drew only one new frame"; return 1; }
  still_running "$saver_pid"
}

# Takes screenshots into $1 for up to 30 s (times the slowdown) until one shows the saver's
# picture (95 % of the screen not black); fails when none does.
wait_drawn() {
  local share=0 deadline=$((SECONDS + 30 * VYK_SLOWDOWN))
  while :; do
    shot "$1"
    share=$(picture covered "$1")
    at_least "$share" 0.95 >/dev/null && return 0
    [ "$SECONDS" -lt "$deadline" ] || break
    sleep 0.2
  done
  echo "after $((30 * VYK_SLOWDOWN)) s only a share of $share of the screen is not black"
  return 1
}
if [ "${e2e_desktop:-}" = monitors ]; then source "$e2e_dir/desktop_checks.sh"; fi
