# Sourced by the checks of hosts that find Vyk only where its package puts it (MATE's screen
# saver runs only hacks from its known folders; xsecurelock only modules from its own): the
# package is made from the build and installed for real, as a user would. The caller sets
# $work and removes the package at its end with vyk_remove_built_package.

# vyk_install_built_package BUILD: makes the package of the build folder BUILD with CPack in
# $work/deb and installs it with dpkg, waiting (up to 120 s times VYK_SLOWDOWN) while another
# dpkg holds its lock. Installing needs root: any other user gets the message and exit code 77,
# which ctest reports as a skipped check.
vyk_install_built_package() {
  local build=$1
  if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing the built package needs root"
    exit 77
  fi
  vyk_make_built_package "$build" || return 1
  dpkg-query -W -f='${Status}' vyk 2>/dev/null | grep -q 'ok installed' || vyk_package_ours=1
  vyk_dpkg -i "$vyk_built_package"
}

# vyk_make_built_package BUILD: makes the package of the build folder BUILD with CPack in
# $work/deb and sets vyk_built_package to it.
vyk_make_built_package() {
  local build=$1
  (cd "$build" && cpack -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; return 1; }
  vyk_built_package=$(ls "$work"/deb/vyk_*.deb 2>/dev/null | head -n 1)
  [ -n "$vyk_built_package" ] || { echo "no vyk_*.deb in $work/deb"; return 1; }
}

# vyk_remove_built_package: removes the package again unless it was installed before the check.
vyk_remove_built_package() {
  [ -z "${vyk_package_ours:-}" ] || vyk_dpkg -r vyk
}

# vyk_dpkg ARGUMENT...: dpkg, tried again while another dpkg holds the lock.
vyk_dpkg() {
  local deadline=$((SECONDS + 120 * ${VYK_SLOWDOWN:-1}))
  until dpkg "$@" >"$work/dpkg.log" 2>&1; do
    if ! grep -q 'lock' "$work/dpkg.log" || [ "$SECONDS" -ge "$deadline" ]; then
      echo "dpkg $*: $(cat "$work/dpkg.log")"
      return 1
    fi
    sleep 1
  done
}
