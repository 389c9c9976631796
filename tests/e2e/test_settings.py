"""The settings file beside the palette, on a Wine desktop: where the palette opens, what it
writes when closed, what it leaves alone, and the error box when the file cannot be written.

Positions are the Win32 window's outer edges, read with wintool.exe. Windows' frame is not what
the screen shows: under the window manager (openbox) the frame on the screen is openbox's, and
without one Wine draws none; Windows keeps the outer edges at the client area's corner less the
widths of its own frame."""

import configparser
import unittest
from dataclasses import dataclass

from lib import session
from lib.palette import CLIENT_SIZE, TITLE, Palette
from lib.winedesk import wait_until

TIMEOUT = 60
BOX_TITLE = "orbelle"  # the program's name: the executable's base name
# A point of the palette's own background (96-DPI client pixels), between the pictures and the
# TEXT row: a click there starts nothing.
BACKGROUND = (112, 55)


@dataclass(frozen=True)
class Outer:
    """A top-level window's outer edges and its client area's corner, in screen pixels."""
    left: int
    top: int
    right: int
    bottom: int
    client_left: int
    client_top: int

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top


def outer_of(title):
    return Outer(*map(int, session.wintool("rect", title).split()))


def wait_outer(title, condition, what):
    """The window's Outer once `condition` holds for it."""
    def check():
        outer = outer_of(title)
        return outer if condition(outer) else None
    return wait_until(check, TIMEOUT, what)


def state_of(title):
    """wintool's words for the window: "minimized" or "normal", and "foreground"."""
    return set(session.wintool("state", title).split())


