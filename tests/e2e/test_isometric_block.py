"""The four picture buttons end to end: real clicks on the palette, a scripted user in the
stand-in host, and the block references checked on the drawings the host saved."""

import math
import re
import unittest
from datetime import datetime

from lib.scenario import TOP_VIEW, Scenario, script_text
from lib.standin import block_references, entity

SELECT_PROMPT = "アイソメブロックにする図形を選択 : "
BASE_POINT_PROMPT = "ブロックの基点を指示 : "
X_SCALE, Y_SCALE = "1.22474487139159", "0.707106781186548"
C = math.cos(math.pi / 6)
VIEW_SW = "^C-VIEW SWISO ZOOM E\r"

# Plane: (first rotation, second rotation, block-name suffix, rows of M).
PLANES = {
    "R": ("45", "-60", "R", ((C, 0), (-0.5, 1))),
    "L": ("-45", "60", "L", ((C, 0), (0.5, 1))),
    "TL": ("45", "0", "R", ((C, -C), (0.5, 0.5))),
    "TR": ("-45", "0", "L", ((C, C), (-0.5, 0.5))),
}
# Left to right as on the palette. Clicked R, L, TL, TR: two planes with the same suffix are
# then two actions apart, so their names (to the second) cannot clash.
COLUMNS = ("R", "TR", "TL", "L")
CLICK_ORDER = ("R", "L", "TL", "TR")
NAME = re.compile(r"-NEWBLOCK\r(ISO-(\d{6}-\d{6})([RL]))\r")


def square(handle, x0, y0=0.0, side=100.0):
    return {"handle": handle, "type": "AcDbPolyline", "closed": True,
            "points": [[x0, y0, 0], [x0 + side, y0, 0], [x0 + side, y0 + side, 0],
                       [x0, y0 + side, 0]]}


def circle(handle, x, y, radius=30.0):
    return {"handle": handle, "type": "AcDbCircle", "center": [x, y, 0], "radius": radius}


def label(handle, text, x, y):
    return {"handle": handle, "type": "AcDbText", "text": text, "insertionPoint": [x, y, 0],
            "height": 14}


def block_strings(plane, name, base):
    first, second, _, _ = PLANES[plane]
    return ["^C^C", "SELECT\r", f"ROTATE\rP\r\r{base}\r{first}\r",
            f"-NEWBLOCK\r{name}\r{base}\rP\r\r",
            f"-INSERT\r{name}\r{base}\r{X_SCALE}\r{Y_SCALE}\r{second}\r",
            f"move\rL\r\r{base}\r"]


class Case:
    """One picture's run: its square and circle, the base point B and the second point."""

    def __init__(self, plane, column):
        x0 = 250.0 * column
        self.plane = plane
        self.square = square(f"{0x10 + 2 * column:X}", x0)
        self.circle = circle(f"{0x11 + 2 * column:X}", x0 + 50, 50)
        self.label = label(f"{0x20 + column:X}", plane, x0 + 40, -60)
        self.base_text = f"{x0 + 25:g},12.5"
        self.base = (x0 + 25, 12.5)
        # The second point brings the square's centre back over its label (to a tenth).
        centre = self.mapped(self.circle["center"])
        second = [round(b + t - c, 1) for b, t, c in zip(self.base, (x0 + 50, 50), centre)]
        self.second_text = ",".join(f"{v:g}" for v in second)
        self.second = tuple(float(v) for v in self.second_text.split(","))

    def script(self, scene):
        handles = f"{self.square['handle']} {self.circle['handle']}"
        move = script_text(f"move\rL\r\r{self.base_text}\r")
        return (f"select {handles}\n"
                f"point {self.base_text}\n"
                f"wait-command {move}\n"
                f"save-json {scene.path(self.plane + '-waiting.json')}\n"
                f"point {self.second_text}\n"
                f"save-json {scene.path(self.plane + '-placed.json')}\n")

    def mapped(self, point, offset=(0.0, 0.0)):
        """B + M.(p - B), moved by `offset`."""
        (a, b), (c, d) = PLANES[self.plane][3]
        dx, dy = point[0] - self.base[0], point[1] - self.base[1]
        return (self.base[0] + a * dx + b * dy + offset[0],
                self.base[1] + c * dx + d * dy + offset[1])


