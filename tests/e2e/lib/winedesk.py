"""A Wine desktop for end-to-end tests: a booted prefix, a virtual X display, a wineserver that
stays up between programs, and the programs started on it, all torn down at the end."""

import contextlib
import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml="}


class DesktopError(RuntimeError):
    """The desktop itself could not be set up: says what went wrong and what to do."""


def wait_until(predicate, timeout, what, interval=0.05):
    """Polls predicate until it returns a true value; raises TimeoutError naming `what`."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError(f"waited {timeout:g} s for {what}")
        time.sleep(interval)


# Tahoma has no Japanese glyphs under Wine: link it to the CJK font the scripts install, so that
# hints, boxes and prompts in Japanese are legible.
FONT_LINK = [r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink",
             "/v", "Tahoma", "/t", "REG_MULTI_SZ", "/d",
             r"NotoSansCJK-Regular.ttc,Noto Sans CJK JP\0MSGOTHIC.TTC,MS UI Gothic", "/f"]


def run_wine_quietly(args, env, timeout=120):
    """Runs a Wine command with its output in a file: Wine's helper processes inherit pipes
    and outlive the command, so a pipe would never reach its end."""
    with tempfile.TemporaryFile() as output:
        result = subprocess.run(args, env=env, stdout=output, stderr=output, timeout=timeout)
        output.seek(0)
        return result.returncode, output.read().decode(errors="replace").strip()


def wine_failed_to_start(result):
    """Whether Wine itself gave up before the program's first instruction: it then exits with 1
    and says why in a line of its own ("wine: could not ...", "wine: failed to ..."), which no
    program of the project prints. A crash ("wine: Unhandled ...") is the program's own."""
    return result.returncode == 1 and any(
        line.startswith("wine: ") and not line.startswith("wine: Unhandled")
        for line in result.stderr.splitlines())


PREFIX_SETUP = "booted, fonts linked"  # the marker's text once every step below has run


def boot_prefix(prefix, env):
    """Boots the prefix and links the fonts, once; later calls find the marker and return. A
    prefix booted before the fonts were linked gets the link alone."""
    prefix = Path(prefix)
    marker = prefix / ".orbelle-booted"
    if marker.exists() and marker.read_text().strip() == PREFIX_SETUP:
        return
    if not (prefix / "system.reg").exists():
        prefix.mkdir(parents=True, exist_ok=True)
        code, boot_output = run_wine_quietly(["wineboot", "-i"], env, timeout=300)
        # COM calls hang in the wineserver session that ran the first boot: let it end first.
        subprocess.run(["wineserver", "-w"], env=env, timeout=300)
        if not (prefix / "system.reg").exists():
            raise DesktopError(
                f"the Wine prefix {prefix} did not boot (wineboot exit code {code}):\n"
                f"{boot_output}\nRemove the folder and try again; check that wine64 is "
                "installed (apt-get install wine64).")
    code, output = run_wine_quietly(["wine", "reg", "add", *FONT_LINK], env)
    if code != 0:
        raise DesktopError(f"could not link Tahoma to a Japanese font in {prefix}: {output}")
    subprocess.run(["wineserver", "-w"], env=env, timeout=300)
    marker.write_text(PREFIX_SETUP + "\n")


OPENBOX_DEFAULTS = Path("/etc/xdg/openbox/rc.xml")


def openbox_config():
    """Debian's openbox configuration without its key bindings: the keys the tests press (Alt+F4,
    Alt+Space and the rest) reach the Windows program, as they do on Windows, instead of the
    window manager taking them for its own close and window menu."""
    try:
        defaults = OPENBOX_DEFAULTS.read_text(encoding="utf-8")
    except OSError as error:
        raise DesktopError(f"openbox's configuration {OPENBOX_DEFAULTS} cannot be read ({error}): "
                           "reinstall the package openbox (apt-get install --reinstall "
                           "openbox)") from None
    config, found = re.subn(r"<keyboard>.*?</keyboard>", "<keyboard></keyboard>", defaults,
                            count=1, flags=re.S)
    if found != 1:
        raise DesktopError(f"no <keyboard> section in {OPENBOX_DEFAULTS}: is it openbox's own?")
    return config


class WineProcess:
    """A Windows program running under Wine."""

    def __init__(self, desk, popen, name):
        self.desk = desk
        self.popen = popen
        self.name = name
        self.stop_report = ""

    @property
    def returncode(self):
        return self.popen.poll()

    def wait(self, timeout):
        """Waits for the program to end and returns its exit code."""
        return self.popen.wait(timeout=timeout)

    def stop(self, timeout=30):
        """Asks the program to close its windows, then kills it if it does not end. What
        taskkill said is kept in `stop_report` for a test that needs to explain a kill."""
        return stop_together([self], timeout)[0]

    def _end(self, timeout):
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.popen.kill()
            return self.popen.wait(timeout=timeout)


