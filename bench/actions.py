#!/usr/bin/env python3
"""Host round trips and time of the palette's actions under Wine, read from the stand-in host's
log: for one picture (block) action, one TEXT, one ROTATE3D and one view action (SW).

    python3 bench/actions.py [--rounds 5] [--sessions 1] [--baseline OLD/orbelle.exe]

What is counted and timed, and how the pauses and the user's answers are left out:
bench/README.md. Prints a table of medians, and the spread of the time."""

import argparse
import json
import os
import shutil
import statistics
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

POLL_MS = 100  # each idle poll of the selection wait comes after this pause
RESTORE_MS = 500  # after restoring a minimised host


class Action:
    """An action measured: the palette control clicked; a test of the command strings it sent,
    so that a half-run action is never reported; and what its Escape presses cost in pauses, by
    how many reached the host (one press and two are told apart by their count)."""

    def __init__(self, name, control, complete, escape_pauses_ms):
        self.name = name
        self.control = control
        self.complete = complete
        self.escape_pauses_ms = escape_pauses_ms


ACTIONS = [
    # Escape once (5 ms after), and after the selection twice (200 ms, then 500 ms).
    Action("block (picture R)", "picture R",
           lambda sent: len(sent) == 6 and sent[0] == "^C^C" and sent[-1].startswith("move"),
           {0: 0, 1: 5, 2: 700, 3: 705}),
    # Escape once, 5 ms between press and release.
    Action("TEXT R", "TEXT R", lambda sent: len(sent) == 1 and sent[0].startswith("move"),
           {0: 0, 1: 5}),
    Action("ROTATE3D", "ROTATE3D", lambda sent: sent == ["^C^C"], {0: 0}),
    Action("view (SW)", "SW", lambda sent: sent == ["^C^C", "^C-VIEW SWISO ZOOM E\r"], {0: 0}),
]
ACTION_NAMED = {action.name: action for action in ACTIONS}

TEXT_HANDLE = "40"
CIRCLE_HANDLE = "50"


class BenchError(RuntimeError):
    """The run could not be measured: says what went wrong."""


def line_handle(index):
    return f"{0x100 + index:X}"


def drawing(blocks):
    """The bench's drawing: a line for each block action to take away, a text to copy and a
    circle to turn, all out of each other's way."""
    entities = [{"handle": line_handle(i), "type": "AcDbLine",
                 "points": [[0, 10 * i, 0], [50, 10 * i, 0]]} for i in range(blocks)]
    entities.append({"handle": TEXT_HANDLE, "type": "AcDbText", "text": "ISO",
                     "insertionPoint": [0, -30, 0], "height": 10})
    entities.append({"handle": CIRCLE_HANDLE, "type": "AcDbCircle", "center": [200, 50, 0],
                     "radius": 20})
    return {"format": "orbelle-standin-drawing", "version": 1, "entities": entities}


def script(controls):
    """The scripted user's answers to the actions of these controls, clicked in this order."""
    steps = []
    blocks = 0
    for control in controls:
        if control == "picture R":  # the selection, the base point, then MOVE's second point
            steps += [f"select {line_handle(blocks)}", "point 100,50", "point 150,80"]
            blocks += 1
        elif control == "TEXT R":  # the pick, then the copy's MOVE
            steps += [f"pick {TEXT_HANDLE}", "point 60,60"]
        elif control == "ROTATE3D":
            steps += [f"select {CIRCLE_HANDLE}", "point 0,0,0", "point 0,0,10", "number 30"]
    return "\n".join(steps) + "\n"


