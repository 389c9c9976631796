"""The host dies while the palette waits on it: killed during the picture action's selection
wait, and during the text action's pick. The palette lives on; with no host a click does
nothing; once a host runs again, a view click reaches it.

Under Wine 8 a killed COM server's class registration outlives it and spoils later creations of
the class, so the host first withdraws its class object (the script step "revoke"), as the
real host's registration would go with its process on Windows."""

import statistics
import unittest

from lib import session
from lib.palette import TITLE
from lib.scenario import Scenario
from lib.standin import HOST_TITLE, start_host
from lib.winedesk import wait_until

TIMEOUT = 60
VIEW_SW = "^C-VIEW SWISO ZOOM E\r"
TEXT = {"handle": "40", "type": "AcDbText", "text": "寸法", "insertionPoint": [0, 0, 0],
        "height": 10}


class HostDeathTest(unittest.TestCase):
    def kill_while_waiting(self, name, control, source):
        """Clicks `control`, and kills the host once it waits on `source` for the user."""
        scene = Scenario(self, name)
        scene.start([TEXT], "revoke\n")
        log = scene.host.log
        before = scene.press(control)
        log.wait_for("waiting", TIMEOUT, after=before, source=source)
        log.wait_for("script", TIMEOUT, after=before, event="revoked")
        scene.host.process.popen.kill()  # SIGKILL: no chance to clean up, as in a crash
        scene.host.process.popen.wait(TIMEOUT)
        return scene

    def assert_survives_and_serves_a_new_host(self, scene):
        palette = scene.palette
        # Just after the death, and with no host at all: a click does nothing, and fast.
        just_died = palette.time_sent_clicks("SW", 1)[0]
        self.assertIsNone(palette.process.returncode, "the palette ended with the host")
        palette.click("SW")  # a real click too, which no later host may receive
        none = palette.time_sent_clicks("SW", 20)
        print(f"\n  {self.id().rsplit('.', 1)[-1]}: a click {just_died:.2f} ms just after the "
              f"death; with no host a median {statistics.median(none):.2f} ms, at most "
              f"{max(none):.2f} ms (20 clicks)", flush=True)
        self.assertEqual(palette.desk.find_windows(TITLE), [palette.window])

        managed = palette.desk.has_window_manager()
        if not managed:
            # Out of the way of the next host's window: on a bare display a window shown later
            # lies above the palette, on top though it is.
            width, height = palette.desk.screen_size()
            palette.desk.window_move(palette.window, width - 240, height - 120)
            wait_until(lambda: palette.geometry()[:2] == (width - 240, height - 120), TIMEOUT,
                       "the palette moved aside")
        folder = scene.work / "next-host"
        folder.mkdir()
        host = start_host(palette.desk, folder)
        self.addCleanup(host.stop)
        if managed:
            # The next host's window, shown later and in front, covers the palette's SW: the
            # real click reaches the palette only as the window manager keeps it on top.
            x0, y0, _, _ = palette.geometry()
            x, y = palette.point("SW")
            left, top, right, bottom = map(int, session.wintool("rect", HOST_TITLE).split()[:4])
            self.assertTrue(left <= x0 + x < right and top <= y0 + y < bottom,
                            "the next host does not cover the palette's SW: nothing to prove")
        before = host.log.last_seq()
        palette.click("SW")
        host.log.wait_for("released", TIMEOUT, after=before, predicate=lambda l: l["live"] == 0)
        self.assertEqual(host.log.commands(), ["^C^C", VIEW_SW])
        self.assertIsNone(palette.process.returncode)

    def test_host_killed_during_the_selection_wait(self):
        scene = self.kill_while_waiting("host-killed-in-wait", "picture R", "SELECT")
        self.assert_survives_and_serves_a_new_host(scene)

    def test_host_killed_during_a_pick(self):
        scene = self.kill_while_waiting("host-killed-in-pick", "TEXT R", "GetEntity")
        self.assert_survives_and_serves_a_new_host(scene)


if __name__ == "__main__":
    unittest.main()
