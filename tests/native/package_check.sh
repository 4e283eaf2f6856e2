#!/usr/bin/env bash
# The Debian package of the native hack: built by CPack, its files, lintian's verdict, its
# dependencies, and its well-formed settings file.
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
-rwxr-xr-x ./usr/bin/add-vyk-to-xscreensaver
-rw-r--r-- ./usr/share/man/man6/vyk.6.gz
-rw-r--r-- ./usr/share/man/man1/add-vyk-to-xscreensaver.1.gz
-rw-r--r-- ./usr/share/doc/vyk/changelog.gz
-rw-r--r-- ./usr/share/doc/vyk/copyright
TABLE

# lintian: no error and no warning; of its informational notes, none on hardening or
# stripping, which it reports at that level only (no bindnow, no fortified calls...).
lintian -I "$deb" >"$work/lintian.out" 2>&1
grep -E '^(E|W): |^I: [^ ]+ (hardening-|unstripped)' "$work/lintian.out" && fail "lintian: the tags above" ||
  echo "ok: lintian reports no error, no warning, and the binary hardened and stripped"

[ "$(dpkg-deb -f "$deb" Package)" = vyk ] && echo "ok: package name vyk" || fail "package name $(dpkg-deb -f "$deb" Package)"

dpkg-deb -x "$deb" "$work/root"

# Depends names exactly the packages of the libraries the program loads.
needed=$(readelf -d "$work/root/usr/libexec/xscreensaver/vyk" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
multiarch=$(gcc -print-multiarch)
owners=$(for library in $needed; do dpkg -S "*/$multiarch/$library" 2>/dev/null | head -n 1 | cut -d: -f1; done | sort -u | tr '\n' ' ')
depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/(.*)//; s/ //g' | grep . | sort -u | tr '\n' ' ')
[ -n "$owners" ] && [ "$owners" = "$depends" ] && echo "ok: Depends is $depends" || fail "Depends: $depends; the loaded libraries come from: $owners"

# Every option of the usage line is in the manual page, its dashes written as roff's \-.
options=$(build_vyk=$(find "$build" -path '*/linux/vyk' -type f | head -n 1) && "$build_vyk" --help | grep -o -- '--[a-z-]*' | sort -u)
manual=$(zcat "$work/root/usr/share/man/man6/vyk.6.gz")
missing=$(for option in $options; do grep -qF -- "${option//-/\\-}" <<<"$manual" || echo "$option"; done)
[ -n "$options" ] && [ -z "$missing" ] && echo "ok: vyk.6 lists every option of the usage line" || fail "vyk.6 lacks: $missing"
python3 - "$work/root/usr/share/xscreensaver/config/vyk.xml" <<'PY' && echo "ok: vyk.xml names the hack and its options" || failures=$((failures + 1))
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
problems = []
if root.tag != "screensaver" or root.get("name") != "vyk" or root.get("gl") != "yes":
    problems.append(f"root element {root.tag} {root.attrib}")
args = " ".join(v for e in root.iter() for k, v in e.attrib.items() if k.startswith("arg"))
for option in ("--root", "--speed %", "--no-logo", "--no-linear", "--fps"):
    if option not in args:
        problems.append(f"no {option} among {args!r}")
speed = [e for e in root.iter("number") if e.get("id") == "speed"]
if not speed or (speed[0].get("low"), speed[0].get("high"), speed[0].get("default")) != ("1", "10", "1"):
    problems.append("speed is not 1..10 with default 1")
fps = [e for e in root.iter("boolean") if e.get("arg-set") == "--fps"]
if not fps or fps[0].get("_label") != "Show frame rate":
    problems.append("no \"Show frame rate\" box that sets --fps")
if problems:
    print("FAIL: vyk.xml: " + "; ".join(problems))
    sys.exit(1)
PY

echo "$failures failed"
[ "$failures" -eq 0 ]
