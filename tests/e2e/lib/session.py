"""What every end-to-end test of one run shares: the build folder and one Wine desktop."""

import atexit
import contextlib
import os
import shutil
from pathlib import Path

from lib.winedesk import WineDesktop

ROOT = Path(__file__).resolve().parents[3]
_desktop = None
_bare = None  # a bare desktop while a test runs on one (bare_desktop)


def build_dir():
    """The Windows build the tests run (ORBELLE_BUILD, default build/windows)."""
    return Path(os.environ.get("ORBELLE_BUILD", ROOT / "build" / "windows")).resolve()


def exe(name):
    """The path of a built Windows program, wherever its target put it."""
    found = sorted(build_dir().rglob(name))
    if not found:
        raise FileNotFoundError(f"{name} is not built in {build_dir()}: run the windows build")
    return found[0]


def work_dir(name):
    """A fresh folder for one test's files, kept after the run for a look: build/e2e-work/NAME
    for the default build, build/e2e-work-BUILD/NAME for another one, so that runs of two builds
    side by side neither share nor clear each other's folders."""
    build = build_dir()
    path = build.parent / ("e2e-work" if build.name == "windows" else f"e2e-work-{build.name}")
    path /= name
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True, exist_ok=True)
    return path


def desktop():
    """The run's Wine desktop, started at first use and torn down when the run ends: a virtual
    display with a window manager (openbox), as a user's, unless ORBELLE_E2E_WINDOW_MANAGER is
    "none" (a bare display, to compare). Inside `bare_desktop`, that one."""
    global _desktop
    if _bare is not None:
        return _bare
    if _desktop is None:
        prefix = os.environ.get("ORBELLE_WINEPREFIX", ROOT / "build" / "wine")
        display = os.environ.get("ORBELLE_E2E_DISPLAY") or None
        manager = os.environ.get("ORBELLE_E2E_WINDOW_MANAGER", "openbox")
        if manager not in ("openbox", "none"):
            raise ValueError(f"ORBELLE_E2E_WINDOW_MANAGER is {manager!r}: openbox (the default) "
                             "or none")
        desk = WineDesktop(prefix, display=display, window_manager=manager == "openbox")
        desk.wintool = exe("wintool.exe")
        desk.__enter__()
        atexit.register(desk.__exit__, None, None, None)
        _desktop = desk
    return _desktop


@contextlib.contextmanager
def bare_desktop():
    """A Wine desktop on a virtual display of its own with no window manager, on the run's
    prefix, for a test of what a program does where a window manager would step in (openbox puts
    a window that placed itself partly off the screen back on it). Inside the block every helper
    here (desktop, wintool, and what uses them) works on it; the run's desktop lends it the
    prefix meanwhile (its programs and its wineserver end first)."""
    global _bare
    shared = desktop()
    with shared.prefix_lent() as prefix, WineDesktop(prefix, window_manager=False) as bare:
        bare.wintool = shared.wintool
        _bare = bare
        try:
            yield bare
        finally:
            _bare = None


def wintool(*args, timeout=60):
    """Runs the desktop tool (tests/e2e/tools/wintool.cpp); returns its output, or raises."""
    result = desktop().run(exe("wintool.exe"), args, timeout=timeout)
    if result.returncode != 0:
        raise RuntimeError(f"wintool {' '.join(args)}: {result.stderr.strip()}")
    return result.stdout