def dos_path(path):
    """The path a program under Wine sees for a Linux path (drive Z: is the root); winepath
    would cut a long one at MAX_PATH."""
    return "Z:" + str(path.resolve()).replace("/", "\\")


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

    def move(self, palette, client_x, client_y):
        """Moves the palette as a drag on its title bar would; returns its new outer rect once
        the window has taken the move."""
        palette.desk.window_move(palette.window, client_x, client_y)
        return wait_outer(TITLE, lambda r: (r.client_left, r.client_top) == (client_x, client_y),
                          f"the palette's client area to reach {client_x}, {client_y}")

    def assert_centred(self, palette):
        """Checks that the palette stands centred on the screen; returns its outer rect."""
        screen_width, screen_height = palette.desk.screen_size()
        rect = outer_of(TITLE)
        self.assertEqual((rect.left, rect.top),
                         ((screen_width - rect.width) // 2, (screen_height - rect.height) // 2))
        return rect

    def close(self, palette):
        self.assertEqual(palette.stop(TIMEOUT), 0)
        return read_entries(palette.settings)

    def test_settings_first_run_opens_centred_and_the_next_opens_where_it_was_closed(self):
        palette = self.open_palette("settings-first-run")
        self.assertFalse(palette.settings.exists())
        rect = self.assert_centred(palette)
        # Where Windows has the client area is where X shows it: the window manager left the
        # palette where the palette put itself.
        self.assertEqual(palette.geometry(), (rect.client_left, rect.client_top, *CLIENT_SIZE))

        moved = self.move(palette, 150, 90)
        self.assertNotEqual((moved.left, moved.top), (rect.left, rect.top))
        self.assertEqual(self.close(palette), {
            ("Form", "Left"): str(moved.left),
            ("Form", "Top"): str(moved.top),
            ("SleepMsec", "WaitFileMsec"): "200",
        })

        palette.start(TIMEOUT)
        reopened = outer_of(TITLE)
        self.assertEqual((reopened.left, reopened.top), (moved.left, moved.top))
        self.assertEqual(palette.geometry(), (150, 90, *CLIENT_SIZE))

    def test_settings_foreign_entries_and_a_hand_set_wait_value_survive(self):
        palette = self.open_palette("settings-foreign", (
            "; kept by hand\n"
            "[Colours]\nTheme=dark\n\n"
            "[Form]\nNote=keep me\nLeft=200\nTop=150\n\n"
            "[SleepMsec]\nWaitFileMsec=750\nRetries=3\n"))
        rect = outer_of(TITLE)
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
        # On a display of its own without a window manager: openbox puts a window that placed
        # itself partly above the screen back on it (down to its title bar), so only a bare
        # display shows where the palette itself puts a negative top, and what it saves.
        self.enterContext(session.bare_desktop())
        palette = self.open_palette("settings-right-edge", "[Form]\nLeft=5000\nTop=-30\n")
        screen_width, _ = palette.desk.screen_size()
        rect = outer_of(TITLE)
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
        self.assertEqual(palette.geometry()[2:], (338, 153))  # the client area at 150 %
        rect = self.assert_centred(palette)
        entries = self.close(palette)
        self.assertEqual((entries[("Form", "Left")], entries[("Form", "Top")]),
                         (str(rect.left), str(rect.top)))

        palette.settings.write_text("[Form]\nLeft=5000\nTop=5000\n", encoding="ascii")
        palette.start(TIMEOUT)
        rect = outer_of(TITLE)
        self.assertEqual((rect.right, rect.bottom), desk.screen_size())

    def test_settings_are_saved_when_the_session_ends(self):
        palette = self.open_palette("settings-end-of-session")
        moved = self.move(palette, 320, 240)
        session.wintool("endsession", TITLE)
        self.assertEqual(palette.process.wait(TIMEOUT), 0)
        self.assertEqual(read_entries(palette.settings), {
            ("Form", "Left"): str(moved.left),
            ("Form", "Top"): str(moved.top),
            ("SleepMsec", "WaitFileMsec"): "200",
        })

    def test_settings_closed_while_minimised_keeps_the_restored_position(self):
        palette = self.open_palette("settings-minimised")
        restored = self.move(palette, 700, 500)
        # Minimise from the system menu by keyboard, as a user without a mouse on the title bar.
        scale = palette.scale()
        palette.desk.click(palette.window, *(round(v * scale) for v in BACKGROUND))
        wait_until(lambda: "foreground" in state_of(TITLE), TIMEOUT, "the palette in front")
        palette.desk.press("alt+space", "n")
        wait_until(lambda: "minimized" in state_of(TITLE), TIMEOUT, "the palette minimised")
        minimised = outer_of(TITLE)
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
        self.assert_centred(palette)
        self.close_into_the_error_box(palette)
        self.assertTrue(palette.settings.is_dir())
        self.assertEqual(list(palette.settings.iterdir()), [])

    def test_settings_of_a_palette_in_a_folder_deeper_than_260_characters(self):
        # Folder names of 50 characters, Japanese among them, down past 300 characters; the
        # 260th falls inside a name, where a path read into MAX_PATH characters is cut.
        root = session.work_dir("settings-long-path")
        desk = session.desktop()
        names = []

        def exe_path():
            return "\\".join([dos_path(root), *names, "orbelle.exe"])
        while len(exe_path()) <= 300:
            names.append("深い フォルダ " + "d" * 42)
        while exe_path()[259] in "\\.":
            names[-1] += "d"
        folder = root.joinpath(*names)
        folder.mkdir(parents=True)
        palette = Palette(folder)
        self.assertEqual(dos_path(palette.exe), exe_path())

        palette.start(TIMEOUT)
        self.addCleanup(palette.stop)
        moved = self.move(palette, 210, 170)
        self.assertEqual(self.close(palette), {
            ("Form", "Left"): str(moved.left),
            ("Form", "Top"): str(moved.top),
            ("SleepMsec", "WaitFileMsec"): "200",
        })

        # The error box names the whole path, under the program's name.
        palette.settings.unlink()
        palette.settings.mkdir()
        palette.start(TIMEOUT)
        self.close_into_the_error_box(palette)

    def close_into_the_error_box(self, palette):
        """Closes a palette whose settings file cannot be written; checks the error box that
        names the file, dismisses it with a click on its button and checks the exit code 0."""
        expected = dos_path(palette.settings) + " に書き込めません"

        palette.desk.run_quiet(["taskkill", "/im", "orbelle.exe"])

        def box_says_it():
            try:
                return expected in session.wintool("texts", BOX_TITLE).splitlines()
            except RuntimeError:  # no box yet
                return False

        wait_until(box_says_it, TIMEOUT, f"an error box titled {BOX_TITLE!r} saying {expected!r}")
        palette.desk.wait_window(BOX_TITLE, TIMEOUT)
        boxes = palette.desk.find_windows(BOX_TITLE)
        self.assertEqual(len(boxes), 1)
        palette.desk.screenshot(palette.settings.parent / "error-box.png")
        self.assertIsNone(palette.process.returncode, "the program ended before the box")

        # Dismissed with a click on its button, once the box is in front and its client area
        # stands on the screen where Windows has put it.
        def ready(box):
            x, y = palette.desk.window_geometry(boxes[0])[:2]
            return (x, y) == (box.client_left, box.client_top) and \
                "foreground" in state_of(BOX_TITLE)

        box = wait_outer(BOX_TITLE, ready, "the error box in front, in place")
        left, top, right, bottom = map(int, session.wintool("child", BOX_TITLE, "OK").split())
        palette.desk.click(boxes[0], (left + right) // 2 - box.client_left,
                           (top + bottom) // 2 - box.client_top)
        self.assertEqual(palette.process.wait(TIMEOUT), 0)


if __name__ == "__main__":
    unittest.main()
