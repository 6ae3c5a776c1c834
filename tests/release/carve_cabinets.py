#!/usr/bin/env python3
"""Writes every Microsoft cabinet embedded in a file to a folder, as
cabinet_<offset>.cab, found by its header ("MSCF", reserved 0, its size).

usage: carve_cabinets.py FILE FOLDER
"""
import os
import struct
import sys


def main():
    path, folder = sys.argv[1:3]
    with open(path, "rb") as stream:
        data = stream.read()
    os.makedirs(folder, exist_ok=True)
    count = 0
    offset = data.find(b"MSCF\0\0\0\0")
    while offset >= 0:
        size = struct.unpack_from("<I", data, offset + 8)[0]
        version_minor, version_major = data[offset + 24], data[offset + 25]
        if (version_major, version_minor) == (1, 3) and offset + size <= len(data):
            with open(os.path.join(folder, "cabinet_%d.cab" % offset), "wb") as out:
                out.write(data[offset:offset + size])
            count += 1
            offset = data.find(b"MSCF\0\0\0\0", offset + size)
        else:
            offset = data.find(b"MSCF\0\0\0\0", offset + 4)
    print("%s: %d cabinets" % (path, count))


if __name__ == "__main__":
    main()
