"""The four TEXT buttons end to end: a scripted user picks texts in the stand-in host; the values
the palette wrote are compared bit for bit in the host's log and on the drawings it saved."""

import unittest

from lib.exact import text_height
from lib.scenario import Scenario, script_text
from lib.standin import entity

PICK_PROMPT = "TEXT を指示 : "
A30, A330 = 0.52359879016876220703125, 5.759586334228515625
WIDTH_FACTOR = 1.154700548092894
# Button: (rotation, oblique angle).
PLANES = {"TEXT L": (A330, A330), "TEXT TL": (A330, A30), "TEXT TR": (A30, A330),
          "TEXT R": (A30, A30)}

FLAT = {"handle": "30", "type": "AcDbText", "text": "寸法 100", "insertionPoint": [10, 20, 0],
        "height": 10, "widthFactor": 0.8}
# Turned 45 degrees but not slanted: one zero angle makes it not isometric. Centred, so its
# alignment point (negative) is the anchor.
CENTRED = {"handle": "31", "type": "AcDbText", "text": "CENTRED", "alignment": 1,
           "insertionPoint": [-40, -10, 0], "alignmentPoint": [-12.5, -3.25, 0], "height": 7,
           "rotation": 0.7853981633974483}
ISOMETRIC = {"handle": "32", "type": "AcDbText", "text": "ISOMETRIC", "insertionPoint": [0, 60, 0],
             "height": 8.5, "rotation": A30, "obliqueAngle": A30, "widthFactor": WIDTH_FACTOR}
MTEXT = {"handle": "33", "type": "AcDbMText", "text": "複数行テキスト", "insertionPoint": [60, 60, 0],
         "height": 5}

# (button, picked text, anchor as the move string writes it, second point)
COPIES = [("TEXT L", FLAT, "10.000000,20.000000", (110.0, 20.0)),
          ("TEXT TL", FLAT, "10.000000,20.000000", (110.0, 40.0)),
          ("TEXT TR", CENTRED, "-12.500000,-3.250000", (90.0, -20.0)),
          ("TEXT R", CENTRED, "-12.500000,-3.250000", (90.0, -40.0))]
TURNS = ["TEXT L", "TEXT TL", "TEXT TR", "TEXT R"]  # each changes the text's angles


def file_name(button, what):
    return f"{button.replace(' ', '-')}-{what}.json"


