#!/usr/bin/env python3
"""Measures how many small faults the tests of some folders notice.

Applies one small fault at a time to the non-test code of the named folders
(a comparison flipped, + and - or && and || swapped, a constant changed by
one, a returned condition negated, a statement deleted), rebuilds the native
tree incrementally, runs the tests of those folders with a time limit and
sorts each fault into killed, survived, timed out or not compiled. The same
seed on the same tree picks the same faults, so two runs compare.

A developer's tool, not part of the check: it rewrites source files in place
(each is put back at once, also on Ctrl-C), so run it on a clean tree. With
--preset win64 it builds that Windows preset instead and runs the folders'
tests under Wine, which reaches the window code the native build leaves out.
"""
import argparse
import json
import os
import random
import re
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
SKIP_DIRS = {"tests", "fuzz", "bench"}

COMPARISONS = {"<": ">=", ">=": "<", ">": "<=", "<=": ">", "==": "!=", "!=": "=="}


def mask_literals(line):
    """The line with string/char literals and the // comment blanked, so
    that no mutation lands inside them (positions are kept)."""
    out, i, quote = [], 0, None
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\" and i + 1 < len(line):
                out.append("  ")
                i += 2
                continue
            if c == quote:
                quote = None
            out.append(" ")
        elif c in "\"'":
            quote = c
            out.append(" ")
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)


def sites_of_line(masked):
    """(start, end, replacement, description) for every fault this line can take."""
    found = []
    for m in re.finditer(r"(?<=\S) (<=|>=|==|!=|<|>) (?=\S)", masked):
        op = m.group(1)
        found.append((m.start(1), m.end(1), COMPARISONS[op], f"'{op}' -> '{COMPARISONS[op]}'"))
    for m in re.finditer(r"(?<=[\w)\]]) ([+-]) (?=[\w(])", masked):
        op = m.group(1)
        other = "-" if op == "+" else "+"
        found.append((m.start(1), m.end(1), other, f"'{op}' -> '{other}'"))
    for m in re.finditer(r" (&&|\|\|) ", masked):
        op = m.group(1)
        other = "||" if op == "&&" else "&&"
        found.append((m.start(1), m.end(1), other, f"'{op}' -> '{other}'"))
    for m in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", masked):
        value = int(m.group(1))
        found.append((m.start(1), m.end(1), str(value + 1), f"{value} -> {value + 1}"))
    m = re.match(r"^(\s*)return (.+);\s*$", masked)
    if m and m.group(2).strip() not in ("true", "false", "0", "nullptr"):
        s, e = m.start(2), m.end(2)
        found.append((s, e, None, "return negated"))
    m = re.match(r"^(\s*)([A-Za-z_][\w:.>\-\[\]]*(\(.*\))?\s*([-+*/|&]?=|\+\+|--)?.*);\s*$", masked)
    if m and not re.match(r"^\s*(return|break|continue|case|default|using|typedef|static|const|auto|int|bool|"
                          r"unsigned|uint\d+_t|int\d+_t|size_t|std::|char|double|float|goto|constexpr|inline|extern|struct|class|enum|"
                          r"virtual|explicit|friend|template|namespace|void|volatile|thread_local|if|for|while|switch|do|else)\b", masked) \
            and ("(" in masked or "=" in masked) and masked.rstrip().endswith(";") \
            and not masked.rstrip().endswith("};") and "{" not in masked:
        found.append((len(m.group(1)), len(masked.rstrip()), None, "statement deleted"))
    return found


def apply(line, site):
    start, end, replacement, what = site
    if what == "return negated":
        return line[:start] + "!(" + line[start:end] + ")" + line[end:]
    if what == "statement deleted":
        return line[:start] + ";" + line[end:]
    return line[:start] + replacement + line[end:]


def source_files(folders, built):
    files = []
    for folder in folders:
        base = os.path.join(ROOT, folder)
        if not os.path.isdir(base):
            sys.exit(f"mutation-sample: no folder {folder}")
        for dirpath, dirnames, filenames in os.walk(base):
            dirnames[:] = sorted(d for d in dirnames if d not in SKIP_DIRS)
            for name in sorted(filenames):
                path = os.path.relpath(os.path.join(dirpath, name), ROOT)
                if name.endswith((".cpp", ".h")) and path in built:
                    files.append(path)
    return files


def all_sites(files):
    sites = []
    for path in files:
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            lines = f.read().split("\n")
        in_block_comment = False
        for number, line in enumerate(lines, 1):
            stripped = line.strip()
            if in_block_comment:
                in_block_comment = "*/" not in stripped
                continue
            if stripped.startswith("/*"):
                in_block_comment = "*/" not in stripped
                continue
            if not stripped or stripped.startswith(("#", "//", "*")) or "static_assert" in line:
                continue
            for site in sites_of_line(mask_literals(line)):
                sites.append((path, number, site))
    return sites


