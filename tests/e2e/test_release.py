"""The Windows release as a user gets it: the zip that scripts/release.sh made, unpacked into a
fresh folder whose path holds spaces and Japanese, its palette run against the stand-in host.

The test command makes the zip before the end-to-end tests run (build/release beside the build
folder); run scripts/release.sh first when running this test alone."""

import hashlib
import re
import subprocess
import unittest
import zipfile
import zlib

from lib import session
from lib.palette import Palette
from lib.standin import start_host
from lib.winedesk import stop_together

SW_STRING = "^C-VIEW SWISO ZOOM E\r"
TIMEOUT = 60
# What a palette may import: DLLs that every Windows 10 has.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "dwmapi.dll", "gdi32.dll",
               "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shcore.dll",
               "shell32.dll", "user32.dll", "uxtheme.dll"}


def objdump(*args):
    return subprocess.run(["x86_64-w64-mingw32-objdump", *map(str, args)], capture_output=True,
                          text=True, check=True, timeout=60).stdout


class ReleaseTest(unittest.TestCase):
    def setUp(self):
        self.release = session.build_dir().parent / "release"
        zips = sorted(self.release.glob("orbelle-*-win64.zip"))
        if len(zips) != 1:
            self.fail(f"expected one orbelle-<version>-win64.zip in {self.release}, found "
                      f"{[z.name for z in zips]}: run scripts/release.sh")
        self.zip = zips[0]

    def unpacked(self):
        folder = session.work_dir("release") / "Orbelle テスト 版" / "解凍 した フォルダ"
        folder.mkdir(parents=True)
        with zipfile.ZipFile(self.zip) as archive:
            self.assertEqual(sorted(archive.namelist()),
                             ["README.txt", "SHA256SUMS.txt", "orbelle.exe"])
            archive.extractall(folder)
        return folder

    def test_release_zip_holds_a_checked_palette_that_drives_the_host_from_a_japanese_path(self):
        folder = self.unpacked()
        sums = dict(reversed(line.split(maxsplit=1)) for line in
                    (folder / "SHA256SUMS.txt").read_text().splitlines())
        self.assertEqual(sorted(sums), ["README.txt", "orbelle.exe"])
        for name, digest in sums.items():
            self.assertEqual(hashlib.sha256((folder / name).read_bytes()).hexdigest(), digest, name)
        version = re.fullmatch(r"orbelle-(.+)-win64\.zip", self.zip.name).group(1)
        readme = (folder / "README.txt").read_text(encoding="ascii")
        self.assertIn(f"Orbelle {version}", readme)
        for topic in ("nanoCAD must be running", "orbelle.ini", "Removing it"):
            self.assertIn(topic, readme)

        host = start_host(session.desktop(), session.work_dir("release-host"))
        self.addCleanup(host.stop)
        palette = Palette(folder, exe=folder / "orbelle.exe").start(TIMEOUT)
        self.addCleanup(stop_together, [palette.process, host.process])
        before = host.log.last_seq()
        palette.click("SW")
        host.log.wait_for("command", after=before, event="received", text=SW_STRING,
                          timeout=TIMEOUT)
        host.log.wait_for("released", after=before, predicate=lambda line: line["live"] == 0,
                          timeout=TIMEOUT)
        self.assertFalse(palette.settings.exists(), "the settings are written when it closes")
        self.assertEqual(palette.stop(TIMEOUT), 0, palette.process.stop_report)
        self.assertIn("[Form]", palette.settings.read_text(encoding="ascii"))

    def test_release_palette_needs_only_system_dlls_and_its_debug_file_reads_its_code(self):
        folder = self.unpacked()
        exe = folder / "orbelle.exe"
        headers = objdump("-p", exe)
        imports = {line.split(":", 1)[1].strip().lower() for line in headers.splitlines()
                   if "DLL Name:" in line}
        self.assertTrue(imports)
        self.assertLessEqual(imports, SYSTEM_DLLS)
        # COM's libraries load when COM starts, once the palette is on the screen: at the
        # program's start they would hold it up.
        self.assertFalse(imports & {"ole32.dll", "oleaut32.dll"}, "COM loaded at the start")

        # No debug information inside; a debug link names the file beside the zip, whose CRC
        # it carries, as gdb checks it.
        sections = objdump("-h", exe)
        self.assertNotIn(".debug_", sections)
        dumped = folder.parent / "debuglink.bin"
        subprocess.run(["x86_64-w64-mingw32-objcopy", f"--dump-section=.gnu_debuglink={dumped}",
                        str(exe), str(folder.parent / "scratch.exe")], check=True, timeout=60)
        link = dumped.read_bytes()
        name, crc = link.split(b"\0", 1)[0].decode(), int.from_bytes(link[-4:], "little")
        self.assertEqual(name, "orbelle.debug")
        debug = self.release / name
        self.assertEqual(zlib.crc32(debug.read_bytes()), crc, "the debug file of another build")

        # A crash address in the palette's own code reads as its function and source line.
        symbols = subprocess.run(["x86_64-w64-mingw32-nm", str(debug)], capture_output=True,
                                 text=True, check=True, timeout=60).stdout
        address = next(line.split()[0] for line in symbols.splitlines()
                       if line.endswith(" T wWinMain"))
        where = subprocess.run(["x86_64-w64-mingw32-addr2line", "-f", "-e", str(debug),
                                "0x" + address], capture_output=True, text=True, check=True,
                               timeout=60).stdout.split()
        self.assertEqual(where[0], "wWinMain")
        self.assertRegex(where[1], r"app/win32/main\.cpp:\d+$")


if __name__ == "__main__":
    unittest.main()
