#!/usr/bin/env python3
"""Start-up time under Wine: from starting a program to its window being shown, for the palette
and for a bare Win32 window program, in the same run, on one virtual display.

    python3 bench/startup.py [--runs 15] [--build build/windows]

Prints the median and the spread of each, and the palette's size and the DLLs it imports."""

import argparse
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from lib.winedesk import WineDesktop  # noqa: E402


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
    process.popen.kill()  # no COM here: nothing to shut down gracefully
    process.popen.wait()
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
    args = parser.parse_args()
    build = Path(args.build)
    programs = [("palette", next(build.rglob("orbelle.exe")), "Orbelle '25.01.07A"),
                ("bare window", next(build.rglob("barewindow.exe")), "Bare window")]

    palette_exe = programs[0][1]
    print(f"orbelle.exe: {palette_exe.stat().st_size:,} bytes; imports "
          + ", ".join(imported_dlls(palette_exe)))
    with WineDesktop(ROOT / "build" / "wine-bench") as desk:
        samples = {name: [] for name, _, _ in programs}
        for name, exe, title in programs:  # warm-up: first start loads the DLLs from disk
            time_to_window(desk, exe, title)
        for _ in range(args.runs):  # interleaved, so that both see the same machine
            for name, exe, title in programs:
                samples[name].append(time_to_window(desk, exe, title))
    for name, values in samples.items():
        ms = sorted(v * 1000 for v in values)
        print(f"{name:12s} start to window: median {statistics.median(ms):6.1f} ms, "
              f"min {ms[0]:6.1f}, max {ms[-1]:6.1f} ({len(ms)} runs)")


if __name__ == "__main__":
    main()