def earlier_outcomes(log):
    """fault -> outcome from the per-fault lines of an earlier run's output."""
    outcomes = {}
    with open(log, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"^\[\d+/\d+\] (killed|survived|timed out|not compiled)\s+(\S+:\d+  .+?)(  \(as before\))?$",
                         line.rstrip("\n"))
            if m:
                outcomes[m.group(2)] = m.group(1)
    return outcomes


def folder_of(path, folders):
    """The named folder a source file lies in (the longest, if nested)."""
    return max((f for f in folders if path.startswith(f + "/")), key=len)


def run(cmd, timeout=None):
    try:
        p = subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        return p.returncode, p.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, ""


def configure(build, preset=None):
    if not os.path.exists(os.path.join(build, "build.ninja")):
        if preset:  # a Windows preset as the check builds it: its objects come from ccache
            code, out = run(["cmake", "--preset", preset, "-B", build])
        else:
            code, out = run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
                             "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g0", "-DCMAKE_C_FLAGS_DEBUG=-O1 -g0"])
        if code != 0:
            sys.exit("mutation-sample: cannot configure\n" + out)
    code, out = run(["cmake", "--build", build, "--", "-j2"])
    if code != 0:
        sys.exit("mutation-sample: the unmutated tree does not build\n" + out[-3000:])


def built_sources(build):
    """Every source and header the native build compiles (Windows-only files
    cannot be mutated here)."""
    code, out = run(["ninja", "-C", build, "-t", "deps"])
    built = set()
    for line in out.split("\n"):
        line = line.strip()
        if not line or line.endswith(")"):  # a target's own line, not one of its inputs
            continue
        # Relative where ccache's base directory rewrote the compiler's paths.
        path = os.path.normpath(os.path.join(build, line))
        if path.startswith(ROOT + "/"):
            built.add(os.path.relpath(path, ROOT))
    return built


def ctest_tests(build):
    """Every test ctest knows in the build, as its JSON listing gives them."""
    code, out = run(["ctest", "--test-dir", build, "--show-only=json-v1"])
    return json.loads(out[out.index("{"):]).get("tests", [])


def tests_of(build, tests, folders):
    """The ctest names whose program or script lives in one of the folders."""
    names = []
    for test in tests:
        command = " ".join(test.get("command", []))
        for folder in folders:
            if f"{build}/{folder}/" in command or f"{ROOT}/{folder}/" in command:
                names.append(test["name"])
                break
    return names


def programs_of(build, tests, names):
    """The built files the named tests run (their programs and any program
    a test script is handed), as ninja targets: rebuilding only these after
    a fault spares relinking everything else that uses the library."""
    targets = set()
    for test in tests:
        if test["name"] not in names:
            continue
        for token in test.get("command", []):
            if token.startswith(build + "/") and os.path.isfile(token):
                targets.add(os.path.relpath(token, build))
    return sorted(targets)


