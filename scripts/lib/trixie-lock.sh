# A Wayland lock screen to run the native hack under: a Debian 13 (trixie) root with sway 1.10, whose
# ext-session-lock-v1 Debian 12's sway 1.7 lacks, grim, swayidle, and swaylock-plugin 1.8.5 built
# from its source release in ../shared/hosts.
#
# vyk_trixie_lock makes sure the root's tarball exists, building it once per machine (and again
# whenever this recipe, its package list or the source release changes), and sets and exports
#   vyk_trixie_lock_tar   the tarball (zstd): the root, with swaylock-plugin in /usr/local/bin
# then prints it on stdout. vyk_trixie_lock_unpack DIR makes a scratch copy of it and mounts what
# a session there needs; vyk_trixie_lock_release DIR undoes every mount and removes the copy.
# Building and mounting need root. A caller that mounts should run in a mount namespace of its own
# (vyk_trixie_lock_private), so that no mount outlives it even when it is killed outright.
# Building takes about 5 minutes and the downloads; the host's packages are left alone.
# Needs common.sh and wine-i386.sh (for the system's apt sources) sourced first.

# The source release, looked for in VYK_HOSTS and in shared/hosts beside the checkout or beside
# a folder above it (a clone made elsewhere on the machine finds it too); its SHA-256 is pinned,
# so the key of a root built from it stays the same without the file.
vyk_trixie_lock_source_sha256=d0799f862156d058a67523bfeb9f127d47e42d19dd8ee614cbf704837bed08d0
vyk_trixie_lock_find_source() {
  local dir
  for dir in ${VYK_HOSTS:-} "$vyk_root/../shared/hosts" "$vyk_root/../../shared/hosts" \
             "$vyk_root/../../../shared/hosts" /work/shared/hosts; do
    [ -f "$dir/swaylock-plugin-1.8.5.tar.gz" ] && { echo "$dir/swaylock-plugin-1.8.5.tar.gz"; return 0; }
  done
  return 1
}
vyk_trixie_lock_source=$(vyk_trixie_lock_find_source || echo "../shared/hosts/swaylock-plugin-1.8.5.tar.gz")

# What the root holds: the compositor, its screenshots and idle daemon, what swaylock-plugin
# builds with, the libraries the hack's package depends on, and swaybg, the plainest plugin.
vyk_trixie_lock_packages=(sway grim swayidle swaybg procps meson ninja-build gcc pkg-config libwayland-dev
  wayland-protocols libxkbcommon-dev libcairo2-dev libpam0g-dev libwayland-bin
  libegl1 libgl1 libglx0 libopengl0 libgl1-mesa-dri libwayland-egl1 libwayland-client0 libx11-6 libxext6)

# vyk_trixie_lock_key: the cache's key, from this recipe, its package list and the source's hash.
vyk_trixie_lock_key() {
  { declare -f vyk_trixie_lock_build vyk_trixie_lock_mount; echo "${vyk_trixie_lock_packages[*]}"
    echo "$vyk_trixie_lock_source_sha256  -"; } | sha256sum | cut -c1-12
}

# vyk_trixie_lock_ready: succeeds when the root can be had: built already, or its source release
# is here to build it from.
vyk_trixie_lock_ready() {
  [ -f "${VYK_CACHE:-/var/cache/vyk}/trixie-lock-$(vyk_trixie_lock_key).tar.zst" ] || [ -f "$vyk_trixie_lock_source" ]
}

vyk_trixie_lock() {
  local key cache lock
  key=$(vyk_trixie_lock_key)
  cache=${VYK_CACHE:-/var/cache/vyk}/trixie-lock-$key.tar.zst
  if [ ! -f "$cache" ]; then
    [ -f "$vyk_trixie_lock_source" ] || vyk_die "swaylock-plugin's source release is missing: $vyk_trixie_lock_source"
    [ "$(sha256sum <"$vyk_trixie_lock_source")" = "$vyk_trixie_lock_source_sha256  -" ] ||
      vyk_die "$vyk_trixie_lock_source is not swaylock-plugin 1.8.5's release (its SHA-256 differs)"
    [ "$(id -u)" -eq 0 ] || vyk_die "the Debian 13 lock screen root is missing; building it needs root (run scripts/test as root)"
    mkdir -p "$(dirname "$cache")" || vyk_die "cannot create $(dirname "$cache")"
    # Scripts started together wait for one build rather than racing each other.
    exec {lock}>"${cache%.tar.zst}.lock" && flock "$lock" || vyk_die "cannot lock ${cache%.tar.zst}.lock"
    [ -f "$cache" ] || vyk_trixie_lock_private vyk_trixie_lock_build "$cache" || exit 1
    exec {lock}>&-
  fi
  export vyk_trixie_lock_tar=$cache
  echo "$vyk_trixie_lock_tar"
}

# vyk_trixie_lock_private FUNCTION ARGUMENT...: runs FUNCTION in a new shell (with these scripts
# sourced) in a mount namespace of its own: whatever it mounts goes when it ends, however it ends.
vyk_trixie_lock_private() {
  unshare --mount --propagation private bash -c \
    'set -u; source "$1/scripts/lib/common.sh"; source "$1/scripts/lib/wine-i386.sh"
     source "$1/scripts/lib/trixie-lock.sh"; shift; "$@"' bash "$vyk_root" "$@"
}