def stop_together(processes, timeout=30):
    """Stops programs as WineProcess.stop stops one, with one taskkill for all of them: under
    Wine without a window manager, hiding a closing window takes two seconds, which the programs
    then spend side by side instead of one after another. Returns their exit codes in order."""
    running = [process for process in processes if process.popen.poll() is None]
    if running:
        args = ["taskkill"]
        for process in running:
            args += ["/im", process.name]
        result = running[0].desk.run_quiet(args)
        report = f"taskkill exit {result.returncode}: {result.stdout}{result.stderr}"
        for process in running:
            process.stop_report = report
    return [process._end(timeout) for process in processes]  # pylint: disable=protected-access


class WineDesktop:
    """Context manager: `with WineDesktop(prefix) as desk: desk.start(...)`.

    display: ":N" to start Xvfb with that number, None to pick a free one, "existing" to use the
    display in $DISPLAY. dpi: the prefix's LogPixels while this desktop is up (restored to 96 at
    the end when changed). window_manager: whether the display this desktop starts gets a window
    manager (openbox), as a user's display has one; False leaves it bare (a display that is not
    this desktop's own keeps whatever it has)."""

    def __init__(self, prefix, display=None, dpi=96, screen="1280x800x24", window_manager=True):
        self.prefix = Path(prefix).resolve()
        self.display = display
        self.dpi = dpi
        self.screen = screen
        self.window_manager = window_manager
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), **WINE_ENV)
        self._xvfb = None
        self._openbox = None
        self._openbox_files = None  # its configuration and output
        # wintool.exe (tests/e2e/tools), which tells where Windows has a window's client area;
        # without it an X window is taken for its window's client area.
        self.wintool = None
        self._client_boxes = {}
        self._processes = []
        self._logs = []

    # -- setting up and tearing down -------------------------------------------------------

    def __enter__(self):
        for tool, package in (("wine", "wine64"), ("Xvfb", "xvfb"), ("xdotool", "xdotool"),
                              ("xwininfo", "x11-utils")):
            if shutil.which(tool) is None:
                raise DesktopError(f"{tool} is missing: install the package {package}")
        try:
            self._start_display()
            if self._xvfb is not None and self.window_manager:
                self._start_window_manager()
            boot_prefix(self.prefix, self.env)
            if self.dpi != 96:
                self._set_dpi(self.dpi)
            self._start_lasting_server()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        for process in reversed(self._processes):
            if process.popen.poll() is None:
                process.popen.kill()
                process.popen.wait(timeout=10)
        self._processes.clear()
        if self.dpi != 96 and (self.prefix / "system.reg").exists():
            self._set_dpi(96)
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
        self._stop_window_manager()
        if self._xvfb is not None:
            self._xvfb.terminate()
            try:
                self._xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
            self._xvfb = None
        for log in self._logs:
            log.close()
        self._logs.clear()
        return False

    def _start_lasting_server(self):
        """A wineserver that stays up between programs. One still running for this prefix (left
        by a program run just before) makes `wineserver -p` exit with 2 and stays as it was: it
        would end three seconds after its last program, maybe just as a test starts the next
        one. Let it end first, then start the lasting one."""
        persist = subprocess.run(["wineserver", "-p"], env=self.env, timeout=60)
        if persist.returncode == 2:
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
            persist = subprocess.run(["wineserver", "-p"], env=self.env, timeout=60)
        if persist.returncode != 0:
            raise DesktopError(f"wineserver -p failed with {persist.returncode}: another program "
                               f"of the prefix {self.prefix} may still be running")

    def _start_display(self):
        if self.display == "existing":
            self.display = os.environ.get("DISPLAY", "")
            if not self.display:
                raise DesktopError("no display: $DISPLAY is not set")
            return
        read_end, write_end = os.pipe()
        args = ["Xvfb", "-screen", "0", self.screen, "-nolisten", "tcp", "-noreset"]
        if self.display is None:
            args += ["-displayfd", str(write_end)]
        else:
            args.insert(1, self.display)
        self._xvfb = subprocess.Popen(args, pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                                      stderr=subprocess.PIPE)
        os.close(write_end)
        if self.display is None:
            with os.fdopen(read_end) as pipe:
                number = pipe.readline().strip()
            if not number:
                raise DesktopError("Xvfb did not start: " + self._xvfb.stderr.read().decode())
            self.display = ":" + number
        else:
            os.close(read_end)
        self.env["DISPLAY"] = self.display
        try:
            wait_until(lambda: self._xvfb.poll() is not None or subprocess.run(
                ["xdotool", "getdisplaygeometry"], env=self.env, capture_output=True)
                .returncode == 0, 30, f"the X display {self.display}")
        except TimeoutError as error:
            raise DesktopError(f"the X display {self.display} did not come up") from error
        if self._xvfb.poll() is not None:
            raise DesktopError(f"Xvfb could not start display {self.display} (in use?): "
                               + self._xvfb.stderr.read().decode().strip())

    def has_window_manager(self):
        """Whether a window manager manages this desktop's display (this desktop's own or one
        that was running already)."""
        return self._window_manager_running()

    def _window_manager_running(self):
        """Whether a window manager has said it manages the display: an EWMH manager names its
        check window on the root window (_NET_SUPPORTING_WM_CHECK) once it has taken over."""
        result = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                                capture_output=True, text=True, timeout=30)
        return result.returncode == 0 and "window id #" in result.stdout

    def _start_window_manager(self):
        """Starts openbox on this desktop's display and waits until it manages it: a user's
        desktop has a window manager, and Wine without one waits up to two seconds for one to
        confirm each window it hides."""
        for tool, package in (("openbox", "openbox"), ("xprop", "x11-utils")):
            if shutil.which(tool) is None:
                raise DesktopError(f"{tool} is missing: install the package {package} (apt-get "
                                   f"install {package}), or start the desktop with "
                                   "window_manager=False for a bare display")
        self._openbox_files = tempfile.TemporaryDirectory(prefix="orbelle-openbox-")
        config = Path(self._openbox_files.name) / "rc.xml"
        config.write_text(openbox_config(), encoding="utf-8")
        output = Path(self._openbox_files.name) / "output.txt"
        with open(output, "wb") as log:
            # HOME and XDG_CONFIG_HOME of its own: nothing of the user's openbox setup applies.
            env = dict(self.env, HOME=self._openbox_files.name,
                       XDG_CONFIG_HOME=self._openbox_files.name,
                       XDG_CACHE_HOME=self._openbox_files.name)
            self._openbox = subprocess.Popen(
                ["openbox", "--sm-disable", "--config-file", str(config)], env=env,
                stdout=log, stderr=log, start_new_session=True)

        def said():
            return output.read_text(errors="replace").strip() or "it said nothing"
        try:
            wait_until(lambda: self._openbox.poll() is not None or
                       self._window_manager_running(), 30, "openbox to manage the display")
        except TimeoutError:
            raise DesktopError(f"openbox did not take over the display {self.display} in 30 s "
                               f"(no _NET_SUPPORTING_WM_CHECK on its root window): {said()}"
                               ) from None
        if self._openbox.poll() is not None:
            code, self._openbox = self._openbox.returncode, None
            raise DesktopError(f"openbox ended with exit code {code} instead of managing the "
                               f"display {self.display}: {said()}. Check the package openbox "
                               "(apt-get install --reinstall openbox), or start the desktop "
                               "with window_manager=False for a bare display")

    def _stop_window_manager(self):
        if self._openbox is not None:
            self._openbox.terminate()
            try:
                self._openbox.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._openbox.kill()
                self._openbox.wait(timeout=10)
            self._openbox = None
        if self._openbox_files is not None:
            self._openbox_files.cleanup()
            self._openbox_files = None

    def _set_dpi(self, dpi):
        self.run_quiet(["reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                        "REG_DWORD", "/d", str(dpi), "/f"])
        # Programs take the DPI from the wineserver session they start in: begin a new one.
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)

    def set_dpi(self, dpi):
        """Switches the desktop's DPI. Ends every program of this desktop first."""
        stop_together(self._processes)
        self._processes.clear()
        self._set_dpi(dpi)
        self._start_lasting_server()
        self.dpi = dpi

    @contextlib.contextmanager
    def prefix_lent(self):
        """Lends the prefix to another desktop for the duration of the block: every program of
        this desktop ends, and so does its wineserver (one server serves one prefix, on the
        display of whoever started it); the server starts again after."""
        stop_together(self._processes)
        self._processes.clear()
        subprocess.run(["wineserver", "-k"], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
        try:
            yield self.prefix
        finally:
            self._start_lasting_server()

    # -- programs --------------------------------------------------------------------------

    def start(self, exe, args=(), output=None, env=None):
        """Starts a Windows program; its stdout and stderr go to `output` (a path) if given.
        `env` adds to (or overrides) the desktop's environment for this program only, such as
        WINEDEBUG."""
        if output is not None:
            log = open(output, "ab")
            self._logs.append(log)
            stdout = stderr = log
        else:
            stdout = stderr = subprocess.DEVNULL
        popen = subprocess.Popen(["wine", str(exe), *map(str, args)], env={**self.env, **(env or {})},
                                 stdout=stdout, stderr=stderr, start_new_session=True)
        process = WineProcess(self, popen, Path(exe).name)
        self._processes.append(process)
        return process

    def run(self, exe, args=(), timeout=60):
        """Runs a Windows program to its end; returns the CompletedProcess (text output)."""
        return self.run_wine([str(exe), *map(str, args)], timeout)

    def run_quiet(self, args, timeout=60):
        return self.run_wine(args, timeout)

    def run_wine(self, args, timeout):
        result = self._run_wine_once(args, timeout)
        if wine_failed_to_start(result):
            # Wine's own start-up failed before the program ran, so it did nothing: one more try,
            # said in the test output so that the failure stays visible.
            print(f"\n[winedesk] Wine did not start {args[0]} ({result.stderr.strip()}); "
                  "trying once more", flush=True)
            result = self._run_wine_once(args, timeout)
        return result

    def _run_wine_once(self, args, timeout):
        # Files, not pipes: Wine's helper processes inherit the handles and outlive the program.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run(["wine", *args], env=self.env, stdout=out, stderr=err,
                                    timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(
                result.args, result.returncode, out.read().decode(errors="replace"),
                err.read().decode(errors="replace"))

    # -- windows and input -----------------------------------------------------------------

    def _xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True,
                                text=True, timeout=30)
        if check and result.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(map(str, args))}: {result.stderr.strip()}")
        return result.stdout

    def find_windows(self, name):
        """X window ids of the visible windows titled exactly `name`."""
        pattern = "^" + re.escape(name) + "$"
        output = self._xdotool("search", "--onlyvisible", "--name", pattern, check=False)
        return [int(line) for line in output.split()]

    def wait_window(self, name, timeout=60):
        """Waits for a visible window titled exactly `name` and returns its X id."""
        return wait_until(lambda: (self.find_windows(name) or [None])[0], timeout,
                          f"a window named {name!r}")

    def screen_size(self):
        """(width, height) of the X screen, Wine's primary screen."""
        width, height = self._xdotool("getdisplaygeometry").split()
        return int(width), int(height)

    def windows_path(self, path):
        """The Windows form of a Linux path, as Wine's programs see it."""
        result = self.run_wine(["winepath", "-w", str(path)], 60)
        if result.returncode != 0 or not result.stdout.strip():
            raise RuntimeError(f"winepath could not map {path}: {result.stderr.strip()}")
        return result.stdout.strip()

    def x_geometry(self, wid):
        """(x, y, width, height) of an X window on the screen, as X has it. Under a reparenting
        window manager `xdotool getwindowgeometry` adds the window's place inside the manager's
        frame once more (20 pixels too low under openbox); xwininfo does not."""
        return self._x_window(wid)[:4]

    def _x_window(self, wid):
        """The X window's x, y, width, height, and its name as xwininfo writes it."""
        result = subprocess.run(["xwininfo", "-id", str(wid)], env=self.env, capture_output=True,
                                text=True, timeout=30)
        values = dict(re.findall(r"^ *(Absolute upper-left [XY]|Width|Height): *(-?\d+)$",
                                 result.stdout, re.M))
        if result.returncode != 0 or len(values) != 4:
            raise RuntimeError(f"xwininfo -id {wid}: {result.stderr.strip() or result.stdout}")
        name = re.search(r"Window id: \S+ (.*)$", result.stdout, re.M).group(1)
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]), name)

    def _client_box(self, wid):
        """(dx, dy, width, height): where a Wine top-level window's client area lies inside its X
        window, and its size. Without a window manager the X window is the client area; under
        one, Wine leaves out of it only the parts of the frame that the manager draws, so it
        may hold more. Windows' own answer (wintool xclient, from ClientToScreen) is read once
        for each kind of window, by its title and X size, with the X window standing still,
        until two readings agree; without wintool the X window is taken for the client area."""
        _, _, width, height, name = self._x_window(wid)
        if self.wintool is None:
            return 0, 0, width, height
        key = (name, width, height)
        if key not in self._client_boxes:
            last = [None]

            def reading():
                before = self.x_geometry(wid)
                result = self.run(self.wintool, ["xclient", str(wid)])
                if result.returncode != 0:
                    raise RuntimeError(f"wintool xclient {wid}: {result.stderr.strip()}")
                left, top, client_width, client_height = map(int, result.stdout.split())
                after = self.x_geometry(wid)
                now = (left - after[0], top - after[1], client_width, client_height)
                agreed = before == after and now == last[0]
                last[0] = now if before == after else None
                return now if agreed else None
            self._client_boxes[key] = wait_until(
                reading, 30, f"Windows and X to agree where the client area of the X window {wid} "
                "is", interval=0.1)
        return self._client_boxes[key]

    def window_geometry(self, wid):
        """(x, y, width, height) on the screen of the client area of the Wine window shown in
        the X window `wid`: where Windows has it, and where X shows it."""
        x, y = self.x_geometry(wid)[:2]
        dx, dy, width, height = self._client_box(wid)
        return x + dx, y + dy, width, height

    def move(self, wid, x, y):
        """Moves the pointer to (x, y) of the window's client area."""
        dx, dy, _, _ = self._client_box(wid)
        self._xdotool("mousemove", "--window", wid, x + dx, y + dy)

    def move_on_screen(self, x, y):
        """Moves the pointer to (x, y) of the screen, wherever the windows are."""
        self._xdotool("mousemove", x, y)

    def click(self, wid, x, y):
        """A real left click at (x, y) of the window's client area."""
        self.move(wid, x, y)
        self._xdotool("click", 1)

    def double_click(self, wid, x, y):
        """A real double-click at (x, y) of the client area: two presses 80 ms apart, well inside
        the system's double-click time."""
        self.move(wid, x, y)
        self._xdotool("click", "--repeat", 2, "--delay", 80, 1)

    def key(self, wid, keysym):
        self._xdotool("key", "--window", wid, keysym)

    def press(self, *keysyms):
        """Real key strokes (XTEST) to the window that has the focus, one after the other."""
        self._xdotool("key", *keysyms)

    def window_move(self, wid, x, y):
        """Moves a window as a window manager does after a drag on the title bar: (x, y) is where
        its client area's top-left corner goes. Wine asks for static gravity, under which a
        window manager puts the X window itself where it is asked to, frame or none. Returns once
        the X window stands there."""
        dx, dy, _, _ = self._client_box(wid)
        self._xdotool("windowmove", wid, x - dx, y - dy)
        wait_until(lambda: self.x_geometry(wid)[:2] == (x - dx, y - dy), 30,
                   f"the X window {wid} to reach {x - dx}, {y - dy}")

    def pixels(self, wid, box):
        """The raw RGB bytes of a rectangle (left, top, width, height) of a window's client area,
        as shown."""
        left, top, width, height = box
        dx, dy, _, _ = self._client_box(wid)
        with tempfile.NamedTemporaryFile(suffix=".png") as shot:
            self._import(shot.name, str(wid))
            return subprocess.run(["convert", shot.name, "-crop",
                                   f"{width}x{height}+{left + dx}+{top + dy}", "+repage", "rgb:-"],
                                  check=True, capture_output=True, timeout=60).stdout

    def wait_painted(self, wid, timeout=30):
        """Waits until two looks at a window's client area a fifth of a second apart are the
        same: a window is shown before it has painted, so a first look may catch it half drawn.
        Returns its pixels."""
        _, _, width, height = self._client_box(wid)
        box = (0, 0, width, height)
        last = [None]

        def steady():
            now = self.pixels(wid, box)
            same, last[0] = now == last[0], now
            return now if same else None
        return wait_until(steady, timeout, f"the window {wid} to finish painting", interval=0.2)

    def screenshot(self, path, wid=None):
        """Saves the whole screen, or the client area of one window, as a PNG."""
        if wid is None:
            self._import(path, "root")
            return Path(path)
        dx, dy, width, height = self._client_box(wid)
        self._import(path, str(wid))
        if (dx, dy, width, height) != (0, 0, *self.x_geometry(wid)[2:]):
            subprocess.run(["convert", str(path), "-crop", f"{width}x{height}+{dx}+{dy}",
                            "+repage", str(path)], check=True, capture_output=True, timeout=60)
        return Path(path)

    def _import(self, path, target):
        subprocess.run(["import", "-display", self.display, "-window", target, str(path)],
                       env=self.env, check=True, timeout=60, capture_output=True)


if __name__ == "__main__":
    # For the shell scripts: `python3 winedesk.py boot PREFIX` prepares a prefix once.
    import sys

    if len(sys.argv) != 3 or sys.argv[1] != "boot":
        sys.exit("usage: winedesk.py boot PREFIX")
    try:
        boot_prefix(sys.argv[2], dict(os.environ, WINEPREFIX=sys.argv[2], **WINE_ENV))
    except DesktopError as error:
        sys.exit(f"orbelle: error: {error}")
