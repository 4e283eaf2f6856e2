#!/usr/bin/env bash
# The Debian package of the native hack: built by CPack, its files, lintian's verdict, its
# dependencies, its well-formed settings file, its entry for MATE's screen saver, its saver
# module for xsecurelock, and in its copyright file the licence of the source tree's LICENSE
# and the holders and notice of each Wayland protocol the hack is compiled with.
# Usage: package_check.sh BUILD WORKDIR LICENSE PROTOCOL_XML...
build=$1 work=$2 license=$3
shift 3
protocols=("$@")
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
-rw-r--r-- ./usr/share/applications/screensavers/vyk.desktop
-rwxr-xr-x ./usr/libexec/xsecurelock/saver_vyk
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
for option in ("--root", "--speed %", "--no-logo", "--no-linear", "--fps", "--renderer gl", "--renderer cpu"):
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


# The copyright file, in Debian's machine-readable format, puts every file under the Expat
# licence, word for word the licence of LICENSE and with its holder.
python3 - "$work/root/usr/share/doc/vyk/copyright" "$license" <<'PY' && echo "ok: copyright puts every file under LICENSE's licence, Expat" || failures=$((failures + 1))
import re, sys
paragraphs = [p for p in open(sys.argv[1], encoding="utf-8").read().split("\n\n") if p.strip()]
licence = open(sys.argv[2]).read()
def fields(paragraph):
    out = {}
    for line in paragraph.splitlines():
        if line.startswith(" "):
            out[name] += "\n" + ("" if line.strip() == "." else line[1:])
        else:
            name, _, value = line.partition(":")
            out[name] = value.strip()
    return out
records = [fields(p) for p in paragraphs]
problems = []
if not records[0].get("Format", "").startswith("https://www.debian.org/doc/packaging-manuals/copyright-format/1.0"):
    problems.append("no machine-readable Format line")
files = [r for r in records if r.get("Files") == "*"]
holder = re.search(r"^Copyright \(C\) (.+)$", licence, re.M)
if not files or files[0].get("License") != "Expat":
    problems.append("Files: * is not under License: Expat")
elif not holder or files[0].get("Copyright") != holder.group(1):
    problems.append(f"Copyright {files[0].get('Copyright')!r}, LICENSE names {holder and holder.group(1)!r}")
text = [r["License"] for r in records if r.get("License", "").startswith("Expat\n")]
words = lambda t: " ".join(t.split())
if not text or words(text[0][len("Expat"):]) != words(licence[licence.index("Permission is hereby"):]):
    problems.append("the Expat paragraph is not LICENSE's permission notice word for word")
if problems:
    print("FAIL: copyright: " + "; ".join(problems))
    sys.exit(1)
PY

# The code wayland-scanner makes from each protocol's XML is compiled in: its stanza names those
# files and carries the XML's copyright lines and notice, line for line as the XML has them.
for xml in "${protocols[@]}"; do
python3 - "$work/root/usr/share/doc/vyk/copyright" "$xml" <<'PY' && echo "ok: copyright carries $(basename "$xml")'s holders and notice for the code made from it" || failures=$((failures + 1))
import re, sys
paragraphs = [p for p in open(sys.argv[1], encoding="utf-8").read().split("\n\n") if p.strip()]
block = re.search(r"<copyright>(.*?)</copyright>", open(sys.argv[2], encoding="utf-8").read(), re.S)
def fields(paragraph):
    out = {}
    for line in paragraph.splitlines():
        if line.startswith(" "):
            out[name].append("" if line.strip() == "." else line.strip())
        else:
            name, _, value = line.partition(":")
            out[name] = [value.strip()] if value.strip() else []
    return out
records = [fields(p) for p in paragraphs]
problems = []
lines = [line.strip() for line in block.group(1).strip().splitlines()] if block else []
holders = [line for line in lines if line.startswith("Copyright ")]
notice = lines[len(holders):]
while notice and not notice[0]:
    notice.pop(0)
base = sys.argv[2].rsplit("/", 1)[-1][:-len(".xml")]
code, header = f"*/{base}-protocol.c", f"*/{base}-client-protocol.h"
stanza = [r for r in records if code in " ".join(r.get("Files", [])).split()
          and header in " ".join(r.get("Files", [])).split()]
if not holders or not notice:
    problems.append(f"no copyright lines or notice in {sys.argv[2]}")
elif len(stanza) != 1:
    problems.append(f"{len(stanza)} stanzas name {code} and {header}")
else:
    if stanza[0].get("Copyright") != holders:
        problems.append(f"Copyright {stanza[0].get('Copyright')} is not the XML's {holders}")
    name = stanza[0].get("License", [""])[0]
    text = [r["License"][1:] for r in records if "Files" not in r and r.get("License", [""])[0] == name]
    if len(text) != 1 or text[0] != notice:
        problems.append(f"License: {name!r} is not the XML's notice line for line")
if problems:
    print("FAIL: copyright: " + "; ".join(problems))
    sys.exit(1)
PY
done

# MATE's entry, written as Debian's hack packages write theirs: MATE runs only an Exec from
# its hack folders and shows only entries of the Screensaver category.
desktop=$work/root/usr/share/applications/screensavers/vyk.desktop
while read -r line; do
  grep -qxF -- "$line" "$desktop" && echo "ok: vyk.desktop: $line" || fail "vyk.desktop lacks \"$line\": $(tr '\n' ' ' <"$desktop")"
done <<'TABLE'
[Desktop Entry]
Name=Vyk
Exec=/usr/libexec/xscreensaver/vyk --root
TryExec=/usr/libexec/xscreensaver/vyk
Type=Application
Categories=Screensaver;
OnlyShowIn=MATE;
TABLE

# xsecurelock's saver module runs the installed hack in place of itself.
module=$work/root/usr/libexec/xsecurelock/saver_vyk
sh -n "$module" && grep -qx 'exec /usr/libexec/xscreensaver/vyk --root' "$module" &&
  echo "ok: saver_vyk is a shell script that becomes the installed hack" || fail "saver_vyk: $(cat "$module")"

echo "$failures failed"
[ "$failures" -eq 0 ]
