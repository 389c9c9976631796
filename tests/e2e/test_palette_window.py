"""The palette's window on a Wine desktop: size per DPI, what it shows, closing."""

import unittest

from lib import session
from lib.palette import CLIENT_SIZE, Palette
from lib.winedesk import wait_until


class PaletteWindowTest(unittest.TestCase):
    def test_window_is_225_by_102_at_96_dpi_and_closes_with_exit_code_0(self):
        folder = session.work_dir("palette-96dpi")
        palette = Palette(folder).start()
        self.assertEqual(palette.geometry()[2:], CLIENT_SIZE)
        palette.desk.screenshot(folder / "palette-96dpi.png", palette.window)
        self.assertEqual(palette.stop(), 0)

    def test_hovered_picture_turns_flat(self):
        folder = session.work_dir("palette-hover")
        palette = Palette(folder).start()
        try:
            shot = folder / "before.png"
            palette.desk.screenshot(shot, palette.window)
            before = shot.read_bytes()
            palette.move("picture TL")
            # The bevel of the hovered panel goes: the picture's pixels change.
            wait_until(lambda: palette.desk.screenshot(folder / "after.png", palette.window)
                       .read_bytes() != before, 20, "the hovered panel to be repainted")
        finally:
            palette.stop()
