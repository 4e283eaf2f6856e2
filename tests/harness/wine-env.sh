# Sourced with a build folder: exports WINEPREFIX (made on first use) and a DISPLAY
# served by a private Xvfb, both kept inside that folder. Never touches ~/.wine.
# The build's harness.env (or, for a session folder inside a build, its build's) says
# whether its programs are 32-bit; those run under the emulated 32-bit Wine, whose bin
# folder then comes first in PATH, and VYK_SLOWDOWN scales every wait.
vyk_build=$(cd "$1" && pwd)
vyk_target_arch=x86_64
for vyk_env in "$vyk_build/harness.env" "$vyk_build/../harness.env"; do
  if [ -f "$vyk_env" ]; then source "$vyk_env"; break; fi
done
export VYK_SLOWDOWN=${VYK_SLOWDOWN:-1}
export WINEPREFIX="$vyk_build/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEARCH=win64
if [ "$vyk_target_arch" = i686 ]; then
  source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/common.sh"
  source "$vyk_root/scripts/lib/wine-i386.sh"
  vyk_wine_i386 >/dev/null || { echo "wine-env: the 32-bit Wine is not set up (run scripts/test)" >&2; return 1; }
  case ":$PATH:" in *":$vyk_wine_i386_bin:"*) ;; *) export PATH="$vyk_wine_i386_bin:$PATH" ;; esac
  # Wine's debugger hangs under the emulator; a crash must end the process instead.
  case "$WINEDLLOVERRIDES" in *winedbg*) ;; *) export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d" ;; esac
fi

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/display.sh"

# One Xvfb per build folder, started on first use and found again through its files. A
# pid that has since been given to another process proves nothing, so the recorded display
# is used only while it answers.
vyk_start_display() {
  local pidf="$vyk_build/xvfb.pid" numf="$vyk_build/xvfb.display"
  if [ -f "$pidf" ] && [ -f "$numf" ] && kill -0 "$(cat "$pidf")" 2>/dev/null &&
    xdpyinfo -display ":$(cat "$numf")" >/dev/null 2>&1; then
    export DISPLAY=":$(cat "$numf")"
    return 0
  fi
  vyk_start_xvfb "${VYK_SCREEN:-800x600x24}" "$pidf" /dev/null -noreset
}

# fd 9 is the harness lock: nothing long-lived started under it (Xvfb, wineserver) may keep it.
{
  flock 9
  if [ -z "${VYK_KEEP_DISPLAY:-}" ]; then vyk_start_display || exit 1; fi
  # A prefix whose set-up failed stays unmarked, so the next run sets it up again.
  if [ ! -f "$WINEPREFIX/.vyk-ready" ]; then
    if ! wineboot -i >/dev/null 2>&1 9>&-; then
      echo "wine-env: wineboot -i failed for $WINEPREFIX" >&2
      exit 1
    fi
    wineserver -w 9>&-
    touch "$WINEPREFIX/.vyk-ready"
  fi
} 9>"$vyk_build/wine-env.lock"
