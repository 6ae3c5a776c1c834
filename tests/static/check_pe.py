#!/usr/bin/env python3
"""Static check of a Windows executable: machine, subsystem, imports and
application manifest. Usage: check_pe.py EXE (i386|amd64) [--no-manifest]"""

import struct
import sys
import xml.etree.ElementTree as ElementTree

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "setupapi.dll",
    "cfgmgr32.dll", "comctl32.dll", "msvcrt.dll", "shell32.dll", "ole32.dll",
}
MACHINES = {"i386": (0x14C, 0x10B), "amd64": (0x8664, 0x20B)}
SUPPORTED_OS = [
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
]


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raddr))

    def offset(self, rva):
        for vaddr, size, raddr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError("address %x outside every section" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imported_dlls(self):
        rva, _ = self.directories[1]
        dlls = []
        position = self.offset(rva)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, position)
            if entry == (0, 0, 0, 0, 0):
                return dlls
            dlls.append(self.text(entry[3]).lower())
            position += 20

    def resource(self, type_id, name_id):
        base_rva, _ = self.directories[2]
        if base_rva == 0:
            return None
        base = self.offset(base_rva)

        def entries(directory):
            named, ids = struct.unpack_from("<HH", self.data, directory + 12)
            for i in range(named + ids):
                key, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
                yield key, target

        for key, target in entries(base):
            if key != type_id or not target & 0x80000000:
                continue
            for key2, target2 in entries(base + (target & 0x7FFFFFFF)):
                if key2 != name_id or not target2 & 0x80000000:
                    continue
                for _, leaf in entries(base + (target2 & 0x7FFFFFFF)):
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(data_rva)
                    return self.data[start:start + size]
        return None


def check(path, machine, want_manifest):
    problems = []
    image = Image(open(path, "rb").read())
    want_machine, want_magic = MACHINES[machine]
    if image.machine != want_machine or image.magic != want_magic:
        problems.append("machine %x, optional header %x" % (image.machine, image.magic))
    if image.subsystem != 2:
        problems.append("subsystem %d, not the GUI subsystem (2)" % image.subsystem)
    dlls = image.imported_dlls()
    foreign = [dll for dll in dlls if dll not in SYSTEM_DLLS]
    if foreign:
        problems.append("imports from DLLs that do not ship with Windows: %s" % ", ".join(foreign))
    print("imports:", ", ".join(dlls))

    if want_manifest:
        manifest = image.resource(24, 1)
        if manifest is None:
            problems.append("no application manifest (resource 24, 1)")
        else:
            root = ElementTree.fromstring(manifest)
            level = [e for e in root.iter() if e.tag.endswith("requestedExecutionLevel")]
            if len(level) != 1 or level[0].get("level") != "requireAdministrator" \
                    or level[0].get("uiAccess") != "false":
                problems.append("execution level is not requireAdministrator with uiAccess false")
            ids = [e.get("Id") for e in root.iter() if e.tag.endswith("supportedOS")]
            if ids != SUPPORTED_OS:
                problems.append("supportedOS identifiers %s" % ids)
    for problem in problems:
        print("FAIL:", problem)
    return not problems


if __name__ == "__main__":
    arguments = sys.argv[1:]
    sys.exit(0 if check(arguments[0], arguments[1], "--no-manifest" not in arguments) else 1)
