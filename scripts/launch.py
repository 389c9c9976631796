"""The run command's second half: the stand-in host with the demo drawing and the palette beside
it, on this machine's display, or on a virtual one with a screenshot."""

import argparse
import os
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
os.environ.setdefault("ORBELLE_BUILD", str(ROOT / "build" / "windows"))

from lib import session  # noqa: E402
from lib.palette import TITLE  # noqa: E402
from lib.standin import DEMO_DRAWING, HOST_TITLE, start_host  # noqa: E402
from lib.winedesk import DesktopError, WineDesktop  # noqa: E402


def say(text):
    print(f"orbelle: {text}", flush=True)


def display_works():
    if not os.environ.get("DISPLAY"):
        return False
    return subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0


def place_palette_beside(desk, host_window, palette_exe):
    """On a first run (no settings file yet) the palette opens right of the host's window."""
    settings = palette_exe.with_suffix(".ini")
    if settings.exists():
        return
    x, y, width, _ = desk.window_geometry(host_window)
    settings.write_text(f"[Form]\r\nLeft={x + width + 12}\r\nTop={y}\r\n", encoding="utf-8")
    say(f"first run: the palette will open beside the host ({settings})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--virtual", action="store_true",
                        help="use a virtual display even when there is a real one")
    args = parser.parse_args()

    work = ROOT / "build" / "run"
    work.mkdir(parents=True, exist_ok=True)
    virtual = args.virtual or not display_works()
    if virtual:
        say("no usable display: starting a virtual one (Xvfb)")
    else:
        say(f"using the display {os.environ['DISPLAY']}")
    prefix = os.environ.get("ORBELLE_WINEPREFIX", str(ROOT / "build" / "wine"))
    try:
        with WineDesktop(prefix, display=None if virtual else "existing") as desk:
            say("registering and starting the stand-in host with the demo drawing "
                f"(log: {work / 'host-log.jsonl'})")
            host = start_host(desk, work, drawing=DEMO_DRAWING)
            host_window = host.window()
            palette_exe = session.exe("orbelle.exe")
            place_palette_beside(desk, host_window, palette_exe)
            say(f"starting the palette {palette_exe}")
            palette = desk.start(palette_exe, output=work / "palette-output.txt")
            desk.wait_window(TITLE, 60)
            if virtual:
                shot = work / "orbelle-run.png"
                host.log.wait_for("ready")
                desk.screenshot(shot)
                say(f"screenshot of the palette beside the host: {shot}")
                say("closing both (run on a machine with a display to use them)")
                palette.stop()
            else:
                say(f'ready: click the palette\'s buttons; the host "{HOST_TITLE}" answers. '
                    "Close the palette to end.")
                palette.popen.wait()
            host.stop()
    except (DesktopError, RuntimeError, TimeoutError, FileNotFoundError) as error:
        sys.exit(f"orbelle: error: {error}")


if __name__ == "__main__":
    main()
