"""A scripted session: the COM client drives the stand-in host as the palette's actions do, the
script answers for the host's user, and the log and the saved drawing are checked."""

import contextlib
import math
import unittest

from lib.session import desktop, work_dir
from lib.standin import (Client, block_references, entity, load_drawing, start_host,
                         windows_path, world_points)

ROTATE_PROMPT_1 = "回転軸の1点目をを指示 : "
ROTATE_PROMPT_2 = "回転軸の2点目をを指示 : "
HALF_PI = "1.5707963267948966"


class StandinSessionTest(unittest.TestCase):

    def setUp(self):
        self.desk = desktop()

    @contextlib.contextmanager
    def host_and_client(self, name, **host_options):
        """A host started in a fresh folder and a COM client, both stopped after."""
        host = start_host(self.desk, work_dir(name), **host_options)
        client = Client(self.desk)
        try:
            yield host, client
        finally:
            client.close()
            host.stop()

    def test_answers_by_reference_and_points_in_variant_arrays_cross_com_and_leak_nothing(self):
        """The two dialects whose encodings ask most of the host, through the real marshaler:
        every answer by reference, whose targets the client takes and frees (the host's live
        count returns to 0), and points as VARIANT arrays from 1, handed back as they came."""
        with self.host_and_client("standin-by-reference", dialect="by-reference",
                                  script="pick 2D\npoint 0.1,-3,7.5\npoint 1,2,3\n"
                                  ) as (host, client):
            client.ok("app = connect")
            client.ok("doc = app.ActiveDocument")
            self.assertEqual(client.ok("app.HWND"), client.ok('findwindow "nanoCAD 5"'))
            client.ok("util = doc.Utility")
            picked = client.call('util.GetEntity(out obj, out pt, "TEXT を指示 : ")')
            self.assertEqual(picked["out"], {"obj": {"dispatch": True}, "pt": [0, -30, 0]})
            client.ok("t = query obj IAcadText")
            self.assertEqual(client.ok("t.ObjectName"), "AcDbText")
            self.assertEqual(client.ok("t.Height"), 10)
            self.assertEqual(client.ok('p = util.GetPoint(missing, "p")'), [0.1, -3, 7.5])
            self.assertEqual(client.ok('util.GetPoint(p, "q")'), [1, 2, 3])
            self.assertGreater(host.log.live(), 0)
            client.ok("release all")
            host.log.wait_for("released", predicate=lambda line: line["live"] == 0)
        self.assertEqual(host.log.find("create")[0]["dialect"], "by-reference")
        answered = {line["member"]: line["encoding"] for line in host.log.find("return")}
        self.assertEqual(answered["ActiveDocument"], "VT_BYREF|VT_DISPATCH")
        self.assertEqual(answered["HWND"], "VT_BYREF|VT_I4")
        self.assertEqual(answered["ObjectName"], "VT_BYREF|VT_BSTR")
        self.assertEqual(answered["Height"], "VT_BYREF|VT_R8")
        self.assertEqual(answered["GetPoint"], "VT_BYREF|VT_ARRAY|VT_R8[0..2]")
        self.assertEqual(host.log.find("return", member="GetEntity")[0]["outEncodings"],
                         ["VT_BYREF|VT_DISPATCH", "VT_BYREF|VT_ARRAY|VT_R8[0..2]"])

        with self.host_and_client("standin-variant-arrays", dialect="variant-arrays",
                                  script="point 0.1,-3,7.5\npoint 1,2,3\n") as (host, client):
            client.ok("app = connect")
            client.ok("doc = app.ActiveDocument")
            client.ok("util = doc.Utility")
            self.assertEqual(client.ok('p = util.GetPoint(missing, "p")'), [0.1, -3, 7.5])
            self.assertEqual(client.ok('util.GetPoint(p, "q")'), [1, 2, 3])
        picks = host.log.find("return", member="GetPoint")
        self.assertEqual([line["encoding"] for line in picks],
                         ["VT_ARRAY|VT_VARIANT[1..3]{VT_R8}", "VT_ARRAY|VT_VARIANT[0..2]{VT_R8}"])
        handed_back = host.log.find("call", member="GetPoint")[1]
        self.assertEqual(handed_back["args"][0], [0.1, -3, 7.5])
        self.assertEqual(handed_back["encodings"][0], "VT_ARRAY|VT_VARIANT[1..3]{VT_R8}")

    def test_scripted_session_through_com(self):
        work = work_dir("standin-session")
        saved_json, saved_png = work / "saved.json", work / "saved.png"
        script = f"""
# SelectOnScreen, then the rotation axis and angle
select 2A 2B
point 0,0,0
point 0,0,10
number 90
# GetEntity: a single-line text, then the multi-line text
pick 2D
pick 2F
# a GetPoint cancelled with Escape
escape
# SELECT and MOVE are held until the client has looked at IsQuiescent
wait-command "CHECKED\\r"
select 2C
wait-command "PLACE\\r"
point 10,10
save-json {windows_path(saved_json)}
save-png {windows_path(saved_png)}
"""
        host = start_host(self.desk, work, script=script)
        client = Client(self.desk)
        try:
            baseline = host.log.live()
            client.ok("app = connect")
            client.ok("doc = app.ActiveDocument")
            client.ok("link = doc.Application")
            client.ok("st = link.GetState")
            client.ok("s = query st IAcadState")
            self.assertIs(client.ok("st.IsQuiescent"), True)

            # The selection set, filled on screen.
            client.ok("sel = doc.ActiveSelectionSet")
            client.ok("sel.Clear()")
            client.ok("sel.SelectOnScreen(missing, missing)")
            self.assertEqual(client.ok("sel.Count"), 2)
            client.ok("e0 = sel.Item(0)")
            client.ok("e1 = sel.Item(1)")
            self.assertEqual(client.ok("e0.ObjectName"), "AcDbPolyline")
            self.assertFalse(client.call("e2 = sel.Item(2)")["ok"])

            # Points with and without a base point, a number, and Rotate3D with them.
            client.ok("util = doc.Utility")
            self.assertEqual(client.ok(f'p1 = util.GetPoint(missing, "{ROTATE_PROMPT_1}")'),
                             [0, 0, 0])
            self.assertEqual(client.ok(f'p2 = util.GetPoint(p1, "{ROTATE_PROMPT_2}")'),
                             [0, 0, 10])
            self.assertEqual(client.ok('util.GetReal("回転角度を入力: ")'), 90)
            client.ok(f"e0.Rotate3D(p1, p2, {HALF_PI})")
            client.ok(f"e1.Rotate3D(p1, p2, {HALF_PI})")

            # GetEntity with its two out parameters; the text members.
            answer = client.call('util.GetEntity(out obj, out pt, "TEXT を指示 : ")')
            self.assertTrue(answer["ok"], answer)
            self.assertEqual(answer["out"], {"obj": {"dispatch": True}, "pt": [0, -30, 0]})
            client.ok("ent = query obj IAcadEntity")
            self.assertEqual(client.ok("ent.ObjectName"), "AcDbText")
            client.ok("t = query obj IAcadText")
            self.assertEqual(client.ok("t.Height"), 10)
            self.assertEqual(client.ok("t.Alignment"), 0)
            client.ok("c = ent.Copy")
            client.ok("ct = query c IAcadText")
            client.ok("ct.Height := 8.6602539649920688")
            client.ok("ct.ScaleFactor := 1.154700548092894")
            client.ok("ct.Rotation := 0.52359879016876220703125")
            client.ok("ct.ObliqueAngle := 5.759586334228515625")
            client.ok("ct.Update")
            self.assertEqual(client.ok("ct.ObliqueAngle"), 5.759586334228515625)
            self.assertEqual(client.ok("ct.InsertionPoint"), [0, -30, 0])

            # A multi-line text is an entity but no IAcadText.
            client.ok('util.GetEntity(out obj2, out pt2, "TEXT を指示 : ")')
            client.ok("ent2 = query obj2 IAcadEntity")
            self.assertEqual(client.ok("ent2.ObjectName"), "AcDbMText")
            refused = client.call("t2 = query obj2 IAcadText")
            self.assertFalse(refused["ok"])
            self.assertEqual(refused["status"], "0x80004002")

            # The user's Escape fails the pending call.
            cancelled = client.call('util.GetPoint(missing, "基点 : ")')
            self.assertFalse(cancelled["ok"])
            self.assertIn("Cancelled by the user", cancelled["message"])

            # IsQuiescent is false while SELECT waits for objects, true once it has ended.
            client.ok('doc.SendCommand("SELECT\\r")')
            self.assertIs(client.ok("st.IsQuiescent"), False)
            client.ok('doc.SendCommand("CHECKED\\r")')
            self.assertIs(client.ok("st.IsQuiescent"), True)
            # The same for MOVE waiting for its second point.
            client.ok('doc.SendCommand("move\\rL\\r\\r0,-30\\r")')
            self.assertIs(client.ok("st.IsQuiescent"), False)
            client.ok('doc.SendCommand("PLACE\\r")')
            self.assertIs(client.ok("st.IsQuiescent"), True)

            host.log.wait_for("saved", format="png")
            self.assertGreater(host.log.live(), baseline)
            client.ok("release all")
            host.log.wait_for("released", predicate=lambda line: line["live"] == baseline)
        finally:
            client.close()
            host.stop()

        lines = host.log.lines()
        self.assertEqual([line["seq"] for line in lines], list(range(1, len(lines) + 1)))
        base_call = host.log.find("call", member="GetPoint",
                                  args=[[0, 0, 0], ROTATE_PROMPT_2])
        self.assertEqual(len(base_call), 1, "GetPoint with its base point, logged as given")
        self.assertEqual(host.log.find("call", member="GetPoint")[0]["args"],
                         [{"missing": True}, ROTATE_PROMPT_1])
        rotate = host.log.find("call", member="Rotate3D")[0]
        self.assertEqual(rotate["args"][2], float(HALF_PI))
        entity_call = host.log.find("return", member="GetEntity")[0]
        self.assertEqual(entity_call["out"][0]["handle"], "2D")
        self.assertEqual([(line["source"], line["for"]) for line in host.log.find("waiting")
                          if not line["source"].isupper()],
                         [("SelectOnScreen", "objects"), ("GetPoint", "point"),
                          ("GetPoint", "point"), ("GetReal", "number"), ("GetEntity", "entity"),
                          ("GetEntity", "entity"), ("GetPoint", "point")])
        self.assertEqual(len(host.log.find("answer")), 9)
        failed = host.log.find("fail", member="GetPoint")
        self.assertEqual(len(failed), 1)
        self.assertEqual(failed[0]["scode"], "0x80004004")

        drawing = load_drawing(saved_json)
        square = entity(drawing, "2A")
        for got, want in zip(square["points"], [[0, 0, 0], [0, 100, 0], [-100, 100, 0],
                                                [-100, 0, 0]]):
            for a, b in zip(got, want):
                self.assertAlmostEqual(a, b, places=9)
        circle = entity(drawing, "2B")
        self.assertAlmostEqual(circle["center"][0], -50, places=9)
        self.assertAlmostEqual(circle["center"][1], 170, places=9)
        original = entity(drawing, "2D")
        self.assertEqual((original["height"], original["rotation"]), (10, 0))
        copy = entity(drawing, drawing["lastObject"])
        self.assertEqual(copy["type"], "AcDbText")
        self.assertEqual(copy["text"], "寸法 100")
        self.assertEqual(copy["insertionPoint"], [10, 10, 0])
        self.assertEqual(copy["height"], 8.6602539649920688)
        self.assertEqual(copy["widthFactor"], 1.154700548092894)
        self.assertEqual(copy["rotation"], 0.52359879016876220703125)
        self.assertEqual(copy["obliqueAngle"], 5.759586334228515625)
        self.assertEqual(drawing["previousSelection"], [copy["handle"]])
        self.assertEqual(saved_png.read_bytes()[:8], b"\x89PNG\r\n\x1a\n")

    def test_the_block_strings_leave_one_reference_on_the_plane(self):
        work = work_dir("standin-block")
        saved = work / "block.json"
        script = f"""
select 2A
point 100,50
wait-command "move\\rL\\r\\r100,50\\r"
save-json {windows_path(saved)}
"""
        host = start_host(self.desk, work, script=script)
        client = Client(self.desk)
        name = "ISO-250107-143005L"
        try:
            client.ok("app = connect")
            client.ok("doc = app.ActiveDocument")
            client.ok("link = doc.Application")
            client.ok("st = link.GetState")
            client.ok('doc.SendCommand("^C^C")')
            client.ok("util = doc.Utility")
            client.ok('util.Prompt("アイソメブロックにする図形を選択 : ")')
            client.ok('doc.SendCommand("SELECT\\r")')
            self.assertIs(client.ok("st.IsQuiescent"), True, "the script selected at once")
            self.assertEqual(client.ok('util.GetPoint(missing, "ブロックの基点を指示 : ")'),
                             [100, 50, 0])
            for command in ["ROTATE\\rP\\r\\r100,50\\r-45\\r",
                            f"-NEWBLOCK\\r{name}\\r100,50\\rP\\r\\r",
                            f"-INSERT\\r{name}\\r100,50\\r1.22474487139159\\r"
                            "0.707106781186548\\r60\\r",
                            "move\\rL\\r\\r100,50\\r"]:
                client.ok(f'doc.SendCommand("{command}")')
            self.assertIs(client.ok("st.IsQuiescent"), False, "MOVE waits for its second point")
            drawing = load_drawing(saved)
        finally:
            client.close()
            host.stop()
        self.assertIsNone(entity(drawing, "2A"), "the square went into the block")
        references = block_references(drawing)
        self.assertEqual(len(references), 1)
        self.assertEqual(references[0]["block"], name)
        self.assertEqual(drawing["lastObject"], references[0]["handle"])
        c = math.cos(math.pi / 6)
        corners = world_points(references[0])[0]
        for (x, y), got in zip([(0, 0), (100, 0), (100, 100), (0, 100)], corners):
            dx, dy = x - 100, y - 50
            self.assertAlmostEqual(got[0], 100 + c * dx, delta=1e-9)
            self.assertAlmostEqual(got[1], 50 + 0.5 * dx + dy, delta=1e-9)
        self.assertEqual(host.log.commands()[-1], "move\rL\r\r100,50\r")

    def test_escape_key_at_the_window_fails_the_pending_call(self):
        work = work_dir("standin-escape")
        host = start_host(self.desk, work)
        client = Client(self.desk)
        try:
            wid = host.window()
            client.ok("app = connect")
            client.ok("doc = app.ActiveDocument")
            client.ok("util = doc.Utility")
            seq = host.log.last_seq()
            client.send('util.GetPoint(missing, "基点を指示 : ")')
            host.log.wait_for("waiting", after=seq, prompt="基点を指示 : ")
            self.desk.key(wid, "Escape")
            answer = client.answer()
            self.assertFalse(answer["ok"])
            self.assertIn("Cancelled by the user", answer["message"])
            host.log.wait_for("key", after=seq, event="up")
            self.assertEqual([line["event"] for line in host.log.find("key", after=seq)],
                             ["down", "up"])
        finally:
            client.close()
            host.stop()

    def test_a_person_picks_objects_and_points_with_the_mouse(self):
        work = work_dir("standin-mouse")
        layout = work / "layout.json"
        host = start_host(self.desk, work, script=f"save-json {windows_path(layout)}\n")
        client = Client(self.desk)
        try:
            wid = host.window()
            view = load_drawing(layout)["view"]
            _, _, width, height = self.desk.window_geometry(wid)
            area_height = height - 100  # the command line's five lines take the bottom

            def screen(x, y):
                scale = min(width / view["width"], area_height / view["height"])
                return (round(width / 2 + (x - view["center"][0]) * scale),
                        round(area_height / 2 - (y - view["center"][1]) * scale))

            client.ok("app = connect")
            client.ok("doc = app.ActiveDocument")
            client.ok("sel = doc.ActiveSelectionSet")
            seq = host.log.last_seq()
            client.send("sel.SelectOnScreen(missing, missing)")
            host.log.wait_for("waiting", after=seq, **{"for": "objects"})
            self.desk.click(wid, *screen(50, 0))  # the square's bottom edge
            self.desk.click(wid, *screen(170, 90))  # the top of the circle
            self.desk._xdotool("click", 3)  # a right click ends the selection
            self.assertTrue(client.answer()["ok"])
            self.assertEqual(client.ok("sel.Count"), 2)
            client.ok("util = doc.Utility")
            client.send('util.GetPoint(missing, "点を指示 : ")')
            host.log.wait_for("waiting", after=seq, **{"for": "point"})
            self.desk.click(wid, *screen(20, 40))
            point = client.answer()["result"]
            self.assertAlmostEqual(point[0], 20, delta=1.5)
            self.assertAlmostEqual(point[1], 40, delta=1.5)
            self.assertEqual(point[2], 0)
        finally:
            client.close()
            host.stop()


if __name__ == "__main__":
    unittest.main()
