# Sourced by the scripts that run the tests on a busy or slow machine: a CPU load on every core,
# and the project's programs held to a share of a CPU each, as on a machine several times slower.

# The programs that vyk_start_slowdown holds back, by process name: the native hack, and the
# Windows saver and the benchmark's floor program under Wine.
vyk_slow_programs="vyk VykSaver.scr vyk_floor.exe"

# vyk_start_load: keeps every core busy with one stress-ng worker each, at normal priority, until
# vyk_end_load; sets vyk_load_pid. stress-ng comes with the project's packages.
vyk_start_load() {
  command -v stress-ng >/dev/null || vyk_die "stress-ng is missing (scripts/lib/common.sh installs it)"
  stress-ng --cpu "$(nproc)" --quiet 9>&- &
  vyk_load_pid=$!
}

vyk_end_load() {
  [ -n "${vyk_load_pid:-}" ] || return 0
  kill "$vyk_load_pid" 2>/dev/null || true
  wait "$vyk_load_pid" 2>/dev/null || true
  vyk_load_pid=
}

# The CPU controller's folder: cgroup v1's cpu hierarchy, or the v2 hierarchy when it offers cpu.
vyk_cpu_cgroup_root() {
  local root
  root=$(awk '$3 == "cgroup" && $4 ~ /(^|,)cpu(,|$)/ { print $2; exit }' /proc/mounts)
  if [ -n "$root" ]; then echo "$root"; return 0; fi
  root=$(awk '$3 == "cgroup2" { print $2; exit }' /proc/mounts)
  [ -n "$root" ] && grep -qw cpu "$root/cgroup.controllers" 2>/dev/null && { echo "$root"; return 0; }
  return 1
}

# vyk_start_slowdown PERCENT [NAME...]: until vyk_end_slowdown, every process named NAME (default
# vyk_slow_programs) that a command run by vyk_slowed starts, directly or further down, gets
# PERCENT of one CPU at most, each in a CPU control group of its own (its threads share the
# quota), refilled every 50 ms so that it is slowed evenly rather than stopped in long bursts
# (the kernel takes no quota below 1 ms, so PERCENT is 2 at least). Other processes of the same
# names, such as another checkout's tests, are left alone. The command's processes are found
# through a control group of their own, which they keep when their parent ends. A watcher looks
# for new ones every 50 ms and adds a line "PID NAME PATH" for each to the file
# vyk_slowdown_log. Sets vyk_slowdown_group, vyk_slowdown_pid and vyk_slowdown_log. Needs root.
vyk_start_slowdown() {
  local percent=$1 root names
  shift
  names=${*:-$vyk_slow_programs}
  [ "$(id -u)" -eq 0 ] || vyk_die "slowing programs down needs root (CPU control groups)"
  [ "$percent" -ge 2 ] || vyk_die "a share below 2 % of a CPU is below the kernel's least quota"
  root=$(vyk_cpu_cgroup_root) || vyk_die "no CPU control group hierarchy in /proc/mounts"
  vyk_slowdown_group=$(mktemp -d "$root/vyk-slow.XXXXXX") || vyk_die "cannot make a control group in $root"
  if [ -f "$vyk_slowdown_group/cgroup.subtree_control" ]; then
    echo +cpu >"$vyk_slowdown_group/cgroup.subtree_control" || vyk_die "no cpu controller below $root"
  fi
  mkdir "$vyk_slowdown_group/command" || vyk_die "cannot make a control group in $vyk_slowdown_group"
  vyk_slowdown_log=$(mktemp /tmp/vyk-slowed.XXXXXX)
  vyk_slowdown_watch "$vyk_slowdown_group" "$((percent * 500))" "$names" "$vyk_slowdown_log" 9>&- &
  vyk_slowdown_pid=$!
}

# vyk_slowed COMMAND...: runs COMMAND (a program or a shell function) in the foreground, in a
# subshell whose processes the watcher of vyk_start_slowdown looks through; returns its exit code.
vyk_slowed() {
  (echo "$BASHPID" >"$vyk_slowdown_group/command/cgroup.procs" && "$@")
}

# vyk_slowdown_watch GROUP QUOTA NAMES LOG: the watcher; QUOTA in microseconds of CPU per 50 ms.
vyk_slowdown_watch() {
  local group=$1 quota=$2 log=$4 pid sub name
  trap 'exit 0' TERM
  while :; do
    for pid in $(cat "$group/command/cgroup.procs" 2>/dev/null); do
      name=$(cat "/proc/$pid/comm" 2>/dev/null) || continue
      [[ " $3 " == *" $name "* ]] || continue
      sub=$group/$pid
      [ -d "$sub" ] || mkdir "$sub" 2>/dev/null || continue
      if [ -f "$sub/cpu.max" ]; then
        echo "$quota 50000" >"$sub/cpu.max"
      else
        echo 50000 >"$sub/cpu.cfs_period_us" && echo "$quota" >"$sub/cpu.cfs_quota_us"
      fi
      echo "$pid" >"$sub/cgroup.procs" 2>/dev/null &&
        echo "$pid $name $(readlink "/proc/$pid/exe" 2>/dev/null)" >>"$log"
    done
    # The groups of processes that have ended are removed; a pid used again starts afresh.
    for sub in "$group"/[0-9]*; do
      [ -d "$sub" ] && [ -z "$(cat "$sub/cgroup.procs" 2>/dev/null)" ] && rmdir "$sub" 2>/dev/null
    done
    sleep 0.05
  done
}

# vyk_end_slowdown: stops the watcher, gives every process still in its groups back to the
# hierarchy's root (where they came from) and removes the groups. The log stays for the caller.
vyk_end_slowdown() {
  local sub pid root
  [ -n "${vyk_slowdown_group:-}" ] || return 0
  if [ -n "${vyk_slowdown_pid:-}" ]; then
    kill "$vyk_slowdown_pid" 2>/dev/null || true
    wait "$vyk_slowdown_pid" 2>/dev/null || true
  fi
  root=${vyk_slowdown_group%/*}
  for sub in "$vyk_slowdown_group"/[0-9]* "$vyk_slowdown_group/command"; do
    [ -d "$sub" ] || continue
    for pid in $(cat "$sub/cgroup.procs" 2>/dev/null); do echo "$pid" >"$root/cgroup.procs" 2>/dev/null || true; done
    rmdir "$sub" 2>/dev/null || true
  done
  rmdir "$vyk_slowdown_group" 2>/dev/null || true
  vyk_slowdown_group= vyk_slowdown_pid=
}
