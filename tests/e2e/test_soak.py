"""A shortened long day (bench/soak.py): a hundred actions on all twelve controls in one palette
session, with cancels and refused host calls. After every action the host holds no object of
the palette's, and the palette ends with the windows it started with. Its resident memory is
reported, not judged: the 1,000-action run of the benchmark is what measures it."""

import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "bench"))

import soak  # noqa: E402
from lib import session  # noqa: E402


class SoakTest(unittest.TestCase):
    def test_a_hundred_actions_leave_no_window_and_no_host_object_behind(self):
        day = soak.Day(session.work_dir("soak-100"), 100).start()
        self.addCleanup(day.stop)
        samples = day.run(report=lambda line: print(f"\n  {line}", end="", flush=True))
        _, lines = soak.summary(samples)
        print("".join(f"\n  {line}" for line in lines), flush=True)
        self.assertEqual(samples[-1]["windows"], samples[0]["windows"])
        self.assertEqual([s["live"] for s in samples], [0] * len(samples))


if __name__ == "__main__":
    unittest.main()
