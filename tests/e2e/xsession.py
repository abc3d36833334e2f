"""An X session for the end-to-end tests: its own Xvfb (800x600) and
openbox, the program's windows found by their titles through xdotool, real
X input, screenshots. Every process started is stopped again at the end.
"""

import ctypes
import ctypes.util
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SCREEN = (800, 600)
SHOTS = "/tmp/vellorin-shots"


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


class XSession:
    """The X server, window manager, buses and program, each started in a
    process group of its own and stopped by its pid."""

    def __init__(self):
        self.processes = []  # (name, Popen), in start order
        self.program = None  # the program under test, once started
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

    def start_program(self, command, **extra_env):
        """The program under test, its output kept for a failure's report."""
        self.program_log = os.path.join(self.runtime_dir, "program.log")
        with open(self.program_log, "w") as log:
            process = subprocess.Popen(command, env=dict(self.env, **extra_env), start_new_session=True,
                                       stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        self.processes.append((os.path.basename(command[0]), process))
        self.program = process
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

    def enter_in_box(self, text):
        """Replaces the focused box's text and presses Enter, as a user does."""
        self.key("ctrl+a")
        self.type(text)
        self.key("Return")

    def escape_from(self, title):
        """Esc in a dialog: it goes, and the main window is active again."""
        self.key("Escape")
        wait_for(f"the window {title!r} to go", lambda: not self.windows_named(title))
        wait_for("the main window to be active again", lambda: self.active_window_name() == "Vellorin")

    def exit_by_menu(self, timeout):
        """File > Exit, by its access keys: the program must end with status 0.
        X is let go only once the program has ended, as it ends on the press:
        the toolkit's screen-reader bridge holds each key until the
        accessibility registry has seen it, and never frees one it still
        holds when the program ends: the sanitizer build reports that
        release as a leak."""
        self.key("alt+f")
        self.tool("xdotool", "keydown", "x")
        try:
            status = self.program.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program was still running {timeout} s after File > Exit")
        finally:
            self.tool("xdotool", "keyup", "x")
        check(status == 0, f"the program ended with status {status}")


def run(session, steps):
    """Runs a test's steps in its session and stops every process after.
    Returns the test's exit status: 0 when it passed; 1 with the failure and
    what the program wrote, when not."""
    try:
        steps()
        print("passed")
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        if session.program is not None and session.program.poll() is not None:
            print(f"the program had ended with status {session.program.returncode}", file=sys.stderr)
        output = session.program_output()
        if output:
            print(f"the program's output:\n{output}", file=sys.stderr)
        return 1
    finally:
        session.stop_all()
