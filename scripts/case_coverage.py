#!/usr/bin/env python3
"""Which test cases reach nothing the other cases of their program do not.

Runs every case of one ctest test program of a coverage build (see
coverage.sh) alone and gathers the lines and branches of the code under
test it reaches; then lists, per case, what it alone reaches. A case that
reaches nothing of its own is a candidate for a merge or a cut, not a
verdict: it may still check a value no other case checks.

  scripts/case_coverage.py TEST_NAME [--build build/coverage] [--folders node record ...]

A developer's tool, not part of the check. It deletes the build's counters.
"""
import argparse
import json
import os
import re
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))


def ctest_entry(build, name):
    out = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"], stdout=subprocess.PIPE,
                         check=True).stdout.decode()
    for test in json.loads(out[out.index("{"):]).get("tests", []):
        if test["name"] == name:
            return test
    sys.exit(f"case-coverage: no test {name} in {build}")


def environment_of(test):
    env = dict(os.environ)
    for prop in test.get("properties", []):
        if prop["name"] == "ENVIRONMENT":
            for pair in prop["value"]:
                key, _, value = pair.partition("=")
                env[key] = value
    return env, next((p["value"] for p in test.get("properties", []) if p["name"] == "WORKING_DIRECTORY"), None)


def cases_of(program):
    out = subprocess.run([program, "--gtest_list_tests"], stdout=subprocess.PIPE, check=True).stdout.decode()
    cases, suite = [], ""
    for line in out.split("\n"):
        if not line.strip():
            continue
        if not line.startswith(" "):
            suite = line.split()[0]
        else:
            cases.append(suite + line.split()[0])
    return cases


def counters(build):
    found = []
    for dirpath, _, names in os.walk(build):
        found += [os.path.join(dirpath, n) for n in names if n.endswith(".gcda")]
    return found


def reached(build, folders):
    """(file, line) and (file, line, branch) the counters now hold, for
    sources under `folders` outside tests/."""
    seen = set()
    files = counters(build)
    for i in range(0, len(files), 40):
        group = files[i:i + 40]
        out = subprocess.run(["gcov", "-j", "-t", "-b"] + group, cwd=build,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.decode(errors="replace")
        for doc in out.split("\n"):
            if not doc.startswith("{"):
                continue
            for f in json.loads(doc).get("files", []):
                path = os.path.relpath(os.path.realpath(os.path.join(build, f["file"])), ROOT)
                if "/tests/" in path or not any(path.startswith(d + "/") for d in folders):
                    continue
                for line in f["lines"]:
                    if line["count"] > 0:
                        seen.add((path, line["line_number"]))
                    for k, b in enumerate(line.get("branches", [])):
                        if b["count"] > 0:
                            seen.add((path, line["line_number"], k))
    return seen


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("test")
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "coverage"))
    parser.add_argument("--folders", nargs="+", required=True)
    parser.add_argument("--filter", default="", help="only the cases whose names match this regex")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    test = ctest_entry(build, args.test)
    program = test["command"][0]
    env, cwd = environment_of(test)
    per_case = {}
    for case in cases_of(program):
        if args.filter and not re.search(args.filter, case):
            continue
        for path in counters(build):
            os.remove(path)
        run = subprocess.run([program, f"--gtest_filter={case}"] + test["command"][1:], env=env, cwd=cwd or build,
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        per_case[case] = reached(build, args.folders)
        status = "" if run.returncode == 0 else "  (failed)"
        print(f"ran {case}: {len(per_case[case])} reached{status}", file=sys.stderr, flush=True)
    for case, seen in per_case.items():
        others = set()
        for other, theirs in per_case.items():
            if other != case:
                others |= theirs
        own = sorted(seen - others, key=str)
        print(f"{len(own):5} {case}" + ("" if own else "  <- nothing of its own"))
        for item in own[:6]:
            print(f"        {item[0]}:{item[1]}" + (f" branch {item[2]}" if len(item) > 2 else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
