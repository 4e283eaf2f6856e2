#!/usr/bin/env bash
# The Debian package of the native hack: built by CPack, its files, and its well-formed settings file.
# Usage: package_check.sh BUILD WORKDIR
build=$1 work=$2
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0
fail() { echo "FAIL: $1"; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/vyk_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "FAIL: no vyk_*.deb in $work"; exit 1; }
dpkg-deb -c "$deb" | awk '{ print $1, $NF }' >"$work/contents"

# Each installed file with the mode it must have.
while read -r mode path; do
  grep -qx -- "$mode $path" "$work/contents" && echo "ok: $path" || fail "$mode $path not in the package: $(tr '\n' ' ' <"$work/contents")"
done <<'TABLE'
-rwxr-xr-x ./usr/libexec/xscreensaver/vyk
-rw-r--r-- ./usr/share/xscreensaver/config/vyk.xml
TABLE

[ "$(dpkg-deb -f "$deb" Package)" = vyk ] && echo "ok: package name vyk" || fail "package name $(dpkg-deb -f "$deb" Package)"

dpkg-deb -x "$deb" "$work/root"
python3 - "$work/root/usr/share/xscreensaver/config/vyk.xml" <<'PY' && echo "ok: vyk.xml names the hack and its options" || failures=$((failures + 1))
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
problems = []
if root.tag != "screensaver" or root.get("name") != "vyk" or root.get("gl") != "yes":
    problems.append(f"root element {root.tag} {root.attrib}")
args = " ".join(v for e in root.iter() for k, v in e.attrib.items() if k.startswith("arg"))
for option in ("--root", "--speed %", "--no-logo", "--no-linear"):
    if option not in args:
        problems.append(f"no {option} among {args!r}")
speed = [e for e in root.iter("number") if e.get("id") == "speed"]
if not speed or (speed[0].get("low"), speed[0].get("high"), speed[0].get("default")) != ("1", "10", "1"):
    problems.append("speed is not 1..10 with default 1")
if problems:
    print("FAIL: vyk.xml: " + "; ".join(problems))
    sys.exit(1)
PY

echo "$failures failed"
[ "$failures" -eq 0 ]
