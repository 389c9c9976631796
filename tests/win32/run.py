"""Runs the Windows layer's unit tests (orbelle_win32_tests.exe) under Wine, on a virtual display
of their own (a test of a window needs one), and leaves GoogleTest's JUnit results where the test
command counts them. Extra arguments go to the test program (--gtest_filter=...)."""

import argparse
import os
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from lib.winedesk import DesktopError, WineDesktop  # noqa: E402

PROGRAM = "orbelle_win32_tests.exe"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", default="build/windows", help="the Windows build folder")
    parser.add_argument("--results", help="where to write the JUnit XML")
    parser.add_argument("--timeout", type=float, default=600, help="seconds the program may take")
    args, extra = parser.parse_known_args()

    exe = Path(args.build).resolve() / "tests" / "win32" / PROGRAM
    if not exe.exists():
        print(f"orbelle: {exe} is not built: build the windows preset (the googletest package "
              "provides the sources it needs)", file=sys.stderr)
        return 1
    prefix = os.environ.get("ORBELLE_WINEPREFIX", ROOT / "build" / "wine")
    try:
        with WineDesktop(prefix) as desk:
            options = ["--gtest_brief=1", *extra]
            if args.results:
                results = Path(args.results).resolve()
                results.unlink(missing_ok=True)
                options.append("--gtest_output=xml:" + desk.windows_path(results))
            result = desk.run(exe, options, timeout=args.timeout)
    except DesktopError as error:
        print(f"orbelle: {error}", file=sys.stderr)
        return 1
    sys.stdout.write(result.stdout)
    if result.returncode != 0:
        sys.stdout.write(result.stderr)
    print(f"Windows unit tests: exit code {result.returncode}")
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())