class IsometricTextTest(unittest.TestCase):
    def assert_bits(self, got, want, what):
        self.assertIsInstance(got, float, what)
        self.assertEqual(got.hex(), float(want).hex(), f"{what}: {got!r}, expected {want!r}")

    def assert_puts(self, action, expected):
        """The members written, in order, with exactly these values."""
        written = [(line["member"], line["args"][0]) for line in action.lines
                   if line["kind"] == "call" and "put" in line["flags"]]
        self.assertEqual([member for member, _ in written], [member for member, _ in expected])
        for (member, got), (_, want) in zip(written, expected):
            self.assert_bits(got, want, member)

    def test_text_buttons_copy_flat_texts_turn_isometric_ones_and_ignore_the_rest(self):
        scene = Scenario(self, "text-buttons")
        script = f"save-json {scene.path('start.json')}\n"
        for button, text, anchor, second in COPIES:
            move = script_text(f"move\rL\r\r{anchor}\r")
            script += (f"pick {text['handle']}\n"
                       f"wait-command {move}\n"
                       f"save-json {scene.path(file_name(button, 'waiting'))}\n"
                       f"point {second[0]:g},{second[1]:g}\n"
                       f"save-json {scene.path(file_name(button, 'placed'))}\n")
        for button in TURNS:
            script += f"pick {ISOMETRIC['handle']}\n" + scene.snapshot_steps(
                file_name(button, "turned"))
        script += f"pick {MTEXT['handle']}\n" + scene.snapshot_steps("mtext.json")
        script += "escape\n" + scene.snapshot_steps("escape.json")
        scene.start([FLAT, CENTRED, ISOMETRIC, MTEXT], script)
        start = scene.saved("start.json")

        for button, text, anchor, second in COPIES:
            with self.subTest(copy=button, text=text["handle"]):
                self.check_copy(scene, start, button, text, anchor, second)
        previous = None
        for button in TURNS:
            with self.subTest(turn=button):
                previous = self.check_turn(scene, button)
        with self.subTest("an MText picked"):
            action = scene.click("TEXT R")
            self.assertEqual(action.calls("ObjectName", kind="return")[0]["result"], "AcDbMText")
            self.assertEqual(action.sent(), [])
            self.assert_puts(action, [])
            self.assertEqual(action.calls("Copy"), [])
            self.assertEqual(scene.snapshot("mtext.json")["entities"], previous["entities"])
        with self.subTest("Escape at the pick"):
            action = scene.click("TEXT L")
            self.assertEqual(action.first("fail", member="GetEntity")["scode"], "0x80004004")
            self.assertEqual(action.sent(), [])
            self.assert_puts(action, [])
            self.assertEqual(scene.snapshot("escape.json")["entities"], previous["entities"])

    def check_copy(self, scene, start, button, text, anchor, second):
        rotation, oblique = PLANES[button]
        action = scene.click(button)
        self.assertEqual(action.sent(), [f"move\rL\r\r{anchor}\r"])
        self.assertEqual(action.calls("GetEntity")[0]["args"][-1], PICK_PROMPT)
        self.assertEqual(len(action.calls("Copy")), 1)
        height = text_height(text["height"])
        self.assert_puts(action, [("Height", height), ("ScaleFactor", WIDTH_FACTOR),
                                  ("Rotation", rotation), ("ObliqueAngle", oblique)])
        anchor_point = [float(v) for v in anchor.split(",")] + [0.0]
        waiting = [line for line in action.find("waiting", source="MOVE")
                   if line["for"] == "point" and "basePoint" in line]
        self.assertEqual([line["basePoint"] for line in waiting], [anchor_point],
                         "MOVE should wait once for its second point from the anchor")

        drawing = scene.saved(file_name(button, "waiting"))
        source = entity(start, text["handle"])
        self.assertEqual(entity(drawing, text["handle"]), source, "the picked text changed")
        copy = entity(drawing, drawing["lastObject"])
        self.assertNotEqual(copy["handle"], text["handle"], "no copy is the last object")
        self.assertEqual((copy["type"], copy["text"], copy["alignment"]),
                         (source["type"], source["text"], source["alignment"]))
        self.assertEqual(copy["insertionPoint"], source["insertionPoint"])
        self.assert_bits(copy["height"], height, "the copy's height")
        self.assert_bits(copy["widthFactor"], WIDTH_FACTOR, "the copy's width factor")
        self.assert_bits(copy["rotation"], rotation, "the copy's rotation")
        self.assert_bits(copy["obliqueAngle"], oblique, "the copy's oblique angle")

        placed = entity(scene.saved(file_name(button, "placed")), copy["handle"])
        key = "alignmentPoint" if source["alignment"] else "insertionPoint"
        for axis, (got, want) in enumerate(zip(placed[key], (*second, 0.0))):
            self.assertAlmostEqual(got, want, delta=1e-9, msg=f"the placed copy's {key}: "
                                   f"{placed[key]}, expected {second} (axis {axis})")
        self.assertEqual({k: v for k, v in placed.items() if "Point" not in k},
                         {k: v for k, v in copy.items() if "Point" not in k},
                         "the move changed more than the copy's place")

    def check_turn(self, scene, button):
        """A text isometric already: turned in place, no copy, no command string."""
        rotation, oblique = PLANES[button]
        action = scene.click(button)
        self.assertEqual(action.sent(), [])
        self.assertEqual(action.calls("Copy"), [])
        self.assert_puts(action, [("Rotation", rotation), ("ObliqueAngle", oblique)])
        drawing = scene.snapshot(file_name(button, "turned"))
        turned = entity(drawing, ISOMETRIC["handle"])
        self.assert_bits(turned["rotation"], rotation, "rotation")
        self.assert_bits(turned["obliqueAngle"], oblique, "oblique angle")
        self.assertEqual((turned["height"], turned["widthFactor"]),
                         (ISOMETRIC["height"], WIDTH_FACTOR), "height and width factor stay")
        self.assertEqual(len(drawing["entities"]), 8, "four copies and the four texts")
        return drawing


if __name__ == "__main__":
    unittest.main()
