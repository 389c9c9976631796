#!/usr/bin/env python3
"""How long a click on SW keeps the palette busy: against a host that has just died (killed
while the palette waited on it, its window gone a moment before), against no host at all, and,
for scale, against a live host. Each click is a press and a release sent to the button with
SendMessage, which returns when the palette's click handler has (tests/e2e/tools/wintool.cpp).

    python3 bench/clicktime.py [--rounds 10] [--clicks 50] [--build build/windows]"""

import argparse
import os
import statistics
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from lib import session  # noqa: E402
from lib.palette import TITLE, Palette  # noqa: E402
from lib.standin import start_host  # noqa: E402


def click_times(clicks):
    output = session.wintool("click", TITLE, "SpeedButton6", str(clicks))
    return [float(value) for value in output.split()]


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
    os.environ["ORBELLE_BUILD"] = str(Path(args.build).resolve())
    work = session.work_dir("clicktime")
    desk = session.desktop()
    palette = Palette(work, desk).start()
    # Aside, out of the way of the hosts' windows.
    width, height = desk.screen_size()
    desk.window_move(palette.window, width - 240, height - 120)
    just_died, live = [], []
    try:
        for round_number in range(args.rounds):
            folder = work / f"host-{round_number}"
            folder.mkdir()
            host = start_host(desk, folder, script="revoke\n")
            live += click_times(1)  # a whole view action against the live host
            before = host.log.last_seq()
            host.log.wait_for("released", 60, after=before, predicate=lambda l: l["live"] == 0)
            palette.click("picture R")  # the picture action waits; the host revokes its class
            host.log.wait_for("script", 60, after=before, event="revoked")
            host.process.popen.kill()
            host.process.popen.wait(60)
            just_died += click_times(1)
        none = click_times(args.clicks)
    finally:
        palette.stop()
    print(describe("a host that has just died", just_died))
    print(describe("no host", none))
    print(describe("a live host (the whole view action)", live))
    return 0


if __name__ == "__main__":
    sys.exit(main())
