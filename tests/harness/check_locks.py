#!/usr/bin/env python3
"""Checks the screen lock as ctest really applies it: every test told the lock's name holds
the lock, and some do. (A program that opens a window without being told fails by itself,
in its entry point.)

Usage: check_locks.py CTEST BUILD_DIR
CMake silently drops test properties set from another folder than the test's own, so the
properties are read back from ctest itself rather than from the build files.
"""
import json
import subprocess
import sys


def properties(test):
    found = {}
    for item in test.get("properties", []):
        found[item["name"]] = item["value"]
    return found


def main():
    ctest, build = sys.argv[1], sys.argv[2]
    listing = subprocess.run([ctest, "--show-only=json-v1"], cwd=build, check=True,
                             capture_output=True, text=True).stdout
    problems = []
    told = set()
    for test in json.loads(listing)["tests"]:
        props = properties(test)
        locks = props.get("RESOURCE_LOCK", [])
        if "VYK_SCREEN_LOCK=vyk_screen" in props.get("ENVIRONMENT", []):
            told.add(test["name"])
            if "vyk_screen" not in locks:
                problems.append(f"{test['name']} is told the screen lock but does not hold it")
    if not told:
        problems.append("no test program takes turns on the screen: the lock was not applied")
    for line in problems:
        print(line)
    print(f"{len(told)} programs take turns on the screen; {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
