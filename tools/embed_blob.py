#!/usr/bin/env python3
"""Turns a file into a C++ source that defines it as a constant byte array
with its length as a 32-bit signed count, for the installer's image.

usage: embed_blob.py INPUT OUTPUT SYMBOL HEADER
The source defines SYMBOL[] and SYMBOL_length and includes HEADER, which
declares them.
"""
import os
import sys


def main():
    source, output, symbol, header = sys.argv[1:5]
    with open(source, "rb") as stream:
        data = stream.read()
    if not data or len(data) > 0x7FFFFFFF:
        sys.exit("embed_blob.py: %s: size %d does not fit" % (source, len(data)))
    lines = [
        "// Generated from %s: do not edit." % os.path.basename(source),
        '#include "%s"' % header,
        "",
        "extern const unsigned char %s[] = {" % symbol,
    ]
    for start in range(0, len(data), 16):
        chunk = data[start:start + 16]
        lines.append("    " + ", ".join("0x%02x" % b for b in chunk) + ",")
    lines.append("};")
    lines.append("extern const int %s_length = %d;" % (symbol, len(data)))
    text = "\n".join(lines) + "\n"
    with open(output, "w") as stream:
        stream.write(text)


if __name__ == "__main__":
    main()
