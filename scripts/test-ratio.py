#!/usr/bin/env python3
"""Lines of C++ in tests/ folders against the rest, per top folder.

Counts non-blank lines that are not only a comment, in .cpp and .h files
tracked by git. A file is a test's when a folder of its path is named tests.
"""
import re
import subprocess
import sys
import os

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))


def code_lines(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return sum(1 for line in text.split("\n") if line.strip() and not line.strip().startswith("//"))


def main():
    files = subprocess.run(["git", "ls-files", "*.cpp", "*.h"], cwd=ROOT, stdout=subprocess.PIPE,
                           check=True).stdout.decode().split()
    rows = {}
    for path in files:
        parts = path.split("/")
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            n = code_lines(f.read())
        row = rows.setdefault(parts[0] if len(parts) > 1 else ".", [0, 0])
        row["tests" in parts[:-1]] += n
    print(f"{'folder':14} {'code':>7} {'tests':>7} {'ratio':>7}")
    total = [0, 0]
    for folder in sorted(rows):
        code, tests = rows[folder]
        total[0] += code
        total[1] += tests
        ratio = f"{100.0 * tests / code:6.0f}%" if code else "      -"
        print(f"{folder:14} {code:7} {tests:7} {ratio}")
    print(f"{'total':14} {total[0]:7} {total[1]:7} {100.0 * total[1] / total[0]:6.1f}%")
    return 0


if __name__ == "__main__":
    sys.exit(main())
