"""The stand-in host starting up: its window, its COM server, and what it refuses."""

import unittest

from lib.session import desktop, exe, work_dir
from lib.standin import (Client, HOST_TITLE, host_exe, register, start_host, windows_path)
from lib.winedesk import wait_until


class StandinStartupTest(unittest.TestCase):

    def setUp(self):
        self.desk = desktop()

    def test_window_and_server_answer_a_second_process(self):
        work = work_dir("standin-window")
        host = start_host(self.desk, work)
        client = Client(self.desk)
        try:
            host.window()
            ready = host.log.find("ready")[0]
            client.ok("app = connect")
            handle = client.ok("app.HWND")
            self.assertEqual(handle, client.ok(f'findwindow "{HOST_TITLE}"'))
            self.assertEqual(handle, ready["hwnd"])
            client.ok("doc = app.ActiveDocument")
            client.ok('doc.SendCommand("^C^C")')
            client.ok("util = doc.Utility")
            client.ok("u = query util InanoCADUtility")
            self.assertFalse(client.call("x = query util IAcadText")["ok"],
                             "the input object is no text")
            host.log.wait_for("command", event="received", text="^C^C")
            created = host.log.find("create")
            self.assertEqual([line["object"] for line in created], ["Application"])
            call = host.log.find("call", member="SendCommand")[0]
            self.assertEqual(call["args"], ["^C^C"])
            self.assertEqual(host.log.find("return", member="SendCommand")[0]["seq"],
                             call["seq"] + 4, "received, two cancels echoed, then the return")
            client.ok("release all")
            host.log.wait_for("released", object="Application")
            self.assertEqual(host.log.live(), 0)
        finally:
            client.close()
            host.stop()

    def test_com_starts_the_host_through_its_registration(self):
        register(self.desk)
        self.assertEqual(self.desk.find_windows(HOST_TITLE), [])
        client = Client(self.desk)
        try:
            client.ok("app = connect")
            self.desk.wait_window(HOST_TITLE, 30)
            self.assertEqual(client.ok("app.HWND"), client.ok(f'findwindow "{HOST_TITLE}"'))
            client.ok("release all")
        finally:
            client.close()
            self.desk.run_quiet(["taskkill", "/im", "nanosim.exe"])
            wait_until(lambda: not self.desk.find_windows(HOST_TITLE), 30, "the host to close")

    def test_title_option_names_the_window_otherwise(self):
        work = work_dir("standin-title")
        host = start_host(self.desk, work, title="nanoCAD 5 - Drawing1")
        try:
            host.window("nanoCAD 5 - Drawing1")
            self.assertEqual(self.desk.find_windows(HOST_TITLE), [])
        finally:
            host.stop()

    def test_window_state_changes_are_logged_in_order_with_the_calls(self):
        work = work_dir("standin-window-state")
        host = start_host(self.desk, work)
        client = Client(self.desk)
        try:
            host.window()
            result = self.desk.run(exe("wintool.exe"), ["minimize", HOST_TITLE])
            self.assertEqual(result.returncode, 0, result.stderr)
            minimized = host.log.wait_for("window", event="minimized")
            client.ok(f'openicon "{HOST_TITLE}"')
            restored = host.log.wait_for("window", event="restored", after=minimized["seq"])
            client.ok("app = connect")
            client.ok("doc = app.ActiveDocument")
            client.ok('doc.SendCommand("^C^C")')
            received = host.log.wait_for("command", event="received", text="^C^C")
            self.assertLess(restored["seq"], received["seq"])
            # After the restore: the window manager also hands the focus back to the minimised
            # window (its only one) before it is restored.
            self.assertTrue(host.log.find("window", event="activated", after=restored["seq"]))
        finally:
            client.close()
            host.stop()

    def test_second_instance_is_refused_and_touches_nothing(self):
        work = work_dir("standin-second")
        host = start_host(self.desk, work)
        try:
            other_log = work / "second-log.jsonl"
            result = self.desk.run(host_exe(), ["--log", windows_path(other_log)], timeout=60)
            self.assertEqual(result.returncode, 3, f"its output:\n{result.stdout}{result.stderr}")
            self.assertIn("already running", result.stderr)
            self.assertFalse(other_log.exists())
            self.assertEqual(len(self.desk.find_windows(HOST_TITLE)), 1)
        finally:
            host.stop()

    def test_bad_options_drawings_and_scripts_are_refused_with_file_and_line(self):
        register(self.desk)
        work = work_dir("standin-bad-input")
        log = work / "kept.jsonl"
        log.write_text("an earlier log\n")
        bad_drawing = work / "bad.json"
        bad_drawing.write_text('{"entities": [\n{"type": "AcDbLine", "points": [[0, 0]]}\n]}\n')
        bad_script = work / "bad.txt"
        bad_script.write_text("select 2A\npoint 1;2\n")
        cases = [
            (["--colour", "red"], 'unknown option "--colour"'),
            (["--title"], "option --title needs a value"),
            (["--script", "--title", "x"], "option --script needs a value"),
            (["--drawing", windows_path(work / "missing.json")], "cannot open the drawing"),
            (["--drawing", windows_path(bad_drawing)], "bad.json:2: entity item 1 needs exactly"),
            (["--script", windows_path(bad_script)], "bad.txt:2: \"1;2\" is not a point"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                result = self.desk.run(host_exe(), ["--log", windows_path(log)] + args,
                                       timeout=60)
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertEqual(log.read_text(), "an earlier log\n", "the log is kept")
        self.assertEqual(self.desk.find_windows(HOST_TITLE), [])


if __name__ == "__main__":
    unittest.main()
