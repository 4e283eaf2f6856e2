# Shared by the scripts: the Debian packages the project needs, installing them, building presets.
vyk_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$vyk_root/scripts/lib/display.sh"
source "$vyk_root/scripts/lib/xorg.sh"

vyk_packages=(cmake ninja-build g++ g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
  googletest wine wine64 xvfb xdotool x11-utils imagemagick nsis zip unzip python3
  libgl-dev libopengl-dev libx11-dev libxext-dev libgl1-mesa-dri xscreensaver-gl-extra e2fsprogs
  xscreensaver xscreensaver-gl lintian dpkg-dev man-db procps
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  mate-screensaver xsecurelock dbus-daemon dbus-bin libglib2.0-bin python3-gi gir1.2-matemenu-2.0)
# The hack's Wayland client (EGL, wayland-scanner and xdg-shell) and its checks on a headless sway.
vyk_packages+=(libwayland-dev wayland-protocols libegl-dev pkg-config sway swayidle grim wtype)
# The Debian 13 root that the hack's lock screen check runs sway 1.10 and swaylock-plugin in.
vyk_packages+=(debootstrap zstd)
# The load that scripts/test-under-load and scripts/slow-programs put on every core.
vyk_packages+=(stress-ng)

vyk_say() { printf '==> %s\n' "$*" >&2; }
vyk_die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# Installs whatever of vyk_packages is missing; as non-root, prints the line and stops.
vyk_install_packages() {
  local missing=() p
  for p in "${vyk_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Run as root:" >&2
    echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  vyk_say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught in the middle of a sync fails the update for a minute or so.
  apt-get update -qq >&2 || { sleep 20; apt-get update -qq >&2; } || { sleep 20; apt-get update -qq >&2; } ||
    vyk_die "apt-get update failed"
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2 || vyk_die "apt-get install failed"
}

# Configures and builds one preset (or one target of it), showing how far the build has got;
# the compiler's output is shown only when the build fails.
vyk_build() {
  local preset=$1 target=${2:-} log status
  log=$(mktemp)
  vyk_say "configuring $preset"
  if ! cmake --preset "$preset" >"$log" 2>&1; then
    cat "$log" >&2; rm -f "$log"; vyk_die "configuring $preset failed (output above)"
  fi
  vyk_say "building $preset${target:+ (target $target)}"
  { cmake --build --preset "$preset" ${target:+--target "$target"} 2>&1; echo $? >"$log.status"; } |
    tee -a "$log" | vyk_build_progress
  status=$(cat "$log.status"); rm -f "$log.status"
  if [ "$status" != 0 ]; then
    cat "$log" >&2; rm -f "$log"; vyk_die "build of $preset failed (output above)"
  fi
  rm -f "$log"
}

# Reads ninja's "[step/steps]" lines and reports every further fifth of the build on stderr.
vyk_build_progress() {
  awk 'match($0, /^\[[0-9]+\/[0-9]+\]/) {
         split(substr($0, 2, RLENGTH - 2), n, "/")
         if (n[1] * 5 >= shown * n[2] && n[2] > 0) {
           printf "    %d of %d build steps done\n", n[1], n[2] > "/dev/stderr"; fflush("/dev/stderr")
           shown = int(n[1] * 5 / n[2]) + 1
         }
       }'
}

# Ends the Wine server and the Xvfb (or the several-monitor Xorg) that the harness started
# for a build folder.
vyk_stop_session() {
  local build=$1
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
  vyk_stop_xvfb "$build/xvfb.pid"
  vyk_stop_xorg "$build/xorg.pid"
}
