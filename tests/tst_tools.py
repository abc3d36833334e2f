#!/usr/bin/env python3
"""Every program that the project's scripts and tests call must come from a
Debian package that scripts/setup installs, or from Debian's base system, so
that a machine set up by scripts/setup alone can run them all.

The programs are read from the files themselves: the command words of the
shell scripts, the COMMAND of each CMake test, and the commands the Python
tests hand to subprocess. Each is looked up on the system's search path and
its package asked of dpkg; one that is not installed fails too.

Usage: tst_tools.py SOURCE_DIR
"""

import ast
import os
import re
import shlex
import shutil
import subprocess
import sys
import tokenize

# Shell words that start or wrap a command without being one.
SHELL_PREFIXES = {"if", "then", "else", "elif", "while", "until", "do", "!", "exec", "time", "command",
                  "env", "sudo", "{", "[[", "trap"}
ON_DEBIAN_13 = "VERSION_CODENAME=trixie" in open("/etc/os-release").read()
SHELL_BUILTINS = set(subprocess.run(["bash", "-c", "compgen -b; compgen -k"], capture_output=True,
                                    text=True, check=True).stdout.split())


def shell_sources(top):
    paths = [os.path.join(top, ".ci", "run")]
    for folder in ("scripts", "fuzz", "tests", "debian"):
        for directory, _, files in os.walk(os.path.join(top, folder)):
            for name in files:
                path = os.path.join(directory, name)
                with open(path, "rb") as handle:
                    first = handle.readline()
                if first.startswith(b"#!") and b"sh" in first.split(b"/")[-1] or name.endswith(".sh"):
                    paths.append(path)
    # The installer itself runs before anything is installed: it needs only
    # the base system, and sudo where it is not run as root. A script that
    # goes into a Debian 13 root first runs its own commands there, and is
    # checked there.
    return [p for p in paths if os.path.exists(p) and os.path.relpath(p, top) != "scripts/setup"
            and (ON_DEBIAN_13 or not reenters_debian_13(p))]


def reenters_debian_13(path):
    with open(path) as handle:
        return re.search(r"\|\|\s*exec scripts/in-debian-13", handle.read()) is not None


def without_heredocs(lines):
    """Drops the bodies of here-documents (Python or data, not shell)."""
    kept, terminator = [], None
    for line in lines:
        if terminator is not None:
            if line.strip() == terminator:
                terminator = None
            continue
        kept.append(line)
        match = re.search(r"<<-?\s*['\"]?(\w+)['\"]?", line)
        if match:
            terminator = match.group(1)
    return kept


def shell_functions(paths):
    """The functions the project's shell files define: a script may call
    those of a file it sources."""
    found = set()
    for path in paths:
        with open(path) as handle:
            found.update(re.findall(r"^\s*([\w-]+)\s*\(\)", handle.read(), re.M))
    return found


def shell_commands(path, functions):
    with open(path) as handle:
        text = handle.read().replace("\\\n", " ")
    # Arithmetic, expansions and redirections name no program; a command
    # substitution starts a command.
    text = re.sub(r"\$\(\(.*?\)\)", "0", text)
    text = re.sub(r"\$\{[^}]*\}", "$VAR", text)
    # An array's elements are words, not a command.
    text = re.sub(r"\b(\w+\+?=)\([^)]*\)", r"\1", text)
    text = re.sub(r"\d*[<>]&\d*", " ", text).replace("$(", "(")
    found = set()
    for line in without_heredocs(text.splitlines()):
        try:
            lexer = shlex.shlex(line, posix=True, punctuation_chars=";&|()")
            lexer.whitespace_split = True
            lexer.commenters = "#"
            words = list(lexer)
        except ValueError:
            continue  # an unfinished quote: a line of a longer string
        at_start, after_function, option_argument = True, False, False
        for word in words:
            if word and set(word) <= set(";&|()"):
                # What follows `)` is the rest of the command the
                # substitution stood in, not a new one.
                at_start, after_function = set(word) != {")"}, False
                continue
            if at_start:
                if option_argument:  # env -u NAME
                    option_argument = False
                    continue
                if word in SHELL_PREFIXES or word.startswith("-") or re.fullmatch(r"\w+\+?=.*", word):
                    option_argument = word == "-u"
                    continue
                at_start = False
                if word in functions:
                    after_function = True  # a wrapper: `step "Name" ctest ...`
                elif re.fullmatch(r"[\w.+/$-]+", word):
                    found.add(word)
            elif after_function and re.fullmatch(r"[\w.+-]+", word) and system_path(word):
                found.add(word)
                after_function = False
    return found


def cmake_commands(top):
    found = set()
    for directory, _, files in os.walk(top):
        if os.path.relpath(directory, top).split(os.sep)[0].startswith(("build", ".git")):
            continue
        for name in files:
            if name == "CMakeLists.txt":
                with open(os.path.join(directory, name)) as handle:
                    found.update(re.findall(r"\bCOMMAND\s+([\w.+-]+)", handle.read()))
    return found


# Calls whose first argument is a program, and calls that take a command as
# a list (`start("Xvfb", ["Xvfb", ":1"])`, the first a name of the test's own).
PYTHON_RUNNERS = {"tool", "Popen", "run", "call", "check_call", "check_output", "which", "execv", "execvp"}
PYTHON_LIST_RUNNERS = PYTHON_RUNNERS | {"start"}