def measure(lines, action):
    """The figures of one action from its log lines (from the click to its last release)."""
    control = action.control
    errors = [line for line in lines if line["kind"] == "script" and line.get("event") == "error"]
    if errors:
        raise BenchError(f"{control}: the scripted user stopped: {errors[0].get('message')}")
    sent = [line["args"][0] for line in lines
            if line["kind"] == "call" and line["member"] == "SendCommand"]
    if not action.complete(sent):
        raise BenchError(f"{control}: the action did not run to its end; it sent {sent!r}")
    failed = [line for line in lines if line["kind"] == "fail"]
    if failed:
        raise BenchError(f"{control}: {failed[0]['member']} failed: {failed[0].get('message')}")

    host_calls = [line for line in lines if line["kind"] in ("create", "lookup", "call")]
    releases = [line for line in lines if line["kind"] == "released"]
    if not host_calls or not releases:
        raise BenchError(f"{control}: no host call or no release in the action's log lines")
    span_us = releases[-1]["us"] - host_calls[0]["us"]

    escapes = sum(1 for line in lines if line["kind"] == "key" and line.get("event") == "down")
    escape_ms = action.escape_pauses_ms.get(escapes)
    if escape_ms is None:
        raise BenchError(f"{control}: {escapes} Escape presses reached the host, which this "
                         "action never makes: its pauses cannot be told")
    polls = sum(1 for line in lines if line["kind"] == "call" and line["member"] == "IsQuiescent")
    restores = sum(1 for line in lines
                   if line["kind"] == "window" and line.get("event") == "restored")
    pauses_us = 1000 * (POLL_MS * polls + escape_ms + RESTORE_MS * restores)

    # An answer ends the latest request of its kind; requests the palette's own command strings
    # answered have no answer line and are dropped with it.
    user_us = 0
    waiting = []
    for line in lines:
        if line["kind"] == "waiting":
            waiting.append(line)
        elif line["kind"] == "answer":
            asked = [w for w in waiting if w["for"] == line["for"]]
            if asked:
                user_us += line["us"] - asked[-1]["us"]
            waiting.clear()

    lookups = [line for line in lines if line["kind"] == "lookup"]
    calls = [line for line in lines if line["kind"] == "call"]
    # What one lookup costs: from its line to the line of the call it served, the next line.
    lookup_gaps_ms = [(after["us"] - before["us"]) / 1000
                      for before, after in zip(lines, lines[1:])
                      if before["kind"] == "lookup" and after["kind"] == "call"
                      and after["id"] == before["id"]]
    return {
        "lookups": len(lookups),
        "calls": len(calls),
        "round_trips": len(lookups) + len(calls),
        "ms": (span_us - pauses_us - user_us) / 1000,
        "span_ms": span_us / 1000,
        "pauses_ms": pauses_us / 1000,
        "user_ms": user_us / 1000,
        "lookup_gaps_ms": lookup_gaps_ms,
        "lookup_names": sorted(f"{line['object']}#{line['id']}.{line['name']}"
                               for line in lookups),
    }


def start_palette(desk, folder, exe, left):
    """A palette at its own place on the screen (its settings file says where), found as the one
    new palette window."""
    from lib.palette import TITLE, Palette
    from lib.winedesk import wait_until

    folder.mkdir(parents=True, exist_ok=True)
    # A copy of its own, so that its settings file goes beside the copy.
    palette = Palette(folder, desk, exe=shutil.copy2(exe, folder / "orbelle.exe"))
    palette.settings.write_text(f"[Form]\nLeft={left}\nTop=480\n", encoding="ascii")
    known = set(desk.find_windows(TITLE))
    palette.process = desk.start(palette.exe)
    palette.window = wait_until(
        lambda: next((w for w in desk.find_windows(TITLE) if w not in known), None), 60,
        f"the palette {exe}")
    return palette


def run_session(desk, palettes, rounds, work):
    """One host beside every palette: a warm-up round, then `rounds` measured ones, each action
    clicked on every palette in turn, the palettes' order swapped from round to round. Returns,
    per palette and action, the measured figures in the order of the clicks."""
    from lib.standin import start_host

    clicks = []
    for round_index in range(rounds + 1):
        order = list(range(len(palettes)))
        if round_index % 2:
            order.reverse()
        clicks += [(round_index, action, index) for action in ACTIONS for index in order]
    work.mkdir(parents=True, exist_ok=True)
    drawing_path = work / "drawing.json"
    blocks = sum(1 for _, action, _ in clicks if action.control == "picture R")
    drawing_path.write_text(json.dumps(drawing(blocks)), encoding="utf-8")
    host = start_host(desk, work, drawing=drawing_path,
                      script=script([action.control for _, action, _ in clicks]))
    started = []
    try:
        for index, (label, exe) in enumerate(palettes):
            started.append(start_palette(desk, work / label.replace(" ", "-"), exe,
                                         60 + 320 * index))
        log = host.log
        results = {label: {action.name: [] for action in ACTIONS} for label, _ in palettes}
        for round_index, action, index in clicks:
            label = palettes[index][0]
            before = log.last_seq()
            started[index].click(action.control)
            try:
                end = log.wait_for("released", 60, after=before,
                                   predicate=lambda line: line["live"] == 0)
            except TimeoutError as error:
                raise BenchError(f"{label}: {action.name} did not end within 60 s (see "
                                 f"{log.path})") from error
            lines = [line for line in log.lines() if before < line["seq"] <= end["seq"]]
            figures = measure(lines, action)
            if round_index > 0:  # the first round loads what later ones find loaded
                results[label][action.name].append(figures)
        return results
    finally:
        for palette in started:
            palette.stop()
        host.stop()