# vyk_trixie_lock_mount DIR: what programs in the root DIR need of the running system: /proc,
# /sys, /dev and /dev/pts, and a tmpfs of its own on /dev/shm, without which wl_shm clients abort
# and sway cannot allocate its buffers.
vyk_trixie_lock_mount() {
  local root=$1
  mount --bind /proc "$root/proc" && mount --bind /sys "$root/sys" && mount --bind /dev "$root/dev" &&
    mount --bind /dev/pts "$root/dev/pts" && mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm" ||
    { echo "cannot mount the system's folders in $root" >&2; return 1; }
}

# vyk_trixie_lock_unmount DIR: undoes every mount under DIR, the deepest first; fails when one stays.
vyk_trixie_lock_unmount() {
  local root mounts point
  root=$(realpath -m "$1")
  mounts=$(awk -v r="$root/" 'index($2 "/", r) == 1 { print $2 }' /proc/self/mounts | sort -r)
  for point in $mounts; do umount "$point" 2>/dev/null || umount -l "$point" 2>/dev/null; done
  ! awk -v r="$root/" 'index($2 "/", r) == 1 { found = 1 } END { exit !found }' /proc/self/mounts
}

# vyk_trixie_lock_unpack DIR: a scratch copy of the root in DIR (made anew), mounted for a session.
vyk_trixie_lock_unpack() {
  local root=$1
  vyk_trixie_lock_release "$root" || return 1
  mkdir -p "$root" && tar --zstd -xf "$vyk_trixie_lock_tar" -C "$root" ||
    { echo "cannot unpack $vyk_trixie_lock_tar into $root" >&2; return 1; }
  vyk_trixie_lock_mount "$root"
}

# vyk_trixie_lock_release DIR: unmounts what vyk_trixie_lock_unpack mounted and removes the copy;
# never follows a mount that could not be undone out of DIR.
vyk_trixie_lock_release() {
  [ -e "$1" ] || return 0
  vyk_trixie_lock_unmount "$1" || { echo "$1 still has mounts; left in place" >&2; return 1; }
  rm -rf --one-file-system "$1"
}

# Builds the root in a folder beside the tarball $1 and writes the tarball under a temporary name,
# renamed at the end, so that an interrupted build never leaves a tarball that looks finished.
vyk_trixie_lock_build() {
  local cache=$1 tmp root mirror start=$SECONDS
  tmp=${cache%.tar.zst}.tmp root=${cache%.tar.zst}.tmp/root
  trap "vyk_trixie_lock_release $(printf %q "$tmp")" EXIT
  trap 'exit 1' INT TERM HUP
  vyk_trixie_lock_release "$tmp" && mkdir -p "$tmp" || vyk_die "cannot create $tmp"
  mirror=$(vyk_wine_i386_sources | awk '{ for (i = 2; i <= NF; i++) if ($i !~ /^\[/) { print $i; exit } }')
  [ -n "$mirror" ] || vyk_die "no Debian apt sources found in /etc/apt"

  vyk_say "making a Debian 13 root from $mirror"
  debootstrap --variant=minbase trixie "$root" "$mirror" >"$tmp/debootstrap.log" 2>&1 ||
    { tail -n 20 "$tmp/debootstrap.log" >&2; [ -f "$root/debootstrap/debootstrap.log" ] &&
      tail -n 20 "$root/debootstrap/debootstrap.log" >&2; vyk_die "debootstrap failed (output above)"; }
  cp /etc/resolv.conf "$root/etc/resolv.conf" && vyk_trixie_lock_mount "$root" || vyk_die "cannot prepare $root"

  vyk_say "installing sway, grim and what swaylock-plugin builds with"
  local try
  for try in 1 2 3; do
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get -q update >"$tmp/apt.log" 2>&1 &&
      chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get -q install -y --no-install-recommends \
        "${vyk_trixie_lock_packages[@]}" >>"$tmp/apt.log" 2>&1 && break
    [ "$try" -eq 3 ] && { tail -n 30 "$tmp/apt.log" >&2; vyk_die "apt-get in the Debian 13 root failed (output above)"; }
    vyk_say "apt-get failed, trying again in 20 s"
    sleep 20
  done

  vyk_say "building swaylock-plugin"
  mkdir -p "$root/usr/local/src" && tar -xzf "$vyk_trixie_lock_source" -C "$root/usr/local/src" ||
    vyk_die "cannot unpack $vyk_trixie_lock_source"
  chroot "$root" sh -c 'cd /usr/local/src/swaylock-plugin-* &&
    CFLAGS="-include limits.h -include unistd.h" meson setup build -Dwerror=false -Dman-pages=disabled \
      -Dlogind=disabled -Dgdk-pixbuf=disabled && ninja -C build && ninja -C build install' >"$tmp/build.log" 2>&1 ||
    { tail -n 30 "$tmp/build.log" >&2; vyk_die "building swaylock-plugin failed (output above)"; }
  chroot "$root" apt-get clean
  rm -rf "$root/var/lib/apt/lists"/* "$root/usr/local/src"

  vyk_trixie_lock_unmount "$root" || vyk_die "cannot unmount the system's folders from $root"
  tar --zstd -cf "$cache.part" -C "$root" . && mv -f "$cache.part" "$cache" ||
    { rm -f "$cache.part"; vyk_die "cannot write $cache"; }
  vyk_say "Debian 13 lock screen root made in $cache ($((SECONDS - start)) s, $(du -sh "$cache" | cut -f1))"
}
