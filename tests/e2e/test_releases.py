"""The host's releases end to end, with stand-in hosts whose objects the type library dispatches:
nanoCAD 5 (found by its window title), release 24 and a later release of the test's own with
24's interfaces (found running by their program IDs). Each runs one picture, one TEXT copy, one
ROTATE3D and one view action, checked with the same strings, orders and bits as the canonical
tests of those buttons. Beside them: both releases running at once (nanoCAD 5 gets every call),
a release-24 host that has quit, and no host at all (nothing happens, nothing is started)."""

import json
import subprocess
import unittest
from pathlib import Path

import test_isometric_block as block
import test_isometric_text as text
import test_rotate3d as rotate
from lib import session
from lib.palette import Palette
from lib.scenario import TOP_VIEW, Scenario, script_text
from lib.standin import HOST_TITLE, start_host
from lib.winedesk import stop_together, wait_until
from test_dialects import CanonicalChecks

TIMEOUT = 60
VIEW_SW = "^C-VIEW SWISO ZOOM E\r"
VIEW_SE = "^C-VIEW SEISO ZOOM E\r"
LATER_TITLE = "nanoCAD x64 24.0 (stand-in)"
OWN_CLASS = "{0B5E11E0-0A1C-4D26-9D0E-2600000000AB}"
# (folder, host options, program ID the palette's lines name, title)
RELEASES = [
    ("nanocad-5", {"dispatch": "type-library"}, None, None),
    ("release-24", {"release": "24"}, "nanoCAD.Application.24.0", LATER_TITLE),
    ("release-26", {"release": "24", "class_id": OWN_CLASS, "version": "26.0"},
     "nanoCAD.Application.26.0", "nanoCAD 26 (a test's own)"),
]
PLANES = ("R", "TL", "L")


class Stage(Scenario):
    """The test's one palette beside one host, saving into a folder of its own."""

    def __init__(self, test, work, palette):  # pylint: disable=super-init-not-called
        self.test = test
        self.work = work
        self.palette = palette
        self.host = None
        self.view_action = None

    def snapshot(self, name):
        # The TOP click whose view string the script answers by saving is this stage's view
        # action: its log lines are kept.
        self.view_action = self.click("TOP")
        return self.saved(name)


def nanosim_processes(desk):
    """The stand-in hosts running in the desktop's Wine prefix, whatever started them."""
    found = subprocess.run(["pgrep", "-f", "nanosim.exe"], capture_output=True, text=True)
    running = []
    for pid in found.stdout.split():
        try:
            environment = Path(f"/proc/{pid}/environ").read_bytes().split(b"\0")
        except OSError:
            continue  # ended meanwhile
        if f"WINEPREFIX={desk.prefix}".encode() in environment:
            running.append(pid)
    return running


