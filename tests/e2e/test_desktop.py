#!/usr/bin/env python3
"""End-to-end test of Vellorin on a real X server.

Starts its own Xvfb (800x600), openbox, a D-Bus session with the
accessibility bus, and the program; drives it with real X input through
xdotool and reads its widgets through AT-SPI. Every process it starts is
stopped again, whatever happens. Exits non-zero with a message on failure.

Usage: test_desktop.py path/to/vellorin QT_VERSION
QT_VERSION is the version of Qt the program is built with; from 6.8 on, the
program announces its results, and the test listens for that.
Screenshots go to /tmp/vellorin-shots/.
"""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# pyatspi comes with the system's Python; a Python from elsewhere (a
# version manager's shim) may lack it. Importing it connects to nothing yet.
try:
    import pyatspi
    from gi.repository import GLib
except ImportError:
    if os.path.exists("/usr/bin/python3") \
            and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3"] + sys.argv)
    raise

SCREEN = (800, 600)
SHOTS = "/tmp/vellorin-shots"
BAD_NUMBER = "Bad number! Please choose a positive integer between 1 and 10 million."
# Client-area top-left corners, from the twips of the design (÷ 15).
INSTRUCTIONS_AT = (3375 // 15, 3555 // 15)
HELP_AT = (3255 // 15, 1560 // 15)
# The main window's client area, menu bar excluded (5295 x 6585 twips).
MAIN_CLIENT = (5295 // 15, 6585 // 15)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout=15.0, interval=0.1):
    """Polls probe() until it returns something true; that is returned."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = probe()
            if value:
                return value
        except Exception as error:  # AT-SPI objects come and go while windows change
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(interval)


def stays(what, probe, settle=1.0, interval=0.1):
    """Checks that probe() stays true for a while: for input that must have
    no effect there is nothing to wait for but time."""
    deadline = time.monotonic() + settle
    while time.monotonic() < deadline:
        check(probe(), what)
        time.sleep(interval)


class Session:
    """The X server, window manager, buses and program, each started in a
    process group of its own and stopped by its pid."""

    def __init__(self):
        self.processes = []  # (name, Popen), in start order
        self.last_tool_error = ""
        # Orphans of the processes started here (the accessibility bus's own
        # daemons) come to this process, which reaps them at the end.
        libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        libc.prctl(36, 1, 0, 0, 0)  # PR_SET_CHILD_SUBREAPER
        self.runtime_dir = tempfile.mkdtemp(prefix="vellorin-e2e-")
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": os.environ.get("HOME", self.runtime_dir),
            "XDG_RUNTIME_DIR": self.runtime_dir,
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
        }

    def start(self, name, command, **kwargs):
        process = subprocess.Popen(command, env=self.env, start_new_session=True,
                                   stdin=subprocess.DEVNULL, **kwargs)
        self.processes.append((name, process))
        return process

    def stop_all(self):
        # Each process first on its own, so it can take down what it
        # started; then whatever is left in its process group.
        for _, process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=5)
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline:
            try:
                pid, _ = os.waitpid(-1, os.WNOHANG)
            except ChildProcessError:
                break
            if pid == 0:
                time.sleep(0.05)
        shutil.rmtree(self.runtime_dir, ignore_errors=True)

    def tool(self, *command, timeout=10):
        result = subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=timeout)
        if result.returncode != 0:
            self.last_tool_error = f"{command[0]}: {result.stderr.strip()[:300]}"
            return None
        return result.stdout.strip()

    # --- the pieces -------------------------------------------------------

    def start_x(self):
        # A display number away from the usual ones, so that parallel runs
        # and other sessions on the machine do not meet; if the server still
        # loses a race for it, the next number.
        first = 100 + os.getpid() % 400
        for number in range(first, first + 20):
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            server = self.start("Xvfb", ["Xvfb", f":{number}", "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
                                         "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.env["DISPLAY"] = f":{number}"
            deadline = time.monotonic() + 15
            while server.poll() is None and time.monotonic() < deadline:
                if self.tool("xwininfo", "-root"):
                    return
                time.sleep(0.1)
            check(server.poll() is not None,
                  f"Xvfb on :{number} did not answer within 15 s: {self.last_tool_error}")
        raise Failure("found no free display for Xvfb")

    def start_buses(self):
        daemon = self.start("dbus-daemon", ["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                            "--print-address=1"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        ready, _, _ = select.select([daemon.stdout], [], [], 15)
        check(ready, "dbus-daemon did not report its address within 15 s")
        address = daemon.stdout.readline().strip()
        check(address, "dbus-daemon reported no address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.start("at-spi-bus-launcher", ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately",
                                           "--a11y=1"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the accessibility bus", lambda: "true" in (self.tool(
            "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/",
            "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus") or ""))

    def start_window_manager(self):
        # On a loaded machine openbox now and then never gets as far as
        # announcing itself; a fresh start has always come up.
        log_path = os.path.join(self.runtime_dir, "openbox.log")
        for attempt in range(3):
            with open(log_path, "w") as log:
                manager = self.start("openbox", ["openbox", "--sm-disable"], stdout=log, stderr=log)
            try:
                wait_for("openbox", lambda: manager.poll() is None and "window id" in (
                    self.tool("xprop", "-root", "_NET_SUPPORTING_WM_CHECK") or ""), timeout=15)
                return
            except Failure:
                if manager.poll() is None:
                    manager.kill()
                    manager.wait(timeout=5)
        with open(log_path) as log:
            raise Failure("openbox did not come up in three tries: " + log.read()[-2000:])

    def start_program(self, path):
        env = dict(self.env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        self.program_log = os.path.join(self.runtime_dir, "vellorin.log")
        with open(self.program_log, "w") as log:
            process = subprocess.Popen([path], env=env, start_new_session=True, stdin=subprocess.DEVNULL,
                                       stdout=log, stderr=subprocess.STDOUT)
        self.processes.append(("vellorin", process))
        return process

    def program_output(self):
        try:
            with open(self.program_log) as log:
                return log.read()
        except (AttributeError, OSError):
            return ""

    # --- X windows --------------------------------------------------------

    def windows_named(self, title):
        out = self.tool("xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$")
        return [int(w) for w in out.split()] if out else []

    def active_window_name(self):
        return self.tool("xdotool", "getactivewindow", "getwindowname")

    def client_geometry(self, window):
        info = self.tool("xwininfo", "-id", str(window)) or ""
        values = {}
        for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
            match = re.search(rf"{key}:\s+(-?\d+)", info)
            check(match, f"xwininfo gave no {key} for window {window}")
            values[key] = int(match.group(1))
        return (values["Absolute upper-left X"], values["Absolute upper-left Y"],
                values["Width"], values["Height"])

    def frame_extents(self, window):
        """The window manager's frame around a window: left, right, top, bottom."""
        out = self.tool("xprop", "-id", str(window), "_NET_FRAME_EXTENTS") or ""
        numbers = [int(n) for n in re.findall(r"\d+", out.partition("=")[2])]
        check(len(numbers) == 4, f"no frame extents for window {window}: {out!r}")
        return tuple(numbers)

    def key(self, *keys):
        self.tool("xdotool", "key", "--clearmodifiers", *keys)

    def type(self, text):
        self.tool("xdotool", "type", "--delay", "30", text)

    def click(self, x, y):
        self.tool("xdotool", "mousemove", "--sync", str(x), str(y))
        self.tool("xdotool", "click", "1")

    def screenshot(self, name):
        os.makedirs(SHOTS, exist_ok=True)
        path = os.path.join(SHOTS, f"{name}.png")
        self.tool("import", "-window", "root", path, timeout=30)
        check(os.path.exists(path), f"no screenshot {path}")
        print(f"screenshot: {path}")

    def transient_for(self, window):
        """The window a window is transient for (its owner), or None."""
        out = self.tool("xprop", "-id", str(window), "WM_TRANSIENT_FOR") or ""
        match = re.search(r"window id # (0x[0-9a-f]+)", out)
        return int(match.group(1), 16) if match else None

    def request_close(self, window):
        """Asks a window to close, as the window manager does for its close
        box: a WM_DELETE_WINDOW client message."""
        xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                    ctypes.c_void_p]
        xlib.XFlush.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                        ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                        ("data", ctypes.c_long * 5)]

        class Event(ctypes.Union):
            _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

        display = xlib.XOpenDisplay(self.env["DISPLAY"].encode())
        check(display, "cannot open the X display")
        try:
            event = Event()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = window
            event.xclient.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
            event.xclient.format = 32
            event.xclient.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
            event.xclient.data[1] = 0  # CurrentTime
            xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
            xlib.XFlush(display)
        finally:
            xlib.XCloseDisplay(display)


class Widgets:
    """The program's widgets as AT-SPI shows them."""

    def __init__(self, pyatspi, pid):
        self.pyatspi = pyatspi
        self.pid = pid

    def application(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.get_process_id() == self.pid:
                return app
        return None

    def all(self):
        app = self.application()
        if app is None:
            return []
        found, stack = [], [app]
        while stack and len(found) < 2000:
            node = stack.pop()
            found.append(node)
            for index in range(node.childCount):
                child = node.getChildAtIndex(index)
                if child is not None:
                    stack.append(child)
        return found

    def text_of(self, node):
        try:
            text = node.queryText()
            return text.getText(0, text.characterCount)
        except NotImplementedError:
            return node.name

    def sample_size(self):
        for node in self.all():
            if node.name == "Sample size":
                return self.text_of(node)
        return None

    def results(self):
        """The eight result texts by the description each label carries."""
        wanted = ["Average", "Biggest", "Smallest",
                  "0.0 to 0.2", "0.2 to 0.4", "0.4 to 0.6", "0.6 to 0.8", "0.8 to 1.0"]
        seen = {}
        for node in self.all():
            if node.description in wanted and node.getRole() == self.pyatspi.ROLE_LABEL:
                seen[node.description] = self.text_of(node)
        return {name: seen.get(name) for name in wanted}

    def role_of_window(self, title):
        """The role a top-level window of the program is announced with."""
        app = self.application()
        for index in range(app.childCount if app else 0):
            window = app.getChildAtIndex(index)
            if window is not None and window.name == title:
                return window.getRoleName()
        return None

    def panels(self):
        """The names of the panels (captioned frames) on the bus."""
        return {node.name for node in self.all() if node.getRole() == self.pyatspi.ROLE_PANEL}

    def label_with_text(self, text):
        return any(node.getRole() == self.pyatspi.ROLE_LABEL and self.text_of(node) == text
                   for node in self.all())


class Announcements:
    """What the program asks a screen reader to say: AT-SPI's
    object:announcement events, in the order they come."""

    def __init__(self, pyatspi):
        self.heard = []
        pyatspi.Registry.registerEventListener(self._hear, "object:announcement")

    def _hear(self, event):
        self.heard.append(str(event.any_data))

    def so_far(self):
        # Events arrive through the main context; nothing runs it but this.
        context = GLib.MainContext.default()
        while context.pending():
            context.iteration(False)
        return list(self.heard)


def check_announced(message, results):
    """Every result, in the order of the window, as its label shows it."""
    position = 0
    for name, text in results.items():
        said = f"{name}: {text}"
        found = message.find(said, position)
        check(found >= 0, f"the announcement {message!r} does not say {said!r} after the results before it")
        position = found + len(said)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    program_path = os.path.abspath(sys.argv[1])
    announces = tuple(int(part) for part in sys.argv[2].split(".")[:2]) >= (6, 8)
    check(os.access(program_path, os.X_OK), f"no program at {program_path}")
    for tool in ("Xvfb", "openbox", "dbus-daemon", "dbus-send", "xdotool", "xwininfo", "xprop", "import"):
        check(shutil.which(tool), f"{tool} is not installed")

    session = Session()
    program = None
    try:
        session.start_x()
        session.start_buses()
        session.start_window_manager()
        # The test's own AT-SPI client talks to the session just started;
        # it connects on first use.
        os.environ["DISPLAY"] = session.env["DISPLAY"]
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = session.env["DBUS_SESSION_BUS_ADDRESS"]

        # Listening before the program starts, so its bridge knows from the
        # outset that someone wants announcements.
        announcements = Announcements(pyatspi) if announces else None
        program = session.start_program(program_path)
        widgets = Widgets(pyatspi, program.pid)

        # Start-up: the main window, and the instructions in front of it.
        main_window = wait_for("the main window", lambda: session.windows_named("Vellorin"))[0]
        instructions = wait_for("the instructions", lambda: session.windows_named("Instructions"))[0]
        wait_for("the instructions to be the active window",
                 lambda: session.active_window_name() == "Instructions")
        wait_for("the program on the accessibility bus", lambda: widgets.sample_size() == "100")
        x, y, width, height = session.client_geometry(instructions)
        check((x, y) == INSTRUCTIONS_AT, f"instructions' client area at {(x, y)}, expected {INSTRUCTIONS_AT}")
        check((width, height) == (352, 144), f"instructions' client area {width}x{height}, expected 352x144")
        main_x, main_y, main_width, main_height = session.client_geometry(main_window)
        check(main_width == MAIN_CLIENT[0] and main_height > MAIN_CLIENT[1],
              f"main window's client area {main_width}x{main_height}, expected {MAIN_CLIENT[0]} wide and "
              f"{MAIN_CLIENT[1]} high below a menu bar")
        left, right, top, bottom = session.frame_extents(main_window)
        frame = (main_x - left, main_y - top, main_width + left + right, main_height + top + bottom)
        print(f"main window: client area at {(main_x, main_y)}, {main_width}x{main_height}; frame at "
              f"{frame[:2]}, {frame[2]}x{frame[3]}")

        def centred(x, y, width, height):
            return abs(x + width / 2 - SCREEN[0] / 2) <= 1 and abs(y + height / 2 - SCREEN[1] / 2) <= 1

        # Centred as the user sees the window: frame and all.
        check(centred(*frame), f"main window's frame {frame} is not centred on the {SCREEN[0]}x{SCREEN[1]} screen")
        session.screenshot("startup")

        # What assistive technology and the window manager are told: the
        # main window is a frame, the instructions a dialog that it owns, and
        # each captioned frame a panel named by its caption.
        check(widgets.role_of_window("Vellorin") == "frame",
              f"the main window is announced as {widgets.role_of_window('Vellorin')!r}, not as a frame")
        check(widgets.role_of_window("Instructions") == "dialog",
              f"the instructions are announced as {widgets.role_of_window('Instructions')!r}, not as a dialog")
        panels = widgets.panels()
        check({"Input", "Results", "Produced By:"} <= panels, f"the frames are announced as panels {panels}")
        check(session.transient_for(instructions) == main_window,
              f"the instructions are transient for {session.transient_for(instructions)}, "
              f"not for the main window {main_window}")

        # The main window takes no input while the instructions are up: a
        # click into its box, typing, and its close box change nothing.
        box = None
        for node in widgets.all():
            if node.name == "Sample size":
                box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        check(box is not None, "no 'Sample size' box on the accessibility bus")
        session.click(box.x + box.width // 2, box.y + box.height // 2)
        session.type("9")
        session.request_close(main_window)
        stays("the instructions to stay in front after a click into the main window",
              lambda: session.active_window_name() == "Instructions" and session.windows_named("Instructions"))
        check(widgets.sample_size() == "100", f"the box reads {widgets.sample_size()!r} after typing into it "
                                              "behind the instructions")
        check(program.poll() is None and session.windows_named("Vellorin"),
              "the main window's close box ended the program behind the instructions")

        # Esc dismisses them; the main window is active and takes input.
        session.key("Escape")
        wait_for("the instructions to go", lambda: not session.windows_named("Instructions"))
        wait_for("the main window to be active", lambda: session.active_window_name() == "Vellorin")

        session.key("ctrl+a")
        session.type("1000000")
        session.key("Return")
        results = wait_for("the results of 1,000,000 draws",
                           lambda: (lambda r: r if all(r.values()) else None)(widgets.results()), timeout=60)
        check(widgets.sample_size() == "1,000,000", f"the box reads {widgets.sample_size()!r}")
        for name in ("Average", "Biggest", "Smallest"):
            check(re.fullmatch(r"[01]\.\d{5}", results[name]), f"{name} reads {results[name]!r}")
        check(results["Average"].startswith(("0.49", "0.50")), f"average {results['Average']!r} is far from 0.5")
        for name in ("0.0 to 0.2", "0.2 to 0.4", "0.4 to 0.6", "0.6 to 0.8", "0.8 to 1.0"):
            check(re.fullmatch(r"%(19|20)\.\d{0,4}", results[name]), f"share {name} reads {results[name]!r}")
        print("results:", ", ".join(f"{name} {text}" for name, text in results.items()))
        if announcements:
            heard = wait_for("the results to be announced", announcements.so_far)
            check(len(heard) == 1, f"one run, {len(heard)} announcements: {heard}")
            check_announced(heard[0], results)
            print(f"announced: {heard[0]!r}")
        else:
            print(f"Qt {sys.argv[2]} has no announcements; not listening for them")
        session.screenshot("results")

        # F1: the help window, in front, at its place; Esc closes it.
        session.key("F1")
        help_window = wait_for("the help window", lambda: session.windows_named("Help"))[0]
        wait_for("the help window to be active", lambda: session.active_window_name() == "Help")
        x, y, width, height = session.client_geometry(help_window)
        check((x, y) == HELP_AT, f"help's client area at {(x, y)}, expected {HELP_AT}")
        check((width, height) == (369, 443), f"help's client area {width}x{height}, expected 369x443")
        check(widgets.role_of_window("Help") == "dialog",
              f"the help window is announced as {widgets.role_of_window('Help')!r}, not as a dialog")
        check("Vellorin Help:" in widgets.panels(), f"the help's frame is not a panel: {widgets.panels()}")
        check(session.transient_for(help_window) == main_window,
              f"the help window is transient for {session.transient_for(help_window)}, not for the main window")
        session.screenshot("help")
        session.key("Escape")
        wait_for("the help window to go", lambda: not session.windows_named("Help"))
        wait_for("the main window to be active again", lambda: session.active_window_name() == "Vellorin")

        # Its close box works where the main window's did not above: the
        # same close request, with nothing in front, closes the help.
        session.key("F1")
        help_window = wait_for("the help window again", lambda: session.windows_named("Help"))[0]
        session.request_close(help_window)
        wait_for("the help window to close", lambda: not session.windows_named("Help"))
        wait_for("the main window to be active once more", lambda: session.active_window_name() == "Vellorin")

        # A bad number brings up the prompt; 500 is then accepted.
        session.key("ctrl+a")
        session.type("abc")
        session.key("Return")
        wait_for("the prompt", lambda: len(session.windows_named("Vellorin")) == 2)
        wait_for("the prompt's message", lambda: widgets.label_with_text(BAD_NUMBER))
        session.screenshot("prompt")
        session.type("500")
        session.key("Return")
        wait_for("the prompt to go", lambda: len(session.windows_named("Vellorin")) == 1)
        wait_for("the box to read 500", lambda: widgets.sample_size() == "500")
        wait_for("the results of 500 draws", lambda: all(widgets.results().values()))
        if announcements:
            heard = wait_for("the second run's announcement", lambda: announcements.so_far()[1:])
            check(len(heard) == 1, f"a second run, {len(heard)} more announcements: {heard}")
            check_announced(heard[0], widgets.results())

        # File > Exit ends the program with status 0.
        wait_for("the main window to be active for the menu", lambda: session.active_window_name() == "Vellorin")
        session.key("alt+f")
        session.key("x")
        try:
            status = program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise Failure("the program was still running 10 s after File > Exit")
        check(status == 0, f"the program ended with status {status}")
        print("passed")
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        if program is not None and program.poll() is not None:
            print(f"the program had ended with status {program.returncode}", file=sys.stderr)
        output = session.program_output()
        if output:
            print(f"the program's output:\n{output}", file=sys.stderr)
        return 1
    finally:
        session.stop_all()


if __name__ == "__main__":
    sys.exit(main())
