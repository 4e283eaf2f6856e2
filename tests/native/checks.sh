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
