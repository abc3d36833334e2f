"""Text read off the screen, as a user reads it: rectangles of one still
screenshot, each read by tesseract as one line. The program draws every
text in its own bundled face at fixed sizes; tesseract reads it exactly
once a rectangle is framed in white (a character at its very edge, the
percent sign above all, is otherwise misread) and enlarged four times.
"""

import os
import re
import string
import time

from xsession import SCREEN, SHOTS, Failure, check


def still_screen(session, region, timeout=10.0):
    """A screenshot (raw RGB) once a rectangle of it (x, y, width, height)
    is the same in two in a row, so no text is read from a half-painted
    window; the rest of the screen may change (a caret blinks)."""
    path = os.path.join(session.runtime_dir, "screen.rgb")
    x, y, width, height = region
    previous = None
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        check(session.tool("import", "-window", "root", "-depth", "8", f"rgb:{path}", timeout=30) is not None,
              f"no screenshot: {session.last_tool_error}")
        with open(path, "rb") as shot:
            pixels = shot.read()
        piece = b"".join(pixels[3 * (row * SCREEN[0] + x):3 * (row * SCREEN[0] + x + width)]
                         for row in range(y, y + height))
        if piece == previous:
            return path
        previous = piece
        time.sleep(0.2)
    raise Failure(f"the screen did not keep still for {timeout} s")


# Every printable character but the blank. Left to itself, tesseract puts a
# blank after a percent sign in this face that the pixels do not have (no
# column between the two characters is background).
ONE_WORD = "".join(c for c in string.printable if not c.isspace())


def read_line(session, shot, region, name, one_word=False):
    """The one line of text tesseract reads in a rectangle (x, y, width,
    height) of a still screenshot, or with one_word a single word, no blank
    in it; the enlarged rectangle it read is kept as SHOTS/NAME.png."""
    x, y, width, height = region
    os.makedirs(SHOTS, exist_ok=True)
    enlarged = os.path.join(SHOTS, f"{name}.png")
    check(session.tool("convert", "-size", f"{SCREEN[0]}x{SCREEN[1]}", "-depth", "8", f"rgb:{shot}",
                       "-crop", f"{width}x{height}+{x}+{y}", "+repage", "-colorspace", "gray",
                       "-bordercolor", "white", "-border", "4", "-resize", "400%", enlarged, timeout=30) is not None,
          f"cannot cut {name} out of the screenshot: {session.last_tool_error}")
    alphabet = ["-c", f"tessedit_char_whitelist={ONE_WORD}"] if one_word else []
    text = session.tool("tesseract", enlarged, "-", "--psm", "7", *alphabet, timeout=30)
    check(text is not None, f"tesseract failed on {enlarged}: {session.last_tool_error}")
    return re.sub(r"\s+", " ", text).strip()