def run_tests(build, regex, timeout):
    start = time.time()
    code, out = run(["ctest", "--test-dir", build, "-R", regex, "--stop-on-failure", "-j2",
                     "--timeout", str(timeout)], timeout=timeout * 3 + 60)
    if code is None or "***Timeout" in out:
        return "timed out", time.time() - start
    return ("survived" if code == 0 else "killed"), time.time() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=50)
    parser.add_argument("--tests", help="ctest regex instead of the folders' own tests")
    parser.add_argument("--build", help="the build tree (default build/mutation, or build/mutation-PRESET)")
    parser.add_argument("--preset", metavar="NAME",
                        help="a Windows configure preset (win64): the faults meet the window tests under Wine; "
                             "run through mutation-sample.sh, which starts Wine's display and sound for them")
    parser.add_argument("--list", action="store_true", help="print the picked faults and stop")
    parser.add_argument("--without", metavar="REGEX",
                        help="leave out the tests whose names match: what would they alone have caught?")
    parser.add_argument("--again", metavar="FOLDER,...",
                        help="with --recheck: the folders whose tests changed; every fault in them is tried "
                             "again (survivors too, as new tests may catch them), the rest keep their outcome")
    parser.add_argument("--recheck", metavar="LOG",
                        help="an earlier run's output on the same seed: only the faults it caught are tried "
                             "again, the rest keep their outcome (after tests were removed, nothing else can change)")
    parser.add_argument("--share", metavar="K/N",
                        help="try only every N-th picked fault, starting with the K-th: an even part of the same "
                             "sample, for a before-and-after pair when the whole sample takes too long")
    parser.add_argument("folders", nargs="+")
    args = parser.parse_args()
    build = os.path.abspath(args.build or os.path.join(
        ROOT, "build", "mutation-" + args.preset if args.preset else "mutation"))
    folders = [f.rstrip("/") for f in args.folders]

    configure(build, args.preset)
    files = source_files(folders, built_sources(build))
    sites = all_sites(files)
    picked = random.Random(args.seed).sample(sites, min(args.count, len(sites)))
    picked.sort(key=lambda s: (s[0], s[1]))
    if args.share:
        k, n = (int(x) for x in args.share.split("/"))
        if not 1 <= k <= n:
            sys.exit("mutation-sample: --share K/N needs 1 <= K <= N")
        picked = picked[k - 1::n]
    print(f"mutation-sample: {len(files)} files, {len(sites)} possible faults, {len(picked)} picked (seed {args.seed}"
          f"{', share ' + args.share if args.share else ''})")
    if args.list:
        for path, number, site in picked:
            print(f"{path}:{number}  {site[3]}")
        return 0

    # Each fault meets the tests of its own folder, so a run over many folders
    # costs no more per fault than a run over one.
    regexes, limits, untouched, targets = {}, {}, set(), {}
    tests = ctest_tests(build)
    for folder in folders:
        names = tests_of(build, tests, [folder])
        if args.without:
            kept = [n for n in names if not re.search(args.without, n)]
            if kept == names:
                untouched.add(folder)
            names = kept
        regex = args.tests or ("^(" + "|".join(re.escape(n) for n in names) + ")$" if names else None)
        if regex is None:
            sys.exit(f"mutation-sample: {folder} has no native tests; name some with --tests")
        outcome, seconds = run_tests(build, regex, 600)
        if outcome != "survived":
            sys.exit(f"mutation-sample: the tests fail without any fault ({regex})")
        regexes[folder], limits[folder] = regex, int(seconds * 3) + 30
        targets[folder] = programs_of(build, tests, names) if not args.tests else []
        print(f"mutation-sample: {folder}: tests {regex}, {seconds:.0f} s unmutated, limit {limits[folder]} s each")

    earlier = earlier_outcomes(args.recheck) if args.recheck else {}
    again = {f.strip().rstrip("/") for f in args.again.split(",")} if args.again else None
    counts = {"killed": 0, "survived": 0, "timed out": 0, "not compiled": 0}
    survivors = []
    for k, (path, number, site) in enumerate(picked, 1):
        known = earlier.get(f"{path}:{number}  {site[3]}")
        if again is not None:
            carried = known is not None and (known == "not compiled" or folder_of(path, folders) not in again)
        else:
            carried = known in ("survived", "not compiled") or (known and folder_of(path, folders) in untouched)
        if carried:
            counts[known] += 1
            if known == "survived":
                survivors.append(f"{path}:{number}  {site[3]}")
            print(f"[{k}/{len(picked)}] {known:12} {path}:{number}  {site[3]}  (as before)", flush=True)
            continue
        full = os.path.join(ROOT, path)
        with open(full, encoding="utf-8", errors="surrogateescape") as f:
            original = f.read()
        lines = original.split("\n")
        lines[number - 1] = apply(lines[number - 1], site)
        try:
            with open(full, "w", encoding="utf-8", errors="surrogateescape") as f:
                f.write("\n".join(lines))
            folder = folder_of(path, folders)
            code, _ = run(["ninja", "-C", build, "-j2"] + targets[folder])
            if code != 0:
                outcome = "not compiled"
            else:
                outcome, _ = run_tests(build, regexes[folder], limits[folder])
        finally:
            with open(full, "w", encoding="utf-8", errors="surrogateescape") as f:
                f.write(original)
        counts[outcome] += 1
        if outcome == "survived":
            survivors.append(f"{path}:{number}  {site[3]}")
        print(f"[{k}/{len(picked)}] {outcome:12} {path}:{number}  {site[3]}", flush=True)

    compiled = len(picked) - counts["not compiled"]
    caught = counts["killed"] + counts["timed out"]
    score = 100.0 * caught / compiled if compiled else 0.0
    print(f"killed {counts['killed']}, survived {counts['survived']}, timed out {counts['timed out']}, "
          f"not compiled {counts['not compiled']}: score {score:.1f}% of {compiled} compiled (seed {args.seed})")
    for line in survivors:
        print(f"survived: {line}")
    # Leave the tree built as it is in git.
    run(["cmake", "--build", build, "--", "-j2"])
    return 0


if __name__ == "__main__":
    sys.exit(main())
