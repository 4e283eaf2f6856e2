# Sourced with a build folder: exports WINEPREFIX (made on first use) and a DISPLAY
# served by a private Xvfb, both kept inside that folder. Never touches ~/.wine.
vyk_build=$(cd "$1" && pwd)
export WINEPREFIX="$vyk_build/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=win64

# One Xvfb per build folder, started on first use and found again through its files.
vyk_start_display() {
  local num pidf="$vyk_build/xvfb.pid" numf="$vyk_build/xvfb.display"
  if [ -f "$pidf" ] && [ -f "$numf" ] && kill -0 "$(cat "$pidf")" 2>/dev/null; then
    export DISPLAY=":$(cat "$numf")"
    return 0
  fi
  exec 8>"$vyk_build/xvfb.fd"
  # fd 9 is the harness lock: the long-lived Xvfb and wineserver must not keep it.
  Xvfb -displayfd 8 -screen 0 ${VYK_SCREEN:-800x600x24} -nolisten tcp -noreset >/dev/null 2>&1 9>&- &
  echo $! >"$pidf"
  exec 8>&-
  local i
  for i in $(seq 50); do
    num=$(cat "$vyk_build/xvfb.fd" 2>/dev/null)
    [ -n "$num" ] && break
    sleep 0.1
  done
  [ -n "$num" ] || { echo "wine-env: Xvfb did not start" >&2; return 1; }
  echo "$num" >"$numf"
  export DISPLAY=":$num"
}

{
  flock 9
  if [ -z "${VYK_KEEP_DISPLAY:-}" ]; then vyk_start_display || exit 1; fi
  if [ ! -f "$WINEPREFIX/.vyk-ready" ]; then
    wineboot -i >/dev/null 2>&1 9>&-
    wineserver -w 9>&-
    touch "$WINEPREFIX/.vyk-ready"
  fi
} 9>"$vyk_build/wine-env.lock"
