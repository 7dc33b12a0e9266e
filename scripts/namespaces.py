#!/usr/bin/env python3
"""Each folder's code lives in its folder's namespace (ARCHITECTURE.md, "Names").

Prints every namespace a file defines code in that is not its folder's (or
inside it: `codec::video`, `app::testing`), one line each; exit 1 on any.
A block that only declares names of other folders (`namespace node { class
CNodeWindow; }`) is no finding. Usage: namespaces.py FILE...
"""
import re
import sys

FOLDERS = {"os", "codec", "net", "record", "hosting", "present", "settings", "node", "skin", "dialogs", "app"}
OPEN = re.compile(r"^\s*namespace\s*([A-Za-z_][\w:]*)?\s*\{")
FORWARD = re.compile(r"^\s*(class|struct|enum( class)?)\s+\w+\s*(:\s*\w+\s*)?;")


def wanted(path):
    if path.startswith("os/win32/"):
        return "win32"
    if path.startswith("config_tool/"):
        return "bollard"
    top = path.split("/", 1)[0]
    return top if top in FOLDERS else None


def findings(path):
    want = wanted(path)
    if not want:
        return []
    stack = []  # [qualified name, line, depth inside it, defines code]
    out = []
    depth = 0
    for number, line in enumerate(open(path, encoding="utf-8", errors="replace"), 1):
        text = re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'', '""', line.split("//", 1)[0])
        opened = OPEN.match(text)
        if opened:
            name = opened.group(1) or ""
            outer = stack[-1][0] if stack else ""
            qualified = outer + "::" + name if outer and name else name or outer
            stack.append([qualified, number, depth + 1, False])
        elif stack and text.strip() and not FORWARD.match(text) and not text.lstrip().startswith(("#", "}")):
            for frame in stack:
                frame[3] = True
        depth += text.count("{") - text.count("}")
        while stack and depth < stack[-1][2]:
            qualified, opened_at, _, code = stack.pop()
            name = qualified.split("::", 1)[0]
            if code and name and name != want and not stack:
                out.append(f"{path}:{opened_at}: namespace '{qualified}' in a folder whose code lives in '{want}'")
    return out


def main(paths):
    found = [f for p in paths for f in findings(p)]
    for f in found:
        print(f)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