class IsometricBlockTest(unittest.TestCase):
    def assert_point(self, got, want, what):
        self.assertEqual(len(got), 3, f"{what}: {got}")
        for axis, (g, w) in enumerate(zip(got, (*want, 0.0))):
            self.assertAlmostEqual(g, w, delta=1e-9,
                                   msg=f"{what}: axis {axis} is {got}, expected {want}")

    def assert_reference(self, drawing, case, name, offset=(0.0, 0.0)):
        """The one reference of block `name` maps the case's square and circle by M about B,
        then moved by `offset`; the source objects left model space."""
        self.assertIsNone(entity(drawing, case.square["handle"]), "the square went into the block")
        self.assertIsNone(entity(drawing, case.circle["handle"]), "the circle went into the block")
        found = [r for r in block_references(drawing) if r["block"] == name]
        self.assertEqual(len(found), 1, f"one reference of {name}: {block_references(drawing)}")
        reference = found[0]
        insertion = (case.base[0] + offset[0], case.base[1] + offset[1])
        self.assert_point(reference["insertionPoint"], insertion, "the insertion point")
        parts = {part["handle"]: part for part in reference["world"]}
        self.assertEqual(set(parts), {case.square["handle"], case.circle["handle"]})
        corners = parts[case.square["handle"]]["points"]
        self.assertEqual(len(corners), 4)
        for index, (corner, source) in enumerate(zip(corners, case.square["points"])):
            self.assert_point(corner, case.mapped(source, offset), f"corner {index}")
        self.assert_point(parts[case.circle["handle"]]["center"],
                          case.mapped(case.circle["center"], offset), "the circle's centre")
        return reference

    def run_picture(self, scene, case):
        """Clicks the case's picture; checks the strings, the name's clock, the drawing while
        the move waits and after the second point. Returns the block name."""
        log = scene.host.log
        clock_before = datetime.now().replace(microsecond=0)
        before = scene.press(f"picture {case.plane}")
        # The palette reads the clock after "^C^C" and before "SELECT\r".
        log.wait_for("command", 60, after=before, event="received", text="SELECT\r")
        clock_after = datetime.now()
        action = scene.finished(before)

        sent = action.sent()
        self.assertEqual(len(sent), 6, f"six command strings expected, the host received {sent}")
        found = NAME.search(sent[3])
        self.assertIsNotNone(found, f"no block name in {sent[3]!r}")
        name, stamp, suffix = found.groups()
        self.assertEqual(sent, block_strings(case.plane, name, case.base_text))
        self.assertEqual(suffix, PLANES[case.plane][2], "the suffix follows the first rotation")
        clock = datetime.strptime(stamp, "%y%m%d-%H%M%S")
        self.assertTrue(clock_before <= clock <= clock_after,
                        f"the name's time {clock} is not between {clock_before} and "
                        f"{clock_after}, the clock read around the click")

        self.assertEqual(action.calls("Prompt")[0]["args"], [SELECT_PROMPT])
        self.assertEqual(action.calls("GetPoint")[0]["args"],
                         [{"missing": True}, BASE_POINT_PROMPT])
        # The move string leaves the host's move command asking for the second point from B.
        waiting = [line for line in action.find("waiting", source="MOVE")
                   if line["for"] == "point" and "basePoint" in line]
        self.assertEqual(len(waiting), 1, "MOVE should wait for its second point once")
        self.assert_point(waiting[0]["basePoint"], case.base, "the move's base point")

        waiting_drawing = scene.saved(f"{case.plane}-waiting.json")
        reference = self.assert_reference(waiting_drawing, case, name)
        self.assertEqual(waiting_drawing["lastObject"], reference["handle"])
        placed = scene.saved(f"{case.plane}-placed.json")
        offset = (case.second[0] - case.base[0], case.second[1] - case.base[1])
        self.assert_reference(placed, case, name, offset)
        return name

    def test_each_picture_turns_a_square_and_a_circle_into_a_block_on_its_plane(self):
        scene = Scenario(self, "block-four-planes")
        cases = {plane: Case(plane, column) for column, plane in enumerate(COLUMNS)}
        entities = [e for case in cases.values() for e in (case.square, case.circle, case.label)]
        script = "".join(cases[plane].script(scene) for plane in CLICK_ORDER)
        # The README's picture: the four planes side by side, zoomed by the TOP button.
        script += (f"wait-command {script_text(TOP_VIEW)}\n"
                   f"save-png {scene.path('isometric-planes.png')}\n")
        scene.start(entities, script)

        names = []
        for plane in CLICK_ORDER:
            with self.subTest(plane=plane):
                names.append(self.run_picture(scene, cases[plane]))
        self.assertEqual(len(set(names)), 4, f"four distinct block names: {names}")

        scene.click("TOP")
        scene.host.log.wait_for("saved", 60, format="png")
        picture = (scene.work / "isometric-planes.png").read_bytes()
        self.assertEqual(picture[:8], b"\x89PNG\r\n\x1a\n")

    def test_escape_at_the_base_point_sends_nothing_more_and_sw_runs_inside_the_selection_wait(
            self):
        scene = Scenario(self, "block-escape-and-nested")
        case = Case("L", 0)
        handles = f"{case.square['handle']} {case.circle['handle']}"
        move = script_text(f"move\rL\r\r{case.base_text}\r")
        script = (f"save-json {scene.path('start.json')}\n"
                  # Escape at the base point.
                  f"select {handles}\n"
                  "escape\n"
                  # The next action's first string: the drawing as the Escape left it.
                  f"wait-command {script_text('^C^C')}\n"
                  f"save-json {scene.path('after-escape.json')}\n"
                  # The selection is held until SW has been clicked; SW's "^C^C" ends it, so the
                  # user goes on with the base point, and "P" is the selection made above.
                  f"wait-command {script_text(VIEW_SW)}\n"
                  f"point {case.base_text}\n"
                  f"wait-command {move}\n"
                  f"point {case.second_text}\n"
                  f"save-json {scene.path('nested.json')}\n")
        scene.start([case.square, case.circle, case.label], script)
        log = scene.host.log

        escaped = scene.click("picture R")
        self.assertEqual(escaped.sent(), ["^C^C", "SELECT\r"])
        failed = escaped.first("fail", member="GetPoint")
        self.assertEqual(failed["scode"], "0x80004004", "the base point was cancelled")

        before = scene.press("picture L")
        log.wait_for("waiting", 60, after=before, source="SELECT")
        scene.press("SW")
        action = scene.finished(before)
        sent = action.sent()
        found = NAME.search(sent[5]) if len(sent) == 8 else None
        self.assertIsNotNone(found, f"eight strings with a block name expected: {sent}")
        block = block_strings("L", found.group(1), case.base_text)
        self.assertEqual(sent, block[:2] + ["^C^C", VIEW_SW] + block[2:])

        # Inside the wait: after the wait fetched its state object, before it saw the host idle.
        view = [line for line in action.calls("SendCommand") if line["args"] == [VIEW_SW]][0]
        state = action.first("call", member="GetState")
        idle = [line for line in action.calls("IsQuiescent", kind="return") if line["result"]]
        self.assertTrue(idle, "the wait never saw the host idle")
        self.assertLess(state["seq"], view["seq"], "SW ran before the wait began")
        self.assertLess(view["seq"], idle[0]["seq"], "SW ran after the wait ended")
        self.assertEqual(len(action.find("create")), 2, "the nested click attaches on its own")

        start = scene.saved("start.json")
        self.assertEqual(scene.saved("after-escape.json")["entities"], start["entities"],
                         "the Escape at the base point changed the drawing")
        nested = scene.saved("nested.json")
        offset = (case.second[0] - case.base[0], case.second[1] - case.base[1])
        self.assert_reference(nested, case, found.group(1), offset)
        self.assertEqual(nested["view"]["kind"], "SWISO")


if __name__ == "__main__":
    unittest.main()
