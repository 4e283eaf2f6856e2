#!/usr/bin/env bash
# The preview in the desktop's Screen Saver settings: the saver runs inside a window of another
# process (our stand-in host) until that window goes. Wine does not show what one process draws
# into another's window, so the preview's pixels are checked by the display tests, with a parent
# window of the same process.
# Usage: preview.sh BUILD SAVER HOST LAUNCHER
source "$(dirname "$0")/lib.sh" "$@"
rm -f "$control_ini"

(cd "$work" && exec wine "$preview_host" handle.txt stop.txt >"$work/host.txt" 2>&1) &
host_pid=$!
started+=("$host_pid")
for i in $(seq $((100 * VYK_SLOWDOWN))); do [ -s "$work/handle.txt" ] && break; sleep 0.1; done
handle=$(tr -d '\r\n' <"$work/handle.txt" 2>/dev/null)
if [ -z "$handle" ]; then
  fail "the preview runs inside the settings page's window" "the host window did not open: $(cat "$work/host.txt")"
  finish
fi

start_saver /p "$handle"
# The saver's child window is not an X window; the host says when it is there.
child_there() { grep -q '^child' "$work/host.txt" || { echo "no child window in the host's window"; return 1; }; }
check "the preview opens its window inside the settings page's window" wait_until 30 child_there
pause 1
check "the preview keeps running inside the settings page's window" still_running "$saver_pid"
: >"$work/stop.txt"
check "the preview ends with exit code 0 when the settings page's window goes" closes_with "$saver_pid" 30 0
wait_exit "$host_pid" 30
host_saw_preview() {
  local seen
  seen=$(tr -d '\r' <"$work/host.txt" | grep '^preview')
  [ "$seen" = "preview WindowsScreenSaverClass|Preview|152x112|other-process" ] || { echo "the host found: $seen"; return 1; }
}
check "the preview was a \"Preview\" window of the saver's class, filling the page's window" host_saw_preview
end_all
finish
