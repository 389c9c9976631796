"""The palette's round trips to the host through the real marshaler: each host object asks for a
member's DISPID once, of itself, while every call the actions make still reaches the host. One
round of bench/actions.py, read as the benchmark reads it (no time is checked here)."""

import sys
import unittest
from collections import Counter
from pathlib import Path

from lib.scenario import Scenario

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "bench"))

import actions as bench  # noqa: E402

# How often each action reads the host's window handle: before every use, none kept.
HANDLE_READS = {"picture R": 5, "TEXT R": 3, "ROTATE3D": 2, "SW": 2}


class RoundTripsTest(unittest.TestCase):
    def test_each_object_looks_each_member_up_once_and_every_call_still_goes_out(self):
        scene = Scenario(self, "round-trips")
        scene.start(bench.drawing(1)["entities"],
                    script=bench.script([action.control for action in bench.ACTIONS]))
        for action in bench.ACTIONS:
            with self.subTest(action=action.name):
                lines = scene.click(action.control).lines
                figures = bench.measure(lines, action)  # raises unless the action ran through
                lookups = Counter((line["id"], line["name"]) for line in lines
                                  if line["kind"] == "lookup")
                self.assertEqual([key for key, count in lookups.items() if count > 1], [],
                                 "a member looked up twice on one object")
                # Each call's DISPID came from the object called, looked up before the call.
                asked = set()
                for line in lines:
                    if line["kind"] == "lookup":
                        asked.add((line["id"], line["name"].lower()))
                    elif line["kind"] == "call":
                        self.assertIn((line["id"], line["member"].lower()), asked, line)
                calls = [line for line in lines if line["kind"] == "call"]
                self.assertEqual(sum(1 for line in calls if line["member"] == "HWND"),
                                 HANDLE_READS[action.control])
                self.assertEqual(figures["round_trips"], sum(lookups.values()) + len(calls))
                # Every action reads the window handle at least twice of one object.
                self.assertLess(figures["lookups"], figures["calls"], "no lookup was saved")


if __name__ == "__main__":
    unittest.main()
