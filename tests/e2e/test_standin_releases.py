"""The stand-in host's releases and its type-library dispatch, through the real marshaler:
release 5 and release 24 answered by the type library (ITypeInfo), release 24 and a release of
the test's own found as their clients find them (the program ID, then the Running Object Table),
and what they register gone when they end, while keys that are not theirs stay as they were."""

import unittest

from lib.session import desktop, work_dir
from lib.standin import Client, host_exe, register, start_host, windows_path

# Release 24.0's identifiers (sim/win32/nanosim24.idl); release 5's the client knows by name.
R24_CLASS = "{12E0773B-1BA7-464D-9FA9-74F71E954ED2}"
R24_APPLICATION = "{131B04FD-1ABF-4105-A809-713789256353}"
R24_TEXT = "{5750A4E3-B3CE-4A1C-A228-EB0C12EEDC5E}"
# A release of the test's own, and a class that is no host's at all.
OWN_CLASS = "{6E3B1C0A-26AA-4C3B-9D2E-00000000002F}"
OTHER_CLASS = "{0D7A3D22-5B1E-4C59-8E53-3F1A90C7B001}"

MEMBER_NOT_FOUND = "0x80020003"
DISP_EXCEPTION = "0x80020009"
ABORTED = "0x80004004"
NO_INTERFACE = "0x80004002"
NOT_A_PROGRAM_ID = "0x800401F3"   # CO_E_CLASSSTRING
NOT_RUNNING = "0x800401E3"        # MK_E_UNAVAILABLE

CLASSES = r"HKLM\Software\Classes"