class ReleasesTest(CanonicalChecks, unittest.TestCase):

    def start_palette(self, name):
        work = session.work_dir(name)
        palette = Palette(work, session.desktop()).start(TIMEOUT, debug_output=True)
        self.addCleanup(palette.stop)
        return work, palette

    def start_stage_host(self, stage, script, entities, **options):
        drawing = stage.work / "drawing.json"
        drawing.write_text(json.dumps({"format": "orbelle-standin-drawing", "version": 1,
                                       "entities": entities}, ensure_ascii=False),
                           encoding="utf-8")
        stage.host = start_host(session.desktop(), stage.work, drawing=drawing, script=script,
                                **options)
        self.addCleanup(stage.host.stop)
        self.assertEqual(stage.host.log.live(), 0, "the host holds objects before any click")
        return stage.host

    def test_each_release_runs_a_block_a_text_a_rotation_and_a_view_as_nanocad_5_does(self):
        work, palette = self.start_palette("releases")
        for index, (name, options, program_id, title) in enumerate(RELEASES):
            with self.subTest(release=name):
                stage = Stage(self, work / name, palette)
                stage.work.mkdir()
                case = block.Case(PLANES[index], index)
                button, picked, anchor, second = text.COPIES[index]
                turn, first, last, degrees = rotate.TURNS[index % len(rotate.TURNS)]
                move = script_text(f"move\rL\r\r{anchor}\r")
                script = (f"save-json {stage.path('start.json')}\n"
                          + case.script(stage)
                          + f"pick {picked['handle']}\n"
                          f"wait-command {move}\n"
                          f"save-json {stage.path(text.file_name(button, 'waiting'))}\n"
                          f"point {second[0]:g},{second[1]:g}\n"
                          f"save-json {stage.path(text.file_name(button, 'placed'))}\n"
                          f"select 40 41\npoint {rotate.point_text(first)}\n"
                          f"point {rotate.point_text(last)}\nnumber {degrees:g}\n"
                          + stage.snapshot_steps(f"{turn}.json"))
                entities = [case.square, case.circle, case.label, text.FLAT, text.CENTRED,
                            rotate.SQUARE, rotate.LINE, rotate.BYSTANDER]
                host = self.start_stage_host(stage, script, entities, title=title, **options)
                ready = host.log.wait_for("ready", TIMEOUT)
                self.assertEqual(ready["dispatch"], "type-library")
                start = stage.saved("start.json")
                before = host.log.last_seq()

                self.run_picture(stage, case)
                self.check_copy(stage, start, button, picked, anchor, second)
                self.check_turn(stage, start, turn, first, last, degrees)
                self.assertEqual(stage.view_action.sent(), ["^C^C", TOP_VIEW])

                lines = host.log.find(after=before)
                # The type library answers in the declared types: the window handle a LONG_PTR.
                handles = {line["encoding"] for line in lines
                           if line["kind"] == "return" and line["member"] == "HWND"}
                self.assertEqual(handles, {"VT_I8"})
                self.assertEqual([line for line in lines if line["kind"] == "fail"], [])
                if program_id is not None:
                    self.assertIn(program_id, ready["programIds"])
                    # Found in the Running Object Table: no object was created for the palette.
                    self.assertEqual([line for line in lines if line["kind"] == "create"], [])
                self.assertEqual(palette.debug_lines(), [], "an action ended early")
                stop_together([host.process])

    def test_both_releases_running_a_host_that_quit_and_none(self):
        work, palette = self.start_palette("releases-beside")
        older = Stage(self, work / "nanocad-5", palette)
        later = Stage(self, work / "release-24", palette)
        for stage in (older, later):
            stage.work.mkdir()
        self.start_stage_host(older, None, [])
        self.start_stage_host(later, None, [], release="24", title=LATER_TITLE)

        # Both run: nanoCAD 5, found by its window, gets every call; release 24 none.
        quiet_from = later.host.log.last_seq()
        action = older.click("SW")
        self.assertEqual(action.sent(), ["^C^C", VIEW_SW])
        automation = ("create", "lookup", "call", "return", "fail", "released", "command")
        self.assertEqual([line for line in later.host.log.find(after=quiet_from)
                          if line["kind"] in automation], [], "release 24 was called")

        # Release 24 alone: found by its program ID. (The hosts share a program name, which
        # taskkill would close both by: nanoCAD 5 is closed by its window.)
        # SE, not SW again: two presses on one spot within the double-click time are one
        # double-click, which starts no second action.
        session.wintool("close", HOST_TITLE)
        self.assertEqual(older.host.process.wait(TIMEOUT), 0)
        action = later.click("SE")
        self.assertEqual(action.sent(), ["^C^C", VIEW_SE])

        # Release 24 has quit: its program IDs are gone with it, and a click does nothing.
        self.assertEqual(stop_together([later.host.process]), [0])
        lines_before = len(palette.debug_lines())
        for control in ("SW", "picture R", "TEXT R", "ROTATE3D"):
            palette.click(control)
        lines = wait_until(lambda: (lambda got: got if len(got) >= lines_before + 4 else None)(
            palette.debug_lines()), TIMEOUT, "a debug line for each of four clicks")
        actions = ("view preset", "isometric block", "isometric text", "3-D rotation")
        self.assertEqual(lines[lines_before:],
                         [f'Orbelle: {name}: no window titled "nanoCAD 5"' for name in actions])
        self.assertIsNone(palette.process.returncode, "the palette ended")
        # Nothing was started for those clicks: nanoCAD 5's class is registered with a server
        # COM could start, but without its window the palette never creates it.
        self.assertEqual(nanosim_processes(palette.desk), [])

        # A release-24 host killed: its program IDs stay behind, the Running Object Table knows
        # it no more, and a click says so.
        killed = Stage(self, work / "killed", palette)
        killed.work.mkdir()
        self.start_stage_host(killed, None, [], release="24", title=LATER_TITLE)
        killed.host.process.popen.kill()
        killed.host.process.popen.wait(TIMEOUT)
        palette.click("SW")
        lines = wait_until(lambda: (lambda got: got if len(got) >= lines_before + 5 else None)(
            palette.debug_lines()), TIMEOUT, "a debug line for the click after the kill")
        self.assertEqual(lines[-1], 'Orbelle: view preset: no window titled "nanoCAD 5"; looked '
                         'for nanoCAD.Application.24.0 (not running), nanoCAD.Application (as '
                         'nanoCAD.Application.24.0)')
        self.assertIsNone(palette.process.returncode, "the palette ended")
        # What the killed host left is taken over and removed by the next one's normal end.
        cleanup = Stage(self, work / "cleanup", palette)
        cleanup.work.mkdir()
        self.start_stage_host(cleanup, None, [], release="24", title=LATER_TITLE)
        self.assertEqual(stop_together([cleanup.host.process]), [0])


if __name__ == "__main__":
    unittest.main()
