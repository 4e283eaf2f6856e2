#!/usr/bin/env bash
# The settings dialog, as the desktop opens it: /c, /c:HANDLE and a start without arguments.
# OK (Enter) keeps the settings in the user's registry key (Wine is Windows 6.1) and exits 1;
# Cancel (Escape) exits 0 and changes nothing; the About box opens from it and closes again.
# With control.ini unwritable, as for a standard user, settings still last from run to run.
# Usage: configuration.sh BUILD SAVER HOST LAUNCHER
source "$(dirname "$0")/lib.sh" "$@"
dialog_title="Vyk ScreenSaver Setup"

# open_dialog ARGS...: starts the saver and waits for its dialog (sets dialog); fails without.
open_dialog() {
  start_saver "$@"
  dialog=$(vyk_wait_window "$dialog_title" 20)
}

in_dialog() { pause 0.5; xdotool windowfocus --sync "$dialog" 2>/dev/null; pause 0.2; xdotool key "$@"; }

# user_key_holds "KEY=VALUE ...": the user's key holds exactly these, in any order.
user_key_holds() {
  local actual expected
  actual=$(user_settings)
  expected=$(printf '%s\n' $1 | sort | tr '\n' ' ')
  [ "$actual" = "$expected" ] || { echo "the user's key holds: $actual"; return 1; }
}

settings_written_in_order() {
  user_key_holds "RedrawSpeed=1 Logos=1 Linear=1 Hardware=1 AllMonitors=1" || return 1
  [ ! -e "$control_ini" ] || { echo "control.ini was made: $(tr '\r\n' '  ' <"$control_ini")"; return 1; }
}

unchanged_since() {
  cmp -s "$1" "$control_ini" || { echo "control.ini changed: $(tr '\r\n' '  ' <"$control_ini")"; return 1; }
  [ "$(user_settings)" = "$(cat "$1.key")" ] || { echo "the user's key changed: $(user_settings)"; return 1; }
}

# /c with no settings stored yet: Enter is OK.
rm -f "$control_ini"
if open_dialog /c; then
  pass "/c opens the dialog \"$dialog_title\""
  in_dialog Return
  check "Enter in the dialog exits with 1" closes_with "$saver_pid" 15 1
  check "OK stores RedrawSpeed, Logos, Linear, Hardware and AllMonitors in the user's key, not in control.ini" settings_written_in_order
else
  fail "/c opens the dialog \"$dialog_title\"" "no such window appeared"
fi
end_all

# The logo box unchecked with Space (the dialog starts with the focus on it), then OK.
if open_dialog /c; then
  in_dialog space Return
  check "unchecking \"Show Vyk logo\" and OK exits with 1" closes_with "$saver_pid" 15 1
  check "unchecking \"Show Vyk logo\" and OK writes Logos=0 and keeps the rest" \
    user_key_holds "RedrawSpeed=1 Logos=0 Linear=1 Hardware=1 AllMonitors=1"
else
  fail "unchecking \"Show Vyk logo\" and OK writes Logos=0 and keeps the rest" "no dialog appeared"
fi
end_all

# /c:1234 (the number is ignored): Escape is Cancel.
[ -f "$control_ini" ] || write_settings RedrawSpeed=1 Logos=1 Linear=1 Hardware=1
cp "$control_ini" "$work/before.ini"
user_settings >"$work/before.ini.key"
if open_dialog /c:1234; then
  pass "/c:1234 opens the dialog \"$dialog_title\""
  in_dialog Escape
  check "Escape in the dialog exits with 0" closes_with "$saver_pid" 15 0
  check "Escape leaves control.ini as it was" unchanged_since "$work/before.ini"
else
  fail "/c:1234 opens the dialog \"$dialog_title\"" "no such window appeared"
fi
end_all

# No arguments at all, as when the file is opened: the dialog again, and its About box.
if open_dialog; then
  pass "a start without arguments opens the dialog \"$dialog_title\""
  # Focus starts on "Show Vyk logo"; OK, Cancel and About follow in the tab order.
  in_dialog Tab Tab Tab space
  if about=$(vyk_wait_window "About Box" 10); then
    pass "the About button opens the About box"
    xdotool windowfocus "$about" 2>/dev/null
    pause 0.2
    xdotool key Escape
    about_closed() {
      local i
      for i in $(seq $((100 * VYK_SLOWDOWN))); do window_exists "About Box" || return 0; sleep 0.1; done
      echo "the About box is still open"
      return 1
    }
    check "Escape closes the About box" about_closed
    check "the dialog stays open after the About box closes" window_exists "$dialog_title"
  else
    fail "the About button opens the About box" "no window \"About Box\" appeared"
  fi
  in_dialog Escape
  check "the dialog then still closes with Escape and exit code 0" closes_with "$saver_pid" 15 0
  check "the About box and Escape leave control.ini as it was" unchanged_since "$work/before.ini"
else
  fail "a start without arguments opens the dialog \"$dialog_title\"" "no such window appeared"
fi
end_all

# A standard user may not write control.ini: it holds old settings and refuses writes.
wine reg delete "$user_key" /f >/dev/null 2>&1
write_settings RedrawSpeed=5 Logos=0 Linear=1 Hardware=0
cp "$control_ini" "$work/locked.ini"
chattr +i "$control_ini"
if { printf x >>"$control_ini"; } 2>/dev/null; then
  fail "settings last with control.ini unwritable" "chattr +i did not lock control.ini"
elif open_dialog /c; then
  in_dialog Return
  check "with control.ini unwritable, OK exits with 1" closes_with "$saver_pid" 15 1
  check "settings only in control.ini are read: OK stores them unchanged in the user's key" \
    user_key_holds "RedrawSpeed=5 Logos=0 Linear=1 Hardware=0 AllMonitors=1"
  end_all
  open_dialog /c
  in_dialog space Return
  check "with control.ini unwritable, checking \"Show Vyk logo\" and OK exits with 1" closes_with "$saver_pid" 15 1
  end_all
  # The next run shows what the last OK stored and writes back what it shows.
  open_dialog /c
  in_dialog Return
  closes_with "$saver_pid" 15 1 >/dev/null
  check "the next run reads Logos=1 as set in the dialog, not control.ini's 0" \
    user_key_holds "RedrawSpeed=5 Logos=1 Linear=1 Hardware=0 AllMonitors=1"
  check "control.ini stays as it was" cmp -s "$work/locked.ini" "$control_ini"
else
  fail "settings last with control.ini unwritable" "no dialog appeared"
fi
end_all
chattr -i "$control_ini"
wine reg delete "$user_key" /f >/dev/null 2>&1
rm -f "$control_ini"
finish
