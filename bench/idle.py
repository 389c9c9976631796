#!/usr/bin/env python3
"""What an untouched palette costs: CPU time and wake-ups over 60 idle seconds under Wine, for
the palette and for a bare Win32 window program, side by side on one virtual display.

    python3 bench/idle.py [--seconds 60] [--build build/windows] [--baseline OTHER.exe]

Both programs are started, left until they have shown and painted their windows, and then not
touched (the pointer rests in a corner of the screen). Over the idle seconds it reports, per
program:
  - GetProcessTimes (user + kernel), as Windows reports it; under Wine 8 the figure for another
    process moves both ways between calls whatever that process does, so read the next two;
  - the CPU time Linux counted for the program's threads, to the nanosecond
    (/proc/PID/task/*/schedstat), and for the whole process, threads that ended included, in
    clock ticks (/proc/PID/stat);
  - wake-ups: the context switches of those threads (voluntary + involuntary).
--baseline adds another palette executable (an older build, say) to the same run."""

import argparse
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from linuxprocess import process_cpu_ms, thread_counters  # noqa: E402
from lib.winedesk import WineDesktop, wait_until  # noqa: E402

PALETTE_TITLE = "Orbelle '25.01.07A"
BARE_TITLE = "Bare window"


def windows_cpu_ms(desk, wintool, title):
    result = desk.run(wintool, ["cputime", title])
    if result.returncode != 0:
        raise RuntimeError(f"wintool cputime {title!r}: {result.stderr.strip()}")
    user, kernel = map(float, result.stdout.split())
    return user + kernel


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--build", default=str(ROOT / "build" / "windows"))
    parser.add_argument("--baseline", help="another orbelle.exe to measure in the same run")
    args = parser.parse_args()
    build = Path(args.build)
    found = {name: sorted(build.rglob(name)) for name in ("orbelle.exe", "barewindow.exe",
                                                          "wintool.exe")}
    missing = [name for name, paths in found.items() if not paths]
    if missing:
        sys.exit(f"idle.py: {', '.join(missing)} not built in {build}: "
                 "run cmake --build build/windows first")
    if args.seconds <= 0:
        sys.exit("idle.py: --seconds must be positive")
    wintool = found["wintool.exe"][0]
    programs = [("palette", found["orbelle.exe"][0], PALETTE_TITLE),
                ("bare window", found["barewindow.exe"][0], BARE_TITLE)]
    if args.baseline:
        baseline = Path(args.baseline).resolve()
        if not baseline.is_file():
            sys.exit(f"idle.py: the baseline {baseline} does not exist")
        programs.append(("baseline", baseline, PALETTE_TITLE))

    with WineDesktop(ROOT / "build" / "wine-bench") as desk:
        # Two palettes share a title: measure the baseline on its own desktop pass after the rest.
        passes = [programs[:2]] + ([programs[2:]] if args.baseline else [])
        for group in passes:
            started = []
            for name, exe, title in group:
                process = desk.start(exe)
                window = desk.wait_window(title, 60)
                desk.wait_painted(window)
                started.append((name, process, title))
            # The pointer away from every window.
            subprocess.run(["xdotool", "mousemove", "0", "0"], env=desk.env, check=True)
            time.sleep(1)  # let what the start-up posted settle
            before = {name: (windows_cpu_ms(desk, wintool, title),
                             thread_counters(process.popen.pid),
                             process_cpu_ms(process.popen.pid))
                      for name, process, title in started}
            time.sleep(args.seconds)
            for name, process, title in started:
                windows_before, (cpu_before, switches_before), ticks_before = before[name]
                windows_after = windows_cpu_ms(desk, wintool, title)
                cpu_after, switches_after = thread_counters(process.popen.pid)
                ticks_after = process_cpu_ms(process.popen.pid)
                print(f"{name:12s} over {args.seconds:g} idle s: GetProcessTimes "
                      f"{windows_after - windows_before:6.1f} ms; Linux CPU "
                      f"{(cpu_after - cpu_before) / 1e6:7.3f} ms (whole process "
                      f"{ticks_after - ticks_before:g} ms); wake-ups "
                      f"{switches_after - switches_before}")
            for name, process, title in started:
                process.popen.kill()
                process.popen.wait()
                wait_until(lambda t=title: not desk.find_windows(t), 30, f"{name} to close")


if __name__ == "__main__":
    main()
