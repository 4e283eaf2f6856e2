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
# vyk_slow_programs) that runs, or starts later, gets PERCENT of one CPU at most, each in a CPU
# control group of its own (its threads share the quota), refilled every 50 ms so that it is
# slowed evenly rather than stopped in long bursts (the kernel takes no quota below 1 ms, so
# PERCENT is 2 at least). A watcher looks for new ones every 50 ms.
# Sets vyk_slowdown_group and vyk_slowdown_pid. Needs root.
vyk_start_slowdown() {
  local percent=$1 root names
  shift
  names=${*:-$vyk_slow_programs}
  [ "$(id -u)" -eq 0 ] || vyk_die "slowing programs down needs root (CPU control groups)"
  root=$(vyk_cpu_cgroup_root) || vyk_die "no CPU control group hierarchy in /proc/mounts"
  vyk_slowdown_group=$(mktemp -d "$root/vyk-slow.XXXXXX") || vyk_die "cannot make a control group in $root"
  if [ -f "$vyk_slowdown_group/cgroup.subtree_control" ]; then
    echo +cpu >"$vyk_slowdown_group/cgroup.subtree_control" || vyk_die "no cpu controller below $root"
  fi
  [ "$percent" -ge 2 ] || vyk_die "a share below 2 % of a CPU is below the kernel's least quota"
  vyk_slowdown_watch "$vyk_slowdown_group" "$((percent * 500))" "$names" 9>&- &
  vyk_slowdown_pid=$!
}

# vyk_slowdown_watch GROUP QUOTA NAMES: the watcher; QUOTA in microseconds of CPU per 50 ms.
vyk_slowdown_watch() {
  local group=$1 quota=$2 pattern pid sub
  pattern=$(sed 's/\./\\./g; s/ /|/g' <<<"$3")
  trap 'exit 0' TERM
  while :; do
    for pid in $(pgrep -x "$pattern"); do
      sub=$group/$pid
      [ -d "$sub" ] && continue
      mkdir "$sub" 2>/dev/null || continue
      if [ -f "$sub/cpu.max" ]; then
        echo "$quota 50000" >"$sub/cpu.max"
      else
        echo 50000 >"$sub/cpu.cfs_period_us" && echo "$quota" >"$sub/cpu.cfs_quota_us"
      fi
      echo "$pid" >"$sub/cgroup.procs" 2>/dev/null || true
    done
    # The groups of processes that have ended are removed; a pid used again starts afresh.
    for sub in "$group"/[0-9]*; do
      [ -d "$sub" ] && [ ! -d "/proc/${sub##*/}" ] && rmdir "$sub" 2>/dev/null
    done
    sleep 0.05
  done
}

# vyk_end_slowdown: stops the watcher and gives every slowed process back to the group it came
# from (the hierarchy's root), then removes the groups.
vyk_end_slowdown() {
  local sub pid root
  [ -n "${vyk_slowdown_group:-}" ] || return 0
  if [ -n "${vyk_slowdown_pid:-}" ]; then
    kill "$vyk_slowdown_pid" 2>/dev/null || true
    wait "$vyk_slowdown_pid" 2>/dev/null || true
  fi
  root=${vyk_slowdown_group%/*}
  for sub in "$vyk_slowdown_group"/[0-9]*; do
    [ -d "$sub" ] || continue
    for pid in $(cat "$sub/cgroup.procs" 2>/dev/null); do echo "$pid" >"$root/cgroup.procs" 2>/dev/null || true; done
    rmdir "$sub" 2>/dev/null || true
  done
  rmdir "$vyk_slowdown_group" 2>/dev/null || true
  vyk_slowdown_group= vyk_slowdown_pid=
}
