"""The settings file beside the palette, on a Wine desktop: where the palette opens, what it
writes when closed, what it leaves alone, and the error box when the file cannot be written.

Positions are the Win32 window's outer edges, read with windowprobe.exe: without a window
manager Wine draws no frame, the X window is the client area alone, and its X position is the
outer position plus the frame's left and top widths."""

import configparser
import unittest

from lib import probe, session
from lib.palette import CLIENT_SIZE, TITLE, Palette
from lib.winedesk import wait_until

TIMEOUT = 60
BOX_TITLE = "orbelle"  # the program's name: the executable's base name
# A point of the palette's own background (96-DPI client pixels), between the pictures and the
# TEXT row: a click there starts nothing.
BACKGROUND = (112, 55)


def read_entries(path):
    """The file's entries as {(section, key): value}, keys in their own case."""
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    parser.read_string(path.read_text(encoding="latin-1"))
    return {(section, key): value for section in parser.sections()
            for key, value in parser.items(section)}


class SettingsFileTest(unittest.TestCase):
    def open_palette(self, name, settings_text=None):
        palette = Palette(session.work_dir(name))
        if settings_text is not None:
            palette.settings.write_text(settings_text, encoding="ascii", newline="\r\n")
        palette.start(TIMEOUT)
        self.addCleanup(palette.stop)
        return palette

    def outer(self, palette):
        rect = probe.window_rect(palette.desk, TITLE)
        self.assertIsNotNone(rect, "the palette's window is gone")
        return rect

    def wait_outer(self, palette, condition, what):
        """The palette's outer rect once `condition` holds for it."""
        def check():
            rect = self.outer(palette)
            return rect if condition(rect) else None
        return wait_until(check, TIMEOUT, what)

    def move(self, palette, client_x, client_y):
        """Moves the palette as a drag on its title bar would; returns its new outer rect once
        the window has taken the move."""
        palette.desk.window_move(palette.window, client_x, client_y)
        return self.wait_outer(
            palette, lambda r: (r.client_left, r.client_top) == (client_x, client_y),
            f"the palette's client area to reach {client_x}, {client_y}")

    def close(self, palette):
        self.assertEqual(palette.stop(TIMEOUT), 0)
        return read_entries(palette.settings)

    def test_settings_first_run_opens_centred_and_the_next_opens_where_it_was_closed(self):
        palette = self.open_palette("settings-first-run")
        self.assertFalse(palette.settings.exists())
        screen_width, screen_height = palette.desk.screen_size()
        rect = self.outer(palette)
        self.assertEqual((rect.left, rect.top),
                         ((screen_width - rect.width) // 2, (screen_height - rect.height) // 2))
        # The probe's client area is the X window: both tell of the same place.
        self.assertEqual(palette.geometry(), (rect.client_left, rect.client_top, *CLIENT_SIZE))

        moved = self.move(palette, 150, 90)
        self.assertNotEqual((moved.left, moved.top), (rect.left, rect.top))
        self.assertEqual(self.close(palette), {
            ("Form", "Left"): str(moved.left),
            ("Form", "Top"): str(moved.top),
            ("SleepMsec", "WaitFileMsec"): "200",
        })

        palette.start(TIMEOUT)
        reopened = self.outer(palette)
        self.assertEqual((reopened.left, reopened.top), (moved.left, moved.top))
        self.assertEqual(palette.geometry(), (150, 90, *CLIENT_SIZE))

    def test_settings_foreign_entries_and_a_hand_set_wait_value_survive(self):
        palette = self.open_palette("settings-foreign", (
            "; kept by hand\n"
            "[Colours]\nTheme=dark\n\n"
            "[Form]\nNote=keep me\nLeft=200\nTop=150\n\n"
            "[SleepMsec]\nWaitFileMsec=750\nRetries=3\n"))
        rect = self.outer(palette)
        self.assertEqual((rect.left, rect.top), (200, 150))
        self.assertEqual(self.close(palette), {
            ("Colours", "Theme"): "dark",
            ("Form", "Note"): "keep me",
            ("Form", "Left"): "200",
            ("Form", "Top"): "150",
            ("SleepMsec", "WaitFileMsec"): "750",
            ("SleepMsec", "Retries"): "3",
        })
        self.assertIn("; kept by hand", palette.settings.read_text(encoding="latin-1"))

    def test_settings_left_past_the_right_edge_touches_it_and_a_negative_top_stays(self):
        palette = self.open_palette("settings-right-edge", "[Form]\nLeft=5000\nTop=-30\n")
        screen_width, _ = palette.desk.screen_size()
        rect = self.outer(palette)
        self.assertEqual((rect.right, rect.top), (screen_width, -30))
        self.assertEqual(palette.geometry()[2:], CLIENT_SIZE)
        entries = self.close(palette)
        self.assertEqual((entries[("Form", "Left")], entries[("Form", "Top")]),
                         (str(screen_width - rect.width), "-30"))

    def test_settings_at_144_dpi_centre_and_clamps_use_the_scaled_outer_size(self):
        desk = session.desktop()
        desk.set_dpi(144)
        self.addCleanup(desk.set_dpi, 96)
        palette = self.open_palette("settings-144dpi")
        screen_width, screen_height = desk.screen_size()
        rect = self.outer(palette)
        self.assertEqual(palette.geometry()[2:], (338, 153))  # the client area at 150 %
        self.assertEqual((rect.left, rect.top),
                         ((screen_width - rect.width) // 2, (screen_height - rect.height) // 2))
        entries = self.close(palette)
        self.assertEqual((entries[("Form", "Left")], entries[("Form", "Top")]),
                         (str(rect.left), str(rect.top)))

        palette.settings.write_text("[Form]\nLeft=5000\nTop=5000\n", encoding="ascii")
        palette.start(TIMEOUT)
        rect = self.outer(palette)
        self.assertEqual((rect.right, rect.bottom), (screen_width, screen_height))

    def test_settings_closed_while_minimised_keeps_the_restored_position(self):
        palette = self.open_palette("settings-minimised")
        restored = self.move(palette, 700, 500)
        # Minimise from the system menu by keyboard, as a user without a mouse on the title bar.
        scale = palette.scale()
        palette.desk.click(palette.window, *(round(v * scale) for v in BACKGROUND))
        self.wait_outer(palette, lambda r: r.foreground, "the palette in front")
        palette.desk.press("alt+space", "n")
        minimised = self.wait_outer(palette, lambda r: r.iconic, "the palette to be minimised")
        self.assertNotEqual((minimised.left, minimised.top), (restored.left, restored.top))
        entries = self.close(palette)
        self.assertEqual((entries[("Form", "Left")], entries[("Form", "Top")]),
                         (str(restored.left), str(restored.top)))

    def test_settings_file_that_cannot_be_written_shows_its_path_and_ends_with_0(self):
        palette = Palette(session.work_dir("settings-unwritable"))
        # File modes do not stop root, under Wine either: a folder stands where the file goes.
        # Reading it gives the defaults.
        palette.settings.mkdir()
        palette.start(TIMEOUT)
        self.addCleanup(palette.stop)
        screen_width, screen_height = palette.desk.screen_size()
        rect = self.outer(palette)
        self.assertEqual((rect.left, rect.top),
                         ((screen_width - rect.width) // 2, (screen_height - rect.height) // 2))
        expected = palette.desk.windows_path(palette.settings) + " に書き込めません"

        palette.desk.run_quiet(["taskkill", "/im", "orbelle.exe"])

        def box_children():
            found = probe.children(palette.desk, BOX_TITLE) or []
            return found if expected in [child.text for child in found] else None

        children = wait_until(box_children, TIMEOUT,
                              f"an error box titled {BOX_TITLE!r} saying {expected!r}")
        boxes = palette.desk.find_windows(BOX_TITLE)
        self.assertEqual(len(boxes), 1)
        palette.desk.screenshot(palette.settings.parent / "error-box.png")
        self.assertIsNone(palette.process.returncode, "the program ended before the box")

        # Dismissed with a click on its button: the X window is the box's client area.
        box = probe.window_rect(palette.desk, BOX_TITLE)
        ok = next(child for child in children if child.text == "OK")
        palette.desk.click(boxes[0], ok.centre[0] - box.client_left, ok.centre[1] - box.client_top)
        self.assertEqual(palette.process.wait(TIMEOUT), 0)
        self.assertTrue(palette.settings.is_dir())
        self.assertEqual(list(palette.settings.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
