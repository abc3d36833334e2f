"""An installer's summary and Property table, as msitools' msiinfo reads
them."""

import subprocess


class Unreadable(Exception):
    pass


def msiinfo(*arguments):
    result = subprocess.run(["msiinfo", *arguments], capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        raise Unreadable(f"msiinfo {' '.join(arguments)}: {result.stderr.strip()[:300]}")
    return result.stdout


def summary(path):
    """The summary information stream: {"Subject": ..., "Author": ..., ...}."""
    fields = {}
    for line in msiinfo("suminfo", path).splitlines():
        name, colon, value = line.partition(": ")
        if colon:
            fields[name] = value
    return fields


def properties(path):
    """The Property table: {name: value}."""
    # An exported table: column names, column types and the key come first.
    rows = msiinfo("export", path, "Property").replace("\r", "").splitlines()[3:]
    return dict(row.split("\t", 1) for row in rows if "\t" in row)
