# Sourced by the native hack's checks from outside. The caller sets $work, its scratch folder,
# and failures=0 before the first check.

# check NAME COMMAND...: runs COMMAND in this shell, so that it may wait for the hack, and
# reports it on one line; a failure shows what COMMAND printed.
check() {
  local name=$1
  shift
  if "$@" >"$work/check.out" 2>&1; then
    echo "ok: $name"
  else
    echo "FAIL: $name: $(tr '\n' ' ' <"$work/check.out")"
    failures=$((failures + 1))
  fi
}

# until_true SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds or SECONDS (times
# VYK_SLOWDOWN) have passed.
until_true() {
  local seconds=$1 i
  shift
  for i in $(seq $((seconds * 5 * ${VYK_SLOWDOWN:-1}))); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}

# until_shot SECONDS FILE COMMAND...: takes a screenshot of the whole screen into FILE and runs
# COMMAND, which judges it, until COMMAND succeeds or SECONDS (times VYK_SLOWDOWN) have passed;
# then shows what its last run printed.
until_shot() {
  local seconds=$1 file=$2 deadline out
  shift 2
  deadline=$((SECONDS + seconds * ${VYK_SLOWDOWN:-1}))
  until out=$(shot "$file" 2>&1 && "$@" 2>&1); do
    [ "$SECONDS" -lt "$deadline" ] || { echo "$out (still so after $seconds s)"; return 1; }
    sleep 0.2
  done
}

# tunnel_moved A B [WxH+X+Y]: at least 20 % of the tunnel (of that rectangle of the screen, one
# monitor) differs between the screenshots A and B. Between two screenshots a slow machine may
# draw no frame at all: wait for it with until_shot.
tunnel_moved() { at_least "$(picture ${3:+--crop "$3"} changed "$1" "$2")" 0.2; }

# logo_shown FILE: the logo is coming in along the top: the top band holds at least 1000 more
# of its yellow pixels on one side than on the other.
logo_shown() {
  local n
  n=$(picture logo "$1") || return 1
  [ "$n" -ge 1000 ] || { echo "$n more yellow pixels on one side of the top band than on the other"; return 1; }
}