class StandinReleasesTest(unittest.TestCase):

    def setUp(self):
        self.desk = desktop()

    def reg(self, *args):
        return self.desk.run_quiet(["reg", *args])

    def program_id_class(self, program_id):
        """The class a program ID names in the registry COM reads, or None."""
        result = self.reg("query", rf"{CLASSES}\{program_id}\CLSID", "/ve")
        if result.returncode != 0:
            return None
        return next((word for word in result.stdout.split() if word.startswith("{")), None)

    def exercise_type_library_dispatch(self, host, client, text_interface):
        """What a client of a host built on its type library meets, on `app`; the script
        answers one pick and then Escape."""
        hwnd = client.call("invoke app.hwnd method|get ()")
        self.assertEqual((hwnd["status"], hwnd["type"]), ("0x00000000", "VT_I8"))
        self.assertEqual(hwnd["result"], host.log.find("ready")[0]["hwnd"])
        self.assertEqual(client.call("invoke app.HWND method ()")["status"], MEMBER_NOT_FOUND,
                         "a property read is no method call")
        client.ok("doc = app.activedocument")
        client.ok("util = doc.Utility")
        picked = client.call('invoke util.GETENTITY method (out obj, out pt, "TEXT を指示 : ")')
        self.assertEqual(picked["status"], "0x00000000", picked)
        self.assertEqual(picked["outTypes"], {"obj": "VT_DISPATCH", "pt": "VT_ARRAY|VT_R8"})
        self.assertEqual(picked["out"]["pt"], [0, -30, 0])
        client.ok(f"t = query obj {text_interface}")
        self.assertEqual(client.ok("t.ObjectName"), "AcDbText")
        height = client.call("invoke t.Height method|get ()")
        self.assertEqual((height["type"], height["result"]), ("VT_R8", 10))
        cancelled = client.call('invoke util.GetPoint method (missing, "点を指示 : ")')
        self.assertEqual((cancelled["status"], cancelled["scode"], cancelled["description"],
                          cancelled["source"]),
                         (DISP_EXCEPTION, ABORTED, "Cancelled by the user (Escape)", "nanoCAD"))
        self.assertGreater(host.log.live(), 0)
        client.ok("release all")
        host.log.wait_for("released", predicate=lambda line: line["live"] == 0)

        lookups = {line["name"]: line["dispid"] for line in host.log.find("lookup")}
        self.assertEqual((lookups["hwnd"], lookups["GETENTITY"], lookups["activedocument"]),
                         (0x2C, 0x60020013, 0x5), "the type library's DISPIDs, found in any case")
        answered = {line["member"]: line["encoding"] for line in host.log.find("return")}
        self.assertEqual(answered["HWND"], "VT_I8")
        self.assertEqual(answered["Height"], "VT_R8")
        fails = [(line["member"], line["status"], line["scode"]) for line in host.log.find("fail")]
        self.assertEqual(fails, [("HWND", MEMBER_NOT_FOUND, MEMBER_NOT_FOUND),
                                 ("GetPoint", DISP_EXCEPTION, ABORTED)])

    def test_release_5_and_24_dispatched_by_their_type_libraries(self):
        script = "pick 2D\nescape\n"
        host = start_host(self.desk, work_dir("standin-releases-5"), script=script,
                          dispatch="type-library")
        client = Client(self.desk)
        try:
            client.ok("app = connect")
            ready = host.log.find("ready")[0]
            self.assertEqual((ready["release"], ready["dispatch"], ready["dialect"],
                              ready["programIds"]), ("5", "type-library", "type-library", []))
            self.exercise_type_library_dispatch(host, client, "IAcadText")
            self.assertEqual(host.log.find("create")[0]["dialect"], "type-library")
        finally:
            client.close()
            host.stop()

        # Release 24 is found through its program ID in the Running Object Table, and answers
        # its own interface IDs only. The script ends it once told.
        host = start_host(self.desk, work_dir("standin-releases-24"), release="24",
                          title="nanoCAD 24 (stand-in)",
                          script=script + 'wait-command "BYE\\r"\nexit\n')
        client = Client(self.desk)
        try:
            ready = host.log.find("ready")[0]
            self.assertEqual((ready["release"], ready["dispatch"], ready["classId"],
                              ready["programIds"]),
                             ("24", "type-library", R24_CLASS,
                              ["nanoCAD.Application.24.0", "nanoCAD.Application"]))
            self.assertEqual(self.program_id_class("nanoCAD.Application.24.0"), R24_CLASS)
            self.assertEqual(client.ok('app = connect "nanoCAD.Application.24.0"'), R24_CLASS)
            self.assertEqual(client.ok('newest = connect "nanoCAD.Application"'), R24_CLASS)
            client.ok(f"a = query app {R24_APPLICATION}")
            self.assertEqual(client.call("a5 = query app InanoCADApplication")["status"],
                             NO_INTERFACE, "release 5's application ID is not release 24's")
            self.assertEqual(host.log.live(), 0, "the table's application is no client's")
            self.exercise_type_library_dispatch(host, client, R24_TEXT)
            self.assertEqual(host.log.find("create"), [])

            client.ok('app = connect "nanoCAD.Application.24.0"')
            client.ok("doc = app.ActiveDocument")
            client.ok('doc.SendCommand("BYE\\r")')
            self.assertEqual(host.process.popen.wait(timeout=30), 0, "the exit step")
            self.assertEqual(client.call('x = connect "nanoCAD.Application.24.0"')["status"],
                             NOT_A_PROGRAM_ID, "its program IDs are gone")
            self.assertIsNone(self.program_id_class("nanoCAD.Application"))
            self.assertEqual(client.call(f"x = connect {R24_CLASS}")["status"], NOT_RUNNING)
        finally:
            client.close()
            host.stop()

    def test_a_release_of_its_own_leaves_other_classes_program_ids_alone(self):
        """--class-id and --version: found by its own program ID; a version-independent ID
        naming another class is left as it is, and a versioned one refuses the start."""
        register(self.desk)
        independent = rf"{CLASSES}\nanoCAD.Application"
        taken = rf"{CLASSES}\nanoCAD.Application.27.0"
        for key in (independent, taken):
            self.reg("add", rf"{key}\CLSID", "/ve", "/d", OTHER_CLASS, "/f")
        try:
            work = work_dir("standin-releases-own")
            refused = self.desk.run(host_exe(), [
                "--release", "24", "--class-id", OWN_CLASS, "--version", "27.0",
                "--log", windows_path(work / "refused.jsonl")], timeout=60)
            self.assertEqual(refused.returncode, 4, refused.stderr)
            self.assertIn(f"nanoCAD.Application.27.0 names the class {OTHER_CLASS}",
                          refused.stderr)
            self.assertFalse((work / "refused.jsonl").exists(), "refused before any file")

            host = start_host(self.desk, work, release="24", class_id=OWN_CLASS, version="26.0",
                              title="nanoCAD 26 (stand-in)")
            client = Client(self.desk)
            try:
                ready = host.log.find("ready")[0]
                self.assertEqual((ready["release"], ready["classId"], ready["programIds"]),
                                 ("26.0", OWN_CLASS, ["nanoCAD.Application.26.0"]))
                skipped = host.log.find("registration", event="skipped")
                self.assertEqual([(line["programId"], line["classId"]) for line in skipped],
                                 [("nanoCAD.Application", OTHER_CLASS)])
                self.assertEqual(client.ok('app = connect "nanoCAD.Application.26.0"'), OWN_CLASS)
                client.ok(f"a = query app {R24_APPLICATION}")
                hwnd = client.call("invoke app.HWND get ()")
                self.assertEqual(hwnd["type"], "VT_I8")
                client.ok("release all")
            finally:
                client.close()
                host.stop()
            self.assertIsNone(self.program_id_class("nanoCAD.Application.26.0"))
            self.assertEqual(self.program_id_class("nanoCAD.Application"), OTHER_CLASS)
            self.assertEqual(self.program_id_class("nanoCAD.Application.27.0"), OTHER_CLASS)
        finally:
            for key in (independent, taken):
                self.reg("delete", key, "/f")


if __name__ == "__main__":
    unittest.main()
