"""The palette's window on a Wine desktop: its size at 96 and 144 DPI, the hover highlight with
real pointer moves, and closing."""

import unittest

from lib import session
from lib.palette import CLIENT_SIZE, Palette
from lib.winedesk import wait_until

PANELS = {"picture R": (1, 0, 55, 55), "picture TR": (56, 0, 55, 55),
          "picture TL": (112, 0, 55, 55), "picture L": (167, 0, 55, 55)}


class PaletteWindowTest(unittest.TestCase):
    def test_window_is_225_by_102_at_96_dpi_and_338_by_153_at_144_dpi(self):
        desk = session.desktop()
        for dpi, size in ((96, CLIENT_SIZE), (144, (338, 153))):
            with self.subTest(dpi=dpi):
                folder = session.work_dir(f"palette-{dpi}dpi")
                desk.set_dpi(dpi)
                try:
                    palette = Palette(folder).start()
                    self.assertEqual(palette.geometry()[2:], size)
                    desk.screenshot(folder / f"palette-{dpi}dpi.png", palette.window)
                    self.assertEqual(palette.stop(), 0, "closing should end with exit code 0; "
                                     + palette.process.stop_report)
                finally:
                    desk.set_dpi(96)

    def test_the_hovered_picture_turns_flat_and_stays_flat_until_another_is_hovered(self):
        palette = Palette(session.work_dir("palette-hover")).start()
        self.addCleanup(palette.stop)
        desk = palette.desk

        def panels():
            return {name: desk.pixels(palette.window, box) for name, box in PANELS.items()}

        desk.wait_painted(palette.window)
        raised = panels()
        palette.move("picture TL")
        hovered = wait_until(lambda: (lambda now: now if now["picture TL"] != raised["picture TL"]
                                      else None)(panels()), 30, "the TL panel to turn flat")
        self.assertEqual({name for name in PANELS if hovered[name] != raised[name]},
                         {"picture TL"})

        # Onto a button (its hot look shows the move was handled): the last picture hovered
        # stays flat.
        sw_box = (79, 80, 47, 22)
        sw_before = desk.pixels(palette.window, sw_box)
        palette.move("SW")
        wait_until(lambda: desk.pixels(palette.window, sw_box) != sw_before, 30,
                   "the SW button's hot look")
        self.assertEqual(panels(), hovered)
        palette.move("picture L")
        moved = wait_until(lambda: (lambda now: now if now["picture L"] != raised["picture L"]
                                    else None)(panels()), 30, "the L panel to turn flat")
        self.assertEqual(moved["picture TL"], raised["picture TL"], "TL should be raised again")
        self.assertEqual({name for name in PANELS if moved[name] != raised[name]},
                         {"picture L"})


if __name__ == "__main__":
    unittest.main()
