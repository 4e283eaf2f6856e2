# Sourced by the checks that judge the hack on a headless sway from grim's screenshots of each
# output, after checks.sh, picture_checks.sh and scripts/lib/sway.sh. The caller sets $work and
# $session, the session folder (as sway's user sees it) holding shots/, a folder of mode 1777.

# grab OUTPUT FILE: a screenshot of that output alone, as PPM.
grab() {
  vyk_as_sway_user grim -t ppm -o "$1" "$session/shots/$1.ppm" &&
    mv -f "${vyk_sway_root:-}$session/shots/$1.ppm" "$2"
}
# What sway draws itself: a plain grey background where no surface covers an output, and plain
# red over a locked output whose locker has died. The tunnel has next to none of either (about
# 0.2 % of its pixels come within 8 of the grey; 1 % passes).
no_background() {
  local pixels grey red
  pixels=$(identify -format '%[fx:w*h]' "$1") || return 1
  grey=$(picture colour "$1" 3f3f3f) || return 1
  at_most "$grey" $((pixels / 100)) || { echo "(sway's grey background shows)"; return 1; }
  red=$(picture colour "$1" ff0000) || return 1
  at_most "$red" $((pixels / 100)) || { echo "(sway's red screen of a dead locker shows)"; return 1; }
}
# centred_on OUTPUT WxH: a screenshot of OUTPUT is WxH and shows the tunnel covering it, centred:
# mirror-symmetric about its vertical centre line, and its centre column (at least 60 %)
# mirrored about the horizontal one.
centred_on() {
  local size
  grab "$1" "$work/$1.ppm" || return 1
  size=$(identify -format %wx%h "$work/$1.ppm") || return 1
  [ "$size" = "$2" ] || { echo "$1 is $size, not $2"; return 1; }
  no_background "$work/$1.ppm" || return 1
  at_least "$(picture covered "$work/$1.ppm")" 0.95 || { echo "(covered, $1)"; return 1; }
  mirrored "$work/$1.ppm" || { echo "(mirror, $1)"; return 1; }
  at_least "$(picture column "$work/$1.ppm")" 0.6 || { echo "(centre column, $1)"; return 1; }
}
# moved_on OUTPUT: a later screenshot differs from centred_on's in at least 20 % of the tunnel.
moved_on() {
  grab "$1" "$work/$1-later.ppm" || return 1
  no_background "$work/$1-later.ppm" || return 1
  at_least "$(picture changed "$work/$1.ppm" "$work/$1-later.ppm")" 0.2
}
# tunnel_on OUTPUT WxH: within 30 s the tunnel is on OUTPUT, centred at that size, and within
# 10 s more it has moved.
tunnel_on() {
  wait_until 30 centred_on "$1" "$2" || return 1
  wait_until 10 moved_on "$1" || { echo "(moved share, $1)"; return 1; }
}

# cpu_ticks PID: the user and system time PID has used, in clock ticks.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# used_little PID SECONDS: over SECONDS the process used less than 1 % of a core; prints what it used.
used_little() {
  local before after limit
  before=$(cpu_ticks "$1") || return 1
  sleep "$2"
  after=$(cpu_ticks "$1") || return 1
  limit=$(($(getconf CLK_TCK) * $2 / 100))
  echo "$((after - before)) ticks of $(getconf CLK_TCK) a second in $2 s; under $limit allowed"
  [ $((after - before)) -lt "$limit" ]
}
