"""What the structure checks share: the product's source files, and a run that proves the
check can fail before it judges the real tree."""
import os
import sys

SOURCE = (".cpp", ".h")


def sources(root, folders):
    """(path shown from root, text) of every .cpp and .h below the folders, in a stable order."""
    for folder in folders:
        for directory, subfolders, files in os.walk(os.path.join(root, folder)):
            subfolders.sort()
            for name in sorted(files):
                if name.endswith(SOURCE):
                    path = os.path.join(directory, name)
                    with open(path, encoding="utf-8") as source:
                        yield os.path.relpath(path, root), source.read()


def run(self_test, check, summary):
    """The exit status of a check: 1 when its self-test gives a failure text, else 1 when the
    tree in argv[1] has problems. Prints the self-test's outcome, each problem and the summary."""
    failure = self_test()
    if failure:
        print(f"self-test failed: {failure}")
        return 1
    print("self-test passed")
    problems = check(sys.argv[1])
    for line in problems:
        print(line)
    print(summary(problems))
    return 1 if problems else 0
