"""The stand-in host under a person's pointer, with real pointer events: picks near the demo
square's corner land on it exactly, F3 turns that off, the wheel zooms about the pointer, the
middle button pans and its double-click fits the drawing, the objects of MOVE stay highlighted
and follow the pointer while it waits for its second point. Leaves the pictures of a snap
marker, a selection and a move preview in its work folder (build/e2e-work/standin-pointer)."""

import unittest

from lib.session import desktop, work_dir
from lib.standin import Client, entity, load_drawing, start_host, windows_path
from lib.winedesk import wait_until

COMMAND_LINE_HEIGHT = 100  # the command line's five lines take the bottom of the window
# The window's colours: a snap marker, selected objects, the preview that follows the pointer.
SNAP = (90, 230, 120)
HIGHLIGHT = (255, 196, 64)
PREVIEW = (120, 170, 220)


class StandinPointerTest(unittest.TestCase):

    def setUp(self):
        self.desk = desktop()

    def show(self, colour, centre, half=6, what="", timeout=30):
        """Waits until the window shows `colour` within `half` pixels of `centre`."""
        x, y = centre
        box = (x - half, y - half, 2 * half + 1, 2 * half + 1)

        def shown():
            pixels = self.desk.pixels(self.wid, box)
            return any(tuple(pixels[i:i + 3]) == colour for i in range(0, len(pixels), 3))
        wait_until(shown, timeout, f"{what} ({colour}) near {centre}")

    def pick_point(self, x, y):
        """A GetPoint answered with a real click at (x, y); returns the point it gave."""
        seq = self.host.log.last_seq()
        self.client.send('util.GetPoint(missing, "点を指示 : ")')
        self.host.log.wait_for("waiting", after=seq, source="GetPoint")
        self.desk.click(self.wid, x, y)
        answer = self.client.answer()
        self.assertTrue(answer["ok"], answer)
        return answer["result"]

    def test_snaps_zoom_pan_selection_and_the_move_preview(self):
        work = work_dir("standin-pointer")
        layout, moved = work / "layout.json", work / "moved.json"
        script = f"""
save-json {windows_path(layout)}
wait-command "DONE\\r"
save-json {windows_path(moved)}
"""
        self.host = host = start_host(self.desk, work, script=script)
        self.client = client = Client(self.desk)
        try:
            self.wid = wid = host.window()
            view = load_drawing(layout)["view"]
            _, _, width, height = self.desk.window_geometry(wid)
            area_height = height - COMMAND_LINE_HEIGHT
            scale = min(width / view["width"], area_height / view["height"])

            def screen(x, y):
                return (round(width / 2 + (x - view["center"][0]) * scale),
                        round(area_height / 2 - (y - view["center"][1]) * scale))

            client.ok("app = connect")
            client.ok("doc = app.ActiveDocument")
            client.ok("util = doc.Utility")
            corner = screen(0, 0)
            near_corner = (corner[0] + 3, corner[1] - 2)

            # Hovering by the corner shows the marker; the click lands on the corner exactly.
            seq = host.log.last_seq()
            client.send('util.GetPoint(missing, "基点を指示 : ")')
            host.log.wait_for("waiting", after=seq, source="GetPoint")
            self.desk.move(wid, *near_corner)
            self.show(SNAP, corner, what="the snap marker")
            self.desk.screenshot(work / "snap-marker.png", wid)
            self.desk._xdotool("click", 1)
            self.assertEqual(client.answer()["result"], [0, 0, 0])
            self.assertEqual(host.log.find("return", after=seq, member="GetPoint")[0]["result"],
                             [0, 0, 0])
            self.assertEqual(self.pick_point(corner[0] - 4, corner[1] + 3), [0, 0, 0])

            # F3: snaps off, the pick is where the pointer is; the zoom and pan are measured so.
            seq = host.log.last_seq()
            self.desk.key(wid, "F3")
            host.log.wait_for("echo", after=seq, text="<Osnap off>")
            raw = self.pick_point(*near_corner)
            self.assertNotEqual(raw[:2], [0, 0])
            self.assertAlmostEqual(raw[0], 3 / scale, delta=0.5 / scale)
            self.assertAlmostEqual(raw[1], 2 / scale, delta=0.5 / scale)
            under = self.pick_point(*corner)

            # Two notches of the wheel back about the corner: it stays under the pointer, and
            # the drawing is drawn 0.8 * 0.8 as large.
            self.desk.move(wid, *corner)
            self.desk._xdotool("click", "--repeat", 2, "--delay", 80, 5)
            after_zoom = self.pick_point(*corner)
            for a, b in zip(after_zoom, under):
                self.assertAlmostEqual(a, b, delta=1e-9)
            apart = self.pick_point(corner[0] + 100, corner[1])
            self.assertAlmostEqual(apart[0] - after_zoom[0], 100 / (scale * 0.64), delta=1e-9)

            # A drag with the middle button takes the drawing along; its double-click is ZOOM E.
            self.desk.move(wid, *corner)
            self.desk._xdotool("mousedown", 2)
            self.desk.move(wid, corner[0] + 30, corner[1] - 20)
            self.desk.move(wid, corner[0] + 60, corner[1] - 40)
            self.desk._xdotool("mouseup", 2)
            after_pan = self.pick_point(corner[0] + 60, corner[1] - 40)
            for a, b in zip(after_pan, under):
                self.assertAlmostEqual(a, b, delta=1e-9)
            self.desk.move(wid, 300, 200)
            self.desk._xdotool("click", "--repeat", 2, "--delay", 80, 2)
            self.assertEqual(self.pick_point(*corner), under, "the view the drawing opened in")
            seq = host.log.last_seq()
            self.desk.key(wid, "F3")
            host.log.wait_for("echo", after=seq, text="<Osnap on>")

            # MOVE: the picked objects stay highlighted and the command line counts them.
            seq = host.log.last_seq()
            client.ok('doc.SendCommand("MOVE\\r")')
            host.log.wait_for("waiting", after=seq, **{"for": "objects"})
            self.desk.click(wid, *screen(100, 70))  # the square's right edge
            host.log.wait_for("echo", after=seq, text="1 found, 1 total")
            self.desk.click(wid, *screen(170, 90))  # the top of the circle
            host.log.wait_for("echo", after=seq, text="1 found, 2 total")
            self.desk.move(wid, 40, 40)
            self.show(HIGHLIGHT, screen(100, 30), half=3, what="the square highlighted")
            self.show(HIGHLIGHT, screen(130, 50), half=3, what="the circle highlighted")
            self.desk.screenshot(work / "selection.png", wid)
            self.desk._xdotool("click", 3)
            host.log.wait_for("waiting", after=seq, prompt="Specify base point: ")
            quadrant = screen(130, 50)  # the circle's left quadrant
            self.desk.click(wid, quadrant[0] + 3, quadrant[1] + 3)
            waiting = host.log.wait_for("waiting", after=seq, prompt="Specify second point: ")
            self.assertEqual(waiting["basePoint"], [130, 50, 0])

            # Near the square's right midpoint: both follow the pointer, a line from the base.
            midpoint = screen(100, 50)
            self.desk.move(wid, midpoint[0] + 2, midpoint[1] - 3)
            self.show(PREVIEW, screen(70, 30), half=2, what="the moved square's right edge")
            self.show(PREVIEW, screen(180, 50), half=2, what="the moved circle's right quadrant")
            self.show(PREVIEW, screen(115, 50), half=3, what="the line from the base point")
            self.show(SNAP, midpoint, what="the midpoint's marker")
            self.show(HIGHLIGHT, screen(100, 30), half=3, what="the square still highlighted")
            self.desk.screenshot(work / "move-preview.png", wid)
            self.desk._xdotool("click", 1)
            host.log.wait_for("command", after=seq, event="finished", command="MOVE")
            client.ok('doc.SendCommand("DONE\\r")')
            drawing = load_drawing(moved)
        finally:
            client.close()
            host.stop()
        self.assertEqual(entity(drawing, "2A")["points"],
                         [[-30, 0, 0], [70, 0, 0], [70, 100, 0], [-30, 100, 0]])
        self.assertEqual(entity(drawing, "2B")["center"], [140, 50, 0])
        echoes = [line["text"] for line in host.log.find("echo")]
        self.assertIn("Specify second point: (picked)", echoes)


if __name__ == "__main__":
    unittest.main()
