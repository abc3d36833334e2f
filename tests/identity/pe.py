"""What a Windows program file says about itself, read straight from its
PE headers: the subsystem it asks for, the DLLs it imports and its
resources (icons, version record, manifest). Only the little of the format
these need; nothing is run.
"""

import struct

SUBSYSTEM_WINDOWS_GUI = 2
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD


class NotAProgram(Exception):
    pass


class PeFile:
    def __init__(self, path):
        with open(path, "rb") as handle:
            self.data = handle.read()
        if self.data[:2] != b"MZ":
            raise NotAProgram(f"{path} has no DOS header")
        pe = self.u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise NotAProgram(f"{path} has no PE signature")
        coff = pe + 4
        sections, optional_size = self.u16(coff + 2), self.u16(coff + 16)
        optional = coff + 20
        if self.u16(optional) != 0x20B:
            raise NotAProgram(f"{path} is not a 64-bit program (PE32+)")
        self.subsystem = self.u16(optional + 68)
        directories = self.u32(optional + 108)
        self.directories = [struct.unpack_from("<II", self.data, optional + 112 + 8 * i) for i in range(directories)]
        table = optional + optional_size
        self.sections = [struct.unpack_from("<IIII", self.data, table + 40 * i + 8) for i in range(sections)]

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset_of(self, rva):
        for virtual_size, address, raw_size, raw_at in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_at + rva - address
        raise NotAProgram(f"address {rva:#x} lies in no section")

    def c_string(self, rva):
        start = self.offset_of(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imported_dlls(self):
        """Every DLL the loader must find for the program, delay-loaded ones too."""
        names = []
        # Import descriptors are 20 bytes with the name at 12; delay-load
        # ones are 32 with it at 4. Both lists end with an all-zero entry.
        for index, size, name_at in ((1, 20, 12), (13, 32, 4)):
            rva, _ = self.directory(index)
            if not rva:
                continue
            entry = self.offset_of(rva)
            while any(self.data[entry:entry + size]):
                names.append(self.c_string(self.u32(entry + name_at)))
                entry += size
        return names

    def resources(self):
        """{type: {name: {language: bytes}}}, with numeric ids as ints and
        named entries as strings."""
        rva, _ = self.directory(2)
        if not rva:
            return {}
        base = self.offset_of(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                if key & 0x80000000:
                    at = base + (key & 0x7FFFFFFF)
                    key = self.data[at + 2:at + 2 + 2 * self.u16(at)].decode("utf-16-le")
                yield key, target

        tree = {}
        for kind, kind_dir in entries(0):
            for name, name_dir in entries(kind_dir & 0x7FFFFFFF):
                for language, leaf in entries(name_dir & 0x7FFFFFFF):
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset_of(data_rva)
                    tree.setdefault(kind, {}).setdefault(name, {})[language] = self.data[start:start + size]
        return tree


def version_record(block):
    """A VS_VERSIONINFO resource as (fixed, strings): the fixed part's file
    and product versions as 4-tuples, and every StringFileInfo string by its
    name."""

    def node(at):
        length, value_length, is_text = struct.unpack_from("<HHH", block, at)
        end = block.index(b"\0\0", at + 6)
        while (end - at - 6) % 2:  # the terminator starts on a character
            end = block.index(b"\0\0", end + 1)
        key = block[at + 6:end].decode("utf-16-le")
        value_at = (end + 2 + 3) & ~3
        value_size = value_length * 2 if is_text else value_length
        value = block[value_at:value_at + value_size]
        children, child = [], (value_at + value_size + 3) & ~3
        while child < at + length:
            children.append(node(child))
            child = (child + children[-1][3] + 3) & ~3
        return key, value, children, length

    key, fixed, children, _ = node(0)
    if key != "VS_VERSION_INFO" or len(fixed) < 52:
        raise NotAProgram(f"the version record starts with {key!r}, not a VS_VERSION_INFO")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != FIXED_FILE_INFO_SIGNATURE:
        raise NotAProgram(f"the version record's fixed part has signature {signature:#x}")

    def quad(ms, ls):
        return ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF

    strings = {}
    for child_key, _, tables, _ in children:
        if child_key == "StringFileInfo":
            for _, _, values, _ in tables:
                for name, text, _, _ in values:
                    strings[name] = text.decode("utf-16-le").rstrip("\0")
    return {"file": quad(file_ms, file_ls), "product": quad(product_ms, product_ls)}, strings


def icon_entries(group):
    """An icon group's images as (width, height, bits per pixel, icon id)."""
    _, kind, count = struct.unpack_from("<HHH", group)
    if kind != 1:
        raise NotAProgram(f"icon group of type {kind}")
    return [(w or 256, h or 256, bits, icon_id)
            for w, h, _, _, _, bits, _, icon_id in (struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
                                                     for i in range(count))]


def ico_images(path):
    """An .ico file's images as (width, height, bits per pixel, image bytes)."""
    with open(path, "rb") as handle:
        data = handle.read()
    _, kind, count = struct.unpack_from("<HHH", data)
    if kind != 1:
        raise NotAProgram(f"{path} is not an icon file")
    images = []
    for i in range(count):
        w, h, _, _, _, bits, size, at = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append((w or 256, h or 256, bits, data[at:at + size]))
    return images
