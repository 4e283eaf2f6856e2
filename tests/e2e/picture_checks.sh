# Sourced by the checks that judge the tunnel from screenshots, the Windows saver's and the
# native hack's alike (and the native hack's frame-rate overlay). The caller sets $work, the folder the screenshots go to.
picture_checks_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# A pause of $1 seconds, times VYK_SLOWDOWN (set by the harness for an emulated build).
pause() { sleep "$(awk -v s="$1" -v f="${VYK_SLOWDOWN:-1}" 'BEGIN { print s * f }')"; }

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# deadline_after SECONDS: prints the time, in now_ms's terms, SECONDS (a decimal) times
# VYK_SLOWDOWN from now.
deadline_after() { echo $(($(now_ms) + $(awk -v s="$1" -v f="${VYK_SLOWDOWN:-1}" 'BEGIN { printf "%d", s * f * 1000 }'))); }

# wait_until SECONDS COMMAND...: runs COMMAND until it succeeds, for up to SECONDS (a decimal)
# times VYK_SLOWDOWN; fails with the command's last output when it never does.
wait_until() {
  local deadline out
  deadline=$(deadline_after "$1")
  shift
  until out=$("$@" 2>&1); do
    [ "$(now_ms)" -lt "$deadline" ] || { echo "$out"; return 1; }
    sleep 0.1
  done
}

# Screenshot of the whole virtual screen as a PPM file.
shot() { import -window root -silent "$1"; }

picture() { python3 "$picture_checks_dir/picture.py" "$@"; }

# at_least VALUE MINIMUM / at_most VALUE MAXIMUM, for the decimal numbers picture prints.
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }' || { echo "$1 is below $2"; return 1; }; }
at_most() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }' || { echo "$1 is above $2"; return 1; }; }

# Judging the moving picture. A judge keeps taking screenshots until what it waits for shows,
# or a deadline (times VYK_SLOWDOWN) has passed: how many frames the program draws between two
# shots decides how long a check takes, never its verdict.
#
# The logo's cycle is 1024 frames: from frame 1 it comes in from the left along the top (by
# about frame 50), rests there and leaves by about frame 190; from frame 512 it does the same
# from the right. Only the top band is judged, where the logo comes in from one side only.

# watch_picture NAME SECONDS JUDGE: shoots $work/NAME-1.ppm, NAME-2.ppm, ... and calls
# JUDGE NEWEST PREVIOUS on each (PREVIOUS is empty for the first): 0 means the outcome
# showed, 2 that it never can, anything else to shoot again. Fails on 2 or at the deadline,
# saying why from $watch_why. The two newest shots are kept, the newest named in $watched;
# the judges keep their count in $watch_count and their extreme in $watch_most.
watch_picture() {
  local name=$1 seconds=$2 judge=$3 n=0 previous="" verdict deadline
  deadline=$((SECONDS + seconds * ${VYK_SLOWDOWN:-1}))
  watch_count=0 watch_most=0 watch_why="no shot was judged"
  while :; do
    n=$((n + 1))
    watched=$work/$name-$n.ppm
    shot "$watched"
    "$judge" "$watched" "$previous"
    verdict=$?
    [ "$n" -lt 3 ] || rm -f "$work/$name-$((n - 2)).ppm"
    [ "$verdict" -eq 0 ] && return 0
    [ "$verdict" -eq 2 ] && { echo "$watch_why"; return 1; }
    [ "$SECONDS" -lt "$deadline" ] || { echo "after $((seconds * ${VYK_SLOWDOWN:-1})) s, $watch_why"; return 1; }
    previous=$watched
  done
}

# The tunnel moves: a shot differs from the one before in at least a fifth of its pixels.
judge_moves() {
  local share
  [ -n "$2" ] || return 1
  share=$(picture changed "$2" "$1")
  at_least "$share" 0.2 >/dev/null && return 0
  at_least "$share" "$watch_most" >/dev/null && watch_most=$share
  watch_why="consecutive shots differ in a share of at most $watch_most"
  return 1
}

