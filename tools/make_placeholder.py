#!/usr/bin/env python3
"""Writes a placeholder member file: a line naming what it stands for, then
deterministic filler bytes up to the given size (0 gives an empty file).

usage: make_placeholder.py OUTPUT SIZE LABEL
"""
import sys


def main():
    output, size, label = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    head = ("QUORVANTA placeholder, not a real " + label + ".\r\n").encode("ascii")
    data = bytearray(head[:size])
    # xorshift32 seeded from the label: the same bytes on every build.
    state = 2463534242
    for byte in label.encode("ascii"):
        state = (state * 31 + byte) & 0xFFFFFFFF
    state = state or 1
    while len(data) < size:
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        data.append(state & 0xFF)
    with open(output, "wb") as stream:
        stream.write(bytes(data))


if __name__ == "__main__":
    main()
