#!/usr/bin/env python3
"""The product's layers: every #include of a project header points down the layers or
stays in its own, and the README's Layout section lists the folders in the same order.

Usage: check_layers.py SOURCE_DIR
It first makes sure it can fail, on a small tree of its own with faults in it.
"""
import os
import re
import sys
import tempfile

from sources import run, sources

# Top to bottom. A folder may include headers of its own layer and of the layers below.
LAYERS = [
    ["shell", "linux"],  # the programs: the saver's entry, window and procedure; the native hack
    ["display"],  # DirectDraw and Direct3D device, texture, scene state, frame drawing, presentation
    ["animation"],  # scene geometry, per-frame animation; portable (check_portable.py)
    ["settings", "diagnostics", "platform", "resources"],  # available to all
]

LEVEL = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.M)


def upward_includes(root):
    problems = []
    for folder, level in LEVEL.items():
        for shown, text in sources(root, [folder]):
            for target in INCLUDE.findall(text):
                if target not in LEVEL:
                    problems.append(f"{shown} includes from {target}/, which is not a product layer")
                elif LEVEL[target] < level:
                    problems.append(f"{shown} includes from {target}/, a layer above its own")
    return problems


def readme_order(root):
    """The product folders in the order the README's Layout section names them."""
    path = os.path.join(root, "README.md")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as readme:
        text = readme.read()
    section = text.split("## Layout", 1)[1].split("\n## ", 1)[0] if "## Layout" in text else ""
    named = re.findall(r"^\s*-\s*`([a-z]+)/`", section, re.M)
    return [folder for folder in named if folder in LEVEL]


def check(root):
    problems = upward_includes(root)
    order = readme_order(root)
    levels = [LEVEL[folder] for folder in order]
    if sorted(order) != sorted(LEVEL):
        problems.append(f"the README's Layout names {order}, not every product folder once")
    elif levels != sorted(levels):
        problems.append(f"the README's Layout lists {order}, not top to bottom")
    return problems


def self_test():
    """The check fails on an upward include and on an include of a folder outside the layers."""
    with tempfile.TemporaryDirectory() as root:
        for folder in LEVEL:
            os.makedirs(os.path.join(root, folder))
        with open(os.path.join(root, "README.md"), "w") as readme:
            readme.write("## Layout\n" + "".join(f"- `{f}/`: x\n" for layer in LAYERS for f in layer))
        clean = check(root)
        with open(os.path.join(root, "animation", "a.cpp"), "w") as source:
            source.write('#include "display/display.h"\n#include "settings/settings.h"\n')
        with open(os.path.join(root, "display", "b.h"), "w") as source:
            source.write('#include "bench/counter.h"\n')
        broken = check(root)
    expected = ["animation/a.cpp includes from display/, a layer above its own",
                "display/b.h includes from bench/, which is not a product layer"]
    if clean or sorted(broken) != sorted(expected):
        return f"clean tree gave {clean}, broken tree gave {broken}"
    return None


if __name__ == "__main__":
    sys.exit(run(self_test, check,
                 lambda problems: f"{len(problems)} problem(s) in the layers " + " > ".join("/".join(layer) for layer in LAYERS)))
