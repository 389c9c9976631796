"""A form's window that fails half-built leaves no window behind: the Windows test program
formwindow_failures.exe (tests/e2e/formwindow/) refuses, in turn, each window its construction
creates, a picture, and the font, and counts the thread's windows after each."""

import unittest

from lib import session

# Every kind of step that must have been made to fail at least once.
KINDS = ("(OrbelleForm) refused", "(OrbelleControl) refused", "(tooltips_class32) refused",
         "picture that does not decode", "font refused")


class FormWindowFailureTest(unittest.TestCase):
    def test_a_form_window_failing_at_each_step_of_its_construction_leaves_no_window(self):
        result = session.desktop().run(session.exe("formwindow_failures.exe"), timeout=120)
        cases = [line for line in result.stdout.splitlines()
                 if line.startswith(("ok ", "FAIL "))]
        for line in cases:
            with self.subTest(case=line.split(" ", 1)[1].split(":")[0]):
                self.assertTrue(line.startswith("ok "), line)
        for kind in KINDS:
            self.assertTrue(any(kind in line for line in cases),
                            f"no case {kind!r} in:\n{result.stdout}{result.stderr}")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main()
