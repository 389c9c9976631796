"""Closing the palette while an action waits for the user: by WM_CLOSE (what the close button
and the system menu send), by Alt+F4, or at the end of the Windows session. The wait ends at
once, the palette makes no host call after the close but releases, writes its settings and ends
with exit code 0."""

import time
import unittest

from lib import session
from lib.palette import TITLE
from lib.scenario import Scenario, script_text
from lib.standin import Client
from lib.winedesk import wait_until
from test_isometric_block import Case
from test_settings import BACKGROUND, read_entries, state_of

TIMEOUT = 60
SLOWER_THAN_A_DOUBLE_CLICK = 0.8
SETTINGS_KEYS = {("Form", "Left"), ("Form", "Top"), ("SleepMsec", "WaitFileMsec")}


def close_by_wm_close(scene):
    session.wintool("close", TITLE)


def close_by_alt_f4(scene):
    scene.palette.desk.press("alt+F4")


def close_by_end_of_session(scene):
    session.wintool("endsession", TITLE)


class CloseDuringWaitTest(unittest.TestCase):
    def start_block_wait(self, name, nested=False):
        """A palette whose picture action waits for a selection that nobody makes (and, when
        `nested`, a second one waiting inside the first one's wait)."""
        scene = Scenario(self, name)
        case = Case("R", 0)
        scene.start([case.square, case.circle, case.label], "# nobody answers\n")
        log = scene.host.log
        first = time.monotonic()
        before = scene.press("picture R")
        log.wait_for("waiting", TIMEOUT, after=before, source="SELECT")
        if nested:
            time.sleep(max(0.0, first + SLOWER_THAN_A_DOUBLE_CLICK - time.monotonic()))
            second = scene.press("picture L")
            log.wait_for("call", TIMEOUT, after=second, member="GetState")
        return scene

    def closed(self, scene, close):
        """Closes the palette with `close` and waits until its window has gone, which writes the
        settings file (the palette starts without one). Returns the host log's last sequence
        number then, and the times the close was sent and the window went."""
        self.assertFalse(scene.palette.settings.exists())
        sent_at = time.monotonic()
        close(scene)
        wait_until(scene.palette.settings.exists, TIMEOUT, "the settings written at the close",
                   interval=0.01)
        return scene.host.log.last_seq(), sent_at, time.monotonic()

    def assert_ended_cleanly(self, scene, mark):
        """The palette ends with 0 and its settings, and after `mark` the host sees nothing from
        it but releases. Returns the time it ended."""
        code = scene.palette.process.wait(TIMEOUT)
        ended_at = time.monotonic()
        self.assertEqual(code, 0)
        self.assertEqual(set(read_entries(scene.palette.settings)), SETTINGS_KEYS)
        log = scene.host.log
        wait_until(lambda: log.live() == 0, TIMEOUT, "every host object released")
        self.assertEqual([line["member"] for line in log.find("call", mark)], [],
                         "host calls after the close")
        return ended_at

    def assert_closed_cleanly(self, scene, close, what):
        mark, sent_at, gone_at = self.closed(scene, close)
        ended_at = self.assert_ended_cleanly(scene, mark)
        print(f"\n  {what}: exit code 0 {ended_at - gone_at:.2f} s after the window went, "
              f"{ended_at - sent_at:.2f} s after the close was sent", flush=True)

    def test_wm_close_of_a_palette_that_waits_for_nothing(self):
        # The yardstick of the times printed by the other tests: what a close costs with no
        # action waiting. Hiding a window as it is destroyed takes Wine as long as the window
        # manager takes to confirm it (the whole close about a fifth of a second under openbox;
        # without a manager Wine waits two seconds for one), whether or not an action was waiting.
        scene = Scenario(self, "close-idle")
        scene.start([], "# nobody answers\n")
        self.assert_closed_cleanly(scene, close_by_wm_close, "WM_CLOSE, no action waiting")

    def test_wm_close_during_a_nested_selection_wait_ends_both_waits(self):
        scene = self.start_block_wait("close-nested-wait", nested=True)
        self.assert_closed_cleanly(scene, close_by_wm_close, "WM_CLOSE in a nested wait")

    def test_alt_f4_during_the_selection_wait(self):
        scene = self.start_block_wait("close-alt-f4")
        # A click on the palette's own background, handled inside the wait, brings it to the
        # front for the keys.
        scale = scene.palette.scale()
        scene.palette.desk.click(scene.palette.window, *(round(v * scale) for v in BACKGROUND))
        wait_until(lambda: "foreground" in state_of(TITLE), TIMEOUT, "the palette in front")
        self.assert_closed_cleanly(scene, close_by_alt_f4, "Alt+F4 in the wait")

    def test_end_of_session_during_the_selection_wait(self):
        scene = self.start_block_wait("close-end-of-session")
        self.assert_closed_cleanly(scene, close_by_end_of_session, "end of session in the wait")

    def test_end_of_session_during_a_pick_then_the_pick_answered_sends_nothing_more(self):
        # The pick is held until a command string arrives from the test's own COM client, after
        # the palette has been closed; then a text is picked, which an action that went on would
        # copy and turn.
        scene = Scenario(self, "close-during-pick")
        text = {"handle": "40", "type": "AcDbText", "text": "寸法", "insertionPoint": [0, 0, 0],
                "height": 10}
        scene.start([text], f"wait-command {script_text(chr(13))}\npick 40\n")
        log = scene.host.log
        before = scene.press("TEXT R")
        log.wait_for("waiting", TIMEOUT, after=before, source="GetEntity")
        # COM's message loop delivers the sent end-of-session messages while the pick waits.
        ending = scene.palette.desk.start(session.exe("wintool.exe"), ["endsession", TITLE])
        self.closed(scene, lambda _: None)
        self.assertEqual(ending.wait(TIMEOUT), 0)
        client = Client(scene.palette.desk)
        self.addCleanup(client.close)
        client.ok("app = connect")
        client.ok("doc = app.ActiveDocument")
        client.ok('doc.SendCommand("\\r")')
        client.ok("release all")
        picked = log.wait_for("return", TIMEOUT, after=before, member="GetEntity")
        answered_at = time.monotonic()
        ended_at = self.assert_ended_cleanly(scene, picked["seq"])
        print(f"\n  end of session during a pick: exit code 0 {ended_at - answered_at:.2f} s "
              "after the pick was answered", flush=True)


if __name__ == "__main__":
    unittest.main()
