# A 32-bit Wine for this x86_64 machine: Debian's i386 Wine run under qemu-i386 user-mode emulation.
#
# vyk_wine_i386 makes sure the set-up for the installed wine64 version exists, then sets and exports
#   vyk_wine_i386_bin           folder to put first in PATH; its wine and wine-stable (which
#                               /usr/bin/wineboot and friends run) start 32- and 64-bit programs alike
#   vyk_wine_i386_dlloverrides  "winedbg.exe=d", to add to WINEDLLOVERRIDES: Wine's debugger can hang
#                               under qemu when a 32-bit process crashes
#   vyk_wine_i386_loader        the 32-bit loader itself (a script that runs it under qemu-i386); a
#                               pure 32-bit prefix (WINEARCH=win32), the only kind that accepts the
#                               Windows versions before 7, must be made and run with it
# and prints the bin folder on stdout. The kernel cannot execute i386 code, so every 32-bit process is
# emulated; a prefix for 32-bit programs must be created by this Wine (wineboot -i fills syswow64).
# The set-up lives in ${VYK_CACHE:-/var/cache/vyk}/wine-i386-<wine64 version> and is built only once
# per version. Building it needs root and about half a minute plus the downloads, and changes nothing
# else on the system: packages are fetched with a private apt configuration and unpacked, never installed.
# Needs common.sh sourced first.

vyk_wine_i386_extra=(libgl1 libglx-mesa0 libgl1-mesa-dri libxcomposite1 libxcursor1 libxfixes3 libxi6
  libxinerama1 libxrandr2 libxrender1 libxxf86vm1 libgnutls30 libfreetype6 libfontconfig1)

