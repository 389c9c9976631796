#!/usr/bin/env python3
"""A long day at the palette: many actions in one palette session under Wine, against the
stand-in host, with real clicks on all twelve controls; scripted answers, cancels and failing
host calls mixed in. After every action the host must hold no object of the palette's; every
100 actions the palette's resident memory (its Wine process's VmRSS), its windows and the
host's live objects are sampled.

    python3 bench/soak.py [--actions 1000] [--build build/windows]

Prints one line a sample and a summary against the goals: windows +0 and live objects 0 after
every action, resident memory within +1 MiB from the 100th action to the last. Exits 1 when an
action does not end as its script says, or a goal about windows or objects is missed."""

import argparse
import json
import os
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))

from lib import session  # noqa: E402
from lib.palette import TITLE, Palette  # noqa: E402
from lib.scenario import script_text  # noqa: E402
from lib.standin import start_host, windows_path  # noqa: E402
from lib.winedesk import wait_until  # noqa: E402

ACTION_TIMEOUT = 60
SAMPLE_EVERY = 100
MIB = 1024 * 1024

# The drawing: lines to make blocks of (each used once), lines to turn, a flat text (copied by
# every TEXT click on it), an isometric one (turned in place), and a multi-line text (refused).
BLOCK_LINES = 400
TURN_LINES = 8
FLAT_TEXT, ISO_TEXT, MTEXT = "F0", "F1", "F2"


