#!/usr/bin/env python3
"""Checks that the source folders depend on each other one way only: the
entry and sequence (setup/) on top, the steps and the window below, and
core/, what every program shares, at the bottom. Each folder may include
its own headers and those of the folders listed for it.
Usage: check_layout.py SOURCE_FOLDER"""

import os
import re
import sys

ALLOWED = {
    "core": {"core"},
    "payload": {"payload", "core"},
    "driver": {"driver", "core"},
    "registration": {"registration", "core"},
    "ui": {"ui", "core"},
    "setup": {"setup", "core", "payload", "driver", "registration", "ui"},
    "carried/uninstaller": {"carried/uninstaller", "core"},
    "carried/companions": {"carried/companions", "core"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def owner(header):
    for folder in sorted(ALLOWED, key=len, reverse=True):
        if header.startswith(folder + "/"):
            return folder
    return None


def main(root):
    problems = []
    for folder, allowed in ALLOWED.items():
        path = os.path.join(root, folder)
        if not os.path.isdir(path):
            problems.append("missing folder %s" % folder)
            continue
        for name in sorted(os.listdir(path)):
            if not name.endswith((".cpp", ".h")):
                continue
            text = open(os.path.join(path, name), encoding="utf-8").read()
            for header in INCLUDE.findall(text):
                target = owner(header)
                if target is None or target not in allowed:
                    problems.append("%s/%s includes %s" % (folder, name, header))
    for problem in problems:
        print("FAIL:", problem)
    return not problems


if __name__ == "__main__":
    sys.exit(0 if main(sys.argv[1]) else 1)
