#!/usr/bin/env bash
# The harness's set-up in a scratch build folder: a prefix whose wineboot failed is not marked
# ready, and a recorded display whose pid now belongs to another process is not taken.
# Usage: wine_env_test.sh
set -u
here=$(cd "$(dirname "$0")" && pwd)
failures=0
pass() { printf 'ok   %s\n' "$1"; }
fail() { printf 'FAIL %s: %s\n' "$1" "$2"; failures=$((failures + 1)); }

work=$(mktemp -d)
sleeper=
trap '[ -n "$sleeper" ] && kill "$sleeper" 2>/dev/null; rm -rf "$work"' EXIT

# A wineboot that fails half-way, as a broken Wine would, and a wineserver with nothing to wait for.
mkdir -p "$work/bin" "$work/failed-boot"
printf '#!/bin/sh\nmkdir -p "$WINEPREFIX"\nexit 3\n' >"$work/bin/wineboot"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/wineserver"
chmod +x "$work/bin/wineboot" "$work/bin/wineserver"
( PATH="$work/bin:$PATH" VYK_KEEP_DISPLAY=1 source "$here/wine-env.sh" "$work/failed-boot" ) 2>"$work/boot.err"
status=$?
if [ $status -ne 0 ] && [ ! -e "$work/failed-boot/wineprefix/.vyk-ready" ] && grep -q 'wineboot -i failed' "$work/boot.err"; then
  pass "a prefix whose wineboot failed is not marked ready, and the set-up fails with a reason"
else
  fail "a prefix whose wineboot failed is not marked ready, and the set-up fails with a reason" \
    "exit $status, marker $(ls "$work/failed-boot/wineprefix/.vyk-ready" 2>&1), stderr '$(cat "$work/boot.err")'"
fi

# A live process that is no X server, recorded as the build's Xvfb on a display nobody serves.
mkdir -p "$work/stale/wineprefix"
touch "$work/stale/wineprefix/.vyk-ready"
sleep 600 &
sleeper=$!
echo "$sleeper" >"$work/stale/xvfb.pid"
echo 4077 >"$work/stale/xvfb.display"
display=$(source "$here/wine-env.sh" "$work/stale" >/dev/null 2>&1 && echo "$DISPLAY")
if [ -n "$display" ] && [ "$display" != :4077 ] && xdpyinfo -display "$display" >/dev/null 2>&1; then
  pass "a stale Xvfb pid is not taken for a live display: a display that answers is started"
else
  fail "a stale Xvfb pid is not taken for a live display: a display that answers is started" "DISPLAY '$display'"
fi
xvfb=$(cat "$work/stale/xvfb.pid")
[ "$xvfb" != "$sleeper" ] && kill "$xvfb" 2>/dev/null

[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
