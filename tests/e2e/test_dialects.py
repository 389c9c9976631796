"""Every answer encoding the stand-in host can speak, end to end: in one session of the palette
beside a scripted host, each non-canonical dialect runs one picture, one TEXT, one ROTATE3D and
one view action, and each is checked with the same host calls, strings and exact values as the
canonical runs of the other tests. The log shows each dialect was in force: the encodings the
host answered in, and the points the palette handed back in the encoding it was given them."""

import struct
import unittest

import test_isometric_block as block
import test_isometric_text as text
import test_rotate3d as rotate
from lib.scenario import TOP_VIEW, Scenario, script_text

# In the order they run.
DIALECTS = ("variant-arrays", "wide-handles", "integer-flag", "short-integers",
            "unknown-objects", "by-reference")
PLANES = ("R", "L", "TL", "TR", "R", "L")
# Slanted but not turned: not isometric, so copied, after its rotation is read too.
SLANTED = {"handle": "34", "type": "AcDbText", "text": "斜体", "insertionPoint": [-60, 40, 0],
           "height": 6, "obliqueAngle": 0.2}
FLAT_COPY, CENTRED_COPY = text.COPIES[0], text.COPIES[2]
SLANTED_COPY = ("TEXT R", SLANTED, "-60.000000,40.000000", (-20.0, 40.0))
# The TEXT action of each dialect: a point answered as the anchor, its alignment and height, and
# its rotation read where the text is slanted.
COPIES = {"variant-arrays": CENTRED_COPY, "wide-handles": FLAT_COPY,
          "integer-flag": SLANTED_COPY, "short-integers": SLANTED_COPY,
          "unknown-objects": CENTRED_COPY, "by-reference": SLANTED_COPY}
POINT_MEMBERS = ("GetPoint", "InsertionPoint", "TextAlignmentPoint")


def is_float(value):
    """Whether a single-precision float holds the double exactly."""
    return struct.unpack("f", struct.pack("f", value))[0] == value


class Family:
    """One dialect's share of the session: its cases, its script and its folder."""

    def __init__(self, scene, index, dialect):
        self.dialect = dialect
        self.view = scene.folder(dialect)
        self.block = block.Case(PLANES[index], index)
        self.copy = COPIES[dialect]
        self.turn = rotate.TURNS[index % len(rotate.TURNS)]
        self.view_action = None

    def entities(self):
        return [self.block.square, self.block.circle, self.block.label]

    def script(self):
        button, picked, anchor, second = self.copy
        name, first, last, degrees = self.turn
        move = script_text(f"move\rL\r\r{anchor}\r")
        return (f"dialect {self.dialect}\n"
                + self.block.script(self.view)
                + f"pick {picked['handle']}\n"
                f"wait-command {move}\n"
                f"save-json {self.view.path(text.file_name(button, 'waiting'))}\n"
                f"point {second[0]:g},{second[1]:g}\n"
                f"save-json {self.view.path(text.file_name(button, 'placed'))}\n"
                f"select 40 41\npoint {rotate.point_text(first)}\n"
                f"point {rotate.point_text(last)}\nnumber {degrees:g}\n"
                + self.view.snapshot_steps(f"{name}.json"))

    def record_view(self, scene):
        """The TOP click that the rotation check takes its snapshot with is this family's view
        action: keep its log lines."""
        def snapshot(name):
            self.view_action = self.view.click("TOP")
            return self.view.saved(name)
        self.view.snapshot = snapshot


class CanonicalChecks:
    """The checks of the canonical runs of a picture, a TEXT copy and a ROTATE3D, borrowed whole
    by the tests that run them against other hosts."""
    run_picture = block.IsometricBlockTest.run_picture
    assert_reference = block.IsometricBlockTest.assert_reference
    assert_point = block.IsometricBlockTest.assert_point
    check_copy = text.IsometricTextTest.check_copy
    assert_bits = text.IsometricTextTest.assert_bits
    assert_puts = text.IsometricTextTest.assert_puts
    check_turn = rotate.Rotate3DTest.check_turn
    assert_points = rotate.Rotate3DTest.assert_points


