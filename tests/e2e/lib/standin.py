"""Talking about the stand-in host in end-to-end tests: start it on a Wine desktop, read its
log, wait for a log line, load a drawing it saved, and the world coordinates of block
references; plus the small COM client the host's own tests drive it with.

    from lib.standin import start_host, load_drawing
    host = start_host(desk, work, drawing=DEMO, script="select 2A\\n")
    line = host.log.wait_for(kind="command", event="received", text="SELECT\\r")
    ...
    host.stop()
"""

import json
import queue
import subprocess
import tempfile
import threading
from pathlib import Path

from lib.winedesk import wait_until

ROOT = Path(__file__).resolve().parents[3]
DEMO_DRAWING = ROOT / "sim" / "demo" / "demo.json"
HOST_TITLE = "nanoCAD 5"

_registered = set()  # prefixes in which the host has been registered in this run


def windows_path(path):
    """A Linux path as a Windows program under Wine sees it (drive Z: is the root)."""
    return "Z:" + str(Path(path).resolve())


# -- the log ----------------------------------------------------------------------------------

def matches(line, kind=None, **fields):
    """True when a log line has that kind and those field values (a callable value is a test)."""
    if kind is not None and line.get("kind") != kind:
        return False
    for key, wanted in fields.items():
        value = line.get(key)
        if callable(wanted):
            if not wanted(value):
                return False
        elif value != wanted:
            return False
    return True


class HostLog:
    """The host's log: one JSON object a line, each with "seq", "kind" and "live"."""

    def __init__(self, path):
        self.path = Path(path)

    def lines(self):
        """Every complete line so far, parsed (a line still being written is left out)."""
        if not self.path.exists():
            return []
        text = self.path.read_text(encoding="utf-8")
        complete = text[:text.rfind("\n") + 1]
        return [json.loads(line) for line in complete.splitlines() if line.strip()]

    def find(self, kind=None, after=0, **fields):
        """The lines after sequence number `after` that match."""
        return [line for line in self.lines()
                if line["seq"] > after and matches(line, kind, **fields)]

    def wait_for(self, kind=None, timeout=30, after=0, predicate=None, **fields):
        """Waits for the first line after `after` that matches (and satisfies `predicate`)."""
        def found():
            for line in self.find(kind, after, **fields):
                if predicate is None or predicate(line):
                    return line
            return None
        what = f"a log line {kind or ''} {fields or ''} in {self.path}"
        return wait_until(found, timeout, what)

    def last_seq(self):
        lines = self.lines()
        return lines[-1]["seq"] if lines else 0

    def live(self):
        """The count of automation objects alive at the last line."""
        lines = self.lines()
        return lines[-1]["live"] if lines else 0

    def commands(self, after=0):
        """The command strings received, in order."""
        return [line["text"] for line in self.find("command", after, event="received")]


# -- the host ---------------------------------------------------------------------------------

class StandinHost:
    """A running stand-in host and its files."""

    def __init__(self, desk, process, log, work):
        self.desk = desk
        self.process = process
        self.log = log
        self.work = work

    def window(self, title=HOST_TITLE, timeout=30):
        return self.desk.wait_window(title, timeout)

    def stop(self):
        return self.process.stop()


def host_exe():
    from lib.session import exe
    return exe("nanosim.exe")


def register(desk):
    """Registers the host's class and type library in the desktop's prefix, once per run."""
    if desk.prefix in _registered:
        return
    result = desk.run(host_exe(), ["/RegServer"], timeout=120)
    if result.returncode != 0:
        raise RuntimeError(f"nanosim.exe /RegServer failed ({result.returncode}): {result.stderr}")
    _registered.add(desk.prefix)


