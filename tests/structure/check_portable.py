#!/usr/bin/env python3
"""The portable layer: animation/ includes only the C and C++ standard library and its own
headers, so that no platform header (windows.h, ddraw.h, d3d.h, X11, OpenGL, POSIX)
reaches it, directly or through another layer's header, and the native hack builds all of it.

Usage: check_portable.py SOURCE_DIR
It first makes sure it can fail, on a small tree of its own with faults in it.
"""
import os
import re
import sys
import tempfile

from sources import run, sources

PORTABLE = "animation"
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)

# The C headers a portable file may use, by their C and C++ names; every C++ standard
# header has a bare name without a dot, which no platform header has.
C_HEADERS = {"assert", "ctype", "errno", "float", "inttypes", "limits", "math", "stdarg", "stdbool",
             "stddef", "stdint", "stdio", "stdlib", "string", "time"}
STANDARD = {name + ".h" for name in C_HEADERS} | {"c" + name for name in C_HEADERS}


def allowed(kind, target):
    if kind == '"':
        return target.startswith(PORTABLE + "/")
    return target in STANDARD or ("." not in target and "/" not in target)


def check(root):
    problems = []
    for shown, text in sources(root, [PORTABLE]):
        for kind, target in INCLUDE.findall(text):
            if not allowed(kind, target):
                closing = ">" if kind == "<" else '"'
                problems.append(f"{shown} includes {kind}{target}{closing}, neither standard nor of {PORTABLE}/")
    return problems


def self_test():
    """The check passes a portable file and fails a platform header, direct or through another layer."""
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, PORTABLE))
        with open(os.path.join(root, PORTABLE, "a.h"), "w") as source:
            source.write('#include <stdint.h>\n#include <cmath>\n#include <vector>\n#include "animation/b.h"\n')
        clean = check(root)
        with open(os.path.join(root, PORTABLE, "c.cpp"), "w") as source:
            source.write('#include <windows.h>\n#include <GL/gl.h>\n#include <unistd.h>\n'
                         '#include "settings/settings.h"\n')
        broken = check(root)
    expected = ['animation/c.cpp includes <windows.h>, neither standard nor of animation/',
                'animation/c.cpp includes <GL/gl.h>, neither standard nor of animation/',
                'animation/c.cpp includes <unistd.h>, neither standard nor of animation/',
                'animation/c.cpp includes "settings/settings.h", neither standard nor of animation/']
    if clean or broken != expected:
        return f"clean tree gave {clean}, broken tree gave {broken}"
    return None


if __name__ == "__main__":
    sys.exit(run(self_test, check, lambda problems: f"{len(problems)} problem(s) in the includes of {PORTABLE}/"))