class DialectsTest(CanonicalChecks, unittest.TestCase):

    def test_each_dialect_runs_a_block_a_text_a_rotation_and_a_view_as_the_canonical_one(self):
        scene = Scenario(self, "dialects")
        families = [Family(scene, index, name) for index, name in enumerate(DIALECTS)]
        script = f"save-json {scene.path('start.json')}\n"
        script += "".join(family.script() for family in families)
        entities = [e for family in families for e in family.entities()]
        entities += [text.FLAT, text.CENTRED, SLANTED, rotate.SQUARE, rotate.LINE,
                     rotate.BYSTANDER]
        scene.start(entities, script)
        start = scene.saved("start.json")
        log = scene.host.log

        previous = start
        for family in families:
            # No subtests: a family that fails leaves the script out of step with the rest.
            try:
                before = log.last_seq()
                family.record_view(scene)
                self.run_picture(family.view, family.block)
                self.check_copy(family.view, start, *family.copy)
                previous = self.check_turn(family.view, previous, *family.turn)
                self.assertEqual(family.view_action.sent(), ["^C^C", TOP_VIEW])
                lines = [line for line in log.lines() if line["seq"] > before]
                self.check_encodings(family.dialect, lines)
            except (AssertionError, TimeoutError) as failure:
                ended = scene.palette.process.returncode
                state = (f"the palette ended ({ended})" if ended is not None else
                         f"the host counts {log.live()} objects alive")
                raise AssertionError(f"in the {family.dialect} dialect ({state}): {failure}"
                                     ) from failure

    def check_encodings(self, dialect, lines):
        """The family's connections spoke its dialect, at every site the four actions read."""
        created = [line["dialect"] for line in lines if line["kind"] == "create"]
        self.assertEqual(set(created), {dialect}, "connections of another dialect")
        self.assertEqual(len(created), 4, "one connection per action")
        returns = [line for line in lines if line["kind"] == "return"]

        def answers(*members):
            found = [line["encoding"] for line in returns if line["member"] in members]
            self.assertTrue(found, f"no answer of {members} in this family")
            return found

        points = answers(*POINT_MEMBERS)
        points += [line["outEncodings"][1] for line in returns
                   if line["member"] == "GetEntity" and line["out"][1] is not None]
        if dialect == "variant-arrays":
            self.assertEqual(set(points), {"VT_ARRAY|VT_VARIANT[1..3]{VT_R8}",
                                           "VT_ARRAY|VT_VARIANT[0..2]{VT_R8}"})
        elif dialect == "wide-handles":
            self.assertEqual(set(answers("HWND")),
                             {"VT_I8", "VT_UI4", "VT_UI8", "VT_INT", "VT_UINT"})
        elif dialect == "integer-flag":
            self.assertLessEqual(set(answers("IsQuiescent")),
                                 {"VT_I4", "VT_I2", "VT_UI1", "VT_I8"})
        elif dialect == "short-integers":
            self.assertLessEqual(set(answers("Count", "Alignment")), {"VT_I2", "VT_UI2"})
            reals = ("Height", "Rotation", "ObliqueAngle", "GetReal")
            for line in returns:
                if line["member"] in reals and line["result"] is not None:  # not a put
                    want = "VT_R4" if is_float(float(line["result"])) else "VT_R8"
                    self.assertEqual(line["encoding"], want, f"{line['member']}: {line}")
            self.assertIn("VT_R4", answers(*reals))
            self.assertIn("VT_R8", answers("ObliqueAngle"), "0.2 holds no float")
        elif dialect == "unknown-objects":
            self.assertEqual(set(answers("ActiveDocument", "Utility", "ActiveSelectionSet",
                                         "Application", "GetState", "Item", "Copy")),
                             {"VT_UNKNOWN"})
        elif dialect == "by-reference":
            for line in returns:
                for encoding in [line["encoding"]] + line.get("outEncodings", []):
                    if encoding not in ("VT_EMPTY", ""):
                        self.assertTrue(encoding.startswith("VT_BYREF|"), f"{line}")

        # Points handed back are taken in the encoding they went out in: the second pick's base
        # point and the rotation axis carry the encodings of the points the two picks answered
        # (a reference may come back as the value it referred to).
        def unreferenced(encoding):
            return encoding.replace("VT_BYREF|", "")

        calls = [line for line in lines if line["kind"] == "call"]
        picks = [unreferenced(line["encoding"]) for line in returns
                 if line["member"] == "GetPoint"][-2:]
        second_pick = [line for line in calls if line["member"] == "GetPoint"][-1]
        self.assertEqual(unreferenced(second_pick["encodings"][0]), picks[0])
        for turn in (line for line in calls if line["member"] == "Rotate3D"):
            self.assertEqual([unreferenced(e) for e in turn["encodings"][:2]], picks)


if __name__ == "__main__":
    unittest.main()
