"""What the palette writes for a debugger: one line for each action that a failure ended, read
from Wine's debug channel, and nothing for an action that ran to its end."""

import unittest

from lib.scenario import Scenario
from lib.winedesk import wait_until

LINE = {"handle": "2A", "type": "AcDbLine", "points": [[0, 0, 0], [10, 5, 0]]}
CANCELLED = "failed: 0x80004004 (Cancelled by the user (Escape))"


class DebugOutputTest(unittest.TestCase):
    def wait_lines(self, palette, count):
        return wait_until(lambda: (lambda lines: lines if len(lines) >= count else None)(
            palette.debug_lines()), 60, f"{count} debug lines from the palette")

    def test_each_kind_of_action_writes_one_line_when_a_failure_ends_it(self):
        scene = Scenario(self, "debug-output")
        # The block's base point, the text's pick and the rotation's first axis point are each
        # cancelled with Escape, which the host reports as a failure of the ask.
        script = ("select 2A\n"
                  "escape\n"
                  "escape\n"
                  "select 2A\n"
                  "escape\n")
        scene.start([LINE], script, debug_output=True)
        palette = scene.palette

        scene.click("TOP")  # runs to its end: writes nothing
        scene.click("picture R")
        self.wait_lines(palette, 1)
        scene.click("TEXT R")
        self.wait_lines(palette, 2)
        scene.click("ROTATE3D")
        self.wait_lines(palette, 3)
        # No host at all: the view action says what it looked for.
        scene.host.stop()
        palette.click("SW")
        lines = self.wait_lines(palette, 4)

        self.assertEqual(lines, [
            f"Orbelle: isometric block: GetPoint {CANCELLED}",
            f"Orbelle: isometric text: GetEntity {CANCELLED}",
            f"Orbelle: 3-D rotation: GetPoint {CANCELLED}",
            'Orbelle: view preset: no window titled "nanoCAD 5"',
        ])


if __name__ == "__main__":
    unittest.main()
