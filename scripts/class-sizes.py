#!/usr/bin/env python3
"""The program's largest classes by what their headers declare.

    scripts/class-sizes.py [--top N] [--over N]

Counts, per class of a header outside tests/, fuzz/ and tools/, the members
and methods declared directly in its body (data members, methods, operators,
constructors and destructors; not types, aliases, friends or constants of a
nested type). A developers' measure, like test-ratio.py: a class that
declares much more than about 60 is doing several jobs.
"""
import argparse
import os
import re
import sys

SKIP_DIRS = {"build", "tests", "fuzz", "tools", "node_modules", ".git", "bench"}
CLASS_HEAD = re.compile(r"^\s*(?:template\s*<[^>]*>\s*)?(class|struct)\s+(?:\[\[[^\]]*\]\]\s*)?(\w+)\b[^;]*$")
NOT_MEMBERS = re.compile(r"^\s*(public|private|protected)\s*:|^\s*(friend|using|typedef|enum|static_assert)\b")


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    text = re.sub(r"//[^\n]*", "", text)
    text = re.sub(r'"(?:\\.|[^"\\])*"', '""', text)
    return text


def statements(body):
    """Top-level statements of a class body (nested braces folded into one)."""
    out, depth, current = [], 0, []
    i = 0
    while i < len(body):
        c = body[i]
        if c == "{":
            if depth == 0:
                current.append("{}")
            depth += 1
        elif c == "}":
            depth -= 1
            if depth == 0:
                # A function body ends a statement; a brace initialiser does not.
                rest = body[i + 1:].lstrip()
                if not rest.startswith(";") and not rest.startswith(","):
                    out.append("".join(current).strip())
                    current = []
        elif depth == 0:
            if c == ";":
                out.append("".join(current).strip())
                current = []
            else:
                current.append(c)
        i += 1
    return [s for s in out if s]


def classes(path):
    text = strip_comments(open(path, encoding="utf-8", errors="replace").read())
    lines = text.split("\n")
    found = []
    for n, line in enumerate(lines):
        m = CLASS_HEAD.match(line)
        if not m:
            continue
        start = text.find("{", sum(len(l) + 1 for l in lines[:n]))
        if start < 0:
            continue
        head = text[sum(len(l) + 1 for l in lines[:n]):start]
        if ";" in head:
            continue
        depth, end = 0, start
        while end < len(text):
            if text[end] == "{":
                depth += 1
            elif text[end] == "}":
                depth -= 1
                if depth == 0:
                    break
            end += 1
        members = 0
        for s in statements(text[start + 1:end]):
            s = re.sub(r"^\s*(public|private|protected)\s*:\s*", "", s)
            if not s or NOT_MEMBERS.match(s) or re.match(r"^\s*(class|struct)\b", s):
                continue
            members += 1
        found.append((members, m.group(2), path))
    return found


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--top", type=int, default=15)
    parser.add_argument("--over", type=int, default=0)
    args = parser.parse_args()
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    rows = []
    for folder, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs if d not in SKIP_DIRS]
        for f in files:
            if f.endswith(".h"):
                rows.extend(classes(os.path.join(folder, f)))
    rows.sort(reverse=True)
    shown = [r for r in rows if r[0] > args.over][: args.top] if args.over else rows[: args.top]
    for members, name, path in shown:
        print(f"{members:4d}  {name:32s} {os.path.relpath(path, root)}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
