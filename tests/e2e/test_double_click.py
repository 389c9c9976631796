"""Double-clicks with real pointer events: a double-click on a control is one action; two clicks
slower than the system's double-click time are two, and on a picture the second still runs
inside the first one's selection wait."""

import time
import unittest

from lib.scenario import TOP_VIEW, Scenario, script_text
from test_isometric_block import NAME, Case, block_strings

VIEW_SW = "^C-VIEW SWISO ZOOM E\r"
# Wine's double-click time is 500 ms: presses further apart than this are two clicks.
SLOWER_THAN_A_DOUBLE_CLICK = 0.8


def block_script(case):
    """The user's answers to one picture action: the case's objects, B, the move's second point."""
    move = script_text(f"move\rL\r\r{case.base_text}\r")
    return (f"select {case.square['handle']} {case.circle['handle']}\n"
            f"point {case.base_text}\n"
            f"wait-command {move}\n"
            f"point {case.second_text}\n")


class DoubleClickTest(unittest.TestCase):
    def double_click_then_top(self, scene, control):
        """Double-clicks `control`, waits for its action, then clicks TOP: input is handled in
        order, so once TOP's action has ended, whatever the second press started has too.
        Returns the command strings from the double-click on."""
        before = scene.host.log.last_seq()
        scene.palette.double_click(control)
        scene.finished(before)
        scene.click("TOP")
        return before, scene.host.log.commands(after=before)

    def test_double_click_on_a_picture_gives_one_selection_one_base_point_and_one_block(self):
        scene = Scenario(self, "double-click-picture")
        case = Case("R", 0)
        scene.start([case.square, case.circle, case.label], block_script(case))
        before, sent = self.double_click_then_top(scene, "picture R")

        found = NAME.search(sent[3]) if len(sent) > 3 else None
        self.assertIsNotNone(found, f"no block name in {sent}")
        self.assertEqual(sent, block_strings("R", found.group(1), case.base_text)
                         + ["^C^C", TOP_VIEW])
        log = scene.host.log
        self.assertEqual(len(log.find("waiting", before, source="SELECT")), 1)
        self.assertEqual(len(log.find("call", before, member="GetPoint")), 1)
        self.assertEqual(len(log.find("create", before)), 2, "the block action and TOP")

    def test_double_click_on_sw_gives_one_view_string(self):
        scene = Scenario(self, "double-click-sw")
        scene.start([], "")
        _, sent = self.double_click_then_top(scene, "SW")
        self.assertEqual(sent, ["^C^C", VIEW_SW, "^C^C", TOP_VIEW])

    def test_two_slow_clicks_on_a_picture_nest_the_second_action_in_the_first_ones_wait(self):
        scene = Scenario(self, "slow-clicks-picture")
        case = Case("R", 0)
        inner_base, outer_base = case.base_text, "500,80"
        select = script_text("SELECT\r")
        # Both selections are held until the second one has begun; the nested action's "^C^C"
        # cancelled the first. The nested action places its block; then the outer one, whose
        # wait resumes, asks for its own base point.
        outer_move = script_text(f"move\rL\r\r{outer_base}\r")
        script = (f"wait-command {select}\n"
                  f"wait-command {select}\n"
                  + block_script(case)
                  + f"point {outer_base}\n"
                  f"wait-command {outer_move}\n"
                  "point 600,80\n")
        scene.start([case.square, case.circle, case.label], script)
        log = scene.host.log
        first_click = time.monotonic()
        before = scene.press("picture R")
        log.wait_for("waiting", 60, after=before, source="SELECT")
        # Deliberately slow: the second press must not make a double-click of the first.
        time.sleep(max(0.0, first_click + SLOWER_THAN_A_DOUBLE_CLICK - time.monotonic()))
        scene.press("picture R")
        action = scene.finished(before)

        sent = action.sent()
        names = [m.group(1) for m in map(NAME.search, sent) if m]
        self.assertEqual(len(names), 2, f"two block definitions expected: {sent}")
        inner, outer = names
        self.assertEqual(sent, ["^C^C", "SELECT\r"] + block_strings("R", inner, inner_base)
                         + block_strings("R", outer, outer_base)[2:])
        self.assertEqual(len(action.calls("GetPoint")), 2, "a base point for each action")
        self.assertEqual(len(action.find("create")), 2, "the nested click attaches on its own")


if __name__ == "__main__":
    unittest.main()
