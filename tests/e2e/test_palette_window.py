"""The palette's window on a Wine desktop: its size at 96 and 144 DPI, the hover highlight with
real pointer moves, closing, and the program's icon on the window."""

import struct
import subprocess
import unittest

from lib import session
from lib.palette import CLIENT_SIZE, Palette
from lib.winedesk import wait_until

ICON_FILE = session.ROOT / "resources" / "orbelle.ico"


def icon_images(data):
    """{size: ARGB pixels, top row first} of the uncompressed entries of an .ico file, and the
    sizes of all its entries."""
    _, kind, count = struct.unpack_from("<HHH", data)
    assert kind == 1, "not an icon file"
    images, sizes = {}, []
    for i in range(count):
        side, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        size = side or 256
        sizes.append(size)
        entry = data[offset:offset + length]
        if entry.startswith(b"\x89PNG"):
            continue
        header_size, width, _, _, bits = struct.unpack_from("<IiiHH", entry)
        assert (width, bits) == (size, 32), f"entry {i} is not a 32-bit {size} px image"
        rows = [entry[header_size + 4 * size * row:header_size + 4 * size * (row + 1)]
                for row in range(size)]
        images[size] = [int.from_bytes(row[x:x + 4], "little") for row in reversed(rows)
                        for x in range(0, 4 * size, 4)]
    return images, sizes


def window_icons(desk, window):
    """{size: ARGB pixels} of the icons Wine gave the X window (_NET_WM_ICON)."""
    output = subprocess.run(["xprop", "-id", str(window), "-notype", "-f", "_NET_WM_ICON", "32c",
                             " $0+", "_NET_WM_ICON"], env=desk.env, capture_output=True,
                            text=True, check=True, timeout=30).stdout
    values = [int(v) for v in output.split(None, 1)[1].replace(",", " ").split()]
    icons = {}
    while values:
        width, height = values[:2]
        icons[width] = values[2:2 + width * height]
        values = values[2 + width * height:]
    return icons


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

    def test_the_window_carries_the_program_icon_at_16_and_32_pixels(self):
        images, sizes = icon_images(ICON_FILE.read_bytes())
        self.assertEqual((min(sizes), max(sizes)), (16, 256))
        palette = Palette(session.work_dir("palette-icon")).start()
        self.addCleanup(palette.stop)
        # The title bar, the taskbar and the task switcher take the class icons, which Wine
        # hands to X as the window's icons: the very pixels of the file's 16 and 32 px images.
        icons = wait_until(lambda: (lambda found: found if {16, 32} <= found.keys() else None)(
            window_icons(palette.desk, palette.window)), 30, "the palette's window icons")
        for size in (16, 32):
            with self.subTest(size=size):
                self.assertEqual(icons[size], images[size])

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
