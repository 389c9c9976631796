"""Runs the end-to-end tests (tests/e2e/test_*.py) and writes their counts as JSON."""

import argparse
import json
import os
import sys
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", default="build/windows", help="the Windows build folder")
    parser.add_argument("--results", help="where to write {passed, failed} as JSON")
    parser.add_argument("-k", dest="patterns", action="append",
                        help="only tests whose name contains this text (repeatable)")
    args = parser.parse_args()

    os.environ["ORBELLE_BUILD"] = str(Path(args.build).resolve())
    sys.path.insert(0, str(HERE))
    loader = unittest.TestLoader()
    if args.patterns:
        loader.testNamePatterns = [f"*{pattern}*" for pattern in args.patterns]
    suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)

    # A test with failing subtests is listed once per subtest: count tests, not entries.
    failed_tests = {getattr(test, "test_case", test).id()
                    for test, _ in result.failures + result.errors}
    failed = len(failed_tests) + len(result.unexpectedSuccesses)
    passed = result.testsRun - failed - len(result.skipped)
    if args.results:
        Path(args.results).write_text(json.dumps({"passed": passed, "failed": failed}))
    print(f"end-to-end: {passed} passed, {failed} failed, {len(result.skipped)} skipped")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
