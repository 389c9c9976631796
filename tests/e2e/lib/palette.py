"""The palette under test: a copy of orbelle.exe in the test's own folder (so that its settings
file is the test's own), started on the shared Wine desktop and clicked with real pointer events
at its controls' places."""

import re
import shutil
from pathlib import Path

from lib import session

TITLE = "Orbelle '25.01.07A"
CLIENT_SIZE = (225, 102)  # at 96 DPI

# Client rectangles at 96 DPI (left, top, width, height) by the names a user sees. The pictures
# sit 2 pixels inside their panels.
CONTROLS = {
    "picture R": (3, 2, 51, 51),
    "picture TR": (58, 2, 51, 51),
    "picture TL": (114, 2, 51, 51),
    "picture L": (169, 2, 51, 51),
    "TEXT L": (1, 56, 55, 23),
    "TEXT TL": (56, 56, 55, 23),
    "TEXT TR": (112, 56, 55, 23),
    "TEXT R": (167, 56, 55, 23),
    "ROTATE3D": (1, 80, 76, 22),
    "SW": (79, 80, 47, 22),
    "TOP": (127, 80, 47, 22),
    "SE": (175, 80, 47, 22),
}


# Wine 8 reports each OutputDebugString on its "seh" channel, at the warn level:
#   0024:warn:seh:OutputDebugStringA "Orbelle: view preset: no window titled \"nanoCAD 5\"\n"
DEBUG_CHANNEL = "-all,warn+seh"
DEBUG_LINE = re.compile(r':warn:seh:OutputDebugStringA "(.*)"$')
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


def unescape(text):
    r"""A string as Wine's debugstr_a wrote it, read back: \n, \", \\, \xNN and so on."""
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            code = text[i + 1]
            if code == "x" and i + 3 < len(text):
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append(ESCAPES.get(code, code))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class Palette:
    def __init__(self, folder, desk=None, exe=None):
        """`exe`: a palette to run where it stands, in place of a copy of the build's in `folder`."""
        self.desk = desk or session.desktop()
        self.exe = Path(exe or shutil.copy2(session.exe("orbelle.exe"), folder / "orbelle.exe"))
        self.settings = self.exe.with_suffix(".ini")
        self.debug_output = folder / "palette-debug.txt"
        self.process = None
        self.window = None

    def start(self, timeout=60, debug_output=False):
        """Starts the palette; with `debug_output`, what it writes for a debugger is kept (through
        Wine's debug channel) for `debug_lines`."""
        if debug_output:
            self.debug_output.write_bytes(b"")
            self.process = self.desk.start(self.exe, output=self.debug_output,
                                           env={"WINEDEBUG": DEBUG_CHANNEL})
        else:
            self.process = self.desk.start(self.exe)
        self.window = self.desk.wait_window(TITLE, timeout)
        return self

    def debug_lines(self):
        """The lines the palette wrote with OutputDebugString, in order, without their line
        break (only when started with `debug_output`)."""
        if not self.debug_output.exists():
            return []
        lines = []
        for raw in self.debug_output.read_text(errors="replace").splitlines():
            found = DEBUG_LINE.search(raw)
            if found:
                lines.append(unescape(found.group(1)).rstrip("\n"))
        return lines

    def geometry(self):
        """(x, y, width, height) of the client area on the screen."""
        return self.desk.window_geometry(self.window)

    def scale(self):
        return self.geometry()[2] / CLIENT_SIZE[0]

    def point(self, control, dx=None, dy=None):
        """A point inside a control, in the window's pixels (its centre by default)."""
        left, top, width, height = CONTROLS[control]
        x = left + (width / 2 if dx is None else dx)
        y = top + (height / 2 if dy is None else dy)
        factor = self.scale()
        return round(x * factor), round(y * factor)

    def click(self, control):
        self.desk.click(self.window, *self.point(control))

    def double_click(self, control):
        self.desk.double_click(self.window, *self.point(control))

    def move(self, control, dx=None, dy=None):
        self.desk.move(self.window, *self.point(control, dx, dy))

    def stop(self, timeout=10):
        """Closes the palette as a user would; returns its exit code."""
        return self.process.stop(timeout) if self.process else None
