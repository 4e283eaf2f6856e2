#!/usr/bin/env bash
# Command lines and settings that make no sense: the saver refuses the command lines with exit
# code 255 (-1) and shows nothing; with nonsense in control.ini it still draws and closes.
# Usage: bad_input.sh BUILD SAVER HOST LAUNCHER
source "$(dirname "$0")/lib.sh" "$@"
rm -f "$control_ini"

# The launcher passes each argument text byte for byte, as the desktop would.
cases=('/x' '/1' '/p 0' '/p:1234' '/p {dead}' '/\ts')
names=('an unknown letter, /x' 'a digit, /1' 'a preview in window 0, /p 0' 'a preview handle after a colon, /p:1234'
  'a preview in a window that does not exist' 'a tab between the slash and the letter')
mapfile -t results < <(cd "$work" && wine "$launcher" "$saver" "${cases[@]}" 2>"$work/launcher.err" | tr -d '\r')
for i in "${!cases[@]}"; do
  result=${results[$i]:-nothing}
  if [ "$result" = "-1" ]; then
    pass "${names[$i]} exits with -1"
  else
    fail "${names[$i]} exits with -1" "got $result $(head -c 300 "$work/launcher.err" | tr '\n' ' ')"
  fi
done
check "nothing appears for a refused command line" test -z "$(xdotool search --name '^(Screen Saver|Vyk ScreenSaver Setup)$' 2>/dev/null)"

start_saver /x
check "started through wine, /x exits with 255" closes_with "$saver_pid" 30 255
end_all

# garbage NAME KEY=VALUE...: the saver with these settings draws and closes on a key.
garbage() {
  local name=$1
  shift
  write_settings "$@"
  if start_full_screen; then
    check "$name: the saver draws" wait_drawn "$work/garbage.ppm"
    press_key x
    check "$name: the saver closes on a key with exit code 0" closes_with "$saver_pid" 30 0
  else
    fail "$name: the saver draws" "$problem"
  fi
  end_all
}
garbage "settings that are not numbers" RedrawSpeed=fast Logos=yes Linear=on Hardware=maybe
garbage "negative settings" RedrawSpeed=-3 Logos=-1 Linear=-100 Hardware=-2147483648
garbage "huge settings" RedrawSpeed=99999999999 Logos=4294967297 Linear=2147483647 Hardware=1e99
rm -f "$control_ini"
finish
