#!/usr/bin/env bash
# add-vyk-to-xscreensaver on the ~/.xscreensaver files a user may have: where the entry
# goes, what stays as it was, and --remove giving the file back.
# Usage: list_helper_check.sh HELPER WORKDIR
helper=$1 work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }
entry=$'  GL:\t\t\t\tvyk --root\t\t\t\t    \\n'
run() { HOME="$work" "$helper" "$@" >"$work/out" 2>&1; }

# Each case: a starting file (or none), and the file expected after adding Vyk.
declare -A start expected
names=(none settings blank-end other-resources)
start[none]=
expected[none]=$'programs:\t\\\n'"$entry"
# As xscreensaver-settings writes it: the last entry ends in \n alone, other resources follow.
start[settings]=$'mode:\t\tone\nselected:\t1\nprograms:\t\t\t\t\t\t\t      \\\n  maze -root \\n\\\n  GL: gears -root \\n\n\nlock:\t\tFalse\n'
expected[settings]=$'mode:\t\tone\nselected:\t1\nprograms:\t\t\t\t\t\t\t      \\\n  maze -root \\n\\\n  GL: gears -root \\n\\\n'"$entry"$'\n\nlock:\t\tFalse\n'
# Written by hand: every entry ends in \n\ and an empty line closes the list.
start[blank-end]=$'programs:\t\\\n  maze -root \\n\\\n\nlock: False\n'
expected[blank-end]=$'programs:\t\\\n  maze -root \\n\\\n'"$entry"$'\n\nlock: False\n'
start[other-resources]=$'lock:\t\tFalse\n'
expected[other-resources]=$'lock:\t\tFalse\nprograms:\t\\\n'"$entry"$'\n'

for name in "${names[@]}"; do
  rm -f "$work/.xscreensaver"
  [ "$name" = none ] || printf '%s' "${start[$name]}" >"$work/.xscreensaver"
  run || { fail "$name: add failed: $(cat "$work/out")"; continue; }
  if [ "$(cat "$work/.xscreensaver"; echo .)" = "$(printf '%s' "${expected[$name]}"; [ "$name" = none ] && echo; echo .)" ]; then
    echo "ok: $name: the entry goes last in the programs list, the rest unchanged"
  else
    fail "$name: got $(od -c "$work/.xscreensaver" | head -n 20)"
  fi
  cp "$work/.xscreensaver" "$work/added"
  run && cmp -s "$work/.xscreensaver" "$work/added" && grep -q "already" "$work/out" &&
    echo "ok: $name: a second run changes nothing" || fail "$name: a second run changed the file or said $(cat "$work/out")"
  # --remove gives the file back; a list that an empty line closed is closed by its last entry instead.
  case $name in
    settings) removed=${start[$name]} ;;
    blank-end) removed=$'programs:\t\\\n  maze -root \\n\n\nlock: False\n' ;;
    *) continue ;;
  esac
  run --remove && [ "$(cat "$work/.xscreensaver"; echo .)" = "$(printf '%s.' "$removed")" ] &&
    echo "ok: $name: --remove gives the list back" || fail "$name: --remove left $(od -c "$work/.xscreensaver" | head -n 20)"
done

# Any entry running vyk counts, whatever its path or options.
printf 'programs:\t\\\n  GL: /usr/libexec/xscreensaver/vyk -root -fps \\n\n' >"$work/.xscreensaver"
cp "$work/.xscreensaver" "$work/before"
run && cmp -s "$work/.xscreensaver" "$work/before" && echo "ok: an entry with a path and -fps counts as Vyk" ||
  fail "an entry with a path was not taken for Vyk: $(cat "$work/.xscreensaver")"
run --remove && ! grep -q vyk "$work/.xscreensaver" && ! grep -q '\\$' "$work/.xscreensaver" &&
  echo "ok: --remove takes it out and closes the list" || fail "--remove left $(cat "$work/.xscreensaver")"

run --bogus; [ $? -eq 1 ] && grep -q '^usage: add-vyk-to-xscreensaver' "$work/out" &&
  echo "ok: an unknown option gives the usage line and exit code 1" || fail "unknown option: $(cat "$work/out")"

echo "$failures failed"
[ "$failures" -eq 0 ]
