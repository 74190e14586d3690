#!/usr/bin/python3
"""mutation_matrix.py RUNS-DIR: which test cases kill which mutant, from the runs that
scripts/mutation.sh keeps (one folder a ctest run: diff.txt, ctest.xml, <executable>.json).

A test case kills a mutant when it fails under it; an executable that crashed or timed out
without writing its report kills it as a whole ('executable:*'). Printed: the survivors, the
mutants only one test case kills (the cases that earn their place on this sample), the test
cases whose every kill another case shares, and the kills of each executable. One sample says
nothing about the mutants it did not draw: a case that kills nothing here may still be the only
one to catch a fault elsewhere.
"""
import json
import re
import sys
import xml.etree.ElementTree as ET
from collections import defaultdict
from pathlib import Path


def mutant_name(diff):
    """'file:line  old -> new' from a one-line git diff, or '' for the unmutated tree."""
    file = ""
    line = 0
    old = new = ""
    for text in diff.splitlines():
        if text.startswith("+++ b/"):
            file = text[6:]
        elif text.startswith("@@"):
            m = re.match(r"@@ -(\d+)", text)
            line = int(m.group(1)) if m else 0
        elif text.startswith("-") and not text.startswith("---"):
            old = text[1:].strip()
        elif text.startswith("+") and not text.startswith("+++"):
            new = text[1:].strip()
        elif text.startswith(" ") and not old:
            line += 1
    if not file:
        return ""
    return f"{file}:{line}  {old}  ->  {new or '(deleted)'}"


def failed_cases(run):
    """Failing test cases of one ctest run, as 'executable:Suite.Case'."""
    failed = set()
    reported = set()
    for report in run.glob("*.json"):
        exe = report.stem
        try:
            data = json.loads(report.read_text())
        except (OSError, ValueError):
            continue
        reported.add(exe)
        for suite in data.get("testsuites", []):
            for case in suite.get("testsuite", []):
                if case.get("failures"):
                    failed.add(f"{exe}:{suite['name']}.{case['name']}")
    junit = run / "ctest.xml"
    if junit.exists():
        for case in ET.parse(junit).getroot().iter("testcase"):
            exe = case.get("name", "")
            bad = case.get("status") == "fail" or case.find("failure") is not None
            if bad and not any(f.startswith(exe + ":") for f in failed):
                failed.add(f"{exe}:*")
    return failed, reported


def all_cases(runs):
    """Every test case that ran in the unmutated tree's run."""
    cases = set()
    for report in runs[0].glob("*.json"):
        data = json.loads(report.read_text())
        for suite in data.get("testsuites", []):
            for case in suite.get("testsuite", []):
                cases.add(f"{report.stem}:{suite['name']}.{case['name']}")
    return cases


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else "build-mutation/runs")
    runs = sorted(p for p in root.iterdir() if p.is_dir())
    if not runs:
        sys.exit(f"mutation_matrix.py: no runs under {root}")
    kills = {}
    for run in runs:
        name = mutant_name((run / "diff.txt").read_text(errors="replace"))
        failed, _ = failed_cases(run)
        if not name:
            if failed:
                print("the unmutated tree fails: " + ", ".join(sorted(failed)))
            continue
        kills[name] = failed
    cases = all_cases(runs)
    by_case = defaultdict(set)
    for mutant, failed in kills.items():
        for case in failed:
            by_case[case].add(mutant)

    survivors = [m for m, f in kills.items() if not f]
    print(f"{len(kills)} mutants run, {len(kills) - len(survivors)} killed, "
          f"{len(survivors)} survived; {len(cases)} test cases")
    print("\nsurvivors:")
    for m in survivors:
        print("  " + m)
    print("\nkilled by one test case only:")
    for m, f in sorted(kills.items()):
        if len(f) == 1:
            print(f"  {next(iter(f))}\n      {m}")
    print("\ntest cases whose every kill another case shares (kills):")
    for case, mutants in sorted(by_case.items()):
        if all(len(kills[m]) > 1 for m in mutants):
            print(f"  {case} ({len(mutants)})")
    per_exe = defaultdict(lambda: [0, 0, set()])
    for case in cases | set(by_case):
        exe = case.split(":", 1)[0]
        per_exe[exe][0] += 1
        if case in by_case:
            per_exe[exe][1] += 1
            per_exe[exe][2] |= by_case[case]
    idle = sorted(exe for exe, (_, k, _) in per_exe.items() if k == 0)
    print("\nexecutables: cases, cases that kill, mutants killed, mutants only it kills")
    for exe, (n, k, mutants) in sorted(per_exe.items(), key=lambda e: -len(e[1][2])):
        if k == 0:
            continue
        alone = sum(1 for m in mutants
                    if all(c.split(":", 1)[0] == exe for c in kills[m]))
        print(f"  {exe:40} {n:4} {k:4} {len(mutants):4} {alone:4}")
    print(f"\nexecutables that kill none of the sample ({len(idle)}): " + ", ".join(idle))


if __name__ == "__main__":
    main()