def summary(samples):
    ms = sorted(sample["ms"] for sample in samples)
    first = samples[0]
    counts = {(s["lookups"], s["calls"]) for s in samples}
    if len(counts) != 1:
        raise BenchError(f"the round trips differed from round to round: {sorted(counts)}")
    return {"lookups": first["lookups"], "calls": first["calls"],
            "round_trips": first["round_trips"], "ms": statistics.median(ms), "min": ms[0],
            "max": ms[-1], "span_ms": statistics.median(s["span_ms"] for s in samples),
            "pauses_ms": first["pauses_ms"], "lookup_names": first["lookup_names"]}


def report(samples, palettes, args):
    """The table of each palette's figures, then each action's span and lookups."""
    figures = {label: {name: summary(s) for name, s in by_action.items()}
               for label, by_action in samples.items()}
    labels = [label for label, _ in palettes]
    for label, exe in palettes:
        print(f"{label}: {exe}")
    print(f"{args.rounds} rounds x {args.sessions} session(s), after one warm-up round each; "
          "ms: first host call to last release, less pauses and answers")
    paired = len(labels) == 2
    print("| action |" + "".join(f" {label}: round trips (lookups + calls) | {label}: ms "
                                 "(median, min-max) |" for label in labels)
          + (f" {labels[1]} - {labels[0]}, paired by round: ms (median) |" if paired else ""))
    print("|---|" + "---|---|" * len(labels) + ("---|" if paired else ""))
    for name in ACTION_NAMED:
        row = f"| {name} |"
        for label in labels:
            f = figures[label][name]
            row += (f" {f['round_trips']} ({f['lookups']} + {f['calls']}) |"
                    f" {f['ms']:.1f} ({f['min']:.1f}-{f['max']:.1f}) |")
        if paired:
            # The two palettes' clicks of one round ran one after the other, on one machine load.
            differences = [second["ms"] - first["ms"] for first, second in
                           zip(samples[labels[0]][name], samples[labels[1]][name])]
            row += f" {statistics.median(differences):+.1f} |"
        print(row)
    for label in labels:
        gaps = [gap for by_action in samples[label].values() for sample in by_action
                for gap in sample["lookup_gaps_ms"]]
        if gaps:
            print(f"  {label}: a lookup's round trip (its line to its call's line): median "
                  f"{statistics.median(gaps):.2f} ms over {len(gaps)}")
        for name in ACTION_NAMED:
            f = figures[label][name]
            print(f"  {label}, {name}: span {f['span_ms']:.1f} ms, of which pauses "
                  f"{f['pauses_ms']:.0f} ms")
            if args.lookups:
                print("    lookups: " + ", ".join(f["lookup_names"]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=5, help="measured rounds per session")
    parser.add_argument("--sessions", type=int, default=1,
                        help="sessions per palette (taking turns with the baseline)")
    parser.add_argument("--build", default=str(ROOT / "build" / "windows"))
    parser.add_argument("--baseline", help="another orbelle.exe to measure beside this build's")
    parser.add_argument("--lookups", action="store_true",
                        help="list each action's name lookups (object#id.name)")
    parser.add_argument("--prefix", default=str(ROOT / "build" / "wine-bench"),
                        help="the Wine prefix to run in")
    parser.add_argument("--keep", metavar="DIR",
                        help="keep each session's host log and files in DIR (by default they "
                             "go with a temporary folder)")
    args = parser.parse_args()
    if args.rounds < 1 or args.sessions < 1:
        parser.error("--rounds and --sessions must be at least 1")

    build = Path(args.build).resolve()
    os.environ["ORBELLE_BUILD"] = str(build)  # where the e2e library finds nanosim.exe
    palettes = []
    if args.baseline:
        baseline = Path(args.baseline).resolve()
        if not baseline.is_file():
            parser.error(f"no baseline palette at {baseline}")
        palettes.append(("before", baseline))
    current = build / "app" / "orbelle.exe"
    if not current.is_file():
        parser.error(f"{current} is not built: cmake --preset windows && cmake --build "
                     "--preset windows")
    palettes.append(("after" if args.baseline else "this build", current))

    from lib.winedesk import DesktopError, WineDesktop

    samples = {label: {name: [] for name in ACTION_NAMED} for label, _ in palettes}
    try:
        with WineDesktop(args.prefix) as desk, \
                tempfile.TemporaryDirectory(prefix="orbelle-bench-") as temp:
            folder = Path(args.keep).resolve() if args.keep else Path(temp)
            for session in range(args.sessions):
                work = folder / f"session-{session + 1}"
                if work.exists() and any(work.iterdir()):
                    raise BenchError(f"{work} is not empty: keep the files elsewhere")
                for label, by_action in run_session(desk, palettes, args.rounds, work).items():
                    for name, figures in by_action.items():
                        samples[label][name] += figures
        report(samples, palettes, args)
    except (BenchError, DesktopError, TimeoutError) as error:
        print(f"orbelle: bench: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
