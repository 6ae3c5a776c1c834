#!/usr/bin/env python3
"""Static check of a Windows executable: machine, subsystem, imports,
hardening and application manifest.
Usage: check_pe.py EXE (i386|amd64) [--no-manifest] [--console]"""

import struct
import sys
import xml.etree.ElementTree as ElementTree

# The KnownDLLs that Windows 7 to 11 share: Windows maps these from the
# system folder whatever the search order, so an elevated program started
# from Downloads cannot be handed a planted copy. Anything else (comctl32,
# cfgmgr32, version, ...) is loaded at run time from the system folder.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll",
    "imagehlp.dll", "imm32.dll", "kernel32.dll", "msctf.dll", "msvcrt.dll",
    "normaliz.dll", "nsi.dll", "ole32.dll", "oleaut32.dll", "psapi.dll",
    "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "wldap32.dll", "ws2_32.dll",
}
# Calls that start the command interpreter or let the shell choose what to
# run: an elevated program must start nothing that the user's environment
# or file associations decide.
SHELL_STARTERS = {
    "system", "_system", "_wsystem", "_popen", "_wpopen", "winexec",
    "shellexecutea", "shellexecutew", "shellexecuteexa", "shellexecuteexw",
}
SHELL_STARTER_PREFIXES = ("_spawn", "_wspawn", "_exec", "_wexec")
# IMAGE_DLLCHARACTERISTICS_*: ASLR, DEP and, for 64-bit, 64-bit ASLR.
DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x40, 0x100, 0x20
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
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
        directories = optional + (96 if self.magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        self.section_names = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raddr))
            self.section_names.append(name.rstrip(b"\0").decode("ascii", "replace"))

    def offset(self, rva):
        for vaddr, size, raddr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raddr
        raise ValueError("address %x outside every section" % rva)

    def text(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self):
        """(dll, [function names]) for each import descriptor, in lower case;
        an import by ordinal shows as "#n"."""
        rva, _ = self.directories[1]
        result = []
        position = self.offset(rva)
        wide = self.magic == 0x20B
        size, ordinal_flag = (8, 1 << 63) if wide else (4, 1 << 31)
        while True:
            entry = struct.unpack_from("<IIIII", self.data, position)
            if entry == (0, 0, 0, 0, 0):
                return result
            names = []
            thunk = self.offset(entry[0] or entry[4])
            while True:
                value = struct.unpack_from("<Q" if wide else "<I", self.data, thunk)[0]
                if value == 0:
                    break
                if value & ordinal_flag:
                    names.append("#%d" % (value & 0xFFFF))
                else:
                    names.append(self.text((value & 0x7FFFFFFF) + 2).lower())
                thunk += size
            result.append((self.text(entry[3]).lower(), names))
            position += 20

    def imported_dlls(self):
        return [dll for dll, _ in self.imports()]

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


def is_shell_starter(name):
    return name in SHELL_STARTERS or name.startswith(SHELL_STARTER_PREFIXES)


def check_hardening(image, machine):
    problems = []
    wanted = {"DYNAMIC_BASE": DYNAMIC_BASE, "NX_COMPAT": NX_COMPAT}
    if machine == "amd64":
        wanted["HIGH_ENTROPY_VA"] = HIGH_ENTROPY_VA
    missing = [name for name, bit in wanted.items() if not image.dll_characteristics & bit]
    if missing:
        problems.append("DllCharacteristics %04x lacks %s"
                        % (image.dll_characteristics, ", ".join(missing)))
    # The runtime's report of a smashed canary is linked in (statically,
    # from libssp) only when the code is built with the stack protector.
    if b"stack smashing detected" not in image.data:
        problems.append("built without the stack protector (no libssp canary report)")
    # ASLR moves only an image that can be relocated.
    if ".reloc" not in image.section_names or image.directories[5] == (0, 0):
        problems.append("no .reloc section with base relocations")
    return problems


def check(path, machine, want_manifest, subsystem=2):
    problems = []
    image = Image(open(path, "rb").read())
    want_machine, want_magic = MACHINES[machine]
    if image.machine != want_machine or image.magic != want_magic:
        problems.append("machine %x, optional header %x" % (image.machine, image.magic))
    if image.subsystem != subsystem:
        problems.append("subsystem %d, not %d" % (image.subsystem, subsystem))
    imports = image.imports()
    dlls = [dll for dll, _ in imports]
    foreign = [dll for dll in dlls if dll not in KNOWN_DLLS]
    if foreign:
        problems.append("imports from DLLs that are not KnownDLLs: %s" % ", ".join(foreign))
    starters = ["%s!%s" % (dll, name) for dll, names in imports for name in names
                if is_shell_starter(name)]
    if starters:
        problems.append("imports calls that start a shell: %s" % ", ".join(starters))
    problems += check_hardening(image, machine)
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
    subsystem = 3 if "--console" in arguments else 2
    sys.exit(0 if check(arguments[0], arguments[1], "--no-manifest" not in arguments, subsystem)
             else 1)
