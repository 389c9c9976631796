"""Adds up the results of every test run into one line: "N passed, N failed"."""

import json
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path


def junit_counts(path):
    passed = failed = 0
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        status = case.get("status", "run")
        skipped = case.get("result") == "skipped" or case.find("skipped") is not None
        if (status in ("disabled", "notrun") or skipped) and case.find("failure") is None:
            continue
        if status == "fail" or case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        else:
            passed += 1
    return passed, failed


def main(results_dir):
    results = Path(results_dir)
    expected = ["unit.xml", "unit-sanitized.xml", "fuzz.xml", "win32-unit.xml", "e2e.json"]
    passed = failed = 0
    for name in expected:
        path = results / name
        if not path.exists():
            print(f"orbelle: {name} is missing: that test run did not finish", file=sys.stderr)
            failed += 1
            continue
        if path.suffix == ".xml":
            p, f = junit_counts(path)
        else:
            counts = json.loads(path.read_text())
            p, f = counts["passed"], counts["failed"]
        print(f"  {name}: {p} passed, {f} failed")
        passed += p
        failed += f
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
