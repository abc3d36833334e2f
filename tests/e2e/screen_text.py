"""Text read off the screen, as a user reads it: rectangles of one still
screenshot, each enlarged four times and read by tesseract as one line.
The program draws every text in its own bundled face at fixed sizes, which
tesseract reads exactly at that enlargement.
"""

import os
import re
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


def read_line(session, shot, region, name):
    """The one line of text tesseract reads in a rectangle (x, y, width,
    height) of a still screenshot; the enlarged rectangle it read is kept
    as SHOTS/NAME.png."""
    x, y, width, height = region
    os.makedirs(SHOTS, exist_ok=True)
    enlarged = os.path.join(SHOTS, f"{name}.png")
    check(session.tool("convert", "-size", f"{SCREEN[0]}x{SCREEN[1]}", "-depth", "8", f"rgb:{shot}",
                       "-crop", f"{width}x{height}+{x}+{y}", "+repage", "-colorspace", "gray",
                       "-resize", "400%", enlarged, timeout=30) is not None,
          f"cannot cut {name} out of the screenshot: {session.last_tool_error}")
    text = session.tool("tesseract", enlarged, "-", "--psm", "7", timeout=30)
    check(text is not None, f"tesseract failed on {enlarged}: {session.last_tool_error}")
    return re.sub(r"\s+", " ", text).strip()
