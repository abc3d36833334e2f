#!/usr/bin/env python3
"""End-to-end test of Vellorin on a real X server.

Starts its own X session (xsession.py), a D-Bus session with the
accessibility bus, and the program; drives it with real X input through
xdotool and reads its widgets through AT-SPI. Every process it starts is
stopped again, whatever happens. Exits non-zero with a message on failure.

Usage: test_desktop.py path/to/vellorin QT_VERSION
QT_VERSION is the version of Qt the program is built with; from 6.8 on, the
program announces its results, and the test listens for that.
Screenshots go to /tmp/vellorin-shots/.
"""

import os
import re
import select
import shutil
import subprocess
import sys

from layout import HELP_AT, HELP_SIZE, INSTRUCTIONS_AT, INSTRUCTIONS_SIZE, MAIN_CLIENT
from xsession import SCREEN, XSession, check, run, stays, wait_for

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

BAD_NUMBER = "Bad number! Please choose a positive integer between 1 and 10 million."


class Session(XSession):
    """The X session, with the buses the accessibility bridge talks over."""

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

    def start_program(self, path):
        return super().start_program([path], QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")


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

    def steps():
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
        check((width, height) == INSTRUCTIONS_SIZE,
              f"instructions' client area {width}x{height}, expected {INSTRUCTIONS_SIZE}")
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
        session.escape_from("Instructions")

        session.enter_in_box("1000000")
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
        check((width, height) == HELP_SIZE, f"help's client area {width}x{height}, expected {HELP_SIZE}")
        check(widgets.role_of_window("Help") == "dialog",
              f"the help window is announced as {widgets.role_of_window('Help')!r}, not as a dialog")
        check("Vellorin Help:" in widgets.panels(), f"the help's frame is not a panel: {widgets.panels()}")
        check(session.transient_for(help_window) == main_window,
              f"the help window is transient for {session.transient_for(help_window)}, not for the main window")
        session.screenshot("help")
        session.escape_from("Help")

        # Its close box works where the main window's did not above: the
        # same close request, with nothing in front, closes the help.
        session.key("F1")
        help_window = wait_for("the help window again", lambda: session.windows_named("Help"))[0]
        session.request_close(help_window)
        wait_for("the help window to close", lambda: not session.windows_named("Help"))
        wait_for("the main window to be active once more", lambda: session.active_window_name() == "Vellorin")

        # A bad number brings up the prompt; 500 is then accepted.
        session.enter_in_box("abc")
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
        session.exit_by_menu(timeout=10)

    return run(session, steps)


if __name__ == "__main__":
    sys.exit(main())