vyk_wine_i386() {
  local version cache lock
  version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || vyk_die "wine64 is not installed"
  cache=${VYK_CACHE:-/var/cache/vyk}/wine-i386-${version//[^A-Za-z0-9.+-]/_}
  if [ ! -x "$cache/bin/wine" ]; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "The 32-bit Wine set-up is missing. Run as root:" >&2
      echo "  ${VYK_CACHE:+VYK_CACHE=$VYK_CACHE }$vyk_root/scripts/setup-wine-i386" >&2
      exit 1
    fi
    mkdir -p "$(dirname "$cache")" || vyk_die "cannot create $(dirname "$cache")"
    # Scripts started together wait for one build rather than racing each other.
    exec {lock}>"$cache.lock" && flock "$lock" || vyk_die "cannot lock $cache.lock"
    [ -x "$cache/bin/wine" ] || vyk_wine_i386_build "$cache" "$version"
    exec {lock}>&-
  fi
  export vyk_wine_i386_bin=$cache/bin vyk_wine_i386_dlloverrides=winedbg.exe=d
  export vyk_wine_i386_loader=$cache/lib/wine/wine
  echo "$vyk_wine_i386_bin"
}

# Prints the system's Debian sources as one-line entries, whichever of the two formats holds them.
vyk_wine_i386_sources() {
  [ -f /etc/apt/sources.list ] && grep -E '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list || true
  [ -f /etc/apt/sources.list.d/debian.sources ] && awk '
    function flush() {
      if (types ~ /(^| )deb( |$)/ && uri != "") {
        n = split(suites, s, " ")
        for (i = 1; i <= n; i++) print "deb " (key != "" ? "[signed-by=" key "] " : "") uri " " s[i] " " comps
      }
      types = uri = suites = comps = key = ""
    }
    /^[[:space:]]*$/ { flush(); next }
    /^#/ { next }
    { field = tolower($1); sub(/^[^:]*:[[:space:]]*/, "")
      if (field == "types:") types = $0; else if (field == "uris:") uri = $1
      else if (field == "suites:") suites = $0; else if (field == "components:") comps = $0
      else if (field == "signed-by:") key = $0 }
    END { flush() }' /etc/apt/sources.list.d/debian.sources
  return 0
}

# Runs apt-get for one architecture on the private configuration in $1 (its own sources, status,
# lists and cache), so that neither the system's package state nor its apt hooks come into play.
vyk_wine_i386_apt() {
  local dir=$1 arch=$2; shift 2
  if [ ! -f "$dir/apt.conf" ]; then
    mkdir -p "$dir/parts" "$dir/state" "$dir/cache/archives/partial" && : >"$dir/status"
    { printf 'Dir::Etc::SourceList "%s/sources.list"; Dir::Etc::SourceParts "%s/parts";\n' "$dir" "$dir"
      printf 'Dir::Etc::Parts "%s/parts"; Dir::Etc::Main "/dev/null"; Dir::Etc::Preferences "/dev/null";\n' "$dir"
      printf 'Dir::Etc::PreferencesParts "%s/parts"; Dir::State "%s/state"; Dir::State::status "%s/status";\n' "$dir" "$dir" "$dir"
      printf 'Dir::Cache "%s/cache"; APT::Architecture "%s"; APT::Architectures { "%s"; };\n' "$dir" "$arch" "$arch"
      printf 'Acquire::Languages "none";\n'
      apt-config dump | grep -E '^Acquire::(https?::Proxy|Check-Valid-Until|Check-Date) ' || true
    } >"$dir/apt.conf"
  fi
  # A mirror caught in the middle of a sync serves lists of the wrong size for a while; three
  # tries 20 s apart ride a short one out. When some lists still fail, the update goes on
  # with those it got: the packages wanted are then found or not, and a missing one stops
  # the install that follows with apt's own message.
  local try
  for try in 1 2 3; do
    APT_CONFIG="$dir/apt.conf" apt-get -q -o Debug::NoLocking=1 "$@" >"$dir/log" 2>&1 && return 0
    [ "$try" -eq 3 ] || { vyk_say "apt-get $1 failed, trying again in 20 s"; sleep 20; }
  done
  if [ "$1" = update ] && grep -q '^E: Some index files failed to download' "$dir/log"; then
    vyk_say "apt-get update could not fetch every list, going on with the others:"
    grep '^E: Failed to fetch' "$dir/log" >&2
    return 0
  fi
  cat "$dir/log" >&2
  vyk_die "apt-get $* failed (output above)"
}

# Builds the set-up in a temporary folder beside $1 and renames it at the end, so that an interrupted
# build never leaves a folder that looks finished; the next build starts that folder afresh.
vyk_wine_i386_build() {
  local cache=$1 version=$2 tmp codename deb start=$SECONDS
  tmp=$cache.tmp
  rm -rf "$tmp" && mkdir -p "$tmp/apt-i386" "$tmp/apt-amd64" "$tmp/sysroot" "$tmp/lib/wine" "$tmp/bin" ||
    vyk_die "cannot create $tmp"
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  vyk_wine_i386_sources >"$tmp/apt-i386/sources.list"
  [ -s "$tmp/apt-i386/sources.list" ] || vyk_die "no Debian apt sources found in /etc/apt"
  awk -v c="$codename" '$0 ~ " " c " " { sub(" " c " ", " " c "-backports "); print }' \
    "$tmp/apt-i386/sources.list" >"$tmp/apt-amd64/sources.list"

  vyk_say "fetching qemu-user from $codename-backports"
  vyk_wine_i386_apt "$tmp/apt-amd64" amd64 update
  (cd "$tmp/apt-amd64/cache/archives" && vyk_wine_i386_apt "$tmp/apt-amd64" amd64 download "qemu-user/$codename-backports") || exit 1
  dpkg-deb -x "$tmp"/apt-amd64/cache/archives/qemu-user_*.deb "$tmp/apt-amd64/qemu" &&
    cp "$tmp/apt-amd64/qemu/usr/bin/qemu-i386" "$tmp/qemu-i386" || vyk_die "cannot unpack qemu-user"

  vyk_say "fetching i386 Wine $version and its libraries"
  vyk_wine_i386_apt "$tmp/apt-i386" i386 update
  vyk_wine_i386_apt "$tmp/apt-i386" i386 install -y -d --no-install-recommends \
    "wine32=$version" "libwine=$version" "wine32-preloader=$version" "${vyk_wine_i386_extra[@]}"
  vyk_say "unpacking $(ls "$tmp"/apt-i386/cache/archives/*.deb | wc -l) packages"
  for deb in "$tmp"/apt-i386/cache/archives/*.deb; do
    dpkg-deb -x "$deb" "$tmp/sysroot" || vyk_die "cannot unpack $deb"
  done
  rm -rf "$tmp/apt-i386" "$tmp/apt-amd64"

  # What libwine's post-install step and the multiarch wineserver would have settled.
  cp /usr/lib/x86_64-linux-gnu/wine/i386-windows/zlib1.dll "$tmp/sysroot/usr/lib/i386-linux-gnu/wine/i386-windows/"
  rm -f "$tmp"/sysroot/usr/lib/wine/wineserver*
  ldconfig -r "$tmp/sysroot" || vyk_die "ldconfig failed on the i386 sysroot"

  # Wine starts a 32-bit process by executing "wine" beside the running 64-bit loader (found through
  # /proc/self/exe, hence a copy rather than a link); it finds its libraries one folder above that one
  # and its data two folders above, so the cache mirrors /usr's layout around it.
  cp /usr/lib/wine/wine64 "$tmp/lib/wine/wine64"
  ln -s /usr/lib/wine/wineserver "$tmp/lib/wine/wineserver"
  cp "$tmp/sysroot/usr/lib/wine/wine-preloader.static" "$tmp/lib/wine/wine32-preloader"
  ln -s /usr/lib/x86_64-linux-gnu "$tmp/lib/x86_64-linux-gnu"
  ln -s ../sysroot/usr/lib/i386-linux-gnu "$tmp/lib/i386-linux-gnu"
  mkdir "$tmp/share" && ln -s /usr/share/wine "$tmp/share/wine"
  printf '#!/bin/sh\n# Starts a 32-bit Wine process under user-mode emulation.\nexport WINELOADERNOEXEC=1\nexec %s -L %s -0 %s %s %s "$@"\n' \
    "$cache/qemu-i386" "$cache/sysroot" "$cache/lib/wine/wine-preloader" \
    "$cache/lib/wine/wine32-preloader" "$cache/sysroot/usr/lib/wine/wine" >"$tmp/lib/wine/wine"
  printf '#!/bin/sh\n# Runs Wine through the copy of its 64-bit loader that sits beside the 32-bit starter.\nexec %s "$@"\n' \
    "$cache/lib/wine/wine64" >"$tmp/bin/wine"
  chmod +x "$tmp/lib/wine/wine" "$tmp/bin/wine"
  cp "$tmp/bin/wine" "$tmp/bin/wine-stable"

  rm -rf "$cache" && mv "$tmp" "$cache" || vyk_die "cannot move the set-up into $cache"
  vyk_say "32-bit Wine set up in $cache ($((SECONDS - start)) s, $(du -sh "$cache" | cut -f1))"
}
