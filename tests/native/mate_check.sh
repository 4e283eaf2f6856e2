#!/usr/bin/env bash
# The package with the real MATE screen saver on a private 640x480 Xvfb, with its own session
# bus and settings: installed, Vyk is in MATE's list of savers; chosen there (the theme
# "screensavers-vyk" in single mode), activation runs the installed hack in MATE's window,
# which shows the moving tunnel, and deactivation ends the hack.
# Usage: mate_check.sh BUILD PICTURE_PY WORKDIR
build=$1 picture_py=$2 work=$3
rm -rf "$work" && mkdir -p "$work/home" || exit 1
failures=0
source "$(dirname "$picture_py")/picture_checks.sh"
source "$(dirname "$0")/../../scripts/lib/display.sh"
source "$(dirname "$0")/checks.sh"
source "$(dirname "$0")/installed_package.sh"
hack=/usr/libexec/xscreensaver/vyk

bus_pid= saver_pid= xvfb_pid=
cleanup() {
  local pid
  if [ -n "$saver_pid" ]; then
    # A hack that outlives the saver is ended by its own id.
    for pid in $(pgrep -P "$saver_pid"); do kill "$pid" 2>/dev/null; done
    kill "$saver_pid" 2>/dev/null
  fi
  [ -z "$bus_pid" ] || kill "$bus_pid" 2>/dev/null
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  vyk_remove_built_package
}
trap cleanup EXIT
vyk_install_built_package "$build" || { echo "FAIL: the built package does not install"; exit 1; }

vyk_start_xvfb 640x480x24 "$work/xvfb.pid" "$work/xvfb.log" -noreset || exit 1
xvfb_pid=$vyk_xvfb_pid

# A session of its own: home, settings kept in a key file there (no settings service needed),
# the system's data folders, a session bus of its own and no accessibility bus.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_DIRS=/usr/local/share:/usr/share
export GSETTINGS_BACKEND=keyfile NO_AT_BRIDGE=1
dbus-daemon --session --nofork --print-address=1 >"$work/bus.address" 2>"$work/bus.log" &
bus_pid=$!
until_true 20 test -s "$work/bus.address" || { echo "FAIL: no session bus: $(cat "$work/bus.log")"; exit 1; }
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus.address")
export DBUS_SESSION_BUS_ADDRESS

# The list MATE's preferences show: every entry of its screen-saver menu, read the way they
# read it; each line "desktop id<TAB>name<TAB>command".
/usr/bin/python3 - >"$work/list" 2>&1 <<'PY'
import gi
gi.require_version("MateMenu", "2.0")
from gi.repository import MateMenu
tree = MateMenu.Tree.new("mate-screensavers.menu", MateMenu.TreeFlags.NONE)
tree.load_sync()
items = tree.get_root_directory().iter()
while (kind := items.next()) != MateMenu.TreeItemType.INVALID:
    if kind == MateMenu.TreeItemType.ENTRY:
        entry = items.get_entry()
        info = entry.get_app_info()
        print(f"{entry.get_desktop_file_id()}\t{info.get_name()}\t{info.get_commandline()}")
PY
check "MATE's list of savers holds Vyk, running the installed hack" \
  grep -qxF "screensavers-vyk.desktop	Vyk	$hack --root" "$work/list"
check "MATE's list holds its own savers too, read from the same menu" \
  grep -q '^screensavers-popsquares.desktop	' "$work/list"

# Vyk chosen as a user chooses it in the preferences: the one theme, no lock, no idle start.
gsettings set org.mate.screensaver themes "['screensavers-vyk']" &&
  gsettings set org.mate.screensaver mode single &&
  gsettings set org.mate.screensaver lock-enabled false &&
  gsettings set org.mate.screensaver idle-activation-enabled false || { echo "FAIL: gsettings"; exit 1; }

mate-screensaver --no-daemon --debug >"$work/saver.log" 2>&1 &
saver_pid=$!
until_true 30 mate-screensaver-command --query ||
  { echo "FAIL: mate-screensaver does not answer: $(tail -n 20 "$work/saver.log")"; exit 1; }

# The saver's hack: its child running the installed vyk.
hack_pid() {
  local pid
  for pid in $(pgrep -P "$saver_pid"); do
    [ "$(readlink "/proc/$pid/exe")" = "$hack" ] && { echo "$pid"; return 0; }
  done
  return 1
}
tunnel_shown() { shot "$work/$1.ppm" && at_least "$(picture covered "$work/$1.ppm")" 0.95; }
in_mates_window() {
  local pid=$1 window
  [ "$(tr '\0' ' ' <"/proc/$pid/cmdline")" = "$hack --root " ] || { echo "command: $(tr '\0' ' ' <"/proc/$pid/cmdline")"; return 1; }
  window=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
  [ -n "$window" ] && xwininfo -id "$window" | grep -q 'Width: 640' || { echo "XSCREENSAVER_WINDOW '$window'"; return 1; }
}
gone() { ! kill -0 "$1" 2>/dev/null; }

mate-screensaver-command --activate >/dev/null 2>&1
check "activation runs the installed hack as MATE's saver" until_true 30 hack_pid
pid=$(hack_pid)
check "MATE runs \"$hack --root\" in the window it hands over" in_mates_window "$pid"
check "activation shows the tunnel over the whole screen" until_true 30 tunnel_shown a
check "the tunnel moves" until_shot 20 "$work/b.ppm" tunnel_moved "$work/a.ppm" "$work/b.ppm"
check "the tunnel is mirror-symmetric" mirrored "$work/b.ppm"

mate-screensaver-command --deactivate >/dev/null 2>&1
check "deactivation ends the hack" until_true 20 gone "$pid"
check "the saver runs on after deactivation" kill -0 "$saver_pid"

echo "$failures failed"
[ "$failures" -eq 0 ]
