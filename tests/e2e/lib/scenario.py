"""A palette beside a scripted stand-in host, in one test folder: the drawing written from Python,
a click on the palette that waits until its action has let go of every host object, the log
lines of that click, and drawings the script saved.

    scene = Scenario(self, "block-planes")
    scene.start(entities, script=f"select 10 11\\npoint 25,12.5\\n{scene.snapshot_steps('a')}")
    action = scene.click("picture R")
    self.assertEqual(action.sent(), [...])
    drawing = scene.snapshot("a")
"""

import json

from lib import session
from lib.palette import Palette
from lib.standin import load_drawing, start_host, windows_path
from lib.winedesk import stop_together

# The TOP button's view string. Text actions send no command string of their own, so a script
# takes it as its cue to save the drawing once an action has ended: its "^C^C" and the change
# of view touch no object.
TOP_VIEW = "^C-VIEW O T ZOOM E\r"


def script_text(text):
    """A text for a script step, in double quotes with the script's escapes."""
    escaped = text.replace("\\", "\\\\").replace('"', '\\"')
    return '"' + escaped.replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t") + '"'


class ActionLog:
    """The host's log lines of one click, from the click to the release of its last object."""

    def __init__(self, lines):
        self.lines = lines

    def calls(self, member, kind="call"):
        return [line for line in self.lines if line["kind"] == kind and line["member"] == member]

    def sent(self):
        """The command strings the palette passed to SendCommand, in order."""
        return [line["args"][0] for line in self.calls("SendCommand")]

    def puts(self, member):
        """The values written to a property, in order."""
        return [line["args"][0] for line in self.calls(member) if "put" in line["flags"]]

    def find(self, kind, **fields):
        return [line for line in self.lines if line["kind"] == kind
                and all(line.get(key) == value for key, value in fields.items())]

    def first(self, kind, **fields):
        found = self.find(kind, **fields)
        if not found:
            raise AssertionError(f"no log line {kind} {fields} in this action; its lines:\n"
                                 + "\n".join(json.dumps(line, ensure_ascii=False)
                                             for line in self.lines))
        return found[0]


class Scenario:
    def __init__(self, test, name):
        self.test = test
        self.work = session.work_dir(name)
        self.host = None
        self.palette = None

    def folder(self, name):
        """The same palette and host (once started), with the files that script steps save in
        a subfolder."""
        return Folder(self, name)

    def path(self, name):
        """A file of the test folder as the host sees it, for script steps."""
        return windows_path(self.work / name)

    def snapshot_steps(self, name):
        """The script steps that save the drawing as `name` when `snapshot(name)` asks."""
        return f"wait-command {script_text(TOP_VIEW)}\nsave-json {self.path(name)}\n"

    def start(self, entities, script, debug_output=False, **drawing_fields):
        """Starts the host on a drawing of these entities with the script, then the palette
        (keeping its debug output when asked: Palette.debug_lines)."""
        drawing = self.work / "drawing.json"
        drawing.write_text(json.dumps({"format": "orbelle-standin-drawing", "version": 1,
                                       "entities": entities, **drawing_fields},
                                      ensure_ascii=False, indent=1), encoding="utf-8")
        desk = session.desktop()
        self.host = start_host(desk, self.work, drawing=drawing, script=script)
        self.test.addCleanup(self.host.stop)
        self.palette = Palette(self.work, desk).start(debug_output=debug_output)
        self.test.addCleanup(stop_together, [self.palette.process, self.host.process])
        self.test.assertEqual(self.host.log.live(), 0, "the host holds objects before any click")
        return self

    def press(self, control):
        """Clicks a palette control without waiting; returns the log's sequence number before
        the click, for `finished`."""
        before = self.host.log.last_seq()
        self.palette.click(control)
        return before

    def finished(self, before, timeout=60):
        """Waits until the host holds no object of the palette's again after `before`; returns
        the log lines from then to that moment."""
        log = self.host.log
        end = log.wait_for("released", timeout, after=before,
                           predicate=lambda line: line["live"] == 0)
        return ActionLog([line for line in log.lines() if before < line["seq"] <= end["seq"]])

    def click(self, control, timeout=60):
        """Clicks a palette control and waits for its action to end (`finished`)."""
        return self.finished(self.press(control), timeout)

    def saved(self, name, timeout=60):
        """A drawing the script saved as `name` (waits for it)."""
        return load_drawing(self.work / name, timeout)

    def snapshot(self, name):
        """Clicks TOP, whose view string the script answers by saving the drawing as `name`."""
        self.click("TOP")
        return self.saved(name)


class Folder(Scenario):
    """A scenario's palette and host, saving into a subfolder of its own."""

    def __init__(self, parent, name):  # pylint: disable=super-init-not-called
        self.test = parent.test
        self.parent = parent
        self.work = parent.work / name
        self.work.mkdir(exist_ok=True)

    host = property(lambda self: self.parent.host)
    palette = property(lambda self: self.parent.palette)
