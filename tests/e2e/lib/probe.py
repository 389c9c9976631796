"""What X cannot tell of a Win32 window, read by the helper windowprobe.exe: its outer edges
(without a window manager the X window is the client area only), whether it is minimised or in
front, and the texts of its child windows (a message box's text)."""

import json
from dataclasses import dataclass

from lib import session


@dataclass(frozen=True)
class WindowRect:
    left: int
    top: int
    right: int
    bottom: int
    client_left: int
    client_top: int
    iconic: bool
    foreground: bool

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top


def _probe(desk, command, title):
    """The probe's JSON answer, or None when no top-level window has that title."""
    result = desk.run(session.exe("windowprobe.exe"), [command, title])
    if result.returncode == 1:
        return None
    if result.returncode != 0:
        raise RuntimeError(f"windowprobe {command} {title!r} failed with exit code "
                           f"{result.returncode}: {result.stderr.strip()}")
    return json.loads(result.stdout)


def window_rect(desk, title):
    """The Win32 rectangles of the top-level window titled `title`, or None."""
    answer = _probe(desk, "rect", title)
    if answer is None:
        return None
    left, top, right, bottom = answer["window"]
    return WindowRect(left, top, right, bottom, answer["client"][0], answer["client"][1],
                      bool(answer["iconic"]), bool(answer["foreground"]))


@dataclass(frozen=True)
class Child:
    text: str
    left: int
    top: int
    right: int
    bottom: int

    @property
    def centre(self):
        """The centre in screen pixels."""
        return (self.left + self.right) // 2, (self.top + self.bottom) // 2


def children(desk, title):
    """The child windows (text and screen rect) of the top-level window titled `title`, or
    None when there is no such window."""
    answer = _probe(desk, "children", title)
    if answer is None:
        return None
    return [Child(child["text"], *child["rect"]) for child in answer["children"]]
