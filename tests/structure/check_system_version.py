#!/usr/bin/env python3
"""The system version is read in one place: besides the platform seam, which holds the real
GetVersionExA, exactly one product file calls it (platform/system_version.cpp), and every
other layer takes the version from there.

Usage: check_system_version.py SOURCE_DIR
It first makes sure it can fail, on a small tree of its own with faults in it.
"""
import os
import re
import sys
import tempfile

from sources import run, sources

PRODUCT = ["shell", "linux", "display", "animation", "settings", "diagnostics", "platform"]
SEAM = {os.path.join("platform", "platform.h"), os.path.join("platform", "platform.cpp")}
READER = os.path.join("platform", "system_version.cpp")
CALL = re.compile(r"\bGetVersionEx[AW]?\b")
COMMENT = re.compile(r"//[^\n]*|/\*.*?\*/", re.S)


def readers(root):
    """Product files outside the seam whose code (not their comments) names GetVersionEx, sorted."""
    return sorted(shown for shown, text in sources(root, PRODUCT)
                  if shown not in SEAM and CALL.search(COMMENT.sub("", text)))


def check(root):
    found = readers(root)
    if found == [READER]:
        return []
    return [f"the system version is read in {found or 'no file'}, not in {READER} alone"]


def self_test():
    """The check's own problems: it must pass on one reader and fail on a second one and on none."""
    with tempfile.TemporaryDirectory() as root:
        for folder in PRODUCT:
            os.makedirs(os.path.join(root, folder))
        with open(os.path.join(root, "platform", "platform.cpp"), "w") as seam:
            seam.write("platform.GetVersionExA = ::GetVersionExA;\n")
        none = check(root)
        with open(os.path.join(root, READER), "w") as reader:
            reader.write("platform.GetVersionExA(&os);\n")
        one = check(root)
        with open(os.path.join(root, "shell", "entry.cpp"), "w") as second:
            second.write("if (!platform.GetVersionExA(&version)) return 0;\n")
        two = check(root)
    if one or not none or not two:
        return f"one reader gave {one}, none gave {none}, two gave {two}"
    return None


if __name__ == "__main__":
    sys.exit(run(self_test, check,
                 lambda problems: f"{len(problems)} problem(s); the system version is read in {READER} alone"
                 if not problems else f"{len(problems)} problem(s) in where the system version is read"))
