#!/usr/bin/env python3
"""End-to-end test of the Windows program under wine, on a real X server.

Starts its own X session (xsession.py) and a fresh wine prefix, runs
vellorin.exe there and drives it with real X input: wine passes on only
what comes through the X server, as a user's keys do. Without an
accessibility bus it reads what a user sees: the windows by their titles,
the screen's pixels, the results as text off the screen (tesseract), the
box's text copied to the clipboard, and the program's exit status. Exits
non-zero with a message on failure.

Usage: test_windows.py path/to/vellorin.exe
Screenshots go to /tmp/vellorin-shots/windows-*.png, with the enlarged
pieces of them that were read as text.
"""

import os
import re
import shutil
import subprocess
import sys
import time

from layout import HELP_AT, HELP_SIZE, INSTRUCTIONS_AT, INSTRUCTIONS_SIZE, MAIN_CLIENT
from screen_text import read_line, still_screen
from xsession import XSession, check, run, stays, wait_for

# The results table's rows in the main window's client area, each a caption
# label and the label of its value: the frame "Results" at (240, 2280), the
# three figures' rows from 2040 in steps of 495 (captions at 360, 705 wide;
# values at 1080, 1095 wide) and the five shares' rows from 1920 in steps of
# 405 (captions at 2880, 750 wide; values at 3840, 705 wide), each from the
# frame's corner (twips ÷ 15).
RESULTS_FRAME = (240 // 15, 2280 // 15)
RESULT_ROWS = [(((360 // 15, (2040 + 495 * row) // 15), (705 // 15, 495 // 15)),
                ((1080 // 15, (2040 + 495 * row) // 15), (1095 // 15, 495 // 15))) for row in range(3)] + \
              [(((2880 // 15, (1920 + 405 * row) // 15), (750 // 15, 405 // 15)),
                ((3840 // 15, (1920 + 405 * row) // 15), (705 // 15, 405 // 15))) for row in range(5)]
CAPTIONS = ["Average:", "Biggest:", "Smallest:", "0.0 to 0.2:", "0.2 to 0.4:", "0.4 to 0.6:", "0.6 to 0.8:",
            "0.8 to 1.0:"]
# The program's formats: figures with five decimals (a draw is below 1, so
# a figure is too, unless it rounds up to 1); shares as percentages with up
# to four decimals and no trailing zeros, the point kept ("%20.").
FIGURE = re.compile(r"0\.\d{5}|1\.00000")
SHARE = re.compile(r"%\d{1,3}\.(\d{0,3}[1-9])?")


class WineSession(XSession):
    """The X session with a wine prefix of its own."""

    def start_wine(self):
        self.env["WINEPREFIX"] = os.path.join(self.runtime_dir, "wine")
        self.env["WINEDEBUG"] = "-all"
        # No offers to download Mono or Gecko, which nothing here needs.
        self.env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
        check(self.tool("wineboot", "--init", timeout=180) is not None,
              f"wineboot failed: {self.last_tool_error}")

    def stop_all(self):
        if "WINEPREFIX" in self.env:
            subprocess.run(["wineserver", "--kill"], env=self.env, capture_output=True, timeout=30)
        super().stop_all()

    def clipboard(self):
        return self.tool("xclip", "-selection", "clipboard", "-o")

    def box_text(self):
        """The sample-size box's text, as a user copies it out."""
        # Emptied first, so that a copy that never happens cannot pass; xclip
        # stays behind to serve the empty text until the program takes over.
        subprocess.run(["xclip", "-selection", "clipboard", "-i", "/dev/null"], env=self.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=10)
        self.key("ctrl+a")
        self.key("ctrl+c")
        return wait_for("the box's text on the clipboard", self.clipboard, timeout=5)

    def colours_in(self, x, y, width, height):
        """How many colours the screen shows in a rectangle: one where a
        label is blank, more where it shows text."""
        out = self.tool("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "-format", "%k",
                        "info:", timeout=30)
        return int(out) if out and out.isdigit() else 0


def label_regions(session, main_window, labels, margin):
    """Where each label writes its line: the label's top 18 pixels, widened
    by a margin on either side (narrowed where it is negative); the tables'
    outlines stay clear of 2 pixels either way."""
    x, y, width, height = session.client_geometry(main_window)
    # The menu bar takes the top of the client area; the rest is the design's.
    top = y + height - MAIN_CLIENT[1]
    return [(x + RESULTS_FRAME[0] + left - margin, top + RESULTS_FRAME[1] + row_top + 1, w + 2 * margin, 18)
            for (left, row_top), (w, h) in labels]


def read_results(session, main_window, name):
    """Each row of the results tables as read off the screen: its caption
    and its value, in the captions' order. The formats and the captions are
    checked here; the enlarged pieces read are kept as NAME-*.png."""
    x, y, width, height = session.client_geometry(main_window)
    shot = still_screen(session, (x, y, width, height))
    # Left-aligned text starts at a label's very edge: a little of the
    # background around it is read too.
    captions = label_regions(session, main_window, [caption for caption, _ in RESULT_ROWS], margin=2)
    values = label_regions(session, main_window, [value for _, value in RESULT_ROWS], margin=2)
    rows = [(read_line(session, shot, caption, f"{name}-caption{row + 1}"),
             read_line(session, shot, value, f"{name}-value{row + 1}", one_word=True))
            for row, (caption, value) in enumerate(zip(captions, values))]
    print(f"{name} as read: " + "; ".join(f"{caption} {value}" for caption, value in rows))
    for row, ((caption, value), wanted) in enumerate(zip(rows, CAPTIONS)):
        check(caption == wanted, f"a row's caption reads {caption!r} where {wanted!r} belongs")
        check((FIGURE if row < 3 else SHARE).fullmatch(value), f"{wanted} {value!r} is not in the program's format")
    return [float(value.lstrip("%")) for _, value in rows]


def check_many_draws(results):
    """10,000,000 draws: the figures and shares of a uniform sample that big."""
    average, biggest, smallest, *shares = results
    check(abs(average - 0.5) <= 0.001, f"average {average} is more than 0.001 from 0.5")
    # All 10,000,000 draws miss the top (or bottom) 0.0001 with a chance of
    # 0.9999^10^7, about e^-1000.
    check(biggest >= 0.9999, f"biggest {biggest} after 10,000,000 draws")
    check(smallest <= 0.0001, f"smallest {smallest} after 10,000,000 draws")
    # A share's standard deviation is 0.013 points here; 0.1 is eight of them.
    check(all(abs(share - 20) <= 0.1 for share in shares), f"shares {shares} are not all within 0.1 of 20")
    # Each share is rounded to four decimals, so the five are off by 0.00025 at most.
    check(abs(sum(shares) - 100) <= 0.00025 + 1e-9, f"shares {shares} add up to {sum(shares)}, not 100")


def check_one_draw(results):
    """One draw: it is the average, the biggest and the smallest, and all of
    the draws are in the fifth it falls in."""
    average, biggest, smallest, *shares = results
    check(average == biggest == smallest, f"one draw, yet average {average}, biggest {biggest}, "
                                          f"smallest {smallest}")
    check(sorted(shares) == [0, 0, 0, 0, 100], f"one draw, yet shares {shares}")
    fifth = shares.index(100)
    # The figure is rounded to five decimals: within 0.000005 of a bound it
    # may be either side of it.
    check(fifth / 5 - 0.000005 <= average < (fifth + 1) / 5 + 0.000005,
          f"the draw {average} is counted in {CAPTIONS[3 + fifth]!r}")


def check_placed(session, window, whose, at, size):
    """A dialog's client area stands where the design puts it, at its size."""
    x, y, width, height = session.client_geometry(window)
    check((x, y) == at, f"{whose} client area at {(x, y)}, expected {at}")
    check((width, height) == size, f"{whose} client area {width}x{height}, expected {size[0]}x{size[1]}")


def results_shown(session, regions):
    return all(session.colours_in(*region) > 1 for region in regions)


def results_blank(session, regions):
    return all(session.colours_in(*region) == 1 for region in regions)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    program_path = os.path.abspath(sys.argv[1])
    check(os.path.isfile(program_path), f"no program at {program_path}")
    for tool in ("Xvfb", "openbox", "wine", "wineboot", "wineserver", "xdotool", "xwininfo", "xprop", "xclip",
                 "import", "convert", "tesseract"):
        check(shutil.which(tool), f"{tool} is not installed")

    session = WineSession()

    def steps():
        session.start_x()
        session.start_window_manager()
        session.start_wine()
        session.start_program(["wine", program_path])
        started = time.monotonic()

        # Start-up: the main window, and the instructions in front of it.
        main_window = wait_for("the main window", lambda: session.windows_named("Vellorin"), timeout=60)[0]
        instructions = wait_for("the instructions", lambda: session.windows_named("Instructions"), timeout=30)[0]
        wait_for("the instructions to be the active window",
                 lambda: session.active_window_name() == "Instructions")
        print(f"up with its instructions {time.monotonic() - started:.1f} s after wine was started")
        check_placed(session, instructions, "the instructions'", INSTRUCTIONS_AT, INSTRUCTIONS_SIZE)
        x, y, width, height = session.client_geometry(main_window)
        check(width == MAIN_CLIENT[0] and height > MAIN_CLIENT[1],
              f"main window's client area {width}x{height}, expected {MAIN_CLIENT[0]} wide and "
              f"{MAIN_CLIENT[1]} high below a menu bar")
        # Whether a result shows: its label, away from its edges.
        regions = label_regions(session, main_window, [value for _, value in RESULT_ROWS], margin=-2)
        session.screenshot("windows-startup")

        # Esc dismisses them; the main window is active and takes input.
        session.escape_from("Instructions")
        check(results_blank(session, regions), "the results show something before any run")
        check(session.box_text() == "100", f"the box starts with {session.clipboard()!r}, not '100'")

        # A run of 10,000,000: the box shows the size grouped, every result
        # reads as a sample that big gives.
        session.enter_in_box("10000000")
        pressed = time.monotonic()
        wait_for("the results of 10,000,000 draws", lambda: results_shown(session, regions), timeout=60,
                 interval=0.01)
        print(f"results of 10,000,000 draws seen {time.monotonic() - pressed:.2f} s after Enter "
              "(screenshot polling included)")
        check(session.box_text() == "10,000,000", f"the box reads {session.clipboard()!r}, not '10,000,000'")
        session.screenshot("windows-results")
        check_many_draws(read_results(session, main_window, "windows-results"))

        # F1: the help window, in front; Esc closes it.
        session.key("F1")
        help_window = wait_for("the help window", lambda: session.windows_named("Help"))[0]
        wait_for("the help window to be active", lambda: session.active_window_name() == "Help")
        check_placed(session, help_window, "the help window's", HELP_AT, HELP_SIZE)
        session.screenshot("windows-help")
        session.escape_from("Help")

        # A bad number brings up the prompt (a second window of the program's
        # title) and blanks the results; 1 is then accepted and run.
        session.enter_in_box("abc")
        wait_for("the prompt", lambda: len(session.windows_named("Vellorin")) == 2)
        check(results_blank(session, regions), "the results still show while the prompt asks for a size")
        session.screenshot("windows-prompt")
        session.type("1")
        session.key("Return")
        wait_for("the prompt to go", lambda: len(session.windows_named("Vellorin")) == 1)
        wait_for("the results of 1 draw", lambda: results_shown(session, regions))
        wait_for("the main window to be active for the menu", lambda: session.active_window_name() == "Vellorin")
        check(session.box_text() == "1", f"the box reads {session.clipboard()!r}, not '1'")
        session.screenshot("windows-one-draw")
        check_one_draw(read_results(session, main_window, "windows-one-draw"))

        # File > Exit ends the program with status 0.
        session.exit_by_menu(timeout=20)
        stays("no window of the program to remain", lambda: not session.windows_named("Vellorin"))

    return run(session, steps)


if __name__ == "__main__":
    sys.exit(main())
