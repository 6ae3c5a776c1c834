#!/usr/bin/env python3
"""Checks the version resource of shipped programs, read from the PE file.

usage: check_version.py VERSION PRODUCT_NAME COMPANY_NAME PROGRAM=DESCRIPTION...

VERSION is the uninstall entry's DisplayVersion (three parts); each program
must carry FileVersion and ProductVersion VERSION.0 in its fixed part and in
its strings, ProductName PRODUCT_NAME (the entry's DisplayName), CompanyName,
a LegalCopyright, the given FileDescription and its own file name as
OriginalFilename.
"""
import os
import struct
import sys

RT_VERSION = 16


def section_table(image):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections = struct.unpack_from("<H", image, pe + 6)[0]
    optional_size = struct.unpack_from("<H", image, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, resource_size = struct.unpack_from("<II", image, directories + 2 * 8)
    table = []
    first = optional + optional_size
    for index in range(sections):
        entry = first + 40 * index
        virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", image, entry + 8)
        table.append((rva, max(virtual_size, raw_size), raw_offset))
    return table, resource_rva, resource_size


def rva_to_offset(table, rva):
    for start, size, raw in table:
        if start <= rva < start + size:
            return raw + rva - start
    raise ValueError("RVA 0x%x outside every section" % rva)


def version_resources(image):
    """Every RT_VERSION resource's bytes (all names, all languages)."""
    table, resource_rva, resource_size = section_table(image)
    if not resource_rva or not resource_size:
        return []
    root = rva_to_offset(table, resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, directory + 12)
        for index in range(named + numbered):
            ident, target = struct.unpack_from("<II", image, directory + 16 + 8 * index)
            yield ident, target

    found = []
    for ident, target in entries(root):
        if ident != RT_VERSION or not target & 0x80000000:
            continue
        for _, name_target in entries(root + (target & 0x7FFFFFFF)):
            for _, language_target in entries(root + (name_target & 0x7FFFFFFF)):
                data_entry = root + language_target
                data_rva, data_size = struct.unpack_from("<II", image, data_entry)
                offset = rva_to_offset(table, data_rva)
                found.append(image[offset:offset + data_size])
    return found


def parse_block(data, offset):
    """One version block: (key, value bytes, value type, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_start = offset + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    cursor = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[cursor:cursor + value_bytes]
    cursor = (cursor + value_bytes + 3) & ~3
    children = []
    while cursor < end:
        child = parse_block(data, cursor)
        children.append(child)
        cursor = (child[4] + 3) & ~3
    return key, value, value_type, children, end


def read_version(data):
    key, fixed, _, children, _ = parse_block(data, 0)
    if key != "VS_VERSION_INFO" or len(fixed) < 52:
        raise ValueError("no VS_VERSION_INFO with a fixed part")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD:
        raise ValueError("bad fixed version signature 0x%x" % signature)

    def four(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    strings = {}
    translations = []
    for child_key, value, _, grandchildren, _ in children:
        if child_key == "StringFileInfo":
            for table_key, _, _, values, _ in grandchildren:
                for name, text, _, _, _ in values:
                    strings[(table_key, name)] = text.decode("utf-16-le").rstrip("\0")
        elif child_key == "VarFileInfo":
            for var_key, var_value, _, _, _ in grandchildren:
                if var_key == "Translation":
                    for index in range(0, len(var_value) - 3, 4):
                        translations.append(struct.unpack_from("<HH", var_value, index))
    return four(file_ms, file_ls), four(product_ms, product_ls), strings, translations


def check(path, description, version, product_name, company_name):
    with open(path, "rb") as stream:
        image = stream.read()
    resources = version_resources(image)
    if len(resources) != 1:
        return ["%d version resources, want 1" % len(resources)]
    file_version, product_version, strings, translations = read_version(resources[0])
    problems = []
    full_version = version + ".0"
    if file_version != full_version or product_version != full_version:
        problems.append("fixed versions %s / %s, want %s" % (file_version, product_version,
                                                              full_version))
    # Windows shows the string table of the language the translation names.
    if len(translations) != 1:
        return problems + ["translations %r, want one" % translations]
    language, codepage = translations[0]
    table = "%04x%04x" % (language, codepage)
    expected = {
        "FileVersion": full_version,
        "ProductVersion": full_version,
        "ProductName": product_name,
        "CompanyName": company_name,
        "FileDescription": description,
        "OriginalFilename": os.path.basename(path),
    }
    for name, want in expected.items():
        got = strings.get((table, name))
        if got != want:
            problems.append("%s %r, want %r" % (name, got, want))
    copyright_text = strings.get((table, "LegalCopyright"), "")
    if company_name not in copyright_text:
        problems.append("LegalCopyright %r does not name %r" % (copyright_text, company_name))
    return problems


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    version, product_name, company_name = sys.argv[1:4]
    if len(version.split(".")) != 3:
        sys.exit("check_version.py: %r is not a three-part version" % version)
    failed = False
    for argument in sys.argv[4:]:
        path, _, description = argument.partition("=")
        try:
            problems = check(path, description, version, product_name, company_name)
        except (OSError, ValueError, struct.error, UnicodeDecodeError) as error:
            problems = [str(error)]
        for problem in problems:
            print("%s: %s" % (path, problem))
        if problems:
            failed = True
        else:
            print("%s: version %s.0, %r" % (path, version, description))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
