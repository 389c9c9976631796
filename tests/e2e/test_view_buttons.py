"""The view buttons end to end: real clicks on the palette reach the stand-in host."""

import unittest

from lib import session
from lib.palette import CONTROLS, Palette
from lib.standin import HOST_TITLE, start_host
from lib.winedesk import stop_together, wait_until

VIEW_STRINGS = {
    "SW": "^C-VIEW SWISO ZOOM E\r",
    "SE": "^C-VIEW SEISO ZOOM E\r",
    "TOP": "^C-VIEW O T ZOOM E\r",
}


class ViewButtonsTest(unittest.TestCase):
    def start(self, name, **host_options):
        folder = session.work_dir(name)
        self.host = start_host(session.desktop(), folder, **host_options)
        self.addCleanup(self.host.stop)
        self.palette = Palette(folder).start()
        self.addCleanup(stop_together, [self.palette.process, self.host.process])
        return folder

    def click_and_wait_for_release(self, control):
        """Clicks a view button and waits until the host has no object of the palette's left;
        returns the log lines of that click."""
        log = self.host.log
        before = log.last_seq()
        self.palette.click(control)
        log.wait_for("command", after=before, event="received", text=VIEW_STRINGS[control])
        log.wait_for("released", after=before, predicate=lambda line: line["live"] == 0)
        return [line for line in log.lines() if line["seq"] > before]

    def test_each_view_button_sends_the_cancel_then_its_view_string(self):
        self.start("view-buttons")
        for control in ("SW", "SE", "TOP"):
            with self.subTest(control=control):
                lines = self.click_and_wait_for_release(control)
                sent = [line["args"] for line in lines
                        if line["kind"] == "call" and line["member"] == "SendCommand"]
                self.assertEqual(sent, [["^C^C"], [VIEW_STRINGS[control]]])
                self.assertEqual([line["object"] for line in lines if line["kind"] == "create"],
                                 ["Application"], "one fresh connection per click")
                self.assertEqual(lines[-1]["live"], 0, "the palette left an object in the host")
        views = [line for line in self.host.log.lines() if line["kind"] == "command"]
        self.assertTrue(views, "the host logged no command at all")

    def test_a_hint_showing_over_a_button_does_not_take_its_click(self):
        # A TEXT click whose pick finds nothing; the pointer stays on TEXT TL meanwhile, so
        # that its hint comes up just below, over TOP.
        self.start("view-under-a-hint", script="pick none\n")
        before = self.host.log.last_seq()
        self.palette.click("TEXT TL")
        self.host.log.wait_for("released", after=before, predicate=lambda line: line["live"] == 0)
        hint = wait_until(lambda: (lambda r: None if r == "none" else r)(
            session.wintool("hint").strip()), 30, "the hint of TEXT TL")
        hint_left, hint_top, hint_right, hint_bottom = map(int, hint.split())
        x0, y0, _, _ = self.palette.geometry()
        x, y = self.palette.point("TOP")
        self.assertTrue(hint_left <= x0 + x < hint_right and hint_top <= y0 + y < hint_bottom,
                        f"the hint {hint} does not cover TOP's centre: nothing to prove")
        lines = self.click_and_wait_for_release("TOP")
        self.assertEqual([line["args"] for line in lines if line["kind"] == "call"
                          and line["member"] == "SendCommand"],
                         [["^C^C"], [VIEW_STRINGS["TOP"]]])

    def test_a_host_titled_otherwise_receives_no_call(self):
        self.start("view-wrong-title", title="nanoCAD 5 - Drawing1")
        self.palette.click("SW")
        # The palette handles input in order: once it has repainted for a later pointer move,
        # the click before it has run to its end.
        folder = self.host.work
        shot = self.palette.desk.screenshot(folder / "before-hover.png", self.palette.window)
        before = shot.read_bytes()
        self.palette.move("picture L")
        wait_until(lambda: self.palette.desk.screenshot(folder / "after-hover.png",
                                                        self.palette.window).read_bytes()
                   != before, 30, "the palette to handle the pointer move after the click")
        kinds = {line["kind"] for line in self.host.log.lines()}
        self.assertNotIn("create", kinds)
        self.assertNotIn("call", kinds)

    def test_a_minimised_host_is_restored_and_in_front_before_the_cancel_arrives(self):
        self.start("view-minimised")
        session.wintool("minimize", HOST_TITLE)
        wait_until(lambda: session.wintool("state", HOST_TITLE).startswith("minimized"), 30,
                   "the host to be minimised")
        self.click_and_wait_for_release("SW")
        self.assertEqual(session.wintool("state", HOST_TITLE).split(), ["normal", "foreground"])
        lines = self.host.log.lines()
        cancel = next(line for line in lines if line["kind"] == "call"
                      and line["member"] == "SendCommand" and line["args"] == ["^C^C"])
        events = [line["event"] for line in lines
                  if line["kind"] == "window" and line["seq"] < cancel["seq"]]
        self.assertIn("restored", events, "the host was not restored before the cancel")
        self.assertIn("activated", events[events.index("restored"):],
                      f"the host was not brought to the front after the restore: {events}")


if __name__ == "__main__":
    unittest.main()
