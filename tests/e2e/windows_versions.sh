#!/usr/bin/env bash
# The 32-bit saver under every Windows from 95 to 10, as Wine imitates each in a pure 32-bit
# prefix (switched with the version Wine reads from the registry). For each version, what its
# user sees: /s draws the moving tunnel (on NT 4, which never had DirectX 5, a black screen
# and the reason in vykerror.txt); a key closes it with exit code 0; the logo is off when, and
# only when, that version's home of the settings says so (control.ini up to XP, the user's
# registry key from 7 on); on the Windows 95 family with a screen-saver password set, the key
# goes through PASSWORD.CPL's VerifyScreenSavePwd, and without that component the saver still
# closes; /a gives 0 on the Windows 95 family and -1 elsewhere; a healthy run logs nothing.
# Usage: windows_versions.sh BUILD SAVER HOST LAUNCHER PASSWORD_CPL EXIT_CODE
e2e_prefix=win32
source "$(dirname "$0")/lib.sh" "$@"
password_component=$5 exit_code_starter=$6

# The saver is started through e2e_exit_code, which prints its exit code as Wine keeps it: on a
# busy machine the emulator of a program that has ended may be killed before it exits, and the
# shell then sees 137. saver_pid is the starter's; saver_exits_with reads what it printed.
start_saver() {
  rm -f "$work/exit-code"
  (cd "$work" && exec wine "$exit_code_starter" "Z:${saver//\//\\}" "$@" >"$work/exit-code" 2>/dev/null) &
  saver_pid=$!
  started+=("$saver_pid")
}

# saver_exits_with SECONDS CODE: the saver ends within SECONDS (times the slowdown) with CODE.
saver_exits_with() {
  local printed
  wait_exit "$saver_pid" "$1" || { echo "still running after $1 s"; return 1; }
  printed=$(tr -d '\r' <"$work/exit-code")
  [ "$printed" = "exit $2" ] || { echo "the starter printed \"$printed\" (its own exit code $exit_code)"; return 1; }
}

# name, platform (1 the Windows 95 family, 2 NT), the version "cmd /c ver" reports there as
# major.minor.build, and where that version keeps the saver's settings. Windows 10's build
# is what a program whose manifest names Windows 10, as cmd's does, is told.
versions=(
  "win95 1 4.0.950 control.ini"
  "win98 1 4.10.2222 control.ini"
  "winme 1 4.90.3000 control.ini"
  "nt40 2 4.0.1381 control.ini"
  "win2k 2 5.0.2195 control.ini"
  "winxp 2 5.1.2600 control.ini"
  "win7 2 6.1.7601 user-key"
  "win8 2 6.2.9200 user-key"
  "win10 2 10.0.18362 user-key"
)

# Where the Windows 95 family keeps PASSWORD.CPL; the saver finds it there by its name.
system_folder="$WINEPREFIX/drive_c/windows/system"
calls="$work/password-calls.txt"
install_password_component() { mkdir -p "$system_folder" && cp "$password_component" "$system_folder/PASSWORD.CPL"; }
remove_password_component() { rm -f "$system_folder/PASSWORD.CPL"; }

# One console program stays running, reading a pipe the suite never writes, so that Wine's
# own processes (its desktop and services, each emulated too) start once rather than with
# every program the suite runs. end_all ends it with the rest; start_keeper starts it again.
start_keeper() {
  [ -z "${keeper_fd:-}" ] || exec {keeper_fd}>&-
  rm -f "$work/keeper"
  mkfifo "$work/keeper"
  (exec wine cmd <"$work/keeper" >/dev/null 2>&1) &
  started+=("$!")
  exec {keeper_fd}>"$work/keeper"
}

# use_version NAME: makes Wine imitate that Windows, with a screen-saver password set.
use_version() {
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="%s"\r\n\r\n' "$1" >"$work/version.reg"
  printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"ScreenSaveUsePassword"=dword:00000001\r\n' >>"$work/version.reg"
  wine reg import "Z:${work//\//\\}\\version.reg" >/dev/null 2>&1
}