def drawing():
    entities = []
    for i in range(BLOCK_LINES):
        x, y = 20.0 * (i % 20), 20.0 * (i // 20)
        entities.append({"handle": f"{0x100 + i:X}", "type": "AcDbLine",
                         "points": [[x, y, 0], [x + 10, y + 5, 0]]})
    for i in range(TURN_LINES):
        entities.append({"handle": f"{0x800 + i:X}", "type": "AcDbLine",
                         "points": [[-50.0 - 10 * i, 0, 0], [-50.0 - 10 * i, 30, 0]]})
    entities += [
        {"handle": FLAT_TEXT, "type": "AcDbText", "text": "寸法", "insertionPoint": [0, -40, 0],
         "height": 10},
        {"handle": ISO_TEXT, "type": "AcDbText", "text": "ISO", "insertionPoint": [60, -40, 0],
         "height": 10, "rotation": 0.5235987901687622, "obliqueAngle": 0.5235987901687622},
        {"handle": MTEXT, "type": "AcDbMText", "text": "note", "insertionPoint": [120, -40, 0],
         "height": 10},
    ]
    return {"format": "orbelle-standin-drawing", "version": 1, "entities": entities}


@dataclass
class Action:
    control: str
    kind: str      # what happens, for the report
    steps: list = field(default_factory=list)  # the user's answers in the host's script
    sends: int = 0  # the command strings the palette sends
    lines: list = field(default_factory=list)  # the script's line of each step


class Plan:
    """The actions of the day, in order, and the script that answers them."""

    def __init__(self, count):
        self.actions = []
        self.next_line = 0
        for index in range(count):
            self.actions.append(self.action(index))

    def block_line(self):
        handle = f"{0x100 + self.next_line % BLOCK_LINES:X}"
        self.next_line += 1
        return handle

    def action(self, index):
        cycle, slot = divmod(index, 16)
        pictures = ("picture R", "picture TR", "picture TL", "picture L")
        turn = f"{0x800 + cycle % TURN_LINES:X}"
        x = 300 + 10 * (cycle % 30)
        if slot in (0, 6, 12):  # a picture: a block placed, or the base point or selection cancelled
            picture = pictures[(3 * cycle + slot // 6) % 4]
            variant = (cycle + slot // 6) % 3
            if variant == 0:
                return Action(picture, "block placed",
                              [f"select {self.block_line()}", f"point {x},300",
                               f"point {x + 5},320"], 6)
            if variant == 1:
                return Action(picture, "block: base point cancelled",
                              [f"select {self.block_line()}", "escape"], 2)
            return Action(picture, "block: selection cancelled", ["escape", "escape"], 2)
        if slot in (1, 5, 9, 13):  # the four TEXT buttons, each with its own outcome in turn
            button = ("TEXT L", "TEXT TL", "TEXT TR", "TEXT R")[slot // 4]
            variant = (cycle + slot // 4) % 5
            if variant == 0:
                return Action(button, "text copied", [f"pick {FLAT_TEXT}", f"point {x},-80"], 1)
            if variant == 1:
                return Action(button, "text turned in place", [f"pick {ISO_TEXT}"])
            if variant == 2:
                return Action(button, "multi-line text refused", [f"pick {MTEXT}"])
            if variant == 3:
                return Action(button, "nothing picked", ["pick none"])
            return Action(button, "pick cancelled", ["escape"])
        if slot in (3, 11):  # ROTATE3D
            variant = (cycle + slot) % 4
            points = ["point 0,0,0", "point 0,0,10"]
            if variant == 0:
                return Action("ROTATE3D", "turned", [f"select {turn}", *points, "number 15"], 1)
            if variant == 1:
                return Action("ROTATE3D", "angle cancelled", [f"select {turn}", *points,
                                                              "escape"], 1)
            if variant == 2:  # the host refuses an axis of two equal points
                return Action("ROTATE3D", "turn refused", [f"select {turn}", "point 1,1,0",
                                                           "point 1,1,0", "number 10"], 1)
            return Action("ROTATE3D", "nothing selected", ["select"], 1)
        view = ("SW", "SE", "TOP")[(slot + cycle) % 3]
        return Action(view, "view", [], 2)

    def script(self):
        lines = []
        for action in self.actions:
            action.lines.clear()
            for step in action.steps:
                lines.append(step)
                action.lines.append(len(lines))
        return "\n".join(lines) + "\n"


class Log:
    """The host's log read as it grows, without reading it again from the start."""

    def __init__(self, path):
        self.path = Path(path)
        self.lines = []
        self.offset = 0
        self.rest = b""

    def update(self):
        if not self.path.exists():
            return
        with open(self.path, "rb") as file:
            file.seek(self.offset)
            data = file.read()
        self.offset += len(data)
        data = self.rest + data
        cut = data.rfind(b"\n") + 1
        self.rest = data[cut:]
        for raw in data[:cut].splitlines():
            if raw.strip():
                self.lines.append(json.loads(raw))

    def last_seq(self):
        self.update()
        return self.lines[-1]["seq"] if self.lines else 0

    def wait_for(self, what, after, predicate, timeout=ACTION_TIMEOUT):
        def found():
            self.update()
            for line in reversed(self.lines):
                if line["seq"] <= after:
                    return None
                if predicate(line):
                    return line
            return None
        return wait_until(found, timeout, what, interval=0.02)


def resident_bytes(pid):
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmRSS:"):
            return int(line.split()[1]) * 1024
    raise RuntimeError(f"no VmRSS for process {pid}")


def windows_of_palette():
    top, children, message_only = map(int, session.wintool("windows", TITLE).split())
    return top + children + message_only


class SoakError(AssertionError):
    pass


class Day:
    """One palette beside one host, running the plan's actions one after the other."""

    def __init__(self, work, count):
        self.work = Path(work)
        self.plan = Plan(count)
        self.samples = []

    def start(self):
        desk = session.desktop()
        (self.work / "drawing.json").write_text(json.dumps(drawing(), ensure_ascii=False),
                                                encoding="utf-8")
        self.host = start_host(desk, self.work, drawing=self.work / "drawing.json",
                               script=self.plan.script())
        self.log = Log(self.host.log.path)
        self.palette = Palette(self.work, desk).start()
        desk.wait_painted(self.palette.window)
        return self

    def stop(self):
        for program in (getattr(self, "palette", None), getattr(self, "host", None)):
            if program is not None:
                program.stop()

    def sample(self, done):
        self.log.update()
        sample = {"actions": done, "rss": resident_bytes(self.palette.process.popen.pid),
                  "windows": windows_of_palette(),
                  "live": self.log.lines[-1]["live"] if self.log.lines else 0,
                  "time": time.monotonic()}
        self.samples.append(sample)
        return sample

    def run_action(self, number, action):
        before = self.log.last_seq()
        self.palette.click(action.control)
        what = f"action {number} ({action.control}: {action.kind})"
        try:
            released = self.log.wait_for(
                f"{what}: every object of the palette released", before,
                lambda line: line["kind"] == "released" and line["live"] == 0)
            for line_number in action.lines:  # the script's answers all used
                self.log.wait_for(f"{what}: the script's line {line_number} used", before,
                                  lambda line, n=line_number: line.get("line") == n
                                  and line["kind"] in ("answer", "script"))
        except TimeoutError as error:
            tail = "\n".join(json.dumps(line, ensure_ascii=False) for line in self.log.lines[-15:])
            raise SoakError(f"{error}\nthe host's last log lines:\n{tail}") from None
        lines = [line for line in self.log.lines if before < line["seq"] <= released["seq"]]
        sent = [line for line in lines if line["kind"] == "call"
                and line["member"] == "SendCommand"]
        errors = [line for line in lines if line["kind"] == "script"
                  and line.get("event") == "error"]
        if errors or len(sent) != action.sends:
            raise SoakError(f"{what}: sent {[s['args'] for s in sent]} (expected "
                            f"{action.sends} strings); script errors {errors}")

    def run(self, report=print):
        self.sample(0)
        report(self.describe(self.samples[-1]))
        for number, action in enumerate(self.plan.actions, start=1):
            self.run_action(number, action)
            if number % SAMPLE_EVERY == 0 or number == len(self.plan.actions):
                report(self.describe(self.sample(number)))
        return self.samples

    def describe(self, sample):
        first = self.samples[0]
        return (f"after {sample['actions']:5d} actions: palette resident "
                f"{sample['rss'] / MIB:7.2f} MiB, windows {sample['windows']}, host objects "
                f"{sample['live']}, {sample['time'] - first['time']:6.1f} s")


def summary(samples):
    """The figures against the goals, and whether the windows and objects goals hold."""
    first = samples[0]
    at = {s["actions"]: s for s in samples}
    last = samples[-1]
    lines = [f"windows: {first['windows']} at the start, {last['windows']} after "
             f"{last['actions']} actions"]
    ok = last["windows"] == first["windows"] and all(s["live"] == 0 for s in samples)
    if 100 in at and last["actions"] > 100:
        growth = (last["rss"] - at[100]["rss"]) / MIB
        lines.append(f"resident memory: {at[100]['rss'] / MIB:.2f} MiB after 100 actions, "
                     f"{last['rss'] / MIB:.2f} MiB after {last['actions']} ({growth:+.2f} MiB; "
                     f"goal within +1 MiB)")
    lines.append("host objects alive after every action: 0 (checked at each release)")
    return ok, lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--actions", type=int, default=1000)
    parser.add_argument("--build", default=str(ROOT / "build" / "windows"))
    args = parser.parse_args()
    if args.actions < 1:
        parser.error("--actions must be at least 1")
    os.environ["ORBELLE_BUILD"] = str(Path(args.build).resolve())
    day = Day(session.work_dir("soak"), args.actions).start()
    try:
        samples = day.run()
    except SoakError as error:
        print(f"soak: {error}", file=sys.stderr)
        return 1
    finally:
        day.stop()
    ok, lines = summary(samples)
    for line in lines:
        print(line)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
