# Sourced by the checks that judge the tunnel from screenshots, the Windows saver's and the
# native hack's alike (and the native hack's frame-rate overlay). The caller sets $work, the folder the screenshots go to.
picture_checks_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# A pause of $1 seconds, times VYK_SLOWDOWN (set by the harness for an emulated build).
pause() { sleep "$(awk -v s="$1" -v f="${VYK_SLOWDOWN:-1}" 'BEGIN { print s * f }')"; }

# Screenshot of the whole virtual screen as a PPM file.
shot() { import -window root -silent "$1"; }

picture() { python3 "$picture_checks_dir/picture.py" "$@"; }

# at_least VALUE MINIMUM / at_most VALUE MAXIMUM, for the decimal numbers picture prints.
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }' || { echo "$1 is below $2"; return 1; }; }
at_most() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }' || { echo "$1 is above $2"; return 1; }; }

# Thirty screenshots NAME-1 to NAME-30, one about every 0.2 s (times the slowdown): the logo's
# first slide-in (40 frames) is caught even at 10 frames a second.
film() {
  local i
  for i in $(seq 30); do shot "$work/$1-$i.ppm"; pause 0.1; done
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

# The film NAME shows the logo coming in along the top.
logo_appears() {
  local most=0 n
  for n in $(picture logo "$work"/$1-*.ppm); do [ "$n" -gt "$most" ] && most=$n; done
  [ "$most" -ge 1000 ] || { echo "at most $most more yellow pixels on one side of the top band than on the other"; return 1; }
}

# The film NAME shows the tunnel (in at least 20 of its screenshots) and never the logo.
logo_never_appears() {
  local most=0 drawn=0 n
  for n in $(picture logo "$work"/$1-*.ppm); do
    [ "$n" -ge 0 ] || continue
    drawn=$((drawn + 1))
    [ "$n" -gt "$most" ] && most=$n
  done
  [ "$drawn" -ge 20 ] || { echo "only $drawn of 30 screenshots show the tunnel"; return 1; }
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