# logos_in KEY INI: the user's settings key holds only Logos=KEY and control.ini only
# Logos=INI; "-" leaves that home empty.
logos_in() {
  {
    printf 'REGEDIT4\r\n\r\n[-%s]\r\n\r\n' "${user_key/HKCU/HKEY_CURRENT_USER}"
    [ "$1" = - ] || printf '[%s]\r\n"Logos"="%s"\r\n' "${user_key/HKCU/HKEY_CURRENT_USER}" "$1"
  } >"$work/logos.reg"
  wine reg import "Z:${work//\//\\}\\logos.reg" >/dev/null 2>&1
  if [ "$2" = - ]; then rm -f "$control_ini"; else write_settings "Logos=$2"; fi
}

# reports_version MAJOR.MINOR.BUILD: a program started now is told that version. The Windows
# 95 family keeps major and minor in the high word of the build number as well.
reports_version() {
  local reported major minor build
  reported=$(wine cmd /c ver 2>/dev/null | tr -d '\r' | grep -o 'Windows [0-9.]*' | cut -d' ' -f2)
  IFS=. read -r major minor build <<<"$reported"
  [ -n "$build" ] && [ "$major.$minor.$((build & 0xFFFF))" = "$1" ] || { echo "reported \"$reported\""; return 1; }
}

# watch NAME: starts the saver full screen with the pointer at the centre, waits for its
# window and then for a screenshot that shows the picture (95 % of the screen lit), for up to
# 60 s (times the slowdown): the first frame may come 10 s after the window.
watch() {
  local deadline
  xdotool mousemove 320 240
  start_saver /s
  if ! saver_window=$(vyk_wait_window "Screen Saver" 30 "$saver_pid"); then
    saver_ended
    problem="no window titled \"Screen Saver\" appeared$ended"
    return 1
  fi
  deadline=$((SECONDS + 60 * VYK_SLOWDOWN))
  until shot "$work/$1.ppm" && at_least "$(picture covered "$work/$1.ppm")" 0.95 >/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || { problem="after $((60 * VYK_SLOWDOWN)) s the screen is still not lit"; return 1; }
    pause 0.1
  done
}

# Sets $ended to how the saver ended, when it has; must run in this shell, which started it.
saver_ended() { ended=""; if wait_exit "$saver_pid" 1; then ended=" (the starter printed \"$(tr -d '\r' <"$work/exit-code")\")"; fi; }

# Judged from the first lit shot on, until the outcome shows: the logo comes in within one
# cycle of the logo (1024 frames, 150 s at the slowest redraw speed), the logo stays off over
# 20 new frames, the tunnel moves within 60 s.
logo_shown() { watch_picture "$1-logo" 150 judge_logo_in; }
logo_hidden() { watch_picture "$1-logo" 150 judge_logo_off; }
tunnel_moves() { watch_picture "$1-moves" 60 judge_moves; }

# No vykerror.txt anywhere the saver may write one: its current folder or the prefix's drive.
nothing_logged() {
  local logs
  logs=$(find "$work" "$WINEPREFIX/drive_c" -iname vykerror.txt 2>/dev/null)
  [ -z "$logs" ] || { echo "logged: $logs: $(head -c 200 $logs | tr '\r\n' '  ')"; return 1; }
}

# password_calls N: PASSWORD.CPL's VerifyScreenSavePwd was called N times, with the saver's window.
password_calls() {
  local made=0
  [ -f "$calls" ] && made=$(grep -c . "$calls")
  [ "$made" -eq "$1" ] || { echo "$made calls"; return 1; }
  [ "$1" -eq 0 ] || ! grep -qv 'saver window' "$calls" || { echo "called: $(tr '\r\n' '  ' <"$calls")"; return 1; }
}

