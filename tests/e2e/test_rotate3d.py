"""The ROTATE3D button end to end: a scripted user selects, picks an axis and types an angle in
the stand-in host; the saved drawing's 3-D coordinates are checked against Rodrigues' formula."""

import math
import unittest

from lib.exact import radians
from lib.scenario import Scenario
from lib.standin import entity

SELECT_PROMPT = "3D 回転する図形を選択 : "
FIRST_PROMPT = "回転軸の1点目をを指示 : "
SECOND_PROMPT = "回転軸の2点目をを指示 : "
ANGLE_PROMPT = "回転角度を入力: "

SQUARE = {"handle": "40", "type": "AcDbPolyline", "closed": True,
          "points": [[10, 0, 0], [50, 0, 0], [50, 40, 0], [10, 40, 0]]}
LINE = {"handle": "41", "type": "AcDbLine", "points": [[0, -5, 0], [30, 25, 0]]}
BYSTANDER = {"handle": "42", "type": "AcDbCircle", "center": [100, 100, 0], "radius": 10}

# (name, first point, second point, degrees): about a vertical axis (the points differ in z
# only), then about a horizontal one that runs along no drawing axis.
TURNS = [("vertical", (20.0, 10.0, 0.0), (20.0, 10.0, 35.0), 90.0),
         ("horizontal", (0.0, -10.0, 5.0), (30.0, 30.0, 5.0), 30.0)]


def rodrigues(point, first, second, angle):
    """The point turned by `angle` about the axis from `first` to `second` (right hand)."""
    axis = [b - a for a, b in zip(first, second)]
    norm = math.sqrt(sum(c * c for c in axis))
    k = [c / norm for c in axis]
    v = [p - a for p, a in zip(point, first)]
    cross = [k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]]
    dot = sum(a * b for a, b in zip(k, v))
    cos, sin = math.cos(angle), math.sin(angle)
    return [a + vi * cos + ci * sin + ki * dot * (1 - cos)
            for a, vi, ci, ki in zip(first, v, cross, k)]


def point_text(point):
    return ",".join(f"{c:g}" for c in point)


class Rotate3DTest(unittest.TestCase):
    def assert_points(self, got, want, what):
        self.assertEqual(len(got), len(want), what)
        for index, (g, w) in enumerate(zip(got, want)):
            for axis in range(3):
                self.assertAlmostEqual(g[axis], w[axis], delta=1e-9,
                                       msg=f"{what}, point {index}: {g}, expected {w}")

    def assert_unchanged(self, drawing, previous):
        self.assertEqual(drawing["entities"], previous["entities"], "objects were rotated")
        self.assertEqual(drawing["activeSelection"], [], "the selection set was not cleared")

    def test_rotate3d_turns_the_selection_about_two_picked_points_and_escape_turns_nothing(self):
        scene = Scenario(self, "rotate3d")
        script = f"save-json {scene.path('start.json')}\n"
        for name, first, second, degrees in TURNS:
            script += (f"select 40 41\npoint {point_text(first)}\npoint {point_text(second)}\n"
                       f"number {degrees:g}\n" + scene.snapshot_steps(f"{name}.json"))
        # Escape at the first point, at the second point, at the angle.
        for answers in ([], ["point 0,0,0"], ["point 0,0,0", "point 0,0,10"]):
            script += "select 40 41\n" + "".join(a + "\n" for a in answers) + "escape\n"
            script += scene.snapshot_steps(f"escape-{len(answers)}.json")
        script += "select\n"  # an empty selection
        scene.start([SQUARE, LINE, BYSTANDER], script)

        previous = scene.saved("start.json")
        for name, first, second, degrees in TURNS:
            with self.subTest(turn=name):
                previous = self.check_turn(scene, previous, name, first, second, degrees)

        for asked, what in enumerate(("the first point", "the second point", "the angle")):
            with self.subTest(escape_at=what):
                action = scene.click("ROTATE3D")
                self.assertEqual(len(action.calls("GetPoint")), min(asked + 1, 2))
                self.assertEqual(len(action.calls("GetReal")), 1 if asked == 2 else 0)
                failed = action.first("fail")
                self.assertIn(failed["member"], ("GetPoint", "GetReal"))
                self.assertEqual(failed["scode"], "0x80004004")
                self.assertEqual(action.calls("Rotate3D"), [])
                clears = action.calls("Clear")
                self.assertEqual(len(clears), 2, "cleared before selecting and after the Escape")
                self.assertGreater(clears[-1]["seq"], failed["seq"])
                self.assert_unchanged(scene.snapshot(f"escape-{asked}.json"), previous)

        with self.subTest("an empty selection"):
            action = scene.click("ROTATE3D")
            self.assertEqual(action.first("return", member="Count")["result"], 0)
            self.assertEqual(action.calls("GetPoint") + action.calls("GetReal"), [])
            self.assertEqual([line["for"] for line in action.find("waiting")], ["objects"])
            self.assertEqual(len(action.calls("Clear")), 1, "no clear after an empty selection")

    def check_turn(self, scene, previous, name, first, second, degrees):
        action = scene.click("ROTATE3D")
        self.assertEqual(action.sent(), ["^C^C"])
        self.assertEqual(action.calls("Prompt")[0]["args"], [SELECT_PROMPT])
        self.assertEqual([line["args"] for line in action.calls("GetPoint")],
                         [[{"missing": True}, FIRST_PROMPT], [list(first), SECOND_PROMPT]])
        self.assertEqual(action.calls("GetReal")[0]["args"], [ANGLE_PROMPT])

        # Each object in index order, with the two points as picked (z kept) and the radians.
        handles = {line["result"]["id"]: line["result"]["handle"]
                   for line in action.calls("Item", kind="return")}
        turns = action.calls("Rotate3D")
        self.assertEqual([handles.get(line["id"]) for line in turns], ["40", "41"])
        angle = radians(degrees)
        for line in turns:
            self.assertEqual(line["args"][:2], [list(first), list(second)])
            self.assertEqual(line["args"][2].hex(), angle.hex(),
                             f"{degrees:g} degrees went out as {line['args'][2]!r}")
        clears = action.calls("Clear")
        self.assertEqual(len(clears), 2)
        self.assertGreater(clears[-1]["seq"], turns[-1]["seq"])

        drawing = scene.snapshot(f"{name}.json")
        for handle in ("40", "41"):
            before = entity(previous, handle)["points"]
            self.assert_points(entity(drawing, handle)["points"],
                               [rodrigues(p, first, second, angle) for p in before],
                               f"{name} turn of {handle}")
        self.assertEqual(entity(drawing, "42"), entity(previous, "42"), "an unselected object")
        self.assertEqual(drawing["activeSelection"], [])
        return drawing


if __name__ == "__main__":
    unittest.main()
