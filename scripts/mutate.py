#!/usr/bin/env python3
"""Puts hand-made faults into a copy of the tree one at a time, rebuilds and
runs ctest, and tells which faults the suite kills.

Usage: mutate.py BUILD_DIR MUTANTS.txt... [-- CTEST_ARGS...]

The copy lives under BUILD_DIR/mutation, so the working tree (and anyone
building from it) never sees a fault. A mutants file holds blocks separated
by blank lines:

    == what the fault is
    file: src/some/File.cpp
    - text as it stands (must occur exactly once in the file)
    + its replacement

Lines after "- " or "+ " that start with none of the markers continue that
text; a lone "+" replaces the text with nothing. With --check, only tells whether each fault applies.
With --matrix, every test runs for every fault and all that fail are named, so
that a test no fault fails alone can be seen (slower: no stop at the first).

A fault that does not apply or does not build is reported and not counted.
"""
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def parse(path):
    mutants, cur, last = [], {}, None
    with open(path, encoding="utf-8") as f:
        for n, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line and last and line != "+" and not line.startswith(("== ", "file: ", "- ", "+ ", "#")):
                cur[last] += "\n" + line  # a fault may span lines
                continue
            last = None
            if line.startswith("== "):
                if cur:
                    mutants.append(cur)
                cur = {"what": line[3:].strip(), "where": "%s:%d" % (path, n)}
            elif line.startswith("file: "):
                cur["file"] = line[6:].strip()
            elif line.startswith("- "):
                cur["old"], last = line[2:], "old"
            elif line.startswith("+ ") or line == "+":
                cur["new"], last = line[2:], "new"
    if cur:
        mutants.append(cur)
    for m in mutants:
        missing = [k for k in ("file", "old", "new") if k not in m]
        if missing:
            sys.exit("%s: mutant lacks %s" % (m["where"], ", ".join(missing)))
    return mutants


def run(cmd, cwd, log, timeout=None):
    with open(log, "w") as out:
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return 124


def copy_tree(dest):
    files = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard", "-z"],
                           cwd=ROOT, capture_output=True, check=True).stdout.split(b"\0")
    kept = set()
    for rel in (f.decode() for f in files if f):
        src = os.path.join(ROOT, rel)
        if not os.path.isfile(src) or rel.startswith("build"):
            continue
        kept.add(rel)
        dst = os.path.join(dest, rel)
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        if not os.path.exists(dst) or open(src, "rb").read() != open(dst, "rb").read():
            shutil.copy(src, dst)  # a fresh time stamp: make rebuilds what changed
    # A file deleted from the tree goes from the copy too (the build globs).
    for top, _, names in os.walk(dest):
        for name in names:
            path = os.path.join(top, name)
            if os.path.relpath(path, dest) not in kept:
                os.remove(path)


def main(argv):
    if "--" in argv:
        i = argv.index("--")
        argv, ctest_args = argv[:i], argv[i + 1:]
    else:
        ctest_args = []
    check = "--check" in argv
    matrix = "--matrix" in argv
    argv = [a for a in argv if a not in ("--check", "--matrix")]
    if len(argv) < 2:
        sys.exit(__doc__)
    work = os.path.join(os.path.abspath(argv[0]), "mutation")
    mutants = [m for path in argv[1:] for m in parse(path)]
    if check:
        bad = 0
        for m in mutants:
            try:
                count = open(os.path.join(ROOT, m["file"]), encoding="utf-8").read().count(m["old"])
            except OSError:
                count = -1
            if count != 1 or m["old"] == m["new"]:
                bad += 1
                print("does not apply (%d): %s [%s]" % (count, m["what"], m["where"]))
        print("%d of %d faults apply" % (len(mutants) - bad, len(mutants)))
        return 1 if bad else 0
    tree, build = os.path.join(work, "tree"), os.path.join(work, "build")
    os.makedirs(build, exist_ok=True)
    copy_tree(tree)
    jobs = os.environ.get("MUTATE_JOBS", "2")
    configure = ["cmake", "-S", tree, "-B", build, "-DVANTRO_BENCH=OFF",
                 "-DVANTRO_RES_DIR=" + os.path.join(build, "res")]
    make = ["cmake", "--build", build, "-j" + jobs]
    ctest = ["ctest", "--test-dir", build, "-j" + jobs, "--timeout", "120"] + \
        ([] if matrix else ["--stop-on-failure"]) + ctest_args
    log = os.path.join(work, "last.log")
    if run(configure, tree, log) or run(make, tree, log):
        sys.exit("mutate: the unmutated copy does not build; see " + log)
    if run(ctest, tree, log):
        sys.exit("mutate: the unmutated copy fails its tests; see " + log)

    killed, survived, skipped = [], [], []
    for m in mutants:
        path = os.path.join(tree, m["file"])
        try:
            text = open(path, encoding="utf-8").read()
        except OSError:
            skipped.append((m, "no such file"))
            continue
        count = text.count(m["old"])
        if count != 1:
            skipped.append((m, "text found %d times" % count))
            continue
        started = time.time()
        with open(path, "w", encoding="utf-8") as f:
            f.write(text.replace(m["old"], m["new"]))
        try:
            if run(make, tree, log):
                skipped.append((m, "does not build"))
                continue
            rc = run(ctest, tree, log, timeout=1800)
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
            os.utime(path)
        failed = ""
        if rc:
            with open(log) as f:
                names = re.findall(r"Test +#\d+: (\S+) .*\*\*\*", f.read())
            failed = (",".join(sorted(names)) if matrix else names[0]) if names else "rc %d" % rc
            killed.append(m)
            verdict = "KILLED   by %s" % failed
        else:
            survived.append(m)
            verdict = "SURVIVED"
        print("%-40s %s  [%s, %.0fs]" % (verdict, m["what"], m["where"], time.time() - started), flush=True)
    run(make, tree, log)  # leave the copy built unmutated
    for m, why in skipped:
        print("SKIPPED  %s (%s) [%s]" % (m["what"], why, m["where"]))
    counted = len(killed) + len(survived)
    rate = 100.0 * len(killed) / counted if counted else 0.0
    print("kill rate: %d/%d (%.1f %%), %d skipped" % (len(killed), counted, rate, len(skipped)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