def start_host(desk, work, drawing=DEMO_DRAWING, script=None, title=None, dialect=None,
               release=None, class_id=None, version=None, dispatch=None, timeout=60):
    """Starts the host with a log in `work`, and waits until it is ready.

    script: the text of a script of answers (written to work/script.txt), or None.
    dialect: how it encodes its answers (sim/README.md), canonical if None.
    release: "5" (the class object, found by CoCreateInstance) or "24" (the application in the
        Running Object Table and the program IDs nanoCAD.Application.24.0 and
        nanoCAD.Application, found by GetActiveObject); "5" if None. Give release 24 a title of
        its own: its real window title is not known.
    class_id, version: with release "24", a release of the test's own: its class ID
        ("{...}") and version ("26.0"), registered as nanoCAD.Application.26.0; both or neither.
    dispatch: "hand" or "type-library" (who answers IDispatch); release 5's default is "hand",
        release 24 has only "type-library".
    The ready line says what it became: `release`, `dispatch`, `classId`, `programIds`."""
    register(desk)
    work = Path(work)
    log_path = work / "host-log.jsonl"
    args = ["--log", windows_path(log_path)]
    if drawing is not None:
        args += ["--drawing", windows_path(drawing)]
    if script is not None:
        script_path = work / "script.txt"
        script_path.write_text(script, encoding="utf-8")
        args += ["--script", windows_path(script_path)]
    if title is not None:
        args += ["--title", title]
    if dialect is not None:
        args += ["--dialect", dialect]
    for option, value in (("--release", release), ("--class-id", class_id),
                          ("--version", version), ("--dispatch", dispatch)):
        if value is not None:
            args += [option, value]
    process = desk.start(host_exe(), args, output=work / "host-output.txt")
    log = HostLog(log_path)
    try:
        log.wait_for("ready", timeout=timeout)
    except TimeoutError:
        process.stop()
        output = (work / "host-output.txt").read_text(errors="replace")
        raise RuntimeError(f"the stand-in host did not get ready; its output:\n{output}")
    return StandinHost(desk, process, log, work)


# -- saved drawings ---------------------------------------------------------------------------

def load_drawing(path, timeout=30):
    """A drawing the host saved as JSON (waits for the file to be complete)."""
    path = Path(path)
    wait_until(lambda: path.exists() and path.read_text(encoding="utf-8").endswith("\n"),
               timeout, f"the saved drawing {path}")
    return json.loads(path.read_text(encoding="utf-8"))


def entity(drawing, handle):
    """The model-space entity with that handle, or None."""
    return next((e for e in drawing["entities"] if e["handle"] == handle.upper()), None)


def block_references(drawing):
    return [e for e in drawing["entities"] if e["type"] == "AcDbBlockReference"]


def world_points(reference):
    """The defining points of a block reference's entities in world coordinates, entity by
    entity: [[x, y, z], ...] for each entity of its block (nested references followed)."""
    out = []
    for part in reference["world"]:
        if "points" in part:
            out.append(part["points"])
        elif "center" in part:
            out.append([part["center"]])
        else:
            out.append([part["insertionPoint"]])
    return out


# -- the COM test client ----------------------------------------------------------------------

class Client:
    """standin_client.exe under Wine: one operation a line in, one JSON answer a line out."""

    def __init__(self, desk):
        from lib.session import exe
        # Its error output goes to a file, not a pipe (Wine's helpers inherit the handle and
        # outlive the program), and is shown if the client ends while an answer is awaited.
        self._errors = tempfile.TemporaryFile()
        self._process = subprocess.Popen(
            ["wine", str(exe("standin_client.exe"))], env=desk.env, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=self._errors, start_new_session=True)
        self._answers = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self._process.stdout:
            self._answers.put(raw.decode("utf-8", errors="replace"))
        self._answers.put(None)

    def send(self, line):
        """Sends an operation without waiting for its answer (for calls that block)."""
        self._process.stdin.write((line + "\n").encode("utf-8"))
        self._process.stdin.flush()

    def answer(self, timeout=60):
        try:
            text = self._answers.get(timeout=timeout)
        except queue.Empty:
            raise TimeoutError(f"the COM client gave no answer in {timeout} s") from None
        if text is None:
            raise RuntimeError(f"the COM client ended ({self._ending()})")
        return json.loads(text)

    def _ending(self):
        try:
            code = self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            code = "still running"
        self._errors.seek(0)
        errors = self._errors.read().decode("utf-8", errors="replace").strip()
        return f"exit code {code}; its error output: {errors or 'none'}"

    def call(self, line, timeout=60):
        """Runs one operation and returns its answer ({"ok": ..., "result": ...})."""
        self.send(line)
        return self.answer(timeout)

    def ok(self, line, timeout=60):
        """Runs one operation that must succeed; returns its result."""
        answer = self.call(line, timeout)
        if not answer.get("ok"):
            raise AssertionError(f"{line!r} failed: {answer}")
        return answer.get("result")

    def close(self, timeout=30):
        if self._process.poll() is None:
            try:
                self.send("quit")
                self._process.wait(timeout=timeout)
            except (OSError, subprocess.TimeoutExpired):
                self._process.kill()
                self._process.wait(timeout=timeout)
        self._errors.close()