def python_programs(path):
    found = set()
    brackets = []  # per open bracket: the runner it belongs to, or None
    previous = None
    with open(path, "rb") as handle:
        for token in tokenize.tokenize(handle.readline):
            if token.type == tokenize.OP and token.string == "(":
                brackets.append(previous)
            elif token.type == tokenize.OP and token.string == "[":
                brackets.append("[" if brackets and brackets[-1] in PYTHON_LIST_RUNNERS else None)
            elif token.type == tokenize.OP and token.string in ")]" and brackets:
                brackets.pop()
            elif token.type == tokenize.STRING and brackets and (
                    previous == "(" and brackets[-1] in PYTHON_RUNNERS or previous == "[" and brackets[-1] == "["):
                try:
                    value = ast.literal_eval(token.string)
                except (ValueError, SyntaxError):
                    value = None
                if isinstance(value, str) and re.fullmatch(r"[\w.+-]+|/usr/(s?bin|libexec)/[\w.+-]+", value):
                    found.add(value)
            if token.type not in (tokenize.NL, tokenize.NEWLINE, tokenize.COMMENT, tokenize.INDENT,
                                  tokenize.DEDENT):
                previous = token.string
    return found


def system_path(program):
    """Where the system's own search path finds a program: a Python or tool
    from a version manager earlier on PATH is not what a new machine has."""
    return shutil.which(program, path="/usr/sbin:/usr/bin:/sbin:/bin")


def packages_of(paths):
    """The Debian package of each path, asked of dpkg in one call; with a
    merged /usr, dpkg may know a program as /bin/... or as /usr/bin/..."""
    candidates = {}  # several programs may be one file (ImageMagick 7's tools are all `magick`)
    for path in paths:
        for candidate in {path, os.path.realpath(path)}:
            candidates.setdefault(candidate, set()).add(path)
            candidates.setdefault(candidate[4:] if candidate.startswith("/usr/") else "/usr" + candidate,
                                  set()).add(path)
    result = subprocess.run(["dpkg", "-S", *candidates], capture_output=True, text=True)
    found = {}
    for line in result.stdout.splitlines():
        packages, _, owned = line.partition(": ")
        for path in candidates.get(owned, ()):
            found[path] = packages.split(",")[0].split(":")[0].strip()
    return found


def installed_packages():
    """Every installed package: whether every Debian system has it (essential
    or required), and what it depends on."""
    result = subprocess.run(["dpkg-query", "-W", "-f=${Package}|${Status}|${Essential}|${Priority}|"
                             "${Depends}, ${Pre-Depends}\n"], capture_output=True, text=True, check=True)
    packages = {}
    for line in result.stdout.splitlines():
        name, status, essential, priority, depends = line.split("|", 4)
        if "install ok installed" in status:
            packages[name] = (essential == "yes" or priority == "required",
                              re.findall(r"(?:^|[,|]\s*)([a-z0-9][a-z0-9.+-]+)", depends))
    return packages


def setup_packages(top, installed):
    """scripts/setup's lists (the one for every release and the one for
    Debian 13), with everything those packages pull in."""
    with open(os.path.join(top, "scripts", "setup")) as handle:
        lists = re.findall(r"^\w*packages=\((.*?)\)", handle.read(), re.S | re.M)
    listed = {package for found in lists for package in re.sub(r"#.*", "", found).split()}
    closure, pending = set(), list(listed)
    while pending:
        package = pending.pop()
        if package in installed and package not in closure:
            closure.add(package)
            pending.extend(installed[package][1])
    return listed, closure


def main():
    top = os.path.abspath(sys.argv[1])
    callers = {}
    sources = shell_sources(top)
    functions = shell_functions(sources)
    for path in sources:
        for program in shell_commands(path, functions):
            callers.setdefault(program, set()).add(os.path.relpath(path, top))
    for program in cmake_commands(top):
        callers.setdefault(program, set()).add("CMakeLists.txt")
    for directory, _, files in os.walk(os.path.join(top, "tests")):
        for name in files:
            if name.endswith(".py"):
                path = os.path.join(directory, name)
                for program in python_programs(path):
                    callers.setdefault(program, set()).add(os.path.relpath(path, top))

    # The project's own programs and variables are not the machine's.
    programs = {program: where for program, where in callers.items()
                if "$" not in program and ("/" not in program or program.startswith("/usr/"))
                and program not in SHELL_BUILTINS}
    paths = {program: program if program.startswith("/") else system_path(program) for program in programs}
    owners = packages_of([path for path in paths.values() if path and os.path.exists(path)])
    installed = installed_packages()
    listed, wanted = setup_packages(top, installed)
    failures = []
    for program, where in sorted(programs.items()):
        called = f"{program} ({', '.join(sorted(where))})"
        path = paths[program]
        package = owners.get(path)
        if not path or not os.path.exists(path):
            failures.append(f"{called}: not installed")
        elif package is None:
            failures.append(f"{called}: {path} belongs to no Debian package")
        elif package not in wanted and not installed.get(package, (False,))[0]:
            failures.append(f"{called} comes from {package}, which scripts/setup does not install")
    if not listed:
        failures.append("found no package list in scripts/setup")
    for failure in failures:
        print(f"FAIL: {failure}")
    if failures or not programs:
        return 1
    print(f"all {len(programs)} programs the scripts and tests call come from scripts/setup's packages "
          "or the base system")
    return 0


if __name__ == "__main__":
    sys.exit(main())
