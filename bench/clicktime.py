#!/usr/bin/env python3
"""How long a click on SW keeps the palette busy: against a host that has just died (killed
while the palette waited on it, its window gone a moment before) and against no host at all.
Each click is a press and a release sent to the palette's window at the button's centre with
SendMessage, which returns when the palette's click handler has (tests/e2e/tools/wintool.cpp).
(Against a live host this does not measure the action: COM refuses calls out of a message sent
by another program.)

    python3 bench/clicktime.py [--rounds 10] [--clicks 50] [--build build/windows]"""

import argparse
import os
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
    args = parser.parse_args()
    if args.rounds < 1 or args.clicks < 1:
        parser.error("--rounds and --clicks must be at least 1")
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
    print(describe("a host that has just died", just_died))
    print(describe("no host", none))
    print(describe("the waiting picture action ended", freed).replace("clicks", "deaths")
          + ", timed from the kill (the click program's own exit included)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
