#!/usr/bin/env python3
"""How long a click on SW keeps the palette busy: against a host that has just died (killed
while the palette waited on it, its window gone a moment before) and against no host at all.
Each click is a press and a release sent to the palette's window at the button's centre with
SendMessage, which returns when the palette's click handler has (tests/e2e/tools/wintool.cpp).
(Against a live host this does not measure the action: COM refuses calls out of a message sent
by another program.)

With --baseline, an earlier orbelle.exe takes clicks with no host too, this build's palette and
it taking turns by tens, so that both meet the same machine.

    python3 bench/clicktime.py [--rounds 10] [--clicks 50] [--build build/windows]
                               [--baseline OLD/orbelle.exe]"""

import argparse
import os
import shutil
import statistics
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from lib import session  # noqa: E402
from lib.palette import Palette  # noqa: E402
from lib.standin import start_host  # noqa: E402


def describe(name, values):
    values = sorted(values)
    p90 = values[min(len(values) - 1, int(0.9 * len(values)))]
    return (f"{name:34s} median {statistics.median(values):7.2f} ms, 90th percentile "
            f"{p90:7.2f} ms, max {values[-1]:7.2f} ms ({len(values)} clicks)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--clicks", type=int, default=50)
    parser.add_argument("--build", default=str(ROOT / "build" / "windows"))
    parser.add_argument("--baseline", type=Path, help="an earlier orbelle.exe to compare with")
    args = parser.parse_args()
    if args.rounds < 1 or args.clicks < 1:
        parser.error("--rounds and --clicks must be at least 1")
    if args.baseline is not None and not args.baseline.is_file():
        parser.error(f"--baseline {args.baseline}: no such file")
    os.environ["ORBELLE_BUILD"] = str(Path(args.build).resolve())
    work = session.work_dir("clicktime")
    desk = session.desktop()
    palette = Palette(work, desk).start()
    just_died, freed = [], []
    try:
        for round_number in range(args.rounds):
            folder = work / f"host-{round_number}"
            folder.mkdir()
            host = start_host(desk, folder, script="revoke\n")
            before = host.log.last_seq()
            # A click on the picture R whose action waits for the selection (the host revokes
            # its class meanwhile): sent like the others, by a program that waits for it.
            waiting = desk.start(session.exe("wintool.exe"),
                                 palette.sent_click_args("picture R"))
            host.log.wait_for("script", 60, after=before, event="revoked")
            host.process.popen.kill()
            host.process.popen.wait(60)
            killed = time.perf_counter()
            waiting.wait(60)  # the picture action ended with the host
            freed.append(1000 * (time.perf_counter() - killed))
            just_died += palette.time_sent_clicks("SW", 1)
        none = palette.time_sent_clicks("SW", args.clicks)
    finally:
        palette.stop()
    if args.baseline is not None:
        baseline_none, this_none = compare_without_host(work, desk, args)
    print(describe("a host that has just died", just_died))
    print(describe("no host", none))
    print(describe("the waiting picture action ended", freed).replace("clicks", "deaths")
          + ", timed from the kill (the click program's own exit included)")
    if args.baseline is not None:
        print(describe("no host, this build (turns)", this_none))
        print(describe(f"no host, {args.baseline.name} (turns)", baseline_none))
    return 0


def compare_without_host(work, desk, args):
    """No host: this build's palette and the baseline, ten clicks at a time each, in turns; each
    turn starts its palette afresh (both have the same title, and clicks find it by its title)."""
    exes = {"this": session.exe("orbelle.exe"), "baseline": args.baseline}
    clicks = {"this": [], "baseline": []}
    for turn in range(0, args.clicks, 10):
        for name, exe in exes.items():
            folder = work / f"{name}-{turn}"
            folder.mkdir()
            palette = Palette(folder, desk, exe=shutil.copy2(exe, folder / "orbelle.exe")).start()
            try:
                clicks[name] += palette.time_sent_clicks("SW", min(10, args.clicks - turn))
            finally:
                palette.stop()
    return clicks["baseline"], clicks["this"]

if __name__ == "__main__":
    sys.exit(main())
