#!/usr/bin/env python3
"""Start-up time under Wine: from starting a program to its window being shown, for the palette
and for a bare Win32 window program, in the same run, on one virtual display.

    python3 bench/startup.py [--runs 15] [--build build/windows] [--baseline OTHER.exe]

Prints the median and the spread of each, the palette's median over the bare window's and the
median of each round's ratio, and the palette's size and the DLLs it imports. --baseline adds another palette executable (an older
build, say) to the same interleaved runs."""

import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from linuxprocess import thread_counters  # noqa: E402
from lib.winedesk import WineDesktop  # noqa: E402


def wait_until_quiet(pid, timeout=5.0):
    """Waits until a process has used no CPU for a tenth of a second: a program killed while it
    still works leaves the Wine server and the X server busy cleaning up after it, which the
    next start would pay for."""
    deadline = time.perf_counter() + timeout
    last = thread_counters(pid)[0]
    while time.perf_counter() < deadline:
        time.sleep(0.1)
        now = thread_counters(pid)[0]
        if now == last:
            return
        last = now


def time_to_window(desk, exe, title):
    start = time.perf_counter()
    process = desk.start(exe)
    while not desk.find_windows(title):
        if process.returncode is not None:
            raise RuntimeError(f"{exe.name} ended with {process.returncode} before its window")
        if time.perf_counter() - start > 60:
            raise RuntimeError(f"{exe.name} showed no window named {title!r} within 60 s")
        time.sleep(0.002)
    elapsed = time.perf_counter() - start
    wait_until_quiet(process.popen.pid)
    process.popen.kill()  # no COM here: nothing to shut down gracefully
    process.popen.wait()
    # The next start must not find this window still on the screen.
    while desk.find_windows(title):
        if time.perf_counter() - start > 120:
            raise RuntimeError(f"the window {title!r} of {exe.name} stayed after it was killed")
        time.sleep(0.01)
    return elapsed


def imported_dlls(exe):
    output = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(exe)], capture_output=True,
                            text=True, check=True).stdout
    return sorted({line.split(":", 1)[1].strip() for line in output.splitlines()
                   if "DLL Name:" in line}, key=str.lower)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15)
    parser.add_argument("--build", default=str(ROOT / "build" / "windows"))
    parser.add_argument("--baseline", help="another orbelle.exe to time in the same runs")
    args = parser.parse_args()
    build = Path(args.build)
    if args.runs < 1:
        sys.exit("startup.py: --runs must be at least 1")
    try:
        programs = [("palette", next(build.rglob("orbelle.exe")), "Orbelle '25.01.07A"),
                    ("bare window", next(build.rglob("barewindow.exe")), "Bare window")]
    except StopIteration:
        sys.exit(f"startup.py: orbelle.exe and barewindow.exe are not both built in {build}: "
                 "run cmake --build build/windows first")
    if args.baseline:
        baseline = Path(args.baseline).resolve()
        if not baseline.is_file():
            sys.exit(f"startup.py: the baseline {baseline} does not exist")
        programs.append(("baseline", baseline, "Orbelle '25.01.07A"))

    palette_exe = programs[0][1]
    print(f"orbelle.exe: {palette_exe.stat().st_size:,} bytes; imports "
          + ", ".join(imported_dlls(palette_exe)))
    with WineDesktop(ROOT / "build" / "wine-bench") as desk:
        samples = {name: [] for name, _, _ in programs}
        for name, exe, title in programs:  # warm-up: first start loads the DLLs from disk
            time_to_window(desk, exe, title)
        # Interleaved, so that all see the same machine, and each round begins with the next
        # program, so that none always follows the same one.
        for round_number in range(args.runs):
            turn = round_number % len(programs)
            for name, exe, title in programs[turn:] + programs[:turn]:
                samples[name].append(time_to_window(desk, exe, title))
    medians = {}
    for name, values in samples.items():
        ms = sorted(v * 1000 for v in values)
        medians[name] = statistics.median(ms)
        print(f"{name:12s} start to window: median {medians[name]:6.1f} ms, "
              f"min {ms[0]:6.1f}, max {ms[-1]:6.1f} ({len(ms)} runs)")
    for name in medians:
        if name != "bare window":
            # Each round's own ratio as well: the load of the machine drifts, a round's starts
            # share it.
            paired = statistics.median(p / b for p, b in zip(samples[name], samples["bare window"]))
            print(f"{name} / bare window: {medians[name] / medians['bare window']:.2f}x (medians), "
                  f"{paired:.2f}x (median of the rounds' ratios)")


if __name__ == "__main__":
    main()
