#!/usr/bin/env python3
"""What Windows shows of the built program and its installer: read from the
files themselves, as Explorer and Windows Installer read them.

vellorin.exe: a GUI program (no console window); its first icon group is
the program's icon, every image of packaging/windows/vellorin.ico; its
version record names the product, the team and the version; its manifest
runs it as the user who starts it and declares Windows 10; it imports only
the Windows DLLs that the README names.

The .msi (through msitools' msiinfo): its summary and its Property table
name the product, the version and the team, keep the upgrade code every
version shares, and install for all users.

Usage: test_identity.py DIST_DIR ICO README VERSION
Exits non-zero with every failure found.
"""

import os
import re
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import msi  # noqa: E402
from pe import (RT_GROUP_ICON, RT_ICON, RT_MANIFEST, RT_VERSION, SUBSYSTEM_WINDOWS_GUI, NotAProgram,  # noqa: E402
                PeFile, icon_entries, ico_images, version_record)

PRODUCT = "Vellorin"
TEAM = "The Vellorin Team"
# Every version's installer carries this one: Windows Installer tells a
# later version of the same product by it, and replaces the earlier one.
UPGRADE_CODE = "{DAEF6898-BDDE-457D-9EA7-81DE0148C7B6}"
# The Windows 10 (and 11) GUID of a manifest's supportedOS.
WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"

failures = []


def expect(condition, message):
    if not condition:
        failures.append(message)
    return condition


def promised_dlls(readme):
    """The DLLs the README's Windows section says the program uses: each
    named in backquotes there."""
    with open(readme) as handle:
        text = handle.read()
    section = re.search(r"^## Windows\n(.*?)(?=^## )", text, re.M | re.S)
    return {name.lower() for name in re.findall(r"`([\w.-]+\.dll)`", section.group(1) if section else "")}


def check_icon(resources, ico):
    groups = resources.get(RT_GROUP_ICON, {})
    if not expect(groups, "no icon group: Explorer shows a generic program icon"):
        return
    # Explorer takes the first group, in the order the directory keeps.
    name, languages = next(iter(groups.items()))
    entries = icon_entries(next(iter(languages.values())))
    wanted = ico_images(ico)
    expect(sorted(e[:3] for e in entries) == sorted(w[:3] for w in wanted),
           f"icon group {name!r} holds {sorted(e[:3] for e in entries)} (width, height, bits), "
           f"the .ico {sorted(w[:3] for w in wanted)}")
    images = resources.get(RT_ICON, {})
    by_size = {w[:3]: w[3] for w in wanted}
    for width, height, bits, icon_id in entries:
        image = next(iter(images.get(icon_id, {}).values()), None)
        expect(image == by_size.get((width, height, bits)),
               f"the {width}x{height} {bits}-bit image of icon group {name!r} is not the .ico's")
    print(f"icon group {name!r}: " + ", ".join(f"{w}x{h} {b}-bit" for w, h, b, _ in entries))


def check_version(resources, version):
    records = resources.get(RT_VERSION, {})
    if not expect(records, "no version record: the file's properties show no product or version"):
        return
    fixed, strings = version_record(next(iter(next(iter(records.values())).values())))
    major, minor = (int(part) for part in version.split("."))
    for name, value in (("ProductName", PRODUCT), ("CompanyName", TEAM), ("FileVersion", version),
                        ("ProductVersion", version)):
        expect(strings.get(name) == value, f"version record: {name} is {strings.get(name)!r}, expected {value!r}")
    for part in ("file", "product"):
        expect(fixed[part] == (major, minor, 0, 0),
               f"version record: the fixed {part} version is {'.'.join(map(str, fixed[part]))}, "
               f"expected {major}.{minor}.0.0")
    print("version record: " + ", ".join(f"{k} {v!r}" for k, v in sorted(strings.items())) +
          f"; fixed file {fixed['file']}, product {fixed['product']}")


def check_manifest(resources):
    manifests = resources.get(RT_MANIFEST, {})
    # Windows reads the one of id 1 for a program.
    if not expect(1 in manifests, f"no manifest of id 1 (manifests: {list(manifests)})"):
        return
    root = ElementTree.fromstring(next(iter(manifests[1].values())))
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    expect(levels == ["asInvoker"], f"manifest: execution level {levels}, expected ['asInvoker']")
    systems = [e.get("Id", "").lower() for e in root.iter() if e.tag.endswith("}supportedOS")]
    expect(WINDOWS_10 in systems, f"manifest: supportedOS {systems} does not name Windows 10 {WINDOWS_10}")
    print(f"manifest: execution level {levels}, supportedOS {systems}")


def check_imports(program, readme):
    promised = promised_dlls(readme)
    if not expect(promised, f"{readme} names no DLLs in its Windows section"):
        return
    imported = program.imported_dlls()
    others = sorted(name for name in imported if name.lower() not in promised)
    expect(not others, f"imports DLLs the README does not name: {others}")
    print(f"imports: {', '.join(imported)}")


def check_installer(path, version):
    properties = msi.properties(path)
    for name, value in (("ProductName", PRODUCT), ("ProductVersion", version), ("Manufacturer", TEAM),
                        ("UpgradeCode", UPGRADE_CODE), ("ALLUSERS", "1")):
        expect(properties.get(name, "").upper() == value.upper(),
               f"installer: property {name} is {properties.get(name)!r}, expected {value!r}")
    print("installer properties: " + ", ".join(f"{k} {v!r}" for k, v in sorted(properties.items())))
    summary = msi.summary(path)
    for name, value in (("Subject", f"{PRODUCT} {version}"), ("Author", TEAM), ("Template", "x64;1033")):
        expect(summary.get(name) == value, f"installer summary: {name} is {summary.get(name)!r}, expected {value!r}")
    print("installer summary: " + ", ".join(f"{k} {v!r}" for k, v in summary.items()))


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    dist, ico, readme, version = sys.argv[1:]
    installer = os.path.join(dist, f"vellorin-{version}-x64.msi")
    try:
        program = PeFile(os.path.join(dist, "vellorin.exe"))
        expect(program.subsystem == SUBSYSTEM_WINDOWS_GUI,
               f"subsystem {program.subsystem}, expected {SUBSYSTEM_WINDOWS_GUI} (Windows GUI)")
        resources = program.resources()
        check_icon(resources, ico)
        check_version(resources, version)
        check_manifest(resources)
        check_imports(program, readme)
    except (OSError, NotAProgram) as error:
        failures.append(str(error))
    try:
        check_installer(installer, version)
    except (OSError, msi.Unreadable) as error:
        failures.append(str(error))
    for failure in failures:
        print(f"FAIL: {failure}", file=sys.stderr)
    if failures:
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