# The logo comes in along the top: a shot shows at least 1000 more yellow pixels on one side
# of the top band than on the other.
judge_logo_in() {
  local n
  n=$(picture logo "$1")
  watch_count=$((watch_count + 1))
  [ "$n" -ge 1000 ] && return 0
  [ "$n" -gt "$watch_most" ] && watch_most=$n
  watch_why="at most $watch_most more yellow pixels on one side of the top band than on the other in $watch_count shots"
  return 1
}

# The logo stays off: 20 shots of a lit top band with no more than 150 yellow pixels more on
# one side, each a new frame (a fifth of the picture changed since the shot before). Begun as
# the picture first shows, they span at least its first 20 frames at any speed, and many more
# on a fast machine: a logo that is on shows its first letter within ten frames.
judge_logo_off() {
  local n share
  if [ -z "$2" ]; then n=$(picture logo "$1") share=0; else read -r n share < <(picture step "$2" "$1"); fi
  if [ "$n" -gt 150 ]; then
    watch_why="$n more yellow pixels on one side of the top band than on the other after $watch_count new frames"
    return 2
  fi
  [ "$n" -ge 0 ] && at_least "$share" 0.2 >/dev/null && watch_count=$((watch_count + 1))
  [ "$watch_count" -ge 20 ] && return 0
  watch_why="only $watch_count new frames with the top band lit were seen"
  return 1
}

# mirrored FILE [WxH+X+Y]: the centre row of the screen (or of that rectangle of it, one
# monitor) mirrors pixel for pixel (at least 80 %) and the halves of each ring match in mean
# colour (within 1 of 255); a pattern shifted by a pixel or turned by a few degrees fails.
mirrored() {
  local measures row rings
  measures=$(picture ${2:+--crop "$2"} mirror "$1") || { echo "$measures"; return 1; }
  read -r row rings <<<"$measures"
  at_least "$row" 0.8 && at_most "$rings" 1.0
}

# The film NAME (screenshots NAME-1.ppm and on, taken over frames the caller has counted)
# shows the tunnel in at least 20 of its screenshots and never the logo.
logo_never_appears() {
  local most=0 drawn=0 n
  for n in $(picture logo "$work"/$1-*.ppm); do
    [ "$n" -ge 0 ] || continue
    drawn=$((drawn + 1))
    [ "$n" -gt "$most" ] && most=$n
  done
  [ "$drawn" -ge 20 ] || { echo "only $drawn screenshots show the tunnel"; return 1; }
  [ "$most" -le 150 ] || { echo "up to $most more yellow pixels on one side of the top band than on the other"; return 1; }
}

# The bottom-left corner holds the frame-rate overlay: a black box with white glyphs,
# where the 5 x 7 glyphs of "FPS: 00.0" at 2 pixels a cell light 10 to 40 % of the box. A rate
# below ten ("FPS: 0.0", as a slow machine shows) makes the box one glyph (12 pixels) narrower.
overlay_shown() {
  overlay_box "$1" 114 >/dev/null || overlay_box "$1" 102
}
overlay_box() {
  local black white
  read -r black white <<<"$(picture region "$1" 4 454 "$2" 22)"
  at_least "$(awk -v b="$black" -v w="$white" 'BEGIN { print b + w }')" 0.99 && at_least "$white" 0.1 && at_most "$white" 0.4
}
# The overlay shows a figure, not the dashes of its first second: the first glyph after
# "FPS: " lights its top row, which every digit does and a dash does not.
overlay_figure_shown() {
  local black white
  read -r black white <<<"$(picture region "$1" 68 458 10 2)"
  at_least "$white" 0.2 || { echo "(no figure yet)"; return 1; }
}
overlay_absent() {
  local black white
  read -r black white <<<"$(picture region "$1" 4 454 114 22)"
  at_most "$(awk -v b="$black" -v w="$white" 'BEGIN { print b + w }')" 0.5
}