# A saver left running by a failed check is ended with every Wine process, the keeper too.
end_run() {
  if kill -0 "$saver_pid" 2>/dev/null; then
    end_all
    start_keeper
  fi
  rm -f "$work"/*.ppm "$calls"
  find "$work" "$WINEPREFIX/drive_c" -iname vykerror.txt -delete 2>/dev/null
}

# drawn_run NAME TITLE LOGO CALLS: the saver draws the moving tunnel with the logo shown or
# hidden, a key closes it with 0 after CALLS password checks, and nothing is logged.
drawn_run() {
  local name=$1 title=$2 logo=$3 expected_calls=$4
  if watch "$name"; then
    check "$title: the logo is $logo" "logo_$logo" "$name"
    check "$title: the tunnel moves" tunnel_moves "$name"
    check "$title: /s draws the picture, still there after those shots" at_least "$(picture covered "$watched")" 0.95
    check "$title: the tunnel is mirror-symmetric" mirrored "$watched"
    press_key x
    check "$title: a key closes it with exit code 0" saver_exits_with 30 0
    check "$title: the password component was asked $expected_calls time(s)" password_calls "$expected_calls"
    check "$title: nothing is logged" nothing_logged
  else
    fail "$title: /s draws the picture" "$problem"
  fi
  end_run
}

# NT 4 never had DirectX 5: a black screen, the reason logged in the current folder, and a
# key still closes it.
black_run() {
  local title=$1 deadline expected
  expected=$(printf 'This application requires DirectX version 5 or above.\r\n.')
  xdotool mousemove 320 240
  start_saver /s
  if saver_window=$(vyk_wait_window "Screen Saver" 30 "$saver_pid"); then
    deadline=$((SECONDS + 30 * VYK_SLOWDOWN))
    until [ -s "$work/vykerror.txt" ] || [ "$SECONDS" -ge "$deadline" ]; do sleep 0.2; done
    pause 1
    shot "$work/black.ppm"
    check "$title: /s leaves the screen black" at_most "$(picture brightest "$work/black.ppm")" 8
    if [ -f "$work/vykerror.txt" ] && [ "$(cat "$work/vykerror.txt"; echo .)" = "$expected" ]; then
      pass "$title: vykerror.txt says \"This application requires DirectX version 5 or above.\""
    else
      fail "$title: vykerror.txt says \"This application requires DirectX version 5 or above.\"" \
        "it holds: $(od -c "$work/vykerror.txt" 2>&1 | head -n 4 | tr '\n' ' ')"
    fi
    keys_until_closed x
    check "$title: a key closes it with exit code 0" saver_exits_with 1 0
    check "$title: the password component was not asked" password_calls 0
  else
    saver_ended
    fail "$title: /s opens its window" "no window titled \"Screen Saver\" appeared$ended"
  fi
  end_run
}

start_keeper
ran=0
for entry in "${versions[@]}"; do
  read -r name platform version home <<<"$entry"
  # E2E_VERSIONS="win95 win7" runs only those, when looking into one.
  [ -z "${E2E_VERSIONS:-}" ] || [[ " $E2E_VERSIONS " == *" $name "* ]] || continue
  ran=$((ran + 1))
  started_at=$SECONDS
  use_version "$name"
  check "$name: Wine reports Windows $version" reports_version "$version"

  install_password_component
  if [ "$platform" = 1 ]; then
    # This family reads control.ini alone: Logos=0 in the user's key changes nothing.
    logos_in 0 -
    drawn_run "$name-key" "$name, password set, Logos=0 only in the user's key" shown 1
    logos_in - 0
    remove_password_component
    drawn_run "$name-ini" "$name, password set but no PASSWORD.CPL, Logos=0 in control.ini" hidden 0
    expected_a=0
  elif [ "$name" = nt40 ]; then
    logos_in - 0
    black_run "$name"
    expected_a=-1
  else
    # The password component is there and a password set: NT checks passwords itself. Logos=0
    # in the version's home alone hides the logo; Logos=1 in the user's key shows it over a
    # Logos=0 in control.ini, which 2000 and XP read only for what the key lacks, and 7 and
    # later only for what neither the key nor the user's VirtualStore holds.
    if [ "$home" = control.ini ]; then logos_in - 0; else logos_in 0 -; fi
    drawn_run "$name" "$name, Logos=0 only in $([ "$home" = control.ini ] && echo control.ini || echo "the user's key")" hidden 0
    logos_in 1 0
    drawn_run "$name-on" "$name, Logos=1 in the user's key and Logos=0 in control.ini" shown 0
    expected_a=-1
  fi

  start_saver /a
  check "$name: /a exits with $expected_a" saver_exits_with 30 "$expected_a"
  end_run
  echo "     ($name took $((SECONDS - started_at)) s)"
done
remove_password_component
logos_in - -
# A name that matches no version (a typo, say) would otherwise leave that version unchecked.
known=" $(printf '%s ' "${versions[@]%% *}")"
for asked in ${E2E_VERSIONS:-}; do
  [[ "$known" == *" $asked "* ]] || fail "E2E_VERSIONS names only versions the suite knows" "no version \"$asked\"; it knows$known"
done
[ "$ran" -gt 0 ] || fail "the suite checks some version" "E2E_VERSIONS=\"${E2E_VERSIONS:-}\" names none"
finish
